// Modes 2 and 3 as the library compiles them. "Start/Stop": pulse set 1 starts (after its delay)
// when the start input (the gate source) is active and runs until the control input (the second
// control input) is active; stopped, nothing comes out until the start input is active again, and
// while the control input stays active nothing starts. Without a start input it runs from the
// outputs' start until the first stop. "Rate Switch": instead of stopping, the control input
// switches to pulse set 2 (after its own delay), which runs until the start input switches back to
// pulse set 1; while both inputs are active neither set runs. Without a start input, pulse set 2
// stays once switched to.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hub/tests/mode_scenario.h"

namespace zo::hub::test {
namespace {

struct Phases {
    std::uint32_t high;
    std::uint32_t low;
    std::uint32_t delay;
};

struct Rates {
    Phases first;
    Phases second;  // mode 3; pulses of another width than the first set's
};

const std::vector<Rates> kRates = {{{1, 1, 0}, {6, 5, 0}},
                                   {{2, 3, 1}, {9, 4, 2}},
                                   {{3, 2, 2}, {12, 7, 3}},
                                   {{17, 29, 3}, {5, 8, 1}}};

// As for every gated train: the shortest phases, and how soon a pulse ends once the channel sees
// its run end.
constexpr std::uint32_t kMinimumHigh = 3;
constexpr std::uint32_t kMinimumLow = 4;
constexpr std::uint64_t kReactionTicks = 5;
constexpr std::uint64_t kRecordTicks = 6000;

struct SwitchCase {
    std::uint32_t mode;
    Source start;
    Source control;
    bool startInvert;
    bool controlInvert;
    bool invert;
    Rates rates;
};

std::string caseName(const testing::TestParamInfo<SwitchCase>& info) {
    const SwitchCase& c = info.param;
    return "Start" + sourceName(c.start) + (c.startInvert ? "Inverted" : "") + "Control" +
           sourceName(c.control) + (c.controlInvert ? "Inverted" : "") +
           (c.invert ? "OutputInverted" : "") + "H" + std::to_string(c.rates.first.high) + "L" +
           std::to_string(c.rates.first.low) + "D" + std::to_string(c.rates.first.delay);
}

std::vector<SwitchCase> casesOfMode(std::uint32_t mode) {
    const std::vector<std::pair<Source, Source>> inputs = {{Source::None, Source::B},
                                                           {Source::A, Source::B},
                                                           {Source::B, Source::A},
                                                           {Source::Channel0, Source::A},
                                                           {Source::A, Source::Channel0}};
    std::vector<SwitchCase> cases;
    for (const auto& [start, control] : inputs) {
        for (const bool startInvert : {false, true}) {
            for (const bool controlInvert : {false, true}) {
                for (const bool invert : {false, true}) {
                    for (const Rates& rates : kRates) {
                        cases.push_back(
                            {mode, start, control, startInvert, controlInvert, invert, rates});
                    }
                }
            }
        }
    }
    return cases;
}

// A set of pulses as it runs: its pulse width and period in ticks.
struct Timing {
    std::uint64_t high;
    std::uint64_t period;
    std::uint64_t delay;
};

Timing timingOf(const Phases& phases) {
    const std::uint64_t high = std::max(phases.high, kMinimumHigh);
    return {high, high + std::max(phases.low, kMinimumLow), phases.delay};
}

// What the channel sees of its two inputs.
struct Inputs {
    Activity start;
    Activity control;
    bool hasStart;
};

class StartStopAndRateSwitch : public testing::TestWithParam<SwitchCase> {
  protected:
    void SetUp() override {
        const SwitchCase& c = GetParam();
        ChannelBlock settings = channelSettings(c.mode, c.rates.first.delay, c.rates.first.high,
                                                c.rates.first.low, c.invert);
        settings[quinteldrv::kGateSourceWord] = static_cast<std::uint32_t>(c.start);
        settings[quinteldrv::kGateInvertWord] = c.startInvert ? 1 : 0;
        settings[quinteldrv::kAuxSourceWord] = static_cast<std::uint32_t>(c.control);
        settings[quinteldrv::kAuxInvertWord] = c.controlInvert ? 1 : 0;
        settings[quinteldrv::kDelay2Word] = c.rates.second.delay;
        settings[quinteldrv::kHighTime2Word] = c.rates.second.high;
        settings[quinteldrv::kLowTime2Word] = c.rates.second.low;
        recording_ = runChannel(settings, kRecordTicks);
        ASSERT_TRUE(recording_.has_value());
        const std::uint64_t end = recording_->endTick();
        inputs_.emplace(Inputs{
            Activity(recording_->seen(static_cast<std::uint32_t>(c.start), c.startInvert), end),
            Activity(recording_->seen(static_cast<std::uint32_t>(c.control), c.controlInvert), end),
            c.start != Source::None});
        pulses_ = test::pulses(recording_->output, !c.invert, kFirstTick);
    }

    // Whether a pulse of set `timing` rising on `rise` ran whole unless `ended` was seen during
    // it, in which case it ends soon after.
    void expectWidth(const Pulse& pulse, const Timing& timing, const Activity& ended) {
        if (pulse.fall == kNever) {
            return;
        }
        std::uint64_t seen = pulse.rise;
        while (seen < pulse.rise + timing.high && !ended.active(seen)) {
            ++seen;
        }
        if (seen == pulse.rise + timing.high) {
            EXPECT_EQ(pulse.width(), timing.high) << "pulse rising on tick " << pulse.rise;
        } else {
            EXPECT_LE(pulse.fall, std::min(seen + kReactionTicks, pulse.rise + timing.high))
                << "pulse rising on tick " << pulse.rise << ", ended on tick " << seen;
        }
    }

    // Consecutive pulses of one set with nothing seen between them that ends it: one period apart.
    void expectPeriods(const std::vector<Pulse>& run, const Timing& timing, const Activity& ended) {
        for (std::size_t i = 0; i + 1 < run.size(); ++i) {
            if (!ended.within(run[i].rise, run[i + 1].rise + 1)) {
                EXPECT_EQ(run[i + 1].rise - run[i].rise, timing.period)
                    << "pulses rising on ticks " << run[i].rise << " and " << run[i + 1].rise;
            }
        }
    }

    // Stretches of at least `length` ticks in which `on` is seen active and `off` is not.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> stretches(const Activity& on,
                                                                   const Activity* off,
                                                                   std::uint64_t length) const {
        std::vector<std::pair<std::uint64_t, std::uint64_t>> result;
        std::uint64_t from = 0;
        bool inside = false;
        const std::uint64_t end = recording_->endTick();
        for (std::uint64_t tick = kFirstTick; tick <= end; ++tick) {
            const bool now =
                tick < end && on.active(tick) && (off == nullptr || !off->active(tick));
            if (now && !inside) {
                from = tick;
            }
            if (!now && inside && tick - from >= length) {
                result.emplace_back(from, tick);
            }
            inside = now;
        }
        return result;
    }

    std::optional<Recording> recording_;
    std::optional<Inputs> inputs_;
    std::vector<Pulse> pulses_;
};

class StartStop : public StartStopAndRateSwitch {};

TEST_P(StartStop, RunsFromAStartUntilAStop) {
    const SwitchCase& c = GetParam();
    const Timing timing = timingOf(c.rates.first);
    const Activity& start = inputs_->start;
    const Activity& stop = inputs_->control;
    for (const Pulse& pulse : pulses_) {
        EXPECT_FALSE(stop.active(pulse.rise - 1)) << "pulse rising on tick " << pulse.rise;
        // Started after the last stop, or never stopped without a start input.
        const auto stopped = stop.lastBefore(pulse.rise);
        if (inputs_->hasStart) {
            EXPECT_TRUE(start.within(stopped.value_or(kFirstTick), pulse.rise))
                << "pulse rising on tick " << pulse.rise << " without a start";
        } else {
            EXPECT_FALSE(stopped.has_value()) << "pulse rising on tick " << pulse.rise;
        }
        expectWidth(pulse, timing, stop);
    }
    expectPeriods(pulses_, timing, stop);

    // Started and not stopped for long enough, it runs within its delay and the look at its
    // control input (twice, when it was stopped with the start input still active).
    const std::uint64_t latency = 2 * timing.delay + 12;
    if (inputs_->hasStart) {
        const auto runs = stretches(start, &stop, latency + timing.period);
        ASSERT_FALSE(runs.empty());
        for (const auto& [from, to] : runs) {
            EXPECT_TRUE(std::any_of(pulses_.begin(), pulses_.end(),
                                    [&](const Pulse& p) {
                                        return p.rise >= from &&
                                               p.rise <= from + latency + timing.period;
                                    }))
                << "no pulse after the start on tick " << from;
        }
    } else if (!stop.active(kFirstTick + timing.delay + 1)) {
        // No start input: it runs from the outputs' start, after its delay and its look at the
        // control input, until the first stop.
        ASSERT_FALSE(pulses_.empty());
        EXPECT_EQ(pulses_.front().rise, kFirstTick + timing.delay + 2);
    } else {
        EXPECT_TRUE(pulses_.empty()) << "stopped from the start, for good";
    }
}

INSTANTIATE_TEST_SUITE_P(Hub, StartStop, testing::ValuesIn(casesOfMode(2)), caseName);

class RateSwitch : public StartStopAndRateSwitch {};

TEST_P(RateSwitch, SwitchesToTheSecondSetOnTheControlAndBackOnTheStart) {
    const SwitchCase& c = GetParam();
    const Timing first = timingOf(c.rates.first);
    const Timing second = timingOf(c.rates.second);
    const Activity& start = inputs_->start;
    const Activity& control = inputs_->control;
    std::vector<Pulse> firstRate;
    std::vector<Pulse> secondRate;
    for (const Pulse& pulse : pulses_) {
        // The input seen active last decides the set: the start input the first, the control
        // input the second. Both last seen on one tick, either may run.
        const auto started = start.lastBefore(pulse.rise);
        const auto switched = control.lastBefore(pulse.rise);
        EXPECT_TRUE(!inputs_->hasStart || started.has_value())
            << "pulse rising on tick " << pulse.rise << " before any start";
        const bool tie = started.has_value() && started == switched;
        const bool secondSet =
            tie ? pulse.width() != first.high : switched.has_value() && switched > started;
        if (!secondSet) {
            EXPECT_FALSE(control.active(pulse.rise - 1)) << "pulse rising on tick " << pulse.rise;
            firstRate.push_back(pulse);
            expectWidth(pulse, first, control);
        } else {
            EXPECT_FALSE(start.active(pulse.rise - 1)) << "pulse rising on tick " << pulse.rise;
            secondRate.push_back(pulse);
            expectWidth(pulse, second, start);
        }
    }
    expectPeriods(firstRate, first, control);
    expectPeriods(secondRate, second, start);

    // Each set runs where its input holds for long enough and the other's does not.
    const auto pulseWithin = [](const std::vector<Pulse>& set, std::uint64_t from,
                                std::uint64_t to) {
        return std::any_of(set.begin(), set.end(),
                           [&](const Pulse& p) { return p.rise >= from && p.rise <= to; });
    };
    const std::uint64_t firstLatency = 2 * first.delay + second.delay + 20;
    const std::uint64_t secondLatency = first.delay + 2 * second.delay + 20;
    std::size_t runs = 0;
    if (inputs_->hasStart) {
        for (const auto& [from, to] : stretches(start, &control, firstLatency + first.period)) {
            EXPECT_TRUE(pulseWithin(firstRate, from, from + firstLatency + first.period))
                << "no first-set pulse after the start on tick " << from;
            ++runs;
        }
    }
    const Activity* blocking = inputs_->hasStart ? &start : nullptr;
    for (const auto& [from, to] : stretches(control, blocking, secondLatency + second.period)) {
        if (inputs_->hasStart && !start.within(kFirstTick, from)) {
            continue;  // not started yet
        }
        EXPECT_TRUE(pulseWithin(secondRate, from, from + secondLatency + second.period))
            << "no second-set pulse after the control on tick " << from;
        ++runs;
    }
    EXPECT_GT(runs, 0u);
}

INSTANTIATE_TEST_SUITE_P(Hub, RateSwitch, testing::ValuesIn(casesOfMode(3)), caseName);

}  // namespace
}  // namespace zo::hub::test
