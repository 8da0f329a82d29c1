#pragma once
// The seventeen words of one channel's block in the settings record, by their position.

#include <array>
#include <cstdint>

namespace zo::quinteldrv {

enum ChannelWord : std::size_t {
    kModeWord = 0,
    kDelayWord = 1,
    kHighTimeWord = 2,
    kLowTimeWord = 3,
    kInvertWord = 4,
    kIdleLevelWord = 5,
    kGateSourceWord = 6,
    kGateInvertWord = 7,
    kAuxSourceWord = 8,
    kAuxInvertWord = 9,
    kDelay2Word = 10,
    kHighTime2Word = 11,
    kLowTime2Word = 12,
    kExtSourceWord = 13,
    kExtInvertWord = 14,
    kPulseCountWord = 15,
    kRetriggerWord = 16,
    kChannelWords = 17
};

using ChannelBlock = std::array<std::uint32_t, kChannelWords>;

// The measurement header of the settings record.
struct MeasurementHeader {
    std::uint32_t input = 0;  // source number; 0 = none
    std::uint32_t mode = 0;   // 0 edge to same edge, 1 edge to opposite edge
    std::uint32_t edge = 0;   // only zero or non-zero matters

    bool operator==(const MeasurementHeader&) const = default;
};

}  // namespace zo::quinteldrv
