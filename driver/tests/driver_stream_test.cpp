// Streams: the rings and their reads, stop and wind-down, one stream at a time, a reader slower
// than the pipe, reads racing the wind-down, and removal of the device.

#include <atomic>

#include "driver/tests/iso_test_support.h"

namespace zo::test {
namespace {

constexpr std::size_t kRecordSize = sizeof(ZOUSB_PACKET_RECORD);
const IsoRecord kStream{kIsoPipe, kPacketSize, 64, 8, 4};  // rings of 64 packets

class StreamTest : public IsoTest {
  protected:
    NTSTATUS start(const IsoRecord& record = kStream) {
        return ioctl(file(), IOCTL_ZOUSB_START_STREAM, record.bytes()).status;
    }
    NTSTATUS stop() { return ioctl(file(), IOCTL_ZOUSB_STOP_STREAM).status; }
    bool running() { return readStream(0).status == STATUS_SUCCESS; }
    // Stops the stream and moves the clock until its last slot has wound down.
    void stopAndWindDown() {
        EXPECT_EQ(stop(), STATUS_SUCCESS);
        for (int step = 0; step < 100 && running(); ++step) {
            advance(kMillisecond);
        }
        ASSERT_FALSE(running());
    }
    // Checks that a read's data and records belong together: `packets` packets, stamped with
    // consecutive microframes from `firstStamp` on, each with its successful record.
    static void expectPackets(const Reply& reply, std::uint32_t packets, std::uint32_t firstStamp) {
        ASSERT_EQ(reply.status, STATUS_SUCCESS);
        ASSERT_EQ(reply.information, packets * (kPacketSize + kRecordSize));
        for (std::uint32_t packet = 0; packet < packets; ++packet) {
            EXPECT_EQ(stampAt(reply, packet * kPacketSize), firstStamp + packet);
            const ZOUSB_PACKET_RECORD result =
                packetRecord(reply, packets * kPacketSize + packet * kRecordSize);
            EXPECT_EQ(result.status, USBD_STATUS_SUCCESS);
            EXPECT_EQ(result.length, kPacketSize);
            EXPECT_EQ(result.offset, (packet % 8) * kPacketSize);
        }
    }
};

TEST_F(StreamTest, ReadsCollectWhatArrivedDataFirstThenItsRecords) {
    ASSERT_EQ(start(), STATUS_SUCCESS);
    EXPECT_EQ(machine().bus().isochronous().scheduled(), 4u) << "every slot in flight";
    advance(kMillisecond);
    EXPECT_EQ(readStream(8).information, 0u) << "the first transfer is still on the bus";
    advance(kMillisecond);
    expectPackets(readStream(8), 8, 8);
    advance(2 * kMillisecond);
    // Asking for more than arrived returns what is there, its records right behind its data.
    expectPackets(readStream(32), 16, 16);
    stopAndWindDown();
}

TEST_F(StreamTest, AfterAStopReadsReturnWhatIsLeftUntilTheLastSlotHasWoundDown) {
    ASSERT_EQ(start(), STATUS_SUCCESS);
    advance(2 * kMillisecond);
    EXPECT_EQ(stop(), STATUS_SUCCESS);
    EXPECT_TRUE(running()) << "the stop does not wait";
    expectPackets(readStream(8), 8, 8);
    // Each slot winds down at its next completion, the transfer it carried still kept. Three of
    // the four have completed after three more milliseconds.
    advance(3 * kMillisecond);
    expectPackets(readStream(32), 24, 16);
    advance(kMillisecond);
    EXPECT_EQ(readStream(8).status, STATUS_UNSUCCESSFUL) << "wound down: no rings any more";
}

TEST_F(StreamTest, OneStreamAtATime) {
    ASSERT_EQ(start(), STATUS_SUCCESS);
    EXPECT_EQ(start(), STATUS_DEVICE_BUSY);
    EXPECT_EQ(stop(), STATUS_SUCCESS);
    EXPECT_EQ(start(), STATUS_DEVICE_BUSY) << "still winding down";
    stopAndWindDown();
    ASSERT_EQ(start(), STATUS_SUCCESS) << "a new stream once the old one has gone";
    advance(2 * kMillisecond);
    EXPECT_EQ(readStream(8).information, 8 * (kPacketSize + kRecordSize));
    stopAndWindDown();
}

TEST_F(StreamTest, ReadsAndStartsRefuseWhatDoesNotFit) {
    EXPECT_EQ(readStream(8).status, STATUS_UNSUCCESSFUL) << "no stream";
    ASSERT_EQ(start(), STATUS_SUCCESS);
    const IsoRecord read{kIsoPipe, kPacketSize, 8, 0, 0};
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_READ_STREAM, read.bytes(), read.outputLength() - 1).status,
              STATUS_INVALID_PARAMETER);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_READ_STREAM, read.bytes(), read.outputLength() + 1).status,
              STATUS_INVALID_PARAMETER);
    std::vector<std::uint8_t> shortRecord = read.bytes();
    shortRecord.pop_back();
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_READ_STREAM, shortRecord, read.outputLength()).status,
              STATUS_INVALID_PARAMETER);
    EXPECT_EQ(readStream(8, 0).status, STATUS_INVALID_PARAMETER) << "no packet size";
    EXPECT_EQ(readStream(8, 2 * kPacketSize).status, STATUS_INVALID_PARAMETER)
        << "another packet size than the stream's";
    advance(2 * kMillisecond);
    const Reply tooMuch = readStream(65);
    EXPECT_EQ(tooMuch.status, STATUS_SUCCESS);
    EXPECT_EQ(tooMuch.information, 0u) << "more than the rings can ever hold returns nothing";
    expectPackets(readStream(64), 8, 8);  // the refused read took nothing
    stopAndWindDown();
    // A start whose buffers would pass 4 GiB.
    EXPECT_EQ(start({kIsoPipe, 1024, 0x400000, 8, 4}), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(start({kIsoPipe, 0x1000000, 1, 8, 64}), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(start({kIsoPipe, kPacketSize, 64, 8, 0}), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(start({2, kPacketSize, 64, 8, 4}), STATUS_INVALID_PARAMETER) << "interrupt pipe";
}

TEST_F(StreamTest, RingsSmallerThanOneTransferNeverStoreAnything) {
    ASSERT_EQ(start({kIsoPipe, kPacketSize, 4, 8, 2}), STATUS_SUCCESS);
    advance(4 * kMillisecond);
    const Reply reply = readStream(4);
    EXPECT_EQ(reply.status, STATUS_SUCCESS);
    EXPECT_EQ(reply.information, 0u);
    stopAndWindDown();
}

TEST_F(StreamTest, ASlowReaderLosesWholeTransfersAndNeverPairsDataWithForeignRecords) {
    ASSERT_EQ(start({kIsoPipe, kPacketSize, 32, 8, 4}), STATUS_SUCCESS);  // rings: 4 transfers
    advance(10 * kMillisecond);
    // The first four transfers filled the rings; the five after them were dropped.
    expectPackets(readStream(32), 32, 8);
    EXPECT_EQ(readStream(8).information, 0u);
    advance(kMillisecond);
    // The next transfer to finish finds room again: the gap is whole transfers.
    expectPackets(readStream(32), 8, 8 + 9 * 8);
    stopAndWindDown();
}

TEST_F(StreamTest, ReadsRacingTheWindDownNeverTouchReleasedRings) {
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(start({kIsoPipe, kPacketSize, 16, 8, 2}), STATUS_SUCCESS);
        std::atomic<bool> windingDown = false;
        std::thread reader([&] {
            // Reads until the stream has gone, however the wind-down interleaves with them.
            while (readStream(8).status == STATUS_SUCCESS || !windingDown) {
            }
        });
        advance(2 * kMillisecond);
        windingDown = true;
        stopAndWindDown();
        reader.join();
    }
}

TEST_F(StreamTest, AFullSpeedStreamCarriesOnePacketPerFrame) {
    // A full-speed bus takes transfers of any number of packets. The fixture's handle closes
    // first, so that the high-speed hub's removal, and with it digit 0, goes at the unplug.
    machine().io().close(file());
    machine().pnp().unplug(lastPort());
    plug({.speed = usb::Speed::Full});
    auto fullSpeed = open(0);
    const IsoRecord record{kIsoPipe, kPacketSize, 64, 1, 3};
    ASSERT_EQ(ioctl(*fullSpeed, IOCTL_ZOUSB_START_STREAM, record.bytes()).status, STATUS_SUCCESS);
    advance(4 * kMillisecond);
    // Three packets have arrived; asking for eight returns the three and their three records.
    const IsoRecord read{kIsoPipe, kPacketSize, 8, 0, 0};
    const Reply reply =
        ioctl(*fullSpeed, IOCTL_ZOUSB_READ_STREAM, read.bytes(), read.outputLength());
    ASSERT_EQ(reply.information, 3 * (kPacketSize + kRecordSize));
    for (std::uint32_t packet = 0; packet < 3; ++packet) {
        EXPECT_EQ(stampAt(reply, packet * kPacketSize), 1 + packet) << "frames 1, 2, 3";
        EXPECT_EQ(packetRecord(reply, 3 * kPacketSize + packet * kRecordSize).offset, 0u);
    }
    EXPECT_EQ(ioctl(*fullSpeed, IOCTL_ZOUSB_STOP_STREAM).status, STATUS_SUCCESS);
    advance(4 * kMillisecond);
    machine().io().close(*fullSpeed);
}

TEST_F(StreamTest, UnpluggingWindsTheStreamDownAndLeavesNothingBehind) {
    ASSERT_EQ(start(), STATUS_SUCCESS);
    advance(3 * kMillisecond);
    // The clock stands still: the removal's abort alone must end every slot.
    machine().pnp().unplug(lastPort());
    EXPECT_EQ(machine().bus().isochronous().scheduled(), 0u);
    // TearDown checks that the stream released everything.
}

TEST_F(StreamTest, RemovalWaitsForTheWindDownOfAStreamItAborted) {
    ASSERT_EQ(start(), STATUS_SUCCESS);
    advance(kMillisecond + 3 * kMicroframe);
    machine().pnp().remove(lastPort());
    EXPECT_EQ(machine().pool().outstanding(), 0u) << "the device and its stream are gone";
    EXPECT_EQ(machine().outstandingIrps(), 0u);
}

}  // namespace
}  // namespace zo::test

namespace zo::test {
namespace {

// Makes each allocation of a one-shot transfer and of a stream's start fail in turn: the request
// fails with STATUS_NO_MEMORY and leaves nothing allocated, and once the walk passes the last
// allocation both succeed.
class IsoAllocationFailureTest : public StreamTest {};

TEST_F(IsoAllocationFailureTest, EveryFailedAllocationOfBothPathsReleasesEverything) {
    const std::size_t held = machine().pool().outstanding();  // the device's own records
    bool oneShotSucceeded = false;
    bool streamStarted = false;
    for (std::size_t failing = 1; failing <= 20; ++failing) {
        SCOPED_TRACE("allocation " + std::to_string(failing));
        machine().pool().failAllocation(failing);
        const Reply oneShotReply = oneShot({kIsoPipe, kPacketSize, 16, 8, 2});
        machine().pool().failAllocation(0);
        EXPECT_TRUE(oneShotReply.status == STATUS_SUCCESS ||
                    oneShotReply.status == STATUS_NO_MEMORY);
        oneShotSucceeded = oneShotReply.status == STATUS_SUCCESS;
        ASSERT_EQ(machine().pool().outstanding(), held);
        ASSERT_EQ(machine().outstandingIrps(), 0u);

        machine().pool().failAllocation(failing);
        const NTSTATUS started = start({kIsoPipe, kPacketSize, 32, 8, 4});
        machine().pool().failAllocation(0);
        streamStarted = started == STATUS_SUCCESS;
        if (streamStarted) {
            advance(2 * kMillisecond);
            stopAndWindDown();
        } else {
            EXPECT_EQ(started, STATUS_NO_MEMORY);
            EXPECT_EQ(readStream(8).status, STATUS_UNSUCCESSFUL) << "no half-started stream";
        }
        ASSERT_EQ(machine().pool().outstanding(), held);
        ASSERT_EQ(machine().outstandingIrps(), 0u);
    }
    EXPECT_TRUE(oneShotSucceeded && streamStarted) << "the walk reached past every allocation";
}

}  // namespace
}  // namespace zo::test
