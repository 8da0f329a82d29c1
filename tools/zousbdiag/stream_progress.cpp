#include "tools/zousbdiag/stream_progress.h"

#include <cstdio>

namespace zousbdiag {

namespace {

constexpr auto kInterval = std::chrono::milliseconds(200);

}  // namespace

std::string StreamProgress::line(double seconds, const SignalTrace::Counts& counts) {
    char time[32];
    std::snprintf(time, sizeof time, "%.1f", seconds);
    return std::string("  ") + time + " s  " + std::to_string(counts.received) + " packets  " +
           std::to_string(counts.lost) + " lost  " + std::to_string(counts.failed) + " failed  " +
           std::to_string(counts.samples) + " samples";
}

void StreamProgress::show(double seconds, const SignalTrace::Counts& counts) {
    const auto now = std::chrono::steady_clock::now();
    if (!enabled_ || now - shown_ < kInterval) {
        return;
    }
    shown_ = now;
    const std::string text = line(seconds, counts);
    terminal_ << '\r' << text << std::string(width_ > text.size() ? width_ - text.size() : 0, ' ')
              << std::flush;
    width_ = text.size();
}

void StreamProgress::clear() {
    if (enabled_ && width_ > 0) {
        terminal_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
        width_ = 0;
    }
}

}  // namespace zousbdiag
