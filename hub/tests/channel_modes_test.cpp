// The channel programs of every mode, assembled the way the library builds them, run on the hub:
// bursts with their trigger, gated trains, trains clocked by another signal. Channel outputs
// feed other channels here, as they may on the hub.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "hub/tests/hub_rig.h"
#include "hub/tests/waveform_probe.h"

namespace zo::hub::test {
namespace {

constexpr std::uint64_t kTick = 20;
constexpr bool kHigh = true;
constexpr bool kLow = false;

// The ungated internal train of H high and L low ticks.
TestProgram freeTrain(std::uint32_t high, std::uint32_t low) {
    TestProgram program;
    program.delay(high, kHigh);
    program.delay(low - 1, kLow);
    program.jump(kLow, 0, false);
    return program;
}

// A burst of n pulses (H high, L low) after a delay d, on each rising edge of `trigger`; with
// retrigger off, one burst and then the halt at instruction 0.
TestProgram burst(unsigned trigger, std::uint32_t d, std::uint32_t high, std::uint32_t low,
                  std::uint32_t n, bool retrigger) {
    TestProgram program;
    if (!retrigger) {
        program.halt(kLow);
    }
    program.entry0 = program.here();
    program.waitLevel(trigger, true, kLow);
    if (n >= 2) {
        const auto k = static_cast<unsigned>(program.constants.size());
        program.constants.push_back(0xFFFF);
        program.constants.push_back(static_cast<std::uint16_t>(65536 - std::min(n - 1, 65536u)));
        program.constants.push_back(0);
        program.delay(d > 0 ? d - 1 : d, kLow);
        program.load(kLow, k + 1);
        const std::uint8_t loop = program.here();
        program.loadSecond(kHigh, k + 2);
        program.delay(high > 1 ? high - 1 : 0, kHigh);
        program.delay(low > 5 ? low - 5 : 0, kLow);
        program.load(kLow, k);
        program.load(kLow, k + 2);
        program.test(kLow, 0, true);
        program.tick(kLow);
        program.jump(kLow, loop, true);
    } else {
        program.delay(d, kLow);
    }
    program.delay(high, kHigh);
    program.delay(low > 10 ? low - 10 : low, kLow);
    program.waitEdge(trigger, true, kLow);
    program.jump(kLow, 0, false);
    return program;
}

struct BurstCase {
    std::uint32_t pulses;
    std::uint32_t high;
    std::uint32_t low;
};

class Burst : public testing::TestWithParam<BurstCase> {};

TEST_P(Burst, EmitsItsPulsesAfterTheDelayOnEveryTrigger) {
    const BurstCase burstCase = GetParam();
    constexpr std::uint32_t kDelay = 100;
    HubRig rig;  // input A: 1 kHz, rising at 0.5 ms, 1.5 ms, 2.5 ms
    rig.upload(0, burst(1, kDelay, burstCase.high, burstCase.low, burstCase.pulses, true));
    rig.openOutputs(1);
    const Waveform waveform = rig.record(3 * kMillisecond);

    const auto triggers = edges(waveform, kWireInputA, true);
    const auto rises = edges(waveform, 0, true);
    const auto falls = edges(waveform, 0, false);
    ASSERT_EQ(triggers.size(), 3u);
    ASSERT_EQ(rises.size(), 3 * burstCase.pulses);
    ASSERT_EQ(falls.size(), rises.size());
    const std::uint64_t period = std::uint64_t{burstCase.high + burstCase.low} * kTick;
    for (std::size_t b = 0; b < 3; ++b) {
        const std::size_t first = b * burstCase.pulses;
        // Seen on the trigger's tick, the delay counted from the tick after; a retrigger passes
        // through the jump back and the trigger wait first (three ticks more).
        const std::uint64_t latency = b == 0 ? kDelay + 1 : kDelay + 4;
        EXPECT_EQ(rises[first], triggers[b] + latency * kTick) << "burst " << b;
        for (std::size_t i = first; i < first + burstCase.pulses; ++i) {
            EXPECT_EQ(falls[i] - rises[i], burstCase.high * kTick) << "pulse " << i;
            if (i > first) {
                EXPECT_EQ(rises[i] - rises[i - 1], period) << "pulse " << i;
            }
        }
    }
}

// One pulse (no loop), the shortest loop, short phases made of single ticks, long phases.
INSTANTIATE_TEST_SUITE_P(Hub, Burst,
                         testing::Values(BurstCase{1, 10, 20}, BurstCase{2, 10, 20},
                                         BurstCase{5, 1, 6}, BurstCase{7, 300, 700}));

TEST(Burst, WithoutRetriggerRunsOnce) {
    HubRig rig;
    rig.upload(0, burst(1, 0, 10, 20, 4, false));
    rig.openOutputs(1);
    const Waveform waveform = rig.record(3 * kMillisecond);
    EXPECT_EQ(edges(waveform, 0, true).size(), 4u);
}

// Mode 0 gated by source `gate` (active high): waits for the gate, then pulses while it stays
// active; the gate's end leaves through the unpatched exit jumps to instruction 0.
TestProgram gatedTrain(unsigned gate, std::uint32_t high, std::uint32_t low) {
    TestProgram program;
    program.waitLevel(gate, true, kLow);
    const std::uint8_t loop = program.here();
    program.gatedDelay(high > 2 ? high - 2 : 0, gate, true, kHigh);
    const std::uint8_t stayHigh = program.jump(kHigh, 0, true);
    program.jump(kLow, 0, false);
    program.patch(stayHigh, program.here());
    program.tick(kHigh);
    program.tick(kHigh);
    program.gatedDelay(low > 3 ? low - 3 : 0, gate, true, kLow);
    const std::uint8_t stayLow = program.jump(kLow, 0, true);
    program.jump(kLow, 0, false);
    program.patch(stayLow, program.here());
    program.tick(kHigh);
    program.tick(kHigh);
    program.jump(kLow, loop, false);
    return program;
}

TEST(GatedTrain, RunsOnlyWhileItsGateIsActive) {
    HubRig rig;
    rig.upload(1, freeTrain(5000, 5000));  // the gate: 100 us high, 100 us low
    rig.upload(0, gatedTrain(3 + 1, 50, 50));
    rig.openOutputs(0x03);
    const Waveform waveform = rig.record(kMillisecond);

    const auto gateOn = edges(waveform, 1, true);
    const auto gateOff = edges(waveform, 1, false);
    const auto pulses = edges(waveform, 0, true);
    ASSERT_GE(gateOn.size(), 4u);
    // The channel sees the gate's output one tick late and starts on the tick after.
    const std::uint64_t latency = 2 * kTick;
    for (const std::uint64_t on : gateOn) {
        const auto offAfter = std::ranges::upper_bound(gateOff, on);
        if (offAfter == gateOff.end()) {
            break;
        }
        const std::uint64_t off = *offAfter;
        const auto nextOn = std::ranges::upper_bound(gateOn, off);
        if (nextOn != gateOn.end()) {
            // At most the pulse running when the gate closed ends; nothing starts.
            EXPECT_EQ(
                std::ranges::count_if(
                    pulses, [&](std::uint64_t t) { return t > off + latency && t < *nextOn; }),
                0)
                << "pulses while the gate is off";
            EXPECT_FALSE(levelAt(waveform, 0, *nextOn - kTick)) << "low while the gate is off";
        }
        const auto during =
            std::ranges::count_if(pulses, [&](std::uint64_t t) { return t > on && t < off; });
        EXPECT_GE(during, 45) << "a 100 us gate passes about 50 pulses of 2 us";
        const auto firstPulse =
            std::ranges::find_if(pulses, [&](std::uint64_t t) { return t > on; });
        ASSERT_NE(firstPulse, pulses.end());
        EXPECT_EQ(*firstPulse, on + latency) << "restarts with the gate";
    }
}

// Mode 1: H high and L low transitions of `clock`, after synchronising to its rising edge.
TestProgram clockedTrain(unsigned clock, std::uint32_t high, std::uint32_t low) {
    TestProgram program;
    bool phase = true;
    program.waitEdge(clock, phase, kLow);
    phase = !phase;
    const std::uint8_t loop = program.here();
    const bool phaseAtLoop = phase;
    program.clockCount(high, clock, phase, 0, false, kHigh);
    program.clockCount(low, clock, phase, 0, false, kLow);
    if (phase != phaseAtLoop) {  // an odd total: a second period brings the phase back
        program.clockCount(high, clock, phase, 0, false, kHigh);
        program.clockCount(low, clock, phase, 0, false, kLow);
    }
    program.jump(kLow, loop, false);
    return program;
}

class ClockedTrain : public testing::TestWithParam<std::tuple<std::uint32_t, std::uint32_t>> {};

TEST_P(ClockedTrain, CountsTransitionsOfItsClock) {
    const auto [high, low] = GetParam();
    HubRig rig;
    rig.upload(1, freeTrain(25, 25));  // the clock: a transition every 500 ns
    rig.upload(0, clockedTrain(3 + 1, high, low));
    rig.openOutputs(0x03);
    const Waveform waveform = rig.record(100 * kMicrosecond);

    const auto rises = edges(waveform, 0, true);
    const auto falls = edges(waveform, 0, false);
    ASSERT_GE(rises.size(), 5u);
    for (std::size_t i = 0; i + 1 < rises.size() && i < falls.size(); ++i) {
        EXPECT_EQ(transitionsBetween(waveform, 1, rises[i], falls[i]), high) << "pulse " << i;
        EXPECT_EQ(transitionsBetween(waveform, 1, falls[i], rises[i + 1]), low) << "pulse " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Hub, ClockedTrain,
                         testing::Values(std::tuple{1u, 1u}, std::tuple{4u, 6u}, std::tuple{3u, 2u},
                                         std::tuple{7u, 7u}));

}  // namespace
}  // namespace zo::hub::test
