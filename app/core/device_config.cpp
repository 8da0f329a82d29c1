#include "app/core/device_config.h"

#include <cstdio>
#include <cstring>

namespace zo::quintel {

void SetDefaultConfig(DeviceConfig& config) {
    std::memset(&config, 0, sizeof config);
    config.autoTimeBase = 1;
    for (std::size_t c = 0; c < kChannelCount; ++c) {
        ChannelConfig& channel = config.channels[c];
        std::snprintf(channel.label.data(), channel.label.size(), "Channel %02u",
                      static_cast<unsigned>(c));
        channel.extSource = 1;
        channel.period1 = 10000;
        channel.frequency1 = 100;
        channel.width1 = 5000;
        channel.duty1 = 500;
        channel.width1Unit = kWidthAsDuty;
        channel.period2 = 10000;
        channel.frequency2 = 100;
        channel.pulseCount = 1;
        channel.width2 = 5000;
        channel.duty2 = 500;
        channel.width2Unit = kWidthAsDuty;
    }
}

}  // namespace zo::quintel
