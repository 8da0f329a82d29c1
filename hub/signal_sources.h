#pragma once
// What a sequencer's test can name as its input on one tick: source 1 and 2 are inputs A and B as
// sampled on that tick, sources 3..10 are the outputs of channels 0..7 as they were on the tick
// before (every sequencer steps on the same clock edge, so each sees the others' registered
// outputs). Any other source number reads low. Input 0, the counter, is the sequencer's own.

#include <cstdint>

#include "hub/input_signal.h"

namespace zo::hub {

inline constexpr std::uint8_t kSourceInputA = 1;
inline constexpr std::uint8_t kSourceInputB = 2;
inline constexpr std::uint8_t kSourceFirstChannel = 3;
inline constexpr std::uint8_t kChannelCount = 8;

struct SignalSources {
    const InputSignal& inputA;
    const InputSignal& inputB;
    std::uint8_t previousOutputs = 0;  // bit k: channel k's output on the previous tick

    bool levelAt(std::uint8_t source, std::uint64_t tick) const {
        if (source == kSourceInputA) {
            return inputA.levelAt(tick);
        }
        if (source == kSourceInputB) {
            return inputB.levelAt(tick);
        }
        if (source >= kSourceFirstChannel && source < kSourceFirstChannel + kChannelCount) {
            return ((previousOutputs >> (source - kSourceFirstChannel)) & 1) != 0;
        }
        return false;
    }

    // The first tick after `tick` at which an external input can change; kNever for a channel
    // output (it changes only on a tick where its own sequencer decides something) or no source.
    std::uint64_t nextExternalChangeAfter(std::uint8_t source, std::uint64_t tick) const {
        if (source == kSourceInputA) {
            return inputA.nextChangeAfter(tick);
        }
        if (source == kSourceInputB) {
            return inputB.nextChangeAfter(tick);
        }
        return kNever;
    }
};

}  // namespace zo::hub
