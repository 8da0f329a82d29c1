#include "app/core/diagram/time_range.h"

#include "app/core/diagram/signal_sources.h"

#include <algorithm>
#include <limits>

namespace zo::quintel {

std::uint64_t ChannelTimeSpan(const DeviceConfig& config, std::size_t channel) {
    const ChannelConfig& c = config.channels[channel];
    const std::uint64_t delay = c.delay / 10;  // 0.1 µs to whole µs
    const std::uint64_t period1 = c.period1;
    switch (c.mode) {
        case kModeRateSwitch:
            return delay + 2 * (period1 + c.period2);
        case kModeBurstSingle:
            return delay + std::max<std::uint64_t>(c.pulseCount, 4) * period1;
        case kModeExternal:
            return CyclesToMicroseconds(ExternalClockPeriod(config, channel),
                                        std::uint64_t{c.delay} + 4 * period1);
        default:
            return delay + 4 * period1;
    }
}

std::int32_t AutomaticTimeRange(const DeviceConfig& config) {
    std::uint64_t range = 0;
    for (std::size_t channel = 0; channel < kChannelCount; ++channel) {
        if (config.channels[channel].outputOn != 0) {
            range = std::max(range, ChannelTimeSpan(config, channel));
        }
    }
    constexpr auto kLargest = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(range, kLargest));
}

}  // namespace zo::quintel
