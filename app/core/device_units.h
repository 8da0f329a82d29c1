#pragma once
// From the program's units to the hub's. The program keeps microseconds, tenths of a microsecond
// and, in the external-clock mode, cycles of the external clock; the library takes ticks of the
// hub's 50 MHz clock (20 ns), and in the external-clock mode transitions of the clock input, two
// per cycle. The program's modes map onto the library's: both burst modes are library mode 4,
// told apart by the retrigger parameter.

#include <cstdint>

namespace zo::quintel {

inline constexpr std::uint32_t kTicksPerMicrosecond = 50;
inline constexpr std::uint32_t kTicksPerDelayUnit = 5;  // a delay unit is 0.1 µs
inline constexpr std::uint32_t kTransitionsPerCycle = 2;

// The active (high) and inactive (low) durations of one pulse of a pulse set, in device units.
struct PulseTiming {
    std::uint32_t high = 0;
    std::uint32_t low = 0;

    bool operator==(const PulseTiming&) const = default;
};

// A period and a width in program units (µs, or cycles in the external-clock mode) as device
// durations. The width is kept inside the period, so that both durations are at least one unit:
// width 0 counts as 1, a width at or above the period as the period less 1. In the external-clock
// mode a period of 1 cycle or less is one transition high and one low.
PulseTiming PulseTimingOf(std::uint32_t mode, std::uint32_t period, std::uint32_t width);

// A delay in program units (0.1 µs, or cycles in the external-clock mode) in device units.
std::uint32_t DelayOf(std::uint32_t mode, std::uint32_t delay);

// The library's mode of a program mode, and its retrigger parameter.
std::uint32_t LibraryModeOf(std::uint32_t mode);
std::uint32_t RetriggerOf(std::uint32_t mode);

}  // namespace zo::quintel
