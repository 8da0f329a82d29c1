#pragma once
// The sources a channel can be clocked, gated or triggered by, and the time of external clock
// cycles as the inputs were last measured.

#include "app/core/device_config.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zo::quintel {

// Source numbers of the clock, gate and trigger selectors: 0 none, 1 input A, 2 input B, 3 + k
// the output of channel k.
inline constexpr std::uint32_t kSourceNone = 0;
inline constexpr std::uint32_t kSourceInputA = 1;
inline constexpr std::uint32_t kSourceInputB = 2;
inline constexpr std::uint32_t kSourceFirstChannel = 3;

// The channel whose output `source` names, if it names one.
std::optional<std::size_t> SourceChannel(std::uint32_t source);

// The last measured period of input A or B in nanoseconds (0 = none); 0 for any other source.
std::uint32_t MeasuredInputPeriod(const DeviceConfig& config, std::uint32_t source);

// The measured period of the input that clocks `channel` in mode "External": input B when its
// clock source is B, else input A.
std::uint32_t ExternalClockPeriod(const DeviceConfig& config, std::size_t channel);

// How many whole microseconds `cycles` cycles of an input with a period of `periodNs` last. Exact
// for any 32-bit period and up to 2^54 cycles.
std::uint64_t CyclesToMicroseconds(std::uint32_t periodNs, std::uint64_t cycles);

}  // namespace zo::quintel
