#pragma once
// Collects a Waveform while the hub simulates. Outputs are reported as they change; the edges of
// inputs A and B, which follow from their frequencies, are filled in when the recording ends.

#include <cstddef>
#include <cstdint>

#include "hub/input_signal.h"
#include "hub/waveform.h"

namespace zo::hub {

class WaveformRecorder {
  public:
    WaveformRecorder(std::uint64_t startNanoseconds, std::uint8_t outputs,
                     const InputSignal& inputA, const InputSignal& inputB,
                     std::size_t maxTransitions);

    // The outputs (bit k: channel k) as they are from `nanoseconds` on.
    void outputsChanged(std::uint64_t nanoseconds, std::uint8_t outputs);
    Waveform finish(std::uint64_t endNanoseconds, const InputSignal& inputA,
                    const InputSignal& inputB);

  private:
    void cutAt(std::uint64_t nanoseconds);
    void addInputEdges(std::uint8_t wire, const InputSignal& input, std::uint64_t endNanoseconds);

    Waveform waveform_;
    std::uint8_t outputs_;
    std::size_t maxTransitions_;
    std::uint64_t cut_ = 0;  // when truncated: the first moment not recorded
};

}  // namespace zo::hub
