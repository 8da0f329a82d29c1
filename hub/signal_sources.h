#pragma once
// What a sequencer's test can name as its input on one tick: source 1 and 2 are inputs A and B as
// sampled on that tick, sources 3..10 are the outputs of channels 0..7 as they were on the tick
// before (every sequencer steps on the same clock edge, so each sees the others' registered
// outputs). Any other source number reads low. Input 0, the counter, is the sequencer's own.
//
// The channel sequencers reach the other channels' outputs through an inverting route: a test of
// source 3 + k reads 1 while channel k's output is low. The measurement sequencer taps the outputs
// as they are, like inputs A and B. See hub/README.md.

#include <array>
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
    // Bit k: channel k's output on the tick before, two ticks before, three ticks before.
    std::array<std::uint8_t, 3> recentOutputs{};
    bool channelsInverted = false;  // the channel sequencers' route to the outputs

    bool levelAt(std::uint8_t source, std::uint64_t tick) const {
        return levelAgo(source, tick, 0);
    }

    // Whether `source` changed on `tick` and on the tick before: it showed a level for a single
    // tick, too short a phase for a program to follow.
    bool singleTickPhaseEndsAt(std::uint8_t source, std::uint64_t tick) const {
        if (tick < 2) {
            return false;
        }
        const bool now = levelAgo(source, tick, 0);
        const bool before = levelAgo(source, tick, 1);
        return now != before && before != levelAgo(source, tick, 2);
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

  private:
    // The level `ticksAgo` (0..2) ticks before `tick`.
    bool levelAgo(std::uint8_t source, std::uint64_t tick, std::size_t ticksAgo) const {
        if (source == kSourceInputA) {
            return inputA.levelAt(tick - ticksAgo);
        }
        if (source == kSourceInputB) {
            return inputB.levelAt(tick - ticksAgo);
        }
        if (source >= kSourceFirstChannel && source < kSourceFirstChannel + kChannelCount) {
            const bool output =
                ((recentOutputs[ticksAgo] >> (source - kSourceFirstChannel)) & 1) != 0;
            return output != channelsInverted;
        }
        return false;
    }
};

}  // namespace zo::hub
