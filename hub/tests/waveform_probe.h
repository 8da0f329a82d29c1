#pragma once
// Questions the waveform tests ask of a recording.

#include <cstdint>
#include <vector>

#include "hub/waveform.h"

namespace zo::hub::test {

// Times (ns since power-on) at which `wire` went to `level`.
inline std::vector<std::uint64_t> edges(const Waveform& waveform, std::uint8_t wire, bool level) {
    std::vector<std::uint64_t> times;
    for (const WaveformTransition& transition : waveform.transitions) {
        if (transition.wire == wire && transition.level == level) {
            times.push_back(transition.nanoseconds);
        }
    }
    return times;
}

inline std::vector<std::uint64_t> differences(const std::vector<std::uint64_t>& times) {
    std::vector<std::uint64_t> result;
    for (std::size_t i = 1; i < times.size(); ++i) {
        result.push_back(times[i] - times[i - 1]);
    }
    return result;
}

// The level of `wire` at `time` (after any transition at that moment).
inline bool levelAt(const Waveform& waveform, std::uint8_t wire, std::uint64_t time) {
    bool level = waveform.initialLevels[wire];
    for (const WaveformTransition& transition : waveform.transitions) {
        if (transition.nanoseconds > time) {
            break;
        }
        if (transition.wire == wire) {
            level = transition.level;
        }
    }
    return level;
}

// Transitions of `wire` in the open interval (from, to).
inline std::size_t transitionsBetween(const Waveform& waveform, std::uint8_t wire,
                                      std::uint64_t from, std::uint64_t to) {
    std::size_t count = 0;
    for (const WaveformTransition& transition : waveform.transitions) {
        if (transition.wire == wire && transition.nanoseconds > from &&
            transition.nanoseconds < to) {
            ++count;
        }
    }
    return count;
}

}  // namespace zo::hub::test
