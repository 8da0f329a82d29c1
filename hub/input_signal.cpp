#include "hub/input_signal.h"

#include <algorithm>
#include <cmath>

namespace zo::hub {
namespace {

// 2^62 ticks: about 2900 years.
constexpr double kLastTick = 4.6e18;

}  // namespace

InputSignal::InputSignal(double hertz) {
    if (hertz > 0.0 && std::isfinite(hertz)) {
        // Two edges per period, ticks of 20 ns; sampled once a tick, nothing faster than a
        // change every tick can be seen.
        halfPeriodsPerTick_ =
            std::min(2.0 * hertz * static_cast<double>(kTickNanoseconds) / 1e9, 1.0);
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
    const double estimate = std::ceil(static_cast<double>(index + 1) / halfPeriodsPerTick_);
    if (estimate >= kLastTick) {
        return kNever;  // beyond any time the hub will reach
    }
    auto candidate = static_cast<std::uint64_t>(estimate);
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
