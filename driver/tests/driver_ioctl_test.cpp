// The I/O-control interface of zousbdrv against a simulated hub.

#include <cstring>

#include "driver/tests/driver_test_support.h"

namespace zo::test {
namespace {

class IoctlTest : public DriverTest {
  protected:
    void SetUp() override {
        device_ = plug();
        file_ = open(0);
    }
    void TearDown() override {
        machine().io().close(*file_);
        DriverTest::TearDown();
    }
    kernel::OpenFile& file() { return *file_; }
    RecordingDevice& device() { return *device_; }

  private:
    std::shared_ptr<RecordingDevice> device_;
    std::shared_ptr<kernel::OpenFile> file_;
};

TEST_F(IoctlTest, VendorReadBringsTheRegisterIntoTheOutputBuffer) {
    ASSERT_EQ(vendorIn(file(), 0xFB, 0xC0FF, 0xAB00, 1).status, STATUS_SUCCESS);
    const Reply read = vendorIn(file(), 0xFC, 0xC0FF, 0, 1);
    EXPECT_EQ(read.status, STATUS_SUCCESS);
    EXPECT_EQ(read.information, 1u);
    EXPECT_EQ(read.output[0], 0xAB);
    const auto writes = device().requests(0xFB);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].setup.requestType, 0xC0);
    EXPECT_EQ(writes[0].setup.value, 0xC0FF);
    EXPECT_EQ(writes[0].setup.index, 0xAB00);
}

TEST_F(IoctlTest, ControlRequestsOutsideTheTableOrWithAWrongRecordAreRefused) {
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_CONTROL_REQUEST, controlRecord(1, 0, 0, 0xFC, 0xC000, 0), 1)
                  .status,
              STATUS_INVALID_PARAMETER);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_CONTROL_REQUEST, controlRecord(1, 3, 0, 0xFC, 0xC000, 0), 1)
                  .status,
              STATUS_INVALID_PARAMETER);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_CONTROL_REQUEST, controlRecord(1, 2, 4, 0xFC, 0xC000, 0), 1)
                  .status,
              STATUS_INVALID_PARAMETER);
    auto shortRecord = controlRecord(1, 2, 0, 0xFC, 0xC000, 0);
    shortRecord.pop_back();
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_CONTROL_REQUEST, shortRecord, 1).status,
              STATUS_INVALID_PARAMETER);
    auto longRecord = controlRecord(1, 2, 0, 0xFC, 0xC000, 0);
    longRecord.push_back(0);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_CONTROL_REQUEST, longRecord, 1).status,
              STATUS_INVALID_PARAMETER);
    EXPECT_TRUE(device().requests(0xFC).empty()) << "nothing reached the hub";
}

TEST_F(IoctlTest, AShortAnswerSucceedsWithTheBytesReceived) {
    device().hub().shortenNextControlReads(1, 1);
    const Reply reply = vendorIn(file(), 0xF0, 0, 0, 2);
    EXPECT_EQ(reply.status, STATUS_SUCCESS);
    EXPECT_EQ(reply.information, 1u);
}

TEST_F(IoctlTest, TheLastUsbStatusKeepsTheLatestFailure) {
    Reply status = ioctl(file(), IOCTL_ZOUSB_GET_LAST_USB_STATUS, {}, 4);
    EXPECT_EQ(status.status, STATUS_SUCCESS);
    EXPECT_EQ(read32(status.output, 0), 0u);
    device().hub().stallNextControlTransfers(1);
    EXPECT_EQ(vendorIn(file(), 0xFC, 0xC000, 0, 1).status, STATUS_UNSUCCESSFUL);
    EXPECT_EQ(vendorIn(file(), 0xFC, 0xC000, 0, 1).status, STATUS_SUCCESS);
    status = ioctl(file(), IOCTL_ZOUSB_GET_LAST_USB_STATUS, {}, 4);
    EXPECT_EQ(status.information, 4u);
    EXPECT_EQ(static_cast<LONG>(read32(status.output, 0)), USBD_STATUS_STALL_PID);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_GET_LAST_USB_STATUS, {}, 3).status, STATUS_UNSUCCESSFUL);
}

TEST_F(IoctlTest, TheInterfaceRecordTakesItsSixtyFourAndThirtyTwoBitForms) {
    const Reply native = ioctl(file(), IOCTL_ZOUSB_QUERY_INTERFACE, {}, 1024);
    EXPECT_EQ(native.status, STATUS_SUCCESS);
    EXPECT_EQ(native.information, 120u);
    EXPECT_EQ(read32(native.output, 16), 4u);
    EXPECT_EQ(native.output[24] | native.output[25] << 8, 512);

    auto narrow = open(0, true);
    const Reply compat = ioctl(*narrow, IOCTL_ZOUSB_QUERY_INTERFACE, {}, 1024);
    machine().io().close(*narrow);
    EXPECT_EQ(compat.status, STATUS_SUCCESS);
    EXPECT_EQ(compat.information, 120u) << "the 64-bit record's length";
    EXPECT_EQ(read32(compat.output, 8), 0u) << "no interface handle";
    EXPECT_EQ(read32(compat.output, 12), 4u);
    EXPECT_EQ(compat.output[16] | compat.output[17] << 8, 512);
    EXPECT_EQ(compat.output[18], native.output[26]) << "endpoint of the first pipe";
    EXPECT_EQ(read32(compat.output, 24), 0u) << "no pipe handle";
    EXPECT_EQ(read32(compat.output, 28), 0x200000u);
    for (std::size_t i = 36; i < 120; ++i) {
        ASSERT_EQ(compat.output[i], 0) << "byte " << i;
    }
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_QUERY_INTERFACE, {}, 119).status, STATUS_BUFFER_TOO_SMALL);
}

TEST_F(IoctlTest, PipeTransfersCheckIndexTypeAndSize) {
    const std::vector<std::uint8_t> payload{1, 2, 3, 4, 5};
    Reply write = ioctl(file(), IOCTL_ZOUSB_PIPE_WRITE, word32(0), 0);
    // The data of a direct request is the output buffer; send the payload through it.
    std::vector<std::uint8_t> data = payload;
    const auto sent = machine().io().deviceControl(file(), IOCTL_ZOUSB_PIPE_WRITE, word32(0), data);
    EXPECT_EQ(sent.status, STATUS_SUCCESS);
    EXPECT_EQ(sent.information, payload.size());
    const Reply read = ioctl(file(), IOCTL_ZOUSB_PIPE_READ, word32(1), 64);
    EXPECT_EQ(read.status, STATUS_SUCCESS);
    ASSERT_EQ(read.information, payload.size());
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), read.output.begin()));
    EXPECT_EQ(write.status, STATUS_SUCCESS);

    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_PIPE_READ, word32(4), 8).status, STATUS_INVALID_PARAMETER);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_PIPE_READ, word32(3), 8).status, STATUS_INVALID_PARAMETER)
        << "isochronous pipe";
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_PIPE_READ, word32(1), 0x200001).status,
              STATUS_INVALID_PARAMETER);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_PIPE_READ, {1, 0, 0}, 8).status, STATUS_INVALID_PARAMETER)
        << "a pipe index must be given in full";
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_RESET_PIPE, word32(4)).status, STATUS_INVALID_PARAMETER);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_RESET_PIPE, word32(1)).status, STATUS_SUCCESS);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_ABORT_PIPE, word32(1)).status, STATUS_SUCCESS);
}

TEST_F(IoctlTest, MemoryLoadGoesInChunksOfSixtyFourBytes) {
    std::vector<std::uint8_t> data(130);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i);
    }
    const auto loaded = machine().io().deviceControl(file(), IOCTL_ZOUSB_LOAD_MEMORY,
                                                     std::vector<std::uint8_t>{0x00, 0x10}, data);
    EXPECT_EQ(loaded.status, STATUS_SUCCESS);
    const auto chunks = device().requests(0xA0);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].setup.value, 0x1000);
    EXPECT_EQ(chunks[1].setup.value, 0x1040);
    EXPECT_EQ(chunks[2].setup.value, 0x1080);
    EXPECT_EQ(chunks[0].outData.size(), 64u);
    EXPECT_EQ(chunks[2].outData, (std::vector<std::uint8_t>{128, 129}));
    EXPECT_EQ(chunks[2].setup.requestType, 0x40) << "host to device";

    std::vector<std::uint8_t> exact(128);
    machine().io().deviceControl(file(), IOCTL_ZOUSB_LOAD_MEMORY, std::vector<std::uint8_t>{0, 0},
                                 exact);
    EXPECT_EQ(device().requests(0xA0).size(), 5u);
    machine().io().deviceControl(file(), IOCTL_ZOUSB_LOAD_MEMORY, std::vector<std::uint8_t>{0},
                                 exact);
    EXPECT_EQ(device().requests(0xA0).size(), 5u) << "a start address of one byte sends nothing";
}

TEST_F(IoctlTest, BlockLoadSendsWholeBlocksOnly) {
    const Reply reply = ioctl(file(), IOCTL_ZOUSB_LOAD_BLOCKS, std::vector<std::uint8_t>(1000, 7));
    EXPECT_EQ(reply.status, STATUS_SUCCESS);
    const auto blocks = device().requests(0xA0);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].setup.value, 0);
    EXPECT_EQ(blocks[0].outData.size(), 512u);
}

TEST_F(IoctlTest, VendorTransferSendsACountingPatternOrTheDataByte) {
    const std::vector<std::uint8_t> four{0xA0, 0, 0x00, 0x20, 0, 0, 4, 0, 0, 0x99};
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_VENDOR_TRANSFER, four).status, STATUS_SUCCESS);
    const std::vector<std::uint8_t> one{0xA0, 0, 0x10, 0x20, 0, 0, 1, 0, 0, 0x99};
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_VENDOR_TRANSFER, one).status, STATUS_SUCCESS);
    const auto sent = device().requests(0xA0);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].outData, (std::vector<std::uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(sent[1].outData, (std::vector<std::uint8_t>{0x99}));

    const std::vector<std::uint8_t> readBack{0xA0, 0, 0x00, 0x20, 0, 0, 4, 0, 1, 0};
    const Reply in = ioctl(file(), IOCTL_ZOUSB_VENDOR_TRANSFER, readBack, 16);
    EXPECT_EQ(in.status, STATUS_SUCCESS);
    EXPECT_EQ(in.information, 4u);
    EXPECT_EQ(in.output[1], 1);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_VENDOR_TRANSFER, readBack, 3).status,
              STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_VENDOR_TRANSFER, {0xA0, 0, 0}).status,
              STATUS_INVALID_PARAMETER);
}

TEST_F(IoctlTest, DescriptorsAndStringsComeBackWithTheirLengths) {
    const Reply device = ioctl(file(), IOCTL_ZOUSB_READ_DEVICE_DESCRIPTOR, {}, 18);
    EXPECT_EQ(device.information, 18u);
    EXPECT_EQ(device.output[10] | device.output[11] << 8, 0x4345);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_READ_DEVICE_DESCRIPTOR, {}, 17).status,
              STATUS_BUFFER_TOO_SMALL);
    const Reply configuration = ioctl(file(), IOCTL_ZOUSB_READ_CONFIG_DESCRIPTOR, {}, 9);
    EXPECT_EQ(configuration.information, 9u);
    const Reply product =
        ioctl(file(), IOCTL_ZOUSB_READ_STRING_DESCRIPTOR, {2, 0, 0x09, 0x04}, 255);
    EXPECT_EQ(product.status, STATUS_SUCCESS);
    EXPECT_EQ(product.information, product.output[0]);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_READ_STRING_DESCRIPTOR, {2, 0, 0x09, 0x04}, 0).status,
              STATUS_INVALID_PARAMETER);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_READ_STRING_DESCRIPTOR, {2, 0}, 255).status,
              STATUS_INVALID_PARAMETER);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_READ_STRING_DESCRIPTOR, {99, 0, 0x09, 0x04}, 255).status,
              STATUS_UNSUCCESSFUL);
}

TEST_F(IoctlTest, TheDriverAnswersVersionFrameNumberAndUnknownCodes) {
    const Reply version = ioctl(file(), IOCTL_ZOUSB_GET_DRIVER_VERSION, {}, 6);
    EXPECT_EQ(version.information, 6u);
    EXPECT_EQ(version.output, (std::vector<std::uint8_t>{1, 0, 10, 0, 0, 0}));
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_GET_DRIVER_VERSION, {}, 5).status, STATUS_UNSUCCESSFUL);
    const Reply frame = ioctl(file(), IOCTL_ZOUSB_GET_FRAME_NUMBER, {}, 4);
    EXPECT_EQ(frame.status, STATUS_SUCCESS);
    EXPECT_NE(read32(frame.output, 0), 0u);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_GET_FRAME_NUMBER, {}, 3).status, STATUS_INVALID_PARAMETER);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_NOP).status, STATUS_SUCCESS);
    EXPECT_EQ(ioctl(file(), 0x222010).status, STATUS_INVALID_PARAMETER);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_STOP_STREAM).status, STATUS_SUCCESS);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_RESET_PORT).status, STATUS_SUCCESS);
    EXPECT_EQ(vendorIn(file(), 0xFC, 0xC000, 0, 1).status, STATUS_SUCCESS)
        << "configured after reset";
}

TEST_F(IoctlTest, SetFeatureReportsWhatTheHubAnswered) {
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_SET_FEATURE, {1, 0, 0, 0}).status, STATUS_SUCCESS);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_SET_FEATURE, {2, 0, 0, 0}).status, STATUS_UNSUCCESSFUL);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_SET_FEATURE, {1, 0, 0}).status, STATUS_INVALID_PARAMETER);
}

TEST_F(IoctlTest, SelectingAnInterfaceReplacesTheRecordAndAFailedCopyLeavesNone) {
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_SELECT_INTERFACE, {0, 0}).status, STATUS_SUCCESS);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_QUERY_INTERFACE, {}, 1024).information, 120u);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_SELECT_INTERFACE, {0, 5}).status, STATUS_SUCCESS)
        << "a missing setting is not reported";
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_QUERY_INTERFACE, {}, 1024).information, 120u);
    // Allocations: configuration buffer, its read's URB and request, the selection's URB and
    // request, the record's copy.
    machine().pool().failAllocation(6);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_SELECT_INTERFACE, {0, 0}).status, STATUS_SUCCESS);
    const Reply none = ioctl(file(), IOCTL_ZOUSB_QUERY_INTERFACE, {}, 1024);
    EXPECT_EQ(none.status, STATUS_SUCCESS);
    EXPECT_EQ(none.information, 0u);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_PIPE_READ, word32(0), 8).status, STATUS_UNSUCCESSFUL);
    EXPECT_EQ(ioctl(file(), IOCTL_ZOUSB_RESET_PIPE, word32(0)).status, STATUS_UNSUCCESSFUL);
}

}  // namespace
}  // namespace zo::test
