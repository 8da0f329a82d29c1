#include "tools/zousbdiag/signal_trace.h"

#include <gtest/gtest.h>

#include <list>
#include <sstream>

#include "tools/zousbdiag/signal_packet_reader.h"

namespace zousbdiag {
namespace {

constexpr std::uint16_t kPeriod = 25;  // 500 ns

// A packet of the hub's format (hub/README.md, "Streaming").
std::vector<std::uint8_t> signalPacket(std::uint32_t sequence, std::uint64_t firstTick,
                                       std::vector<std::uint16_t> samples, bool lost = false) {
    std::vector<std::uint8_t> bytes(24 + 2 * samples.size());
    const auto put = [&](std::size_t offset, std::uint64_t value, std::size_t size) {
        for (std::size_t index = 0; index < size; ++index) {
            bytes[offset + index] = static_cast<std::uint8_t>(value >> (8 * index));
        }
    };
    put(0, 1, 1);
    put(1, 24, 1);
    put(2, samples.size(), 2);
    put(4, sequence, 4);
    put(8, 1000 + sequence, 4);
    put(12, kPeriod, 2);
    put(14, lost ? 1 : 0, 1);
    put(15, 10, 1);
    put(16, firstTick, 8);
    for (std::size_t index = 0; index < samples.size(); ++index) {
        put(24 + 2 * index, samples[index], 2);
    }
    return bytes;
}

class SignalTraceTest : public ::testing::Test {
  protected:
    void add(const std::vector<std::uint8_t>& bytes, std::int32_t status = 0) {
        packets_.push_back(bytes);
        trace_.add({status, packets_.back()});
    }
    // The VCD's lines after the declarations and start levels.
    std::vector<std::string> changes() {
        trace_.finish();
        std::istringstream lines(vcd_.str());
        std::vector<std::string> after;
        bool started = false;
        for (std::string line; std::getline(lines, line);) {
            if (started) {
                after.push_back(line);
            }
            started = started || line == "$end";
        }
        return after;
    }

    std::ostringstream vcd_;
    SignalTrace trace_{vcd_};
    std::list<std::vector<std::uint8_t>> packets_;
};

TEST_F(SignalTraceTest, TheFirstSampleGivesTheStartLevelsAndLaterOnesTheirChanges) {
    add(signalPacket(0, 1000, {}));
    add(signalPacket(1, 1000, {0x001, 0x001, 0x201}));
    add(signalPacket(2, 1075, {0x200, 0x300}));
    EXPECT_TRUE(vcd_.str().find("$comment stream of the hub's signals from tick 1000 (20000 ns "
                                "after its power-on), a sample every 500 ns $end") !=
                std::string::npos)
        << vcd_.str();
    EXPECT_TRUE(vcd_.str().find("$dumpvars\n1!\n0\"") != std::string::npos) << "out0 starts high";
    // inB (*) rises at the third sample, out0 (!) falls at the fourth, inA ()) rises at the fifth;
    // the stretch ends behind the fifth sample.
    EXPECT_EQ(changes(),
              (std::vector<std::string>{"#1000", "1*", "#1500", "0!", "#2000", "1)", "#2500"}));
    const SignalTrace::Counts& counts = trace_.counts();
    EXPECT_EQ(counts.received, 3u);
    EXPECT_EQ(counts.samples, 5u);
    EXPECT_EQ(counts.lost, 0u);
    EXPECT_EQ(counts.samplesLost, 0u);
    EXPECT_EQ(trace_.originTick(), 1000u);
}

TEST_F(SignalTraceTest, PacketsThatNeverArrivedLeaveTheirStretchUnknown) {
    add(signalPacket(4, 0, {0x000, 0x001}));
    // Packets 5 and 6 were dropped on the way: four samples are missing.
    add(signalPacket(7, 150, {0x001}));
    const std::vector<std::string> lines = changes();
    ASSERT_GE(lines.size(), 13u);
    EXPECT_EQ(lines[0], "#500");
    EXPECT_EQ(lines[1], "1!");
    EXPECT_EQ(lines[2], "#1000");
    EXPECT_EQ(lines[3], "x!") << "every signal unknown from the first missing sample";
    EXPECT_EQ(lines[12], "x*");
    EXPECT_EQ(lines[13], "#3000");
    EXPECT_EQ(lines[14], "1!") << "and known again with the next sample";
    EXPECT_EQ(trace_.counts().lost, 2u);
    EXPECT_EQ(trace_.counts().samplesLost, 4u);
}

TEST_F(SignalTraceTest, CountsFailedEmptyAndForeignPacketsWithoutWritingThem) {
    add(signalPacket(0, 0, {0x001}));
    add({}, static_cast<std::int32_t>(0xC0000005));  // not responding
    add({});                                         // nothing in that frame
    add({0xDE, 0xAD});                               // not the hub's format
    add(signalPacket(1, 25, {0x001}));
    EXPECT_EQ(changes(), (std::vector<std::string>{"#1000"}));
    const SignalTrace::Counts& counts = trace_.counts();
    EXPECT_EQ(counts.received, 4u);
    EXPECT_EQ(counts.failed, 1u);
    EXPECT_EQ(counts.unreadable, 1u);
    EXPECT_EQ(counts.lost, 0u);
    EXPECT_EQ(counts.samples, 2u);
}

TEST_F(SignalTraceTest, AStreamTheHubStartedAfreshIsNoLossOfPackets) {
    add(signalPacket(9, 0, {0x000}));
    add(signalPacket(0, 500, {}));
    add(signalPacket(1, 500, {0x000}));
    EXPECT_EQ(trace_.counts().lost, 0u);
    EXPECT_EQ(trace_.counts().samplesLost, 19u) << "the samples between the two streams";
}

TEST_F(SignalTraceTest, WithoutSamplesTheFileStillOpens) {
    add(signalPacket(0, 0, {}));
    trace_.finish();
    EXPECT_TRUE(vcd_.str().find("$comment no sample arrived $end") != std::string::npos);
    EXPECT_TRUE(vcd_.str().find("$enddefinitions") != std::string::npos);
    EXPECT_FALSE(trace_.originTick().has_value());
}

TEST(SignalPacketReader, RefusesWhatIsNotAWholePacketOfTheHubsFormat) {
    EXPECT_TRUE(readSignalPacket(signalPacket(3, 7, {1, 2})).has_value());
    std::vector<std::uint8_t> cut = signalPacket(3, 7, {1, 2});
    cut.pop_back();
    EXPECT_FALSE(readSignalPacket(cut).has_value());
    std::vector<std::uint8_t> otherFormat = signalPacket(3, 7, {});
    otherFormat[0] = 2;
    EXPECT_FALSE(readSignalPacket(otherFormat).has_value());
    std::vector<std::uint8_t> noPeriod = signalPacket(3, 7, {});
    noPeriod[12] = 0;
    EXPECT_FALSE(readSignalPacket(noPeriod).has_value());
    const std::optional<SignalPacket> read =
        readSignalPacket(signalPacket(5, 0x123456789, {7}, true));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->sequence, 5u);
    EXPECT_EQ(read->frame, 1005u);
    EXPECT_EQ(read->firstTick, 0x123456789u);
    EXPECT_TRUE(read->samplesLostBefore);
    EXPECT_EQ(read->samples, std::vector<std::uint16_t>{7});
}

}  // namespace
}  // namespace zousbdiag

#include "tools/zousbdiag/stream_progress.h"

namespace zousbdiag {
namespace {

TEST(StreamProgress, ALineOnATerminalNothingElsewhere) {
    using std::chrono::milliseconds;
    SignalTrace::Counts counts;
    counts.received = 20000;
    counts.lost = 3;
    counts.failed = 1;
    EXPECT_EQ(StreamProgress::text(milliseconds(2540), milliseconds(10000), counts),
              "stream: 2.5 s of 10 s, 20000 packets, 3 lost, 1 failed");
    EXPECT_EQ(StreamProgress::text(milliseconds(2540), std::nullopt, counts),
              "stream: 2.5 s, 20000 packets, 3 lost, 1 failed");
    std::ostringstream terminal;
    StreamProgress shown(terminal, true, std::nullopt);
    shown.show(milliseconds(2540), counts);
    shown.clear();
    const std::string line = StreamProgress::text(milliseconds(2540), std::nullopt, counts);
    EXPECT_EQ(terminal.str(), "\r" + line + "\r" + std::string(line.size(), ' ') + "\r");
    std::ostringstream file;
    StreamProgress quiet(file, false, std::nullopt);
    quiet.show(milliseconds(1000), counts);
    quiet.clear();
    EXPECT_TRUE(file.str().empty());
}

}  // namespace
}  // namespace zousbdiag
