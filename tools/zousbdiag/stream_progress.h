#pragma once
// The progress line of a stream on a terminal, as the other long commands show theirs:
// "stream: 2.5 s of 10 s, 20000 packets, 0 lost, 0 failed", rewritten a few times a second and
// cleared at the end. Off when standard error is no terminal.

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "tools/zousbdiag/progress_line.h"
#include "tools/zousbdiag/signal_trace.h"

namespace zousbdiag {

class StreamProgress {
  public:
    // `duration`: how long the stream runs; none until Ctrl-C.
    StreamProgress(std::ostream& terminal, bool enabled,
                   std::optional<std::chrono::milliseconds> duration)
        : line_(terminal), enabled_(enabled), duration_(duration) {}

    void show(std::chrono::milliseconds elapsed, const SignalTrace::Counts& counts);
    void clear();

    static std::string text(std::chrono::milliseconds elapsed,
                            std::optional<std::chrono::milliseconds> duration,
                            const SignalTrace::Counts& counts);

  private:
    ProgressLine line_;
    bool enabled_;
    std::optional<std::chrono::milliseconds> duration_;
    std::chrono::steady_clock::time_point shown_{};
};

}  // namespace zousbdiag
