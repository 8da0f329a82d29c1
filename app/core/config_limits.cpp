#include "app/core/config_limits.h"

#include <algorithm>
#include <limits>

#include "app/core/pulse_set.h"

namespace zo::quintel {
namespace {

// The time base is typed as a positive signed number.
constexpr std::uint32_t kMaxTimeBase = std::numeric_limits<std::int32_t>::max();

void makeFlag(std::uint32_t& flag) {
    flag = flag != 0 ? 1 : 0;
}

}  // namespace

std::uint32_t ClampPulseCount(std::uint32_t count) {
    return std::clamp(count, kMinPulseCount, kMaxPulseCount);
}

std::uint32_t ClampDelay(std::uint32_t delay) {
    return std::min(delay, kMaxDelay);
}

void ClampChannelConfig(ChannelConfig& channel) {
    channel.label.back() = '\0';
    if (channel.mode > kLastProgramMode) {
        channel.mode = kModeInternal;
    }
    for (std::uint32_t* flag : {&channel.outputOn, &channel.invert, &channel.extInvert,
                                &channel.gateInvert, &channel.locked}) {
        makeFlag(*flag);
    }
    if (channel.extSource != 1 && channel.extSource != 2) {
        channel.extSource = 1;
    }
    if (channel.gateSource > kLastSource) {
        channel.gateSource = 0;
    }
    PulseSet::First(channel).Normalise();
    PulseSet::Second(channel).Normalise();
    channel.pulseCount = ClampPulseCount(channel.pulseCount);
    channel.delay = ClampDelay(channel.delay);
}

void ClampDeviceConfig(DeviceConfig& config) {
    makeFlag(config.autoTimeBase);
    config.timeBase = std::min(config.timeBase, kMaxTimeBase);
    if (config.currentChannel >= kChannelCount) {
        config.currentChannel = 0;
    }
    for (ChannelConfig& channel : config.channels) {
        ClampChannelConfig(channel);
    }
}

}  // namespace zo::quintel
