// Mode 1, "External", as the library compiles it: the delay and both phases count transitions of
// the external clock instead of ticks, from its first edge into its active level (rising, or
// falling with the clock inverted); with a gate source, only while the gate is open, counting
// afresh from the clock's next edge each time it opens.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hub/tests/mode_scenario.h"

namespace zo::hub::test {
namespace {

struct Counts {
    std::uint32_t high;
    std::uint32_t low;
    std::uint32_t delay;
};

// Single transitions, odd and even totals, a longer delay.
const std::vector<Counts> kCounts = {{1, 1, 0}, {2, 3, 1}, {3, 2, 2}, {1, 2, 3}, {4, 4, 7}};

// After the clock's transition that ends a phase, the output follows within this many ticks
// (the channel's look at its gate included); a closing gate ends a pulse within one transition
// of the clock and as many ticks.
constexpr std::uint64_t kClockReactionTicks = 10;
constexpr std::uint64_t kRecordTicks = 4000;

struct ClockCase {
    std::uint32_t clock;  // source number of the external clock
    Source gate;
    bool gateInvert;
    bool clockInvert;
    bool invert;
    Counts counts;
};

std::string clockName(std::uint32_t clock) {
    return clock == 1 ? "ClockA" : clock == 2 ? "ClockB" : "ClockChannel2";
}

std::string caseName(const testing::TestParamInfo<ClockCase>& info) {
    const ClockCase& c = info.param;
    return clockName(c.clock) + (c.clockInvert ? "Inverted" : "") + "Gate" + sourceName(c.gate) +
           (c.gateInvert ? "Inverted" : "") + (c.invert ? "OutputInverted" : "") + "H" +
           std::to_string(c.counts.high) + "L" + std::to_string(c.counts.low) + "D" +
           std::to_string(c.counts.delay);
}

std::vector<ClockCase> allCases() {
    std::vector<ClockCase> cases;
    // Every gate with the fast clock of channel 2.
    for (const Source gate : {Source::None, Source::A, Source::B, Source::Channel0}) {
        for (const bool gateInvert : {false, true}) {
            for (const bool clockInvert : {false, true}) {
                for (const bool invert : {false, true}) {
                    for (const Counts& counts : kCounts) {
                        cases.push_back(
                            {kSourceOfClockChannel, gate, gateInvert, clockInvert, invert, counts});
                    }
                }
            }
        }
    }
    // Inputs A and B as the clock, ungated.
    for (const std::uint32_t clock : {1u, 2u}) {
        for (const bool clockInvert : {false, true}) {
            cases.push_back({clock, Source::None, false, clockInvert, false, {1, 2, 1}});
        }
    }
    return cases;
}

// The tick on which a channel that starts waiting for the clock's edge on `from` sees it: the
// clock must first be seen away from its active level.
std::uint64_t syncEdge(const SeenSource& clock, std::uint64_t from, std::uint64_t end) {
    std::uint64_t tick = from;
    while (tick < end && clock.active(tick)) {
        ++tick;
    }
    tick += 2;  // the next test, then the stall
    while (tick < end && !clock.active(tick)) {
        ++tick;
    }
    return tick;
}

class ExternalClock : public testing::TestWithParam<ClockCase> {};

TEST_P(ExternalClock, CountsItsPhasesInTransitionsOfTheClock) {
    const ClockCase& c = GetParam();
    ChannelBlock settings =
        channelSettings(1, c.counts.delay, c.counts.high, c.counts.low, c.invert);
    settings[quinteldrv::kExtSourceWord] = c.clock;
    settings[quinteldrv::kExtInvertWord] = c.clockInvert ? 1 : 0;
    settings[quinteldrv::kGateSourceWord] = static_cast<std::uint32_t>(c.gate);
    settings[quinteldrv::kGateInvertWord] = c.gateInvert ? 1 : 0;
    const std::uint64_t ticks = c.clock == kSourceOfClockChannel ? kRecordTicks : 16'000;
    const auto recording = runChannel(settings, ticks);
    ASSERT_TRUE(recording.has_value());
    const SeenSource clock = recording->seen(c.clock, c.clockInvert);
    const SeenSource gate = recording->seen(static_cast<std::uint32_t>(c.gate), c.gateInvert);
    const bool gated = c.gate != Source::None;
    const std::uint64_t end = recording->endTick();
    const std::vector<Pulse> pulses = test::pulses(recording->output, !c.invert, kFirstTick);

    // The stretches in which the gate lets the channel count: from the tick its wait sees the
    // gate open (the wait's test comes first) to the tick it closes.
    struct Window {
        std::uint64_t open;
        std::uint64_t close;
    };
    std::vector<Window> windows;
    if (!gated) {
        windows.push_back({kFirstTick + 1, end});
    } else {
        std::uint64_t tick = kFirstTick + 1;
        while (tick < end) {
            while (tick < end && !gate.active(tick)) {
                ++tick;
            }
            const std::uint64_t open = tick;
            while (tick < end && gate.active(tick)) {
                ++tick;
            }
            if (open < end) {
                windows.push_back({open, tick});
            }
        }
    }
    ASSERT_FALSE(windows.empty());
    std::size_t checked = 0;
    for (const Window& window : windows) {
        // Gated, the clock wait begins after the gate's wait and its test.
        const std::uint64_t sync = syncEdge(clock, window.open + (gated ? 2 : 0), window.close);
        std::vector<std::uint64_t> edges;
        for (const Pulse& pulse : pulses) {
            if (pulse.rise > window.open && pulse.rise < window.close) {
                edges.push_back(pulse.rise);
                edges.push_back(pulse.fall);
            }
        }
        // Only edges the gate cannot have cut: before its close, less a transition of slack.
        std::erase_if(
            edges, [&](std::uint64_t edge) { return edge == kNever || edge + 40 >= window.close; });
        // It keeps counting as long as the window lasts: a pulse for every H + L transitions.
        const std::size_t transitions = clock.transitionsBetween(sync, window.close);
        const std::size_t perPulse = c.counts.high + c.counts.low;
        if (transitions > c.counts.delay + 2 * perPulse) {
            EXPECT_GE(edges.size() / 2 + 2, (transitions - c.counts.delay) / perPulse)
                << "pulses in the window opening on tick " << window.open;
        }
        if (edges.empty()) {
            continue;
        }
        EXPECT_EQ(clock.transitionsBetween(sync, edges[0]), c.counts.delay)
            << "first pulse on tick " << edges[0] << " after the clock's edge on tick " << sync;
        const std::uint64_t delayed = clock.transitionAfter(sync, c.counts.delay);
        EXPECT_GT(edges[0], delayed);
        EXPECT_LE(edges[0], delayed + kClockReactionTicks) << "the first pulse follows the delay";
        for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
            const std::uint32_t expected = i % 2 == 0 ? c.counts.high : c.counts.low;
            EXPECT_EQ(clock.transitionsBetween(edges[i], edges[i + 1]), expected)
                << (i % 2 == 0 ? "pulse" : "gap") << " from tick " << edges[i];
            ++checked;
        }
    }
    EXPECT_GT(checked, 0u) << "some whole pulses were recorded";
    if (gated) {
        // A pulse starts only on a clock transition the gate was open for.
        for (const Pulse& pulse : pulses) {
            bool seenOpen = false;
            for (std::uint64_t ago = 0; ago <= kClockReactionTicks; ++ago) {
                seenOpen = seenOpen || gate.active(pulse.rise - ago);
            }
            EXPECT_TRUE(seenOpen) << "pulse rising on tick " << pulse.rise << ", gate closed";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Hub, ExternalClock, testing::ValuesIn(allCases()), caseName);

}  // namespace
}  // namespace zo::hub::test
