#include <gtest/gtest.h>

#include <numeric>
#include <thread>

#include "hub/simulated_hub.h"
#include "hub/tests/hub_test_support.h"

namespace zo::hub {
namespace {

using namespace test;
using zo::usb::TransferStatus;

class Transfers : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(configure(hub)); }

    zo::usb::TransferResult write(std::vector<std::uint8_t> bytes) {
        return hub.transfer(0x02, bytes);
    }
    std::vector<std::uint8_t> read(std::size_t length) {
        std::vector<std::uint8_t> buffer(length);
        const zo::usb::TransferResult result = hub.transfer(0x86, buffer);
        EXPECT_EQ(result.status, TransferStatus::Ok);
        buffer.resize(result.bytes);
        return buffer;
    }

    SimulatedHub hub;
};

TEST(TransfersUnconfigured, EveryPipeStallsUntilConfigured) {
    SimulatedHub hub;
    std::vector<std::uint8_t> buffer(8);
    for (const std::uint8_t endpoint :
         {std::uint8_t{0x02}, std::uint8_t{0x86}, std::uint8_t{0x81}}) {
        EXPECT_EQ(hub.transfer(endpoint, buffer).status, TransferStatus::Stall);
    }
}

TEST_F(Transfers, LoopbackReturnsBytesInOrderAcrossReads) {
    EXPECT_EQ(write({1, 2, 3}).bytes, 3u);
    EXPECT_EQ(write({4, 5}).bytes, 2u);
    EXPECT_EQ(read(2), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(read(10), (std::vector<std::uint8_t>{3, 4, 5}));
    EXPECT_TRUE(read(10).empty());  // empty queue: zero-length packet
}

TEST_F(Transfers, LoopbackRefusesWhatDoesNotFitWhole) {
    std::vector<std::uint8_t> full(LoopbackQueue::kCapacity - 1);
    std::iota(full.begin(), full.end(), std::uint8_t{0});
    ASSERT_TRUE(isOk(write(full)));
    EXPECT_EQ(write({0xA1, 0xA2}).status, TransferStatus::Stall);
    EXPECT_TRUE(isOk(write({0xA3})));  // exactly fills the queue
    EXPECT_EQ(write({0xA4}).status, TransferStatus::Stall);
    const std::vector<std::uint8_t> back = read(LoopbackQueue::kCapacity);
    ASSERT_EQ(back.size(), LoopbackQueue::kCapacity);
    EXPECT_TRUE(std::equal(full.begin(), full.end(), back.begin()));
    EXPECT_EQ(back.back(), 0xA3);
}

TEST_F(Transfers, InterruptPacketShowsOutputsAndMeasurement) {
    ASSERT_TRUE(writeRegister(hub, 0x40, 0xA5));
    ASSERT_TRUE(writeRegister(hub, 0x41, 1));
    std::vector<std::uint8_t> packet(8, 0xEE);
    const zo::usb::TransferResult result = hub.transfer(0x81, packet);
    EXPECT_EQ(result.status, TransferStatus::Ok);
    ASSERT_EQ(result.bytes, 4u);
    // Output mask, measurement finished (not yet), result low and high.
    EXPECT_EQ(packet[0], 0xA5);
    EXPECT_EQ(packet[1], 0);
    EXPECT_EQ(packet[2], 0);
    EXPECT_EQ(packet[3], 0);
}

TEST_F(Transfers, IsochronousAndUnknownEndpointsStall) {
    std::vector<std::uint8_t> buffer(8);
    EXPECT_EQ(hub.transfer(0x88, buffer).status, TransferStatus::Stall);
    EXPECT_EQ(hub.transfer(0x03, buffer).status, TransferStatus::Stall);
    EXPECT_EQ(hub.transfer(0x82, buffer).status, TransferStatus::Stall);
}

TEST_F(Transfers, ConcurrentWritersLoseNothing) {
    constexpr int kThreads = 4;
    constexpr int kWrites = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < kWrites; ++i) {
                std::vector<std::uint8_t> byte{static_cast<std::uint8_t>(t)};
                EXPECT_TRUE(isOk(hub.transfer(0x02, byte)));
                EXPECT_TRUE(writeRegister(hub, static_cast<std::uint8_t>(0x50 + t),
                                          static_cast<std::uint8_t>(i)));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::array<int, kThreads> counts{};
    for (const std::uint8_t byte : read(kThreads * kWrites + 1)) {
        ++counts.at(byte);
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(counts[t], kWrites);
        EXPECT_EQ(readRegister(hub, static_cast<std::uint8_t>(0x50 + t)),
                  static_cast<std::uint8_t>(kWrites - 1));
    }
}

}  // namespace
}  // namespace zo::hub
