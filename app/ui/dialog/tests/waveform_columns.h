#pragma once
// Test support: a recorded output of the hub as the levels of the diagram's columns, and the
// comparison of the two to within one column.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hub/waveform.h"

namespace zo::quintel::testing {

// The level of `wire` at `nanoseconds`.
inline bool LevelAt(const hub::Waveform& waveform, std::uint8_t wire, std::uint64_t nanoseconds) {
    bool level = waveform.initialLevels[wire];
    for (const hub::WaveformTransition& transition : waveform.transitions) {
        if (transition.nanoseconds > nanoseconds) {
            break;
        }
        if (transition.wire == wire) {
            level = transition.level;
        }
    }
    return level;
}

// The level of `wire` in the middle of each of `columns` columns of `microsecondsPerColumn`,
// the first starting at `startNanoseconds`.
inline std::vector<std::uint8_t> HubColumns(const hub::Waveform& waveform, std::uint8_t wire,
                                            std::uint64_t startNanoseconds,
                                            double microsecondsPerColumn, int columns) {
    std::vector<std::uint8_t> levels;
    for (int k = 0; k < columns; ++k) {
        const double middle = (k + 0.5) * microsecondsPerColumn * 1000.0;
        levels.push_back(
            LevelAt(waveform, wire, startNanoseconds + static_cast<std::uint64_t>(middle)) ? 1 : 0);
    }
    return levels;
}

// The columns where the hub's level is found neither in the diagram's column nor in one of its
// two neighbours: an edge drawn more than one column away from where the hub put it, or a pulse
// one of them lacks.
inline std::vector<int> ColumnsApart(const std::vector<std::uint8_t>& diagram,
                                     const std::vector<std::uint8_t>& hub) {
    std::vector<int> apart;
    const int columns = static_cast<int>(std::min(diagram.size(), hub.size()));
    for (int k = 0; k < columns; ++k) {
        const auto near = [&](int j) { return j >= 0 && j < columns && diagram[j] == hub[k]; };
        if (!near(k - 1) && !near(k) && !near(k + 1)) {
            apart.push_back(k);
        }
    }
    return apart;
}

// A row of '#' (high) and '_' (low), for messages.
inline std::string Picture(const std::vector<std::uint8_t>& levels) {
    std::string picture;
    for (std::uint8_t level : levels) {
        picture += level != 0 ? '#' : '_';
    }
    return picture;
}

}  // namespace zo::quintel::testing
