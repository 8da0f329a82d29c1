#include "hub/input_signal.h"

#include <cmath>

namespace zo::hub {

InputSignal::InputSignal(double hertz) {
    if (hertz > 0.0) {
        // Two edges per period, ticks of 20 ns.
        halfPeriodsPerTick_ = 2.0 * hertz * static_cast<double>(kTickNanoseconds) / 1e9;
    }
}

std::uint64_t InputSignal::halfPeriodIndex(std::uint64_t tick) const {
    return static_cast<std::uint64_t>(std::floor(static_cast<double>(tick) * halfPeriodsPerTick_));
}

std::uint64_t InputSignal::nextChangeAfter(std::uint64_t tick) const {
    if (halfPeriodsPerTick_ <= 0.0) {
        return kNever;
    }
    const std::uint64_t index = halfPeriodIndex(tick);
    // Estimate the tick of the next edge, then settle it with the same rounding as levelAt, so
    // that the two never disagree.
    auto candidate =
        static_cast<std::uint64_t>(std::ceil(static_cast<double>(index + 1) / halfPeriodsPerTick_));
    if (candidate <= tick) {
        candidate = tick + 1;
    }
    while (candidate > tick + 1 && halfPeriodIndex(candidate - 1) > index) {
        --candidate;
    }
    while (halfPeriodIndex(candidate) == index) {
        ++candidate;
    }
    return candidate;
}

}  // namespace zo::hub
