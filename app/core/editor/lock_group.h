#pragma once
// Channels marked "Lock" switch their outputs together: a click on the button of a locked channel
// switches every locked channel, a click on any other channel switches that channel alone.

#include <cstddef>
#include <cstdint>

#include "app/core/device_config.h"

namespace zo::quintel {

// The channels that switch with `channel`, bit k for channel k.
std::uint32_t OutputGroupMask(const DeviceConfig& config, std::size_t channel);

}  // namespace zo::quintel
