// Mode 4, "Burst Single" and "Burst Retriggered", as the library compiles it: on each edge of its
// trigger into the active level (rising, or falling with the gate inverted), after the delay, a
// burst of N pulses; with retrigger 0 only on the first. Edges during a burst are not triggers.
// Without a trigger source one burst follows the delay.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "hub/tests/mode_scenario.h"

namespace zo::hub::test {
namespace {

struct Burst {
    std::uint32_t high;
    std::uint32_t low;
    std::uint32_t delay;
    std::uint32_t pulses;
};

// The smallest delays and counts (a count of 0 is one pulse), the shortest phases, longer ones.
const std::vector<Burst> kBursts = {{1, 1, 0, 0}, {2, 3, 1, 1},    {3, 2, 2, 2},
                                    {1, 6, 3, 3}, {10, 20, 40, 4}, {7, 5, 0, 5}};

// Between two pulses of a burst the channel counts down its pulses: at least five ticks.
constexpr std::uint32_t kBurstMinimumLow = 5;
// A burst's first pulse rises one tick after its delay, counted from the tick the channel sees
// its trigger; before a burst of two or more the delay is at least one tick.
constexpr std::uint64_t kBurstStartTicks = 1;
constexpr std::uint64_t kRecordTicks = 6000;

struct BurstCase {
    Source source;
    bool gateInvert;
    bool retrigger;
    bool invert;
    Burst burst;
};

std::string caseName(const testing::TestParamInfo<BurstCase>& info) {
    const BurstCase& c = info.param;
    return sourceName(c.source) + (c.gateInvert ? "GateInverted" : "") +
           (c.retrigger ? "Retriggered" : "Single") + (c.invert ? "Inverted" : "") + "H" +
           std::to_string(c.burst.high) + "L" + std::to_string(c.burst.low) + "D" +
           std::to_string(c.burst.delay) + "N" + std::to_string(c.burst.pulses);
}

std::vector<BurstCase> allCases() {
    std::vector<BurstCase> cases;
    for (const Source source : {Source::None, Source::A, Source::B, Source::Channel0}) {
        for (const bool gateInvert : {false, true}) {
            for (const bool retrigger : {false, true}) {
                for (const bool invert : {false, true}) {
                    for (const Burst& burst : kBursts) {
                        cases.push_back({source, gateInvert, retrigger, invert, burst});
                    }
                }
            }
        }
    }
    return cases;
}

class BurstMode : public testing::TestWithParam<BurstCase> {};

TEST_P(BurstMode, FiresItsPulsesAfterTheDelayOnEveryTriggerEdge) {
    const BurstCase& c = GetParam();
    ChannelBlock settings = channelSettings(4, c.burst.delay, c.burst.high, c.burst.low, c.invert);
    settings[quinteldrv::kGateSourceWord] = static_cast<std::uint32_t>(c.source);
    settings[quinteldrv::kGateInvertWord] = c.gateInvert ? 1 : 0;
    settings[quinteldrv::kPulseCountWord] = c.burst.pulses;
    settings[quinteldrv::kRetriggerWord] = c.retrigger ? 1 : 0;
    const auto recording = runChannel(settings, kRecordTicks);
    ASSERT_TRUE(recording.has_value());
    const std::vector<Pulse> pulses = test::pulses(recording->output, !c.invert, kFirstTick);

    const std::uint64_t count = std::max<std::uint32_t>(c.burst.pulses, 1);
    const std::uint64_t delay =
        count >= 2 ? std::max<std::uint32_t>(c.burst.delay, 1) : c.burst.delay;
    const std::uint64_t period = c.burst.high + std::max(c.burst.low, kBurstMinimumLow);
    const std::uint64_t length = (count - 1) * period + c.burst.high;

    // The ticks on which the channel sees the edges that trigger a burst.
    std::vector<std::uint64_t> triggers;
    if (c.source == Source::None) {
        // No source: it waits on nothing, once. Inverted, it waits for ever.
        if (!c.gateInvert) {
            triggers.push_back(kFirstTick + 1);
        }
    } else {
        const SeenSource trigger =
            recording->seen(static_cast<std::uint32_t>(c.source), c.gateInvert);
        // It waits for an edge from the tick after its test; a burst ignores edges until its
        // last pulse has ended.
        std::uint64_t ready = kFirstTick + 1;
        for (const std::uint64_t edge : trigger.activations(kFirstTick + 1, recording->endTick())) {
            if (edge >= ready) {
                triggers.push_back(edge);
                ready = edge + delay + kBurstStartTicks + length;
                if (!c.retrigger) {
                    break;
                }
            }
        }
        ASSERT_FALSE(triggers.empty()) << "the trigger fires during the recording";
    }

    std::vector<std::uint64_t> expected;
    for (const std::uint64_t trigger : triggers) {
        for (std::uint64_t pulse = 0; pulse < count; ++pulse) {
            expected.push_back(trigger + delay + kBurstStartTicks + pulse * period);
        }
    }
    std::erase_if(expected,
                  [&](std::uint64_t rise) { return rise + period > recording->endTick(); });
    std::vector<std::uint64_t> rises;
    for (const Pulse& pulse : pulses) {
        if (pulse.rise + period <= recording->endTick()) {
            rises.push_back(pulse.rise);
        }
        if (pulse.fall != kNever) {
            EXPECT_EQ(pulse.width(), c.burst.high) << "pulse rising on tick " << pulse.rise;
        }
    }
    EXPECT_EQ(rises, expected);
}

INSTANTIATE_TEST_SUITE_P(Hub, BurstMode, testing::ValuesIn(allCases()), caseName);

TEST(BurstMode, ShowsItsIdleLevelWhileWaitingForItsTrigger) {
    // Active high, idle high: between bursts the output is high, inside a burst the low phases
    // are L ticks.
    ChannelBlock settings = channelSettings(4, 10, 4, 9, false);
    settings[quinteldrv::kIdleLevelWord] = 1;
    settings[quinteldrv::kGateSourceWord] = static_cast<std::uint32_t>(Source::A);
    settings[quinteldrv::kPulseCountWord] = 3;
    const auto recording = runChannel(settings, kRecordTicks);
    ASSERT_TRUE(recording.has_value());
    const std::vector<Pulse> lows = test::pulses(recording->output, false, kFirstTick + 1);
    const std::size_t bursts =
        recording->seen(1, false).activations(kFirstTick + 1, kRecordTicks).size();
    ASSERT_GE(bursts, 2u);
    EXPECT_GE(lows.size(), 3 * (bursts - 1)) << "three low phases a burst, the rest is idle";
    for (const Pulse& low : lows) {
        if (low.fall != kNever) {
            EXPECT_EQ(low.width(), 9u) << "low from tick " << low.rise;
        }
    }
}

}  // namespace
}  // namespace zo::hub::test
