#include "app/core/editor/lock_group.h"

namespace zo::quintel {

std::uint32_t OutputGroupMask(const DeviceConfig& config, std::size_t channel) {
    if (config.channels[channel].locked == 0) {
        return 1u << channel;
    }
    std::uint32_t mask = 0;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (config.channels[k].locked != 0) {
            mask |= 1u << k;
        }
    }
    return mask;
}

}  // namespace zo::quintel
