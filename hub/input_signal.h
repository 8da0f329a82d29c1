#pragma once
// One of the hub's external inputs, A or B: a square wave of a fixed frequency that starts low at
// power-on and rises half a period later. The sequencers sample it once per tick (20 ns), so all
// its edges are seen on tick boundaries: the level at tick t is the level at t * 20 ns.
// A frequency of 0 (or anything not positive or not finite) is no signal: the input stays low.
// Above 25 MHz the input changes on every tick, the fastest the hub can see.
//
// The frequency is kept to a microhertz and the wave is computed exactly in integers, so it
// repeats exactly: every periodTicks() ticks it shows the same levels again.

#include <array>
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

    // Walks the input's changes in time order from a tick on, with no division per change: the
    // hub follows a fast input change by change.
    class Changes {
      public:
        Changes() = default;
        // At `tick`: next() is the first change after it.
        Changes(const InputSignal& input, std::uint64_t tick);

        // The tick of the next change, or kNever.
        std::uint64_t next() const { return next_; }
        // Moves past the next change.
        void advance();
        // The level at `tick`, from two ticks before the last change passed up to next().
        bool levelAt(std::uint64_t tick) const {
            const std::uint64_t changes =
                index_ - 1 - (passed_[0] > tick ? 1 : 0) - (passed_[1] > tick ? 1 : 0);
            return (changes & 1) != 0;
        }

      private:
        std::uint64_t halfPeriods_ = 0;
        std::uint64_t quotient_ = 0;   // perTicks_ / halfPeriods_
        std::uint64_t remainder_ = 0;  // perTicks_ % halfPeriods_
        std::uint64_t index_ = 0;      // the number of the next change (the first is 1)
        std::uint64_t next_ = kNever;
        std::uint64_t excess_ = 0;               // next_ * halfPeriods_ - index_ * perTicks_
        std::array<std::uint64_t, 2> passed_{};  // the ticks of the last two changes passed
    };

  private:
    // The number of half periods begun by `tick`: floor(tick * halfPeriods_ / perTicks_).
    std::uint64_t halfPeriodIndex(std::uint64_t tick) const;

    // Half periods per tick as the reduced fraction halfPeriods_ / perTicks_; 0 for no signal.
    std::uint64_t halfPeriods_ = 0;
    std::uint64_t perTicks_ = 1;
    std::uint64_t periodTicks_ = 0;
};

}  // namespace zo::hub
