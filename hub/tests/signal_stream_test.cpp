// The hub's isochronous endpoint 0x88: self-describing packets of the ten signals, sampled from
// the same simulation that drives the outputs, handed out in order while a host polls.

#include <gtest/gtest.h>

#include <cstring>

#include "hub/descriptors.h"
#include "hub/signal_packet.h"
#include "hub/tests/hub_rig.h"
#include "hub/tests/library_programs.h"

namespace zo::hub::test {
namespace {

constexpr std::uint64_t kMicroframe = 125'000;

// The header's fields, aligned for the test's comparisons (the packet's own are packed).
struct Header {
    std::uint8_t format = 0;
    std::uint8_t headerLength = 0;
    std::uint16_t sampleCount = 0;
    std::uint32_t sequence = 0;
    std::uint32_t frame = 0;
    std::uint16_t periodTicks = 0;
    std::uint8_t flags = 0;
    std::uint8_t signalCount = 0;
    std::uint64_t firstTick = 0;
};

Header headerOf(std::span<const std::uint8_t> bytes) {
    SignalPacketHeader packed{};
    std::memcpy(&packed, bytes.data(), sizeof packed);
    return {packed.format,   packed.headerLength, packed.sampleCount,
            packed.sequence, packed.frame,        packed.periodTicks,
            packed.flags,    packed.signalCount,  packed.firstTick};
}

struct Packet {
    zo::usb::TransferStatus status;
    Header header{};
    std::vector<std::uint16_t> samples;
};

class SignalStreamTest : public ::testing::Test {
  protected:
    explicit SignalStreamTest(HubOptions options = {}) : rig_(options) {
        EXPECT_TRUE(configure(rig_.hub()));
    }

    Packet packet(std::size_t room = 1024, std::uint8_t endpoint = kIsochronousInEndpoint) {
        std::vector<std::uint8_t> data(room, 0xEE);
        const zo::usb::TransferResult result = rig_.hub().isochronous(endpoint, frame_++, data);
        Packet packet{result.status, {}, {}};
        if (result.bytes >= kSignalPacketHeaderSize) {
            packet.header = headerOf(data);
            EXPECT_EQ(result.bytes,
                      kSignalPacketHeaderSize + packet.header.sampleCount * kSignalSampleSize);
            for (std::size_t index = 0; index < packet.header.sampleCount; ++index) {
                packet.samples.push_back(
                    static_cast<std::uint16_t>(data[kSignalPacketHeaderSize + 2 * index] |
                                               data[kSignalPacketHeaderSize + 2 * index + 1] << 8));
            }
        }
        return packet;
    }

    HubRig rig_;
    std::uint64_t frame_ = 100;
};

TEST_F(SignalStreamTest, TheFirstPacketStartsTheStreamAndEachLaterOneCarriesTheSamplesSince) {
    rig_.advance(10'010);
    const Packet first = packet();
    ASSERT_EQ(first.status, zo::usb::TransferStatus::Ok);
    EXPECT_EQ(first.header.format, kSignalPacketFormat);
    EXPECT_EQ(first.header.headerLength, kSignalPacketHeaderSize);
    EXPECT_EQ(first.header.signalCount, 10);
    EXPECT_EQ(first.header.periodTicks, 25) << "500 ns at high speed";
    EXPECT_EQ(first.header.sequence, 0u);
    EXPECT_EQ(first.header.frame, 100u);
    EXPECT_EQ(first.header.sampleCount, 0) << "nothing sampled before the stream began";
    // The hub has run tick 500 of the present moment; the first sample is the next one due.
    EXPECT_EQ(first.header.firstTick, 525u);

    std::uint64_t expectedTick = first.header.firstTick;
    for (std::uint32_t sequence = 1; sequence <= 8; ++sequence) {
        rig_.advance(kMicroframe);
        const Packet next = packet();
        EXPECT_EQ(next.header.sequence, sequence);
        EXPECT_EQ(next.header.frame, 100u + sequence);
        EXPECT_EQ(next.header.firstTick, expectedTick) << "no sample missing or repeated";
        EXPECT_EQ(next.header.flags, 0);
        EXPECT_NEAR(next.header.sampleCount, 250, 1) << "one microframe's samples";
        expectedTick += next.header.sampleCount * 25u;
    }
}

TEST_F(SignalStreamTest, SamplesShowWhatTheRecordingOfTheSameStretchShows) {
    HubRig rig({.inputAHz = 100'000, .inputBHz = 30'000});
    ASSERT_TRUE(configure(rig.hub()));
    rig.upload(0, freeTrainProgram(30, 20));   // 1 us
    rig.upload(3, freeTrainProgram(70, 180));  // 5 us
    rig.openOutputs(0b1001);
    std::vector<std::uint8_t> room(1024);
    rig.hub().isochronous(kIsochronousInEndpoint, 0, room);
    rig.hub().startRecording();
    std::vector<std::pair<std::uint64_t, std::uint16_t>> samples;  // tick, levels
    for (std::uint64_t frame = 1; frame <= 16; ++frame) {
        rig.advance(kMicroframe);
        const zo::usb::TransferResult result =
            rig.hub().isochronous(kIsochronousInEndpoint, frame, room);
        const Header header = headerOf(room);
        for (std::size_t index = 0; index < header.sampleCount; ++index) {
            samples.emplace_back(
                header.firstTick + index * header.periodTicks,
                static_cast<std::uint16_t>(room[24 + 2 * index] | room[25 + 2 * index] << 8));
        }
        ASSERT_EQ(result.bytes, 24u + 2u * header.sampleCount);
    }
    const Waveform waveform = rig.hub().stopRecording();
    ASSERT_GT(samples.size(), 3900u);
    // Walks the recording alongside the samples, in time order.
    std::array<bool, kWaveformWireCount> recorded = waveform.initialLevels;
    std::size_t next = 0;
    std::array<int, kWaveformWireCount> highs{};
    for (const auto& [tick, levels] : samples) {
        const std::uint64_t time = tick * kTickNanoseconds;
        if (time < waveform.startNanoseconds) {
            continue;
        }
        for (; next < waveform.transitions.size() && waveform.transitions[next].nanoseconds <= time;
             ++next) {
            recorded[waveform.transitions[next].wire] = waveform.transitions[next].level;
        }
        for (std::uint8_t wire = 0; wire < kWaveformWireCount; ++wire) {
            const bool sampled = ((levels >> wire) & 1) != 0;
            ASSERT_EQ(sampled, recorded[wire]) << "wire " << int{wire} << " at tick " << tick;
            highs[wire] += sampled ? 1 : 0;
        }
    }
    // Every signal that moves was seen both ways.
    for (const std::size_t wire : {0, 3, 8, 9}) {
        EXPECT_GT(highs[wire], 0) << wire;
        EXPECT_LT(highs[wire], static_cast<int>(samples.size())) << wire;
    }
    EXPECT_EQ(highs[1], 0);
}

TEST_F(SignalStreamTest, SmallPacketsLeaveTheRestForTheNextWithoutAGap) {
    packet();
    rig_.advance(4 * kMicroframe);
    const Packet small = packet(kSignalPacketHeaderSize + 2 * 100);
    EXPECT_EQ(small.header.sampleCount, 100);
    const Packet headerOnly = packet(kSignalPacketHeaderSize);
    EXPECT_EQ(headerOnly.header.sampleCount, 0);
    EXPECT_EQ(headerOnly.header.firstTick, small.header.firstTick + 100 * 25);
    EXPECT_EQ(packet(kSignalPacketHeaderSize - 1).status, zo::usb::TransferStatus::Ok)
        << "a packet without room for the header is an empty packet";
    const Packet catchUp = packet();
    EXPECT_EQ(catchUp.header.sampleCount, 500) << "a whole packet's worth";
    EXPECT_EQ(catchUp.header.firstTick, headerOnly.header.firstTick);
    EXPECT_EQ(packet().header.sampleCount, 400) << "the rest of the four microframes";
}

TEST_F(SignalStreamTest, SamplesNobodyCollectsInTimeAreDroppedAndTheNextPacketSaysSo) {
    const Packet first = packet();
    for (int poll = 1; poll <= 10; ++poll) {
        rig_.advance(10'000'000);
        // Polled, but nothing taken: from 64 ms on, the oldest samples go.
        EXPECT_EQ(packet(kSignalPacketHeaderSize).header.flags, poll >= 7 ? kSignalPacketGap : 0)
            << poll << "0 ms";
    }
    const Packet late = packet();
    EXPECT_EQ(late.header.flags, 0) << "said once";
    // Only the last 64 ms are kept.
    EXPECT_EQ(late.header.firstTick, first.header.firstTick + (100'000'000 - 64'000'000) / 20);
}

TEST_F(SignalStreamTest, AStreamNobodyPollsStopsAndTheNextPacketStartsAfresh) {
    packet();
    rig_.advance(kMicroframe);
    EXPECT_EQ(packet().header.sequence, 1u);
    rig_.advance(100'000'000);
    const Packet restarted = packet();
    EXPECT_EQ(restarted.header.sequence, 0u);
    EXPECT_EQ(restarted.header.sampleCount, 0);
}

TEST_F(SignalStreamTest, OnlyTheConfiguredHubsIsochronousEndpointAnswers) {
    EXPECT_EQ(packet(1024, kBulkInEndpoint).status, zo::usb::TransferStatus::NotResponding);
    rig_.hub().portReset();
    EXPECT_EQ(packet().status, zo::usb::TransferStatus::NotResponding);
}

class FullSpeedSignalStreamTest : public SignalStreamTest {
  protected:
    FullSpeedSignalStreamTest() : SignalStreamTest({.speed = zo::usb::Speed::Full}) {}
};

TEST_F(FullSpeedSignalStreamTest, SamplesEvery2500NanosecondsFourHundredPerFrame) {
    packet(1023);
    rig_.advance(1'000'000);
    const Packet next = packet(1023);
    EXPECT_EQ(next.header.periodTicks, 125);
    EXPECT_EQ(next.header.sampleCount, 400);
}

}  // namespace
}  // namespace zo::hub::test
