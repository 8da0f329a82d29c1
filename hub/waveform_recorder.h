#pragma once
// Collects a Waveform while the hub simulates. The hub simulates in stretches (from one request
// to the next), and within a stretch each group of sequencers that do not see each other on its
// own; every group's output changes of a stretch go to a ChangeLog of their own, and register
// writes that change outputs make a stretch of one change. The edges of inputs A and B, which
// follow from their frequencies, and the merge of all logs into one list in time order are done
// when the recording ends.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hub/change_log.h"
#include "hub/input_signal.h"
#include "hub/waveform.h"

namespace zo::hub {

class WaveformRecorder {
  public:
    WaveformRecorder(std::uint64_t startNanoseconds, std::uint8_t outputs,
                     const InputSignal& inputA, const InputSignal& inputB,
                     std::size_t maxTransitions);

    // A new stretch of simulation, after all earlier ones.
    void beginStretch();
    // A log for one group's changes in the current stretch; valid until the next call.
    ChangeLog& groupLog();
    // A register write changed the outputs (bit k: channel k) at `nanoseconds`.
    void outputsChanged(std::uint64_t nanoseconds, std::uint8_t toggled);

    Waveform finish(std::uint64_t endNanoseconds, const InputSignal& inputA,
                    const InputSignal& inputB);

  private:
    void closeStretch();
    // Fills the transitions in time order up to `endNanoseconds` or the limit; returns the end.
    std::uint64_t collect(std::uint64_t endNanoseconds, const InputSignal& inputA,
                          const InputSignal& inputB);

    Waveform waveform_;
    std::size_t maxTransitions_;
    std::vector<std::vector<ChangeLog>> stretches_;
    // Transitions in the stretches before the current one: beyond the limit, nothing later counts.
    std::uint64_t closedTransitions_ = 0;
};

}  // namespace zo::hub
