#pragma once
// The limits of the channel configuration, applied in one place: to a record read back from the
// registry, which may come from another version, another machine or a hand-edited hive, and by
// the editor after a change that alters a channel's limits (a mode change). A record inside the
// limits, such as every record the editor makes, passes unchanged.

#include <cstdint>

#include "app/core/device_config.h"

namespace zo::quintel {

inline constexpr std::uint32_t kMinPulseCount = 1;
inline constexpr std::uint32_t kMaxPulseCount = 65535;
inline constexpr std::uint32_t kMaxDelay = 99'999'999;  // 0.1 µs, or external clock cycles
inline constexpr std::uint32_t kLastSource = 10;        // 3 + k is the output of channel k

std::uint32_t ClampPulseCount(std::uint32_t count);
std::uint32_t ClampDelay(std::uint32_t delay);

// Every field of one channel inside its limits: the label terminated, mode, flags and sources
// valid, both pulse sets normalised (app/core/pulse_set.h), pulse count and delay clamped.
void ClampChannelConfig(ChannelConfig& channel);

// The header's fields and every channel inside their limits; the size word is left alone.
void ClampDeviceConfig(DeviceConfig& config);

}  // namespace zo::quintel
