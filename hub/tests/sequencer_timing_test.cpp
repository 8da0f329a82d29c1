// Tick accounting of the sequencers, seen on the outputs: one instruction per 20 ns tick, delays
// of exactly n ticks, pulse trains of period H + L, outputs held low while disabled.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <tuple>
#include <utility>

#include "hub/tests/hub_rig.h"
#include "hub/tests/library_programs.h"
#include "hub/tests/waveform_probe.h"

namespace zo::hub::test {
namespace {

constexpr std::uint64_t kTick = 20;

// Channel 0 runs `program` from an output restart; returns what the outputs did meanwhile.
Waveform runChannel0(HubRig& rig, const QnProgram& program, std::uint64_t nanoseconds) {
    rig.upload(0, program);
    rig.hub().startRecording();
    rig.openOutputs(1);
    rig.advance(nanoseconds);
    return rig.hub().stopRecording();
}

class DelayTicks : public testing::TestWithParam<std::uint32_t> {};

TEST_P(DelayTicks, LastsExactlyItsTicks) {
    const std::uint32_t n = GetParam();
    const QnProgram program = written([n](ProgramWriter& out) {
        out.delay(n, 1);
        out.halt(0);
    });
    HubRig rig({.inputAHz = 0, .inputBHz = 0});  // no input edges to record over 86 s
    const Waveform waveform = runChannel0(rig, program, std::uint64_t{n} * kTick + kMillisecond);

    const auto rises = edges(waveform, 0, true);
    const auto falls = edges(waveform, 0, false);
    ASSERT_EQ(rises.size(), 1u);
    ASSERT_EQ(falls.size(), 1u);
    EXPECT_EQ(falls[0] - rises[0], std::uint64_t{n} * kTick);
}

// Below and at the switch from single ticks to a counted delay, both halves of the constant,
// and the longest delay there is (86 s, passed over in one step rather than tick by tick).
INSTANTIATE_TEST_SUITE_P(Hub, DelayTicks,
                         testing::Values(1u, 2u, 3u, 4u, 5u, 17u, 65537u, 100000u, 0xFFFFFFFFu));

class PulseTrain : public testing::TestWithParam<std::tuple<std::uint32_t, std::uint32_t>> {};

TEST_P(PulseTrain, HighForHAndPeriodHPlusL) {
    const auto [high, low] = GetParam();
    const QnProgram program = freeTrainProgram(high, low);  // delay(H), delay(L - 1), jump back
    HubRig rig;
    const std::uint64_t period = std::uint64_t{high + low} * kTick;
    const Waveform waveform = runChannel0(rig, program, 20 * period);

    const auto rises = edges(waveform, 0, true);
    const auto falls = edges(waveform, 0, false);
    ASSERT_GE(rises.size(), 19u);
    for (const std::uint64_t between : differences(rises)) {
        EXPECT_EQ(between, period);
    }
    for (std::size_t i = 0; i < falls.size(); ++i) {
        EXPECT_EQ(falls[i] - rises[i], std::uint64_t{high} * kTick);
    }
}

INSTANTIATE_TEST_SUITE_P(Hub, PulseTrain,
                         testing::Values(std::tuple{1u, 1u}, std::tuple{2u, 3u}, std::tuple{4u, 4u},
                                         std::tuple{10u, 10u}, std::tuple{3u, 100u},
                                         std::tuple{1000u, 1u}, std::tuple{50000u, 70000u}));

TEST(SequencerOutput, IsHeldLowWhileDisabledAndRestartsFromItsStart) {
    const QnProgram program = written([](ProgramWriter& out) {  // 1000 ticks high, then low
        out.delay(1000, 1);
        out.halt(0);
    });
    HubRig rig;
    rig.upload(0, program);
    rig.hub().startRecording();
    rig.openOutputs(1);
    rig.advance(5 * kMicrosecond);  // into the pulse
    const std::uint64_t disabled = rig.now();
    rig.write(kOutputEnable, 0);
    rig.advance(kMillisecond);
    rig.write(kOutputEnable, 1);  // no re-arming: it starts again from the armed start
    rig.advance(kMillisecond);
    const Waveform waveform = rig.hub().stopRecording();

    const auto rises = edges(waveform, 0, true);
    const auto falls = edges(waveform, 0, false);
    ASSERT_EQ(rises.size(), 2u);
    ASSERT_EQ(falls.size(), 2u);
    EXPECT_EQ(falls[0], disabled);
    EXPECT_GT(rises[1], disabled + kMillisecond);
    EXPECT_EQ(falls[1] - rises[1], 1000 * kTick);
}

TEST(SequencerOutput, ChannelsEnabledTogetherStartOnTheSameTick) {
    const QnProgram first = freeTrainProgram(7, 13);
    const QnProgram second = freeTrainProgram(50, 50);
    HubRig rig;
    rig.upload(0, first);
    rig.upload(3, second);
    rig.openOutputs(0x09);
    rig.advance(123'456);  // the two trains drift apart
    const std::uint64_t restart = rig.now();
    rig.hub().startRecording();
    rig.upload(3, second);  // any upload ends with a restart of every enabled output
    rig.advance(10 * kMicrosecond);
    const Waveform waveform = rig.hub().stopRecording();

    const auto rises0 = edges(waveform, 0, true);
    const auto rises3 = edges(waveform, 3, true);
    ASSERT_FALSE(rises0.empty());
    ASSERT_FALSE(rises3.empty());
    EXPECT_GT(rises0[0], restart);
    EXPECT_EQ(rises0[0], rises3[0]);
    EXPECT_EQ(rises0[1] - rises0[0], 20 * kTick);  // 7 + 12 + the jump
}

TEST(SequencerOutput, ResetStopsEverySequencerAndKeepsItsProgram) {
    const QnProgram program = written([](ProgramWriter& out) {  // constantly high
        out.tick(1);
        out.jump(1, 0, 1);
    });
    HubRig rig;
    rig.upload(0, program);
    rig.openOutputs(1);
    rig.hub().startRecording();
    rig.advance(kMicrosecond);
    const std::uint64_t reset = rig.now();
    ASSERT_EQ(controlIn(rig.hub(), kVendorDeviceIn, 0xFA, 0, 0, 1).status,
              zo::usb::TransferStatus::Ok);
    rig.advance(kMillisecond);
    const Waveform stopped = rig.hub().stopRecording();
    EXPECT_TRUE(stopped.initialLevels[0]);
    EXPECT_EQ(edges(stopped, 0, false), std::vector<std::uint64_t>{reset});
    EXPECT_TRUE(edges(stopped, 0, true).empty());
    // Armed and enabled again, the program loaded before the reset runs.
    rig.hub().startRecording();
    rig.openOutputs(1);
    rig.advance(kMillisecond);
    const Waveform running = rig.hub().stopRecording();
    EXPECT_EQ(edges(running, 0, true).size(), 1u);
}

TEST(SequencerSimulation, SingleTickTrainsKeepTheirPhaseOverALongGap) {
    // Phases of single ticks, periods 4, 3 and 7 ticks: ten seconds (500 million ticks) pass as
    // whole repetitions rather than tick by tick.
    const std::array<std::pair<std::uint32_t, std::uint32_t>, 3> trains{{{2, 2}, {1, 2}, {3, 4}}};
    HubRig rig;
    for (std::uint8_t channel = 0; channel < trains.size(); ++channel) {
        rig.upload(channel, freeTrainProgram(trains[channel].first, trains[channel].second));
    }
    rig.hub().startRecording();
    rig.openOutputs(0x07);
    rig.advance(kMicrosecond);
    const Waveform start = rig.hub().stopRecording();
    rig.advance(10'000 * kMillisecond);
    const Waveform later = rig.record(kMicrosecond);

    for (std::uint8_t channel = 0; channel < trains.size(); ++channel) {
        const std::uint64_t period = (trains[channel].first + trains[channel].second) * kTick;
        const auto firstRises = edges(start, channel, true);
        const auto rises = edges(later, channel, true);
        ASSERT_FALSE(firstRises.empty()) << int{channel};
        ASSERT_GE(rises.size(), 5u) << int{channel};
        for (const std::uint64_t rise : rises) {
            EXPECT_EQ((rise - firstRises[0]) % period, 0u) << int{channel};
        }
    }
}

}  // namespace
}  // namespace zo::hub::test
