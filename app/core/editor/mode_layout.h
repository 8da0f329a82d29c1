#pragma once
// What the channel editor shows of a channel in each program mode: which source selectors and
// value rows are visible, the captions that change with the mode, and the items of the unit lists
// (string ids; the item index is what the record's unit field stores).

#include <array>
#include <cstdint>
#include <vector>

namespace zo::quintel {

struct ModeLayout {
    bool externalInShown;  // the external clock input and its invert ("External" only)
    bool gateShown;        // the gate or trigger source and its invert
    std::uint32_t gateCaption;
    std::array<std::uint32_t, 2> rate1Units;   // frequency, period
    std::array<std::uint32_t, 2> width1Units;  // width, duty cycle
    bool unitListsEnabled;                     // rows 1 and 2 may change their units
    bool row3Shown;                            // the second rate
    std::vector<std::uint32_t> row4Units;      // width 2 and duty cycle 2, or the number of pulses
    bool row4Shown;
    bool delayPointShown;  // the delay counts tenths of a microsecond, not clock cycles
    std::uint32_t delayCaption;
};

ModeLayout ModeLayoutOf(std::uint32_t mode);

// Whether row 4 shows the number of pulses of a burst instead of the second width.
bool ShowsPulseCount(std::uint32_t mode);

}  // namespace zo::quintel
