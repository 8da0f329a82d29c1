#include "app/core/diagram/signal_sources.h"

namespace zo::quintel {

std::optional<std::size_t> SourceChannel(std::uint32_t source) {
    if (source >= kSourceFirstChannel && source - kSourceFirstChannel < kChannelCount) {
        return source - kSourceFirstChannel;
    }
    return std::nullopt;
}

std::uint32_t MeasuredInputPeriod(const DeviceConfig& config, std::uint32_t source) {
    switch (source) {
        case kSourceInputA:
            return config.measuredPeriodA;
        case kSourceInputB:
            return config.measuredPeriodB;
        default:
            return 0;
    }
}

std::uint32_t ExternalClockPeriod(const DeviceConfig& config, std::size_t channel) {
    return config.channels[channel].extSource == kSourceInputB ? config.measuredPeriodB
                                                               : config.measuredPeriodA;
}

std::uint64_t CyclesToMicroseconds(std::uint32_t periodNs, std::uint64_t cycles) {
    // period · (1000 q + r) / 1000 = period · q + period · r / 1000, with period · q whole.
    const std::uint64_t period = periodNs;
    return period * (cycles / 1000) + period * (cycles % 1000) / 1000;
}

}  // namespace zo::quintel
