// Mode 0, "Internal", as the library compiles it: a free train of H ticks at the active level
// and L at the inactive one after a delay of D; with a gate source, pulses only while the gate is
// open, the train starting afresh with its delay each time it opens.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

// The shortest phases there are, a pulse of no width, and longer ones.
const std::vector<Phases> kPhases = {{1, 1, 0}, {2, 3, 1},   {3, 2, 2},  {1, 4, 3},
                                     {0, 5, 1}, {17, 29, 3}, {40, 23, 0}};

// The shortest phases of a gated train: each phase looks at its gate as it ends.
constexpr std::uint32_t kGatedMinimumHigh = 3;
constexpr std::uint32_t kGatedMinimumLow = 4;
// A pulse cut by its gate ends at most this many ticks after the channel sees it close.
constexpr std::uint64_t kGateReactionTicks = 5;
constexpr std::uint64_t kRecordTicks = 6000;

struct TrainCase {
    Source source;
    bool gateInvert;
    bool invert;
    Phases phases;
};

std::string caseName(const testing::TestParamInfo<TrainCase>& info) {
    const TrainCase& c = info.param;
    return sourceName(c.source) + (c.gateInvert ? "GateInverted" : "") +
           (c.invert ? "Inverted" : "") + "H" + std::to_string(c.phases.high) + "L" +
           std::to_string(c.phases.low) + "D" + std::to_string(c.phases.delay);
}

std::vector<TrainCase> allCases() {
    std::vector<TrainCase> cases;
    for (const Source source : {Source::None, Source::A, Source::B, Source::Channel0}) {
        for (const bool gateInvert : {false, true}) {
            for (const bool invert : {false, true}) {
                for (const Phases& phases : kPhases) {
                    cases.push_back({source, gateInvert, invert, phases});
                }
            }
        }
    }
    return cases;
}

std::vector<std::uint64_t> risesBefore(const std::vector<Pulse>& pulses, std::uint64_t end) {
    std::vector<std::uint64_t> rises;
    for (const Pulse& pulse : pulses) {
        if (pulse.rise < end) {
            rises.push_back(pulse.rise);
        }
    }
    return rises;
}

std::vector<std::uint64_t> before(std::vector<std::uint64_t> ticks, std::uint64_t end) {
    std::erase_if(ticks, [end](std::uint64_t tick) { return tick >= end; });
    return ticks;
}

class InternalTrain : public testing::TestWithParam<TrainCase> {};

TEST_P(InternalTrain, RunsItsPhasesWhereItsGateLetsIt) {
    const TrainCase& c = GetParam();
    ChannelBlock settings =
        channelSettings(0, c.phases.delay, c.phases.high, c.phases.low, c.invert);
    settings[quinteldrv::kGateSourceWord] = static_cast<std::uint32_t>(c.source);
    settings[quinteldrv::kGateInvertWord] = c.gateInvert ? 1 : 0;
    const auto recording = runChannel(settings, kRecordTicks);
    ASSERT_TRUE(recording.has_value());
    const std::vector<Pulse> pulses = test::pulses(recording->output, !c.invert, kFirstTick);
    // Rises near the end may belong to a period the recording cuts: compare before it.
    const std::uint64_t end = recording->endTick() - 100;

    if (c.source == Source::None) {
        // Free: D ticks after the outputs open, then a pulse each H + L ticks. A low phase lasts
        // at least the one tick of the jump back; a pulse of no width is no pulse.
        std::vector<std::uint64_t> expected;
        if (c.phases.high > 0) {
            const std::uint64_t period = c.phases.high + std::max<std::uint32_t>(c.phases.low, 1);
            for (std::uint64_t rise = kFirstTick + c.phases.delay; rise < end; rise += period) {
                expected.push_back(rise);
            }
        }
        EXPECT_EQ(risesBefore(pulses, end), expected);
        for (const Pulse& pulse : pulses) {
            if (pulse.fall != kNever) {
                EXPECT_EQ(pulse.width(), c.phases.high) << "pulse at tick " << pulse.rise;
            }
        }
        return;
    }

    const SeenSource gate = recording->seen(static_cast<std::uint32_t>(c.source), c.gateInvert);
    const auto open = [&gate](std::uint64_t tick) { return gate.active(tick); };
    const std::uint64_t high = std::max(c.phases.high, kGatedMinimumHigh);
    const std::uint64_t low = std::max(c.phases.low, kGatedMinimumLow);
    const std::vector<std::uint64_t> expected = before(
        gatedRises(open, open, kFirstTick, recording->endTick(), c.phases.delay, high + low), end);
    ASSERT_FALSE(expected.empty()) << "the gate opens during the recording";
    EXPECT_EQ(risesBefore(pulses, end), expected);
    for (const Pulse& pulse : pulses) {
        if (pulse.fall == kNever) {
            continue;
        }
        std::uint64_t closed = pulse.rise;
        while (closed < pulse.rise + high && open(closed)) {
            ++closed;
        }
        if (closed == pulse.rise + high) {
            EXPECT_EQ(pulse.width(), high) << "pulse at tick " << pulse.rise;
        } else {
            // Cut by the gate: it ends soon after the channel sees the gate close.
            EXPECT_LE(pulse.fall, std::min(closed + kGateReactionTicks, pulse.rise + high))
                << "pulse at tick " << pulse.rise << ", gate closed on tick " << closed;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Hub, InternalTrain, testing::ValuesIn(allCases()), caseName);

TEST(InternalTrain, AGateOfWholePeriodsPassesThemAllAndNothingAfter) {
    // A 10 us train in the 50 us windows of a 10 kHz input: five pulses a window, and none
    // starting as the gate closes.
    ChannelBlock settings = channelSettings(0, 0, 250, 250, false);
    settings[quinteldrv::kGateSourceWord] = static_cast<std::uint32_t>(Source::A);
    const auto recording = runChannel(settings, 30'000, {.inputAHz = 10'000, .inputBHz = 0});
    ASSERT_TRUE(recording.has_value());
    const SeenSource gate = recording->seen(1, false);
    const std::vector<Pulse> pulses = test::pulses(recording->output, true, kFirstTick);
    const std::vector<std::uint64_t> opens = gate.activations(kFirstTick, recording->endTick());
    ASSERT_EQ(opens.size(), 6u);
    for (std::size_t window = 0; window + 1 < opens.size(); ++window) {
        const auto inWindow = std::count_if(pulses.begin(), pulses.end(), [&](const Pulse& p) {
            return p.rise >= opens[window] && p.rise < opens[window + 1];
        });
        EXPECT_EQ(inWindow, 5) << "window opening on tick " << opens[window];
    }
    for (const Pulse& pulse : pulses) {
        EXPECT_TRUE(gate.active(pulse.rise - 1)) << "pulse rising on tick " << pulse.rise;
        EXPECT_EQ(pulse.width(), 250u) << "pulse rising on tick " << pulse.rise;
    }
}

TEST(InternalTrain, ShowsItsIdleLevelWhileItsGateIsClosed) {
    // Active high, idle high: while the gate is closed the output stays high; inside a window
    // the low phases are L ticks.
    ChannelBlock settings = channelSettings(0, 5, 20, 30, false);
    settings[quinteldrv::kIdleLevelWord] = 1;
    settings[quinteldrv::kGateSourceWord] = static_cast<std::uint32_t>(Source::A);
    const auto recording = runChannel(settings, kRecordTicks);
    ASSERT_TRUE(recording.has_value());
    const SeenSource gate = recording->seen(1, false);
    for (std::uint64_t tick = kFirstTick + 1; tick < recording->endTick(); ++tick) {
        if (!gate.active(tick) && !gate.active(tick - kGateReactionTicks)) {
            ASSERT_TRUE(recording->output.at(tick)) << "closed gate, tick " << tick;
        }
    }
    const std::vector<Pulse> lows = test::pulses(recording->output, false, kFirstTick + 1);
    ASSERT_GT(lows.size(), 20u);
    for (const Pulse& low : lows) {
        if (low.fall != kNever && gate.active(low.fall)) {
            EXPECT_EQ(low.width(), 30u) << "low phase from tick " << low.rise;
        }
    }
}

}  // namespace
}  // namespace zo::hub::test
