#pragma once
// Times and rates as a lab engineer types and reads them: "250us", "1.5ms", "10kHz". The hub
// counts ticks of its 50 MHz clock, 20 ns each; these helpers convert exactly and say when a
// value has no exact number of ticks.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zousbdiag {

inline constexpr std::uint64_t kNanosecondsPerTick = 20;

// A time or a rate read into ticks.
struct TickValue {
    std::uint32_t ticks = 0;
    bool rate = false;  // given in Hz, kHz or MHz: one period of that rate
    std::string note;   // empty when exact, else what the value was rounded to
};

// True when the text is a number followed by letters (a unit), as in "250us" or "10kHz".
bool hasUnit(std::string_view text);

// Reads a decimal number with a unit: s, ms, us (also µs), ns for a time, Hz, kHz, MHz for a rate
// (its period), units in either case. Rounds to the nearest tick and explains the rounding in
// `note`. Nullopt with `error` set for an unreadable text, a zero rate, or more than 2^32 - 1
// ticks.
std::optional<TickValue> parseTicks(std::string_view text, std::string& error);

// Reads a duration in milliseconds no greater than max: a plain number counts milliseconds, a
// number with a time unit is converted and must come to whole milliseconds.
std::optional<std::uint32_t> parseMilliseconds(std::string_view text, std::uint32_t max,
                                               std::string& error);

// "0ns", "980ns", "250us", "1.5ms", "85.8993459s": exact, in the largest unit not above it,
// written the way parseTicks reads it.
std::string durationText(std::uint64_t nanoseconds);
std::string ticksText(std::uint64_t ticks);

// "10kHz", "2.94118MHz", "0.0116415Hz": six significant digits at most.
std::string rateText(double hertz);

}  // namespace zousbdiag
