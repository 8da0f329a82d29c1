#include "tools/zousbdiag/stream_progress.h"

#include "tools/zousbdiag/wait_progress.h"

namespace zousbdiag {

namespace {

constexpr auto kInterval = std::chrono::milliseconds(200);

}  // namespace

std::string StreamProgress::text(std::chrono::milliseconds elapsed,
                                 std::optional<std::chrono::milliseconds> duration,
                                 const SignalTrace::Counts& counts) {
    return (duration ? progressText("stream", elapsed, *duration)
                     : progressText("stream", elapsed)) +
           ", " + std::to_string(counts.received) + " packets, " + std::to_string(counts.lost) +
           " lost, " + std::to_string(counts.failed) + " failed";
}

void StreamProgress::show(std::chrono::milliseconds elapsed, const SignalTrace::Counts& counts) {
    const auto now = std::chrono::steady_clock::now();
    if (!enabled_ || now - shown_ < kInterval) {
        return;
    }
    shown_ = now;
    line_.show(text(elapsed, duration_, counts));
}

void StreamProgress::clear() {
    line_.clear();
}

}  // namespace zousbdiag
