#pragma once
// Finds the moment a group of sequencers comes back to a state it was in before. With nothing
// outside the group able to change its course (no register write; inputs A and B are periodic
// and their phases are part of the state), it then repeats that stretch for ever, and the hub can
// pass over whole repetitions at once: this is what keeps programs made of single ticks (a
// 12.5 MHz output, say) from being simulated tick by tick across a long gap between requests.
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
    using Sequencers = std::array<Sequencer, kSequencerCount>;

    // The longest repetition it finds.
    static constexpr std::uint64_t kLargestWindow = std::uint64_t{1} << 26;

    // What besides its sequencers decides a group's course: the outputs the sequencers see as
    // two and three ticks before, and inputs A and B. An input whose period is within reach is
    // part of the state by where it is in its period; any other by how often it has changed, so
    // that a repetition is found only while the input stays as it is (the finder starts afresh
    // when it changes) and is passed over only until it changes.
    struct Surroundings {
        std::array<std::uint8_t, 2> earlierOutputs{};
        std::uint64_t phaseA = 0;
        std::uint64_t phaseB = 0;
        std::uint64_t changesA = 0;
        std::uint64_t changesB = 0;

        bool operator==(const Surroundings&) const = default;
    };

    // Starts afresh for the sequencers in `members` (bit i: sequencer i); `counterMatters[i]`:
    // whether sequencer i's counter is part of its state.
    void forget(std::uint16_t members, const std::array<bool, kSequencerCount>& counterMatters);
    // Starts afresh with the same notion of state.
    void restart() { kept_.reset(); }

    // The state before `tick` runs. Returns the length in ticks of the repetition that ends
    // here, or 0.
    std::uint64_t observe(const Sequencers& sequencers, const Surroundings& surroundings,
                          std::uint64_t tick);

  private:
    static constexpr std::uint64_t kFirstWindow = 16;

    struct State {
        Sequencers sequencers;
        Surroundings surroundings;
    };

    bool same(const Sequencers& sequencers, const Surroundings& surroundings) const;

    std::uint16_t members_ = 0;
    std::array<bool, kSequencerCount> counterMatters_{};
    std::optional<State> kept_;
    std::uint64_t keptTick_ = 0;
    std::uint64_t window_ = kFirstWindow;
};

}  // namespace zo::hub
