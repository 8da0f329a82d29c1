#pragma once
// A progress line for the long waits of a command (a capture of seconds, a measurement with a
// long time-out): shown on a terminal only, rewritten in place and cleared when the wait ends,
// so that output to a file or a pipe stays clean.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>

namespace zousbdiag {

// "stream: 1.2 s"
std::string progressText(std::string_view what, std::chrono::milliseconds elapsed);
// "capture: 1.2 s of 5 s"
std::string progressText(std::string_view what, std::chrono::milliseconds elapsed,
                         std::chrono::milliseconds total);

// True when standard error is a terminal.
bool errorsGoToTerminal();

// While it lives and `shown` is true, rewrites the progress line on `err` every 200 ms.
class WaitProgress {
  public:
    WaitProgress(std::ostream& err, bool shown, std::string what, std::chrono::milliseconds total);
    ~WaitProgress();
    WaitProgress(const WaitProgress&) = delete;
    WaitProgress& operator=(const WaitProgress&) = delete;

  private:
    void run(std::stop_token stop);

    std::ostream& err_;
    const std::string what_;
    const std::chrono::milliseconds total_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread thread_;  // last: starts once everything it reads exists
};

}  // namespace zousbdiag
