#pragma once
// One of the hub's external inputs, A or B: a square wave of a fixed frequency that starts low at
// power-on and rises half a period later. The sequencers sample it once per tick (20 ns), so all
// its edges are seen on tick boundaries: the level at tick t is the level at t * 20 ns.
// A frequency of 0 (or anything not positive or not finite) is no signal: the input stays low.
// Above 25 MHz the input changes on every tick, the fastest the hub can see.
//
// The frequency is kept to a microhertz and the wave is computed exactly in integers, so it
// repeats exactly: every periodTicks() ticks it shows the same levels again.

#include <cstdint>

namespace zo::hub {

inline constexpr std::uint64_t kTickNanoseconds = 20;
inline constexpr std::uint64_t kNever = UINT64_MAX;

class InputSignal {
  public:
    InputSignal() = default;
    explicit InputSignal(double hertz);

    bool levelAt(std::uint64_t tick) const { return (halfPeriodIndex(tick) & 1) != 0; }
    // The first tick after `tick` at which the level differs from the level at `tick`, or kNever.
    std::uint64_t nextChangeAfter(std::uint64_t tick) const;
    // How many times the level changes after `from` up to and including `to`.
    std::uint64_t changesBetween(std::uint64_t from, std::uint64_t to) const {
        return halfPeriods_ == 0 || to <= from ? 0 : halfPeriodIndex(to) - halfPeriodIndex(from);
    }
    // The ticks after which the levels repeat; 0 for no signal (it never changes).
    std::uint64_t periodTicks() const { return periodTicks_; }

  private:
    // The number of half periods begun by `tick`: floor(tick * halfPeriods_ / perTicks_).
    std::uint64_t halfPeriodIndex(std::uint64_t tick) const;

    // Half periods per tick as the reduced fraction halfPeriods_ / perTicks_; 0 for no signal.
    std::uint64_t halfPeriods_ = 0;
    std::uint64_t perTicks_ = 1;
    std::uint64_t periodTicks_ = 0;
};

}  // namespace zo::hub
