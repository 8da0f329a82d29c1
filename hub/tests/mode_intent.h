#pragma once
// Reading a recording in the terms in which a channel's mode is stated: levels per 20 ns tick,
// pulses of the active level, and the gate, trigger or clock as the channel sees it. The mode
// tests state what each mode means with these and check the hub's waveform against it.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "hub/input_signal.h"
#include "hub/waveform.h"

namespace zo::hub::test {

inline constexpr std::uint64_t kTickNanoseconds = 20;

// One wire of a recording, tick by tick. Every transition of the hub falls on a tick.
class Trace {
  public:
    Trace(const Waveform& waveform, std::uint8_t wire)
        : initial_(waveform.initialLevels[wire]),
          startTick_(waveform.startNanoseconds / kTickNanoseconds),
          endTick_(waveform.endNanoseconds / kTickNanoseconds) {
        for (const WaveformTransition& transition : waveform.transitions) {
            if (transition.wire == wire) {
                changes_.emplace_back(transition.nanoseconds / kTickNanoseconds, transition.level);
            }
        }
    }

    std::uint64_t startTick() const { return startTick_; }
    std::uint64_t endTick() const { return endTick_; }

    // The level on `tick`, its own transitions included.
    bool at(std::uint64_t tick) const {
        const auto after = std::upper_bound(
            changes_.begin(), changes_.end(), tick,
            [](std::uint64_t t, const std::pair<std::uint64_t, bool>& c) { return t < c.first; });
        return after == changes_.begin() ? initial_ : std::prev(after)->second;
    }

    // Ticks on which it went to `level`.
    std::vector<std::uint64_t> changesTo(bool level) const {
        std::vector<std::uint64_t> ticks;
        for (const auto& [tick, to] : changes_) {
            if (to == level) {
                ticks.push_back(tick);
            }
        }
        return ticks;
    }

    // Its transitions on the ticks strictly between `from` and `to`.
    std::size_t changesBetween(std::uint64_t from, std::uint64_t to) const {
        return static_cast<std::size_t>(std::count_if(changes_.begin(), changes_.end(),
                                                      [&](const std::pair<std::uint64_t, bool>& c) {
                                                          return c.first > from && c.first < to;
                                                      }));
    }

    // The tick of its `n`-th transition after `tick` (`tick` itself for n = 0), or kNever.
    std::uint64_t changeAfter(std::uint64_t tick, std::size_t n) const {
        if (n == 0) {
            return tick;
        }
        const auto after = std::upper_bound(
            changes_.begin(), changes_.end(), tick,
            [](std::uint64_t t, const std::pair<std::uint64_t, bool>& c) { return t < c.first; });
        const auto left = static_cast<std::size_t>(std::distance(after, changes_.end()));
        return n <= left ? std::next(after, static_cast<std::ptrdiff_t>(n - 1))->first : kNever;
    }

  private:
    bool initial_;
    std::uint64_t startTick_;
    std::uint64_t endTick_;
    std::vector<std::pair<std::uint64_t, bool>> changes_;
};

// A gate, trigger, control or clock source as a channel sees it: inputs A and B on the tick
// itself, another channel's output one tick later. It is active at the level its invert field
// selects: high, or low when inverted. No trace: source 0, never active.
struct SeenSource {
    const Trace* trace = nullptr;
    std::uint64_t lag = 0;
    bool activeLevel = true;

    bool active(std::uint64_t tick) const {
        return trace != nullptr && tick >= lag && trace->at(tick - lag) == activeLevel;
    }
    // Ticks in [from, to) on which it becomes active (active there, not on the tick before).
    std::vector<std::uint64_t> activations(std::uint64_t from, std::uint64_t to) const {
        std::vector<std::uint64_t> ticks;
        for (std::uint64_t tick = std::max<std::uint64_t>(from, 1); tick < to; ++tick) {
            if (active(tick) && !active(tick - 1)) {
                ticks.push_back(tick);
            }
        }
        return ticks;
    }
    // The tick on which the channel sees the `n`-th transition after `tick`.
    std::uint64_t transitionAfter(std::uint64_t tick, std::size_t n) const {
        if (trace == nullptr) {
            return kNever;
        }
        const std::uint64_t change = trace->changeAfter(tick - lag, n);
        return change == kNever ? kNever : change + lag;
    }
    // Its transitions as the channel sees them, strictly between two ticks.
    std::size_t transitionsBetween(std::uint64_t from, std::uint64_t to) const {
        return trace == nullptr ? 0 : trace->changesBetween(from - lag, to - lag);
    }
};

// When a source was seen active over a recording, tick by tick, for questions about the past.
class Activity {
  public:
    Activity(const SeenSource& source, std::uint64_t endTick) : lastActive_(endTick + 1, kNone) {
        for (std::uint64_t tick = 0; tick < endTick; ++tick) {
            const std::uint64_t before = tick == 0 ? kNone : lastActive_[tick - 1];
            lastActive_[tick] = source.active(tick) ? tick : before;
        }
        lastActive_[endTick] = endTick == 0 ? kNone : lastActive_[endTick - 1];
    }

    bool active(std::uint64_t tick) const { return lastActive_.at(tick) == tick; }
    // The last tick before `tick` on which it was active.
    std::optional<std::uint64_t> lastBefore(std::uint64_t tick) const {
        const std::uint64_t last = tick == 0 ? kNone : lastActive_.at(tick - 1);
        return last == kNone ? std::nullopt : std::optional<std::uint64_t>(last);
    }
    // Whether it was active on some tick in [from, to).
    bool within(std::uint64_t from, std::uint64_t to) const {
        const auto last = lastBefore(to);
        return last.has_value() && *last >= from;
    }

  private:
    static constexpr std::uint64_t kNone = kNever;
    std::vector<std::uint64_t> lastActive_;
};

// A stretch of the active level: it rose on `rise` and fell on `fall` (kNever: still active
// when the recording ended).
struct Pulse {
    std::uint64_t rise;
    std::uint64_t fall;
    std::uint64_t width() const { return fall - rise; }
};

// The pulses of an output from `fromTick`, the tick of its first instruction: before it the
// output is held low, which is no pulse even where low is the active level.
inline std::vector<Pulse> pulses(const Trace& output, bool activeLevel, std::uint64_t fromTick) {
    std::vector<Pulse> result;
    std::vector<std::uint64_t> rises = output.changesTo(activeLevel);
    std::erase_if(rises, [fromTick](std::uint64_t tick) { return tick < fromTick; });
    if (output.at(fromTick) == activeLevel && (rises.empty() || rises.front() != fromTick)) {
        rises.insert(rises.begin(), fromTick);
    }
    const std::vector<std::uint64_t> falls = output.changesTo(!activeLevel);
    for (const std::uint64_t rise : rises) {
        const auto fall = std::upper_bound(falls.begin(), falls.end(), rise);
        result.push_back({rise, fall == falls.end() ? kNever : *fall});
    }
    return result;
}

using Condition = std::function<bool(std::uint64_t tick)>;

// Where the pulses of a gated train rise, by what gating means, from `firstTick` (the tick of
// its first instruction) to `endTick`: it waits for `start`; `delay` ticks after the tick it sees
// it, and `kGatedStartTicks` more for the look at its gate, its first pulse rises, if `open` then
// holds; then one pulse each `period` ticks as long as the gate was open on the tick before. When
// the gate closes it waits for `start` again. Neither input may flicker: each holds its level for
// longer than a period.
inline constexpr std::uint64_t kGatedStartTicks = 3;
inline std::vector<std::uint64_t> gatedRises(const Condition& start, const Condition& open,
                                             std::uint64_t firstTick, std::uint64_t endTick,
                                             std::uint64_t delay, std::uint64_t period) {
    std::vector<std::uint64_t> rises;
    // The wait: a test, then the stall that looks at `start` from the tick after.
    std::uint64_t waitFrom = firstTick + 1;
    while (waitFrom < endTick) {
        std::uint64_t seen = waitFrom;
        while (seen < endTick && !start(seen)) {
            ++seen;
        }
        const std::uint64_t rise = seen + delay + kGatedStartTicks;
        if (rise >= endTick) {
            break;
        }
        if (!open(rise - 1)) {
            // Closed at the look before the first pulse: back to the wait (an exit jump, then
            // the wait's test).
            waitFrom = rise + 2;
            continue;
        }
        std::uint64_t next = rise;
        while (next < endTick && open(next - 1)) {
            rises.push_back(next);
            next += period;
        }
        waitFrom = next + 2;
    }
    return rises;
}

}  // namespace zo::hub::test
