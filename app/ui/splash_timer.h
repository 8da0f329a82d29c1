#pragma once
// The clock that ends the splash. The program uses a Qt timer; tests drive their own.

#include <QTimer>
#include <chrono>
#include <functional>

namespace zo::quintel {

class SplashTimer {
  public:
    virtual ~SplashTimer() = default;

    // Calls expired once, from the event loop, when the time has passed, unless stopped first.
    virtual void Start(std::chrono::milliseconds time, std::function<void()> expired) = 0;
    virtual void Stop() = 0;
};

class QtSplashTimer final : public SplashTimer {
  public:
    QtSplashTimer();

    void Start(std::chrono::milliseconds time, std::function<void()> expired) override;
    void Stop() override;

  private:
    QTimer timer_;
    std::function<void()> expired_;
};

// Ends the splash as soon as the event loop runs: for a picture of the main window and for tests,
// where no one waits for it.
class ImmediateSplashTimer final : public SplashTimer {
  public:
    void Start(std::chrono::milliseconds time, std::function<void()> expired) override;
    void Stop() override {}
};

}  // namespace zo::quintel
