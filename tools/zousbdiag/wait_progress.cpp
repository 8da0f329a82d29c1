#include "tools/zousbdiag/wait_progress.h"

#include <unistd.h>

#include <cstdio>

#include "tools/zousbdiag/progress_line.h"

namespace zousbdiag {

namespace {

constexpr std::chrono::milliseconds kUpdateInterval{200};

std::string seconds(std::chrono::milliseconds time) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(time.count()) / 1000.0);
    std::string digits(text);
    if (digits.ends_with(".0")) {
        digits.resize(digits.size() - 2);
    }
    return digits + " s";
}

}  // namespace

std::string progressText(std::string_view what, std::chrono::milliseconds elapsed) {
    return std::string(what) + ": " + seconds(elapsed);
}

std::string progressText(std::string_view what, std::chrono::milliseconds elapsed,
                         std::chrono::milliseconds total) {
    return progressText(what, std::min(elapsed, total)) + " of " + seconds(total);
}

bool errorsGoToTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

WaitProgress::WaitProgress(std::ostream& err, bool shown, std::string what,
                           std::chrono::milliseconds total)
    : err_(err), what_(std::move(what)), total_(total) {
    if (shown) {
        thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
    }
}

WaitProgress::~WaitProgress() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

void WaitProgress::run(std::stop_token stop) {
    const auto start = std::chrono::steady_clock::now();
    ProgressLine line(err_);
    std::unique_lock lock(mutex_);
    for (;;) {
        // Waits the interval, or less when the wait ends: the predicate is the stop request.
        if (wake_.wait_for(lock, stop, kUpdateInterval,
                           [&stop] { return stop.stop_requested(); })) {
            break;
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        line.show(progressText(what_, elapsed, total_));
    }
    line.clear();
}

}  // namespace zousbdiag
