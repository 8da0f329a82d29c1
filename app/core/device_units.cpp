#include "app/core/device_units.h"

#include <algorithm>

#include "app/core/device_config.h"

namespace zo::quintel {

PulseTiming PulseTimingOf(std::uint32_t mode, std::uint32_t period, std::uint32_t width) {
    if (mode == kModeExternal && period <= 1) {
        return {1, 1};
    }
    // A period below 2 units has no room for both durations; it counts as 2.
    const std::uint32_t room = std::max(period, 2u);
    const std::uint32_t active = std::clamp(width, 1u, room - 1);
    const std::uint32_t inactive = room - active;
    const std::uint32_t scale = mode == kModeExternal ? kTransitionsPerCycle : kTicksPerMicrosecond;
    return {active * scale, inactive * scale};
}

std::uint32_t DelayOf(std::uint32_t mode, std::uint32_t delay) {
    return delay * (mode == kModeExternal ? kTransitionsPerCycle : kTicksPerDelayUnit);
}

std::uint32_t LibraryModeOf(std::uint32_t mode) {
    return mode == kModeBurstRetriggered ? kModeBurstSingle : mode;
}

std::uint32_t RetriggerOf(std::uint32_t mode) {
    return mode == kModeBurstRetriggered ? 1 : 0;
}

}  // namespace zo::quintel
