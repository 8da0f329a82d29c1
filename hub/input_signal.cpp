#include "hub/input_signal.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "hub/wide_arithmetic.h"

namespace zo::hub {
namespace {

// Microhertz per tick of 20 ns for one half period a tick: 25 MHz, in microhertz.
constexpr std::uint64_t kMicrohertzPerHalfPeriodPerTick = 25'000'000'000'000;
// 2^62 ticks: about 2900 years.
constexpr std::uint64_t kLastTick = std::uint64_t{1} << 62;

}  // namespace

InputSignal::InputSignal(double hertz) {
    if (!(hertz > 0.0) || !std::isfinite(hertz)) {
        return;
    }
    // Two edges per period; sampled once a tick, nothing faster than a change every tick is seen.
    const double microhertz = std::round(std::min(hertz, 25e6) * 1e6);
    if (microhertz < 1.0) {
        return;
    }
    const auto numerator = static_cast<std::uint64_t>(microhertz);
    const std::uint64_t divisor = std::gcd(numerator, kMicrohertzPerHalfPeriodPerTick);
    halfPeriods_ = numerator / divisor;
    perTicks_ = kMicrohertzPerHalfPeriodPerTick / divisor;
    // The levels repeat after an even number of half periods: t * halfPeriods_ / perTicks_ even.
    periodTicks_ = halfPeriods_ % 2 == 0 ? perTicks_ : 2 * perTicks_;
}

std::uint64_t InputSignal::halfPeriodIndex(std::uint64_t tick) const {
    // Asked on every tick a program tests the input: 64-bit arithmetic while the product fits.
    if (halfPeriods_ == 0 || tick <= UINT64_MAX / halfPeriods_) {
        return tick * halfPeriods_ / perTicks_;
    }
    return wide::multiplyDivide(tick, halfPeriods_, perTicks_);
}

std::uint64_t InputSignal::nextChangeAfter(std::uint64_t tick) const {
    if (halfPeriods_ == 0 || tick >= kLastTick) {
        return kNever;
    }
    // The first tick whose half-period index is one more: ceil((index + 1) * perTicks_ /
    // halfPeriods_).
    const std::uint64_t next =
        wide::multiplyDivideUp(halfPeriodIndex(tick) + 1, perTicks_, halfPeriods_);
    return next >= kLastTick ? kNever : next;
}

InputSignal::Changes::Changes(const InputSignal& input, std::uint64_t tick)
    : halfPeriods_(input.halfPeriods_) {
    if (halfPeriods_ == 0) {
        return;  // no signal: no change ever
    }
    quotient_ = input.perTicks_ / halfPeriods_;
    remainder_ = input.perTicks_ % halfPeriods_;
    // Change k is on the first tick whose half-period index is k: ceil(k * perTicks_ /
    // halfPeriods_).
    const auto changeTick = [&](std::uint64_t k) {
        return wide::multiplyDivideUp(k, input.perTicks_, halfPeriods_);
    };
    const std::uint64_t passed = input.halfPeriodIndex(tick);
    index_ = passed + 1;
    next_ = changeTick(index_);
    // Below halfPeriods_, so the difference taken modulo 2^64 is exact.
    excess_ = next_ * halfPeriods_ - index_ * input.perTicks_;
    passed_ = {passed >= 1 ? changeTick(passed) : 0, passed >= 2 ? changeTick(passed - 1) : 0};
    if (next_ >= kLastTick) {
        next_ = kNever;
    }
}

void InputSignal::Changes::advance() {
    if (next_ == kNever) {
        return;
    }
    // (index_ + 1) * perTicks_ = (next_ + quotient_) * halfPeriods_ + remainder_ - excess_.
    passed_ = {next_, passed_[0]};
    ++index_;
    if (remainder_ > excess_) {
        next_ += quotient_ + 1;
        excess_ = halfPeriods_ - (remainder_ - excess_);
    } else {
        next_ += quotient_;
        excess_ -= remainder_;
    }
    if (next_ >= kLastTick) {
        next_ = kNever;
    }
}

}  // namespace zo::hub
