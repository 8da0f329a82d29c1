#pragma once
// The progress line of a stream on a terminal: time, packets and losses so far, rewritten in
// place a few times a second and cleared at the end. Off when the output is no terminal.

#include <chrono>
#include <ostream>
#include <string>

#include "tools/zousbdiag/signal_trace.h"

namespace zousbdiag {

class StreamProgress {
  public:
    StreamProgress(std::ostream& terminal, bool enabled) : terminal_(terminal), enabled_(enabled) {}

    void show(double seconds, const SignalTrace::Counts& counts);
    void clear();

    // "  2.5 s  20000 packets  0 lost  0 failed  5000000 samples"
    static std::string line(double seconds, const SignalTrace::Counts& counts);

  private:
    std::ostream& terminal_;
    bool enabled_;
    std::chrono::steady_clock::time_point shown_{};
    std::size_t width_ = 0;  // of the line shown last
};

}  // namespace zousbdiag
