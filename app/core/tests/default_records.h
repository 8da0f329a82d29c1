#pragma once
// Test support: the default channel configuration, whole or one channel of it.

#include <cstdint>

#include "app/core/device_config.h"

namespace zo::quintel::testing {

inline DeviceConfig DefaultConfig() {
    DeviceConfig config;
    SetDefaultConfig(config);
    return config;
}

// Channel 0 of the defaults, in `mode`.
inline ChannelConfig DefaultChannel(std::uint32_t mode = kModeInternal) {
    ChannelConfig channel = DefaultConfig().channels[0];
    channel.mode = mode;
    return channel;
}

}  // namespace zo::quintel::testing
