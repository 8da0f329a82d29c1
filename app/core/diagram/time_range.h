#pragma once
// The automatic time base: the diagram spans as much time as its longest channel needs to show
// itself.

#include "app/core/device_config.h"

#include <cstddef>
#include <cstdint>

namespace zo::quintel {

// The time in microseconds channel `channel` needs: its delay and four periods; in mode
// "Rate Switch" its delay and two periods of each rate; in mode "Burst Single" its delay and the
// whole burst, at least four periods; in mode "External" the delay and four periods counted in
// cycles of the measured input, 0 while that input has no measured period.
std::uint64_t ChannelTimeSpan(const DeviceConfig& config, std::size_t channel);

// The longest ChannelTimeSpan of the channels whose output is on, 0 when none is. A span beyond
// the largest 32-bit signed value gives that value, so the range stays a positive time base.
std::int32_t AutomaticTimeRange(const DeviceConfig& config);

}  // namespace zo::quintel
