#pragma once
// Finds the moment the nine sequencers come back to a state they were in before. With nothing
// outside them able to change their course (no register write, no input A or B tested), they
// then repeat that stretch for ever, and the hub can pass over whole repetitions at once: this is
// what keeps programs made of single ticks (a 12.5 MHz output, say) from being simulated tick by
// tick across a long gap between requests.
//
// It keeps one earlier state and compares each new one with it, replacing the kept state after
// a window that doubles each time (Brent's cycle detection), so a cycle of any length up to the
// largest window is found within about three times its length.

#include <array>
#include <cstdint>
#include <optional>

#include "hub/register_map.h"
#include "hub/sequencer.h"

namespace zo::hub {

class RepetitionFinder {
  public:
    using State = std::array<Sequencer, kSequencerCount>;

    // Starts afresh; `counterMatters[i]`: whether sequencer i's counter is part of its state.
    void forget(const std::array<bool, kSequencerCount>& counterMatters);
    // Starts afresh with the same notion of state.
    void restart() { kept_.reset(); }

    // `state` is the state before `tick` runs. Returns the length in ticks of the repetition
    // that ends here, or 0.
    std::uint64_t observe(const State& state, std::uint64_t tick);

  private:
    static constexpr std::uint64_t kFirstWindow = 16;
    static constexpr std::uint64_t kLargestWindow = std::uint64_t{1} << 26;

    bool same(const State& state) const;

    std::array<bool, kSequencerCount> counterMatters_{};
    std::optional<State> kept_;
    std::uint64_t keptTick_ = 0;
    std::uint64_t window_ = kFirstWindow;
};

}  // namespace zo::hub
