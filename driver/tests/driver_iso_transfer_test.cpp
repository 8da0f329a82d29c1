// One-shot isochronous transfers: slots in flight, data in place, packet records behind it, the
// refusals, and failures that show only in the records.

#include "driver/tests/iso_test_support.h"

namespace zo::test {
namespace {

constexpr std::size_t kRecordSize = sizeof(ZOUSB_PACKET_RECORD);

class IsoTransferTest : public IsoTest {};

TEST_F(IsoTransferTest, SixtyFourPacketsOverFourSlotsLandInPlaceOnConsecutiveMicroframes) {
    const IsoRecord record{kIsoPipe, kPacketSize, 64, 8, 4};
    auto call = std::async(std::launch::async, [&] {
        return ioctl(file(), IOCTL_ZOUSB_ISO_READ, record.bytes(), record.outputLength());
    });
    ASSERT_TRUE(machine().bus().isochronous().waitUntilScheduled(4, std::chrono::seconds(10)))
        << "four transfers in flight at once";
    // The first packet runs in the first microframe of the next frame: 64 microframes later the
    // transfer is complete, 8 ms as on a bus, and not before.
    advance(kMillisecond + 63 * kMicroframe);
    EXPECT_EQ(call.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    advance(kMicroframe);
    const Reply reply = call.get();
    EXPECT_EQ(reply.status, STATUS_SUCCESS);
    EXPECT_EQ(reply.information, 0u);
    const std::size_t records = 64 * kPacketSize;
    for (std::uint32_t packet = 0; packet < 64; ++packet) {
        EXPECT_EQ(stampAt(reply, packet * kPacketSize), 8 + packet)
            << "packet " << packet << " in its place";
        const ZOUSB_PACKET_RECORD result = packetRecord(reply, records + packet * kRecordSize);
        EXPECT_EQ(result.offset, (packet % 8) * kPacketSize) << "offset within its transfer";
        EXPECT_EQ(result.length, kPacketSize);
        EXPECT_EQ(result.status, USBD_STATUS_SUCCESS);
    }
}

TEST_F(IsoTransferTest, PacketFailuresShowInTheirOwnRecordsOnly) {
    // Packets of chunk 1 (packets 8..15, slot 1's first transfer) and chunk 5 (40..47, its
    // second) go unanswered; everything else arrives.
    std::set<std::uint64_t> silent;
    for (std::uint64_t packet : {8, 15, 40, 47}) {
        silent.insert(8 + packet);
    }
    device().silenceFrames(silent);
    const Reply reply = oneShot({kIsoPipe, kPacketSize, 64, 8, 4});
    ASSERT_EQ(reply.status, STATUS_SUCCESS) << "failures show in the records only";
    for (std::uint32_t packet = 0; packet < 64; ++packet) {
        const ZOUSB_PACKET_RECORD result =
            packetRecord(reply, 64 * kPacketSize + packet * kRecordSize);
        const bool silenced = silent.count(8 + packet) != 0;
        EXPECT_EQ(result.status, silenced ? USBD_STATUS_DEV_NOT_RESPONDING : USBD_STATUS_SUCCESS)
            << "packet " << packet;
        EXPECT_EQ(result.length, silenced ? 0u : kPacketSize);
    }
}

TEST_F(IsoTransferTest, WriteOnAnInPipeReadsLikeARead) {
    // The direction comes from the pipe's endpoint, not from the code.
    const Reply reply = oneShot({kIsoPipe, kPacketSize, 8, 8, 1}, IOCTL_ZOUSB_ISO_WRITE);
    EXPECT_EQ(reply.status, STATUS_SUCCESS);
    EXPECT_EQ(stampAt(reply, 7 * kPacketSize), 15u);
}

TEST_F(IsoTransferTest, RefusesWhatCannotBeCarried) {
    const auto refused = [&](IsoRecord record, std::size_t outputLength = 0) {
        return ioctl(file(), IOCTL_ZOUSB_ISO_READ, record.bytes(),
                     outputLength != 0 ? outputLength : record.outputLength())
            .status;
    };
    EXPECT_EQ(refused({kIsoPipe, kPacketSize, 60, 8, 4}), STATUS_INVALID_PARAMETER)
        << "not a multiple of packetsPerTransfer x transfers";
    const IsoRecord whole{kIsoPipe, kPacketSize, 64, 8, 4};
    EXPECT_EQ(refused(whole, whole.outputLength() - 1), STATUS_UNSUCCESSFUL) << "buffer short";
    EXPECT_EQ(refused({4, kPacketSize, 64, 8, 4}), STATUS_INVALID_PARAMETER) << "pipe index";
    EXPECT_EQ(refused({1, kPacketSize, 64, 8, 4}), STATUS_INVALID_PARAMETER) << "a bulk pipe";
    EXPECT_EQ(refused({kIsoPipe, kPacketSize, 64, 0, 4}), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(refused({kIsoPipe, kPacketSize, 64, 8, 0}), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(refused({kIsoPipe, 0, 64, 8, 4}), STATUS_INVALID_PARAMETER) << "no packet size";
    EXPECT_EQ(refused({kIsoPipe, kPacketSize, 0, 8, 4}, 12), STATUS_INVALID_PARAMETER)
        << "no packets";
    // 152 + 12 x 5449 bytes do not fit the URB's 16-bit length; 5448 packets do.
    EXPECT_EQ(refused({kIsoPipe, 1, 5449, 5449, 1}), STATUS_INVALID_PARAMETER);
    std::vector<std::uint8_t> shortRecord = whole.bytes();
    shortRecord.pop_back();
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_ISO_READ, shortRecord, whole.outputLength()).status,
              STATUS_INVALID_PARAMETER);
    EXPECT_EQ(machine().bus().isochronous().scheduled(), 0u) << "nothing was sent";
}

TEST_F(IsoTransferTest, TransfersTheBusRefusesShowInEveryRecord) {
    // Four packets are half a frame: a high-speed bus takes whole frames of eight.
    const Reply reply = oneShot({kIsoPipe, kPacketSize, 16, 4, 2});
    ASSERT_EQ(reply.status, STATUS_SUCCESS);
    for (std::uint32_t packet = 0; packet < 16; ++packet) {
        EXPECT_EQ(packetRecord(reply, 16 * kPacketSize + packet * kRecordSize).status,
                  USBD_STATUS_INVALID_PARAMETER);
    }
    EXPECT_EQ(machine().bus().isochronous().scheduled(), 0u);
}

TEST_F(IsoTransferTest, RemovalDuringATransferEndsItAtOnce) {
    const int port = lastPort();
    const IsoRecord record{kIsoPipe, kPacketSize, 8192, 8, 4};
    auto call = std::async(std::launch::async, [&] {
        return ioctl(file(), IOCTL_ZOUSB_ISO_READ, record.bytes(), record.outputLength());
    });
    ASSERT_TRUE(machine().bus().isochronous().waitUntilScheduled(4, std::chrono::seconds(10)));
    advance(3 * kMillisecond);
    // The clock stands still from here on: only the removal's abort can end the transfers, and
    // the slots must not send the rest of the 1024 ms.
    machine().pnp().remove(port);
    const Reply reply = call.get();
    EXPECT_EQ(reply.status, STATUS_SUCCESS);
    const std::size_t records = 8192 * kPacketSize;
    EXPECT_EQ(packetRecord(reply, records).status, USBD_STATUS_SUCCESS) << "ran before";
    EXPECT_EQ(packetRecord(reply, records + 8191 * kRecordSize).status, USBD_STATUS_CANCELED)
        << "never sent";
}

TEST_F(IsoTransferTest, UnpluggingDuringATransferEndsItWithTheRestGone) {
    const IsoRecord record{kIsoPipe, kPacketSize, 8192, 8, 4};
    auto call = std::async(std::launch::async, [&] {
        return ioctl(file(), IOCTL_ZOUSB_ISO_READ, record.bytes(), record.outputLength());
    });
    ASSERT_TRUE(machine().bus().isochronous().waitUntilScheduled(4, std::chrono::seconds(10)));
    advance(3 * kMillisecond);
    // The clock stands still: the device going ends what is on the bus, and the bus refuses what
    // the slots send before removal begins.
    machine().pnp().unplug(lastPort());
    const Reply reply = call.get();
    EXPECT_EQ(reply.status, STATUS_SUCCESS);
    const std::size_t records = 8192 * kPacketSize;
    EXPECT_EQ(packetRecord(reply, records).status, USBD_STATUS_SUCCESS) << "ran before";
    // Every packet ran, or says why it did not: none that never ran reads as a success.
    for (std::size_t packet = 0; packet < 8192; ++packet) {
        const ZOUSB_PACKET_RECORD result = packetRecord(reply, records + packet * kRecordSize);
        if (result.status == USBD_STATUS_SUCCESS) {
            ASSERT_EQ(result.length, kPacketSize) << "packet " << packet;
        } else {
            ASSERT_TRUE(result.status == USBD_STATUS_DEVICE_GONE ||
                        result.status == USBD_STATUS_CANCELED)
                << "packet " << packet << std::hex << ": " << result.status;
            ASSERT_EQ(result.length, 0u) << "packet " << packet;
        }
    }
    EXPECT_NE(packetRecord(reply, records + 8191 * kRecordSize).status, USBD_STATUS_SUCCESS);
}

}  // namespace
}  // namespace zo::test
