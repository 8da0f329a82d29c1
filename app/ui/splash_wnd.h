#pragma once
// CSplashWnd: the picture shown while the program starts. It stays for 2.5 seconds or until the
// first click or key press, centred over its owner when the owner is visible, else on the screen;
// ShowSplash returns only when it has closed.

#include <QPixmap>
#include <QWidget>
#include <chrono>

#include "app/ui/splash_timer.h"

namespace zo::quintel {

class CSplashWnd : public QWidget {
    Q_OBJECT

  public:
    static constexpr std::chrono::milliseconds kShowTime{2500};

    // Shows the bitmap resource and waits, running the event loop, until the splash has closed.
    // Without such a bitmap nothing is shown.
    static void ShowSplash(int bitmapId, QWidget* parent);
    static void ShowSplash(int bitmapId, QWidget* parent, SplashTimer& timer);

  signals:
    void closed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    CSplashWnd(QPixmap picture, QWidget* parent, SplashTimer& timer);

    void centre();
    void dismiss();

    QPixmap picture_;
    SplashTimer& timer_;
    bool dismissed_ = false;
};

}  // namespace zo::quintel
