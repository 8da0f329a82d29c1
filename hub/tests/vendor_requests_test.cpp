#include <gtest/gtest.h>

#include "hub/simulated_hub.h"
#include "hub/tests/hub_test_support.h"

namespace zo::hub {
namespace {

using namespace test;
using zo::usb::TransferStatus;

std::optional<std::uint16_t> informationWord(SimulatedHub& hub, std::uint16_t index) {
    const Answer answer = controlIn(hub, kVendorDeviceIn, 0xF0, index, 0, 2);
    if (answer.status != TransferStatus::Ok || answer.bytes.size() != 2) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(answer.bytes[0] | answer.bytes[1] << 8);
}

bool isResultRegister(int reg) {
    return reg == 32 || reg == 33 || reg == 0x41;
}

TEST(RegisterRequests, WriteUsesTheHighByteOfWIndexAndReadsBack) {
    SimulatedHub hub;
    const Answer written = controlIn(hub, kVendorDeviceIn, 0xFB, 0xC0FF, 0xAB00, 1);
    EXPECT_EQ(written.status, TransferStatus::Ok);
    EXPECT_EQ(written.bytes.size(), 1u);
    const Answer read = controlIn(hub, kVendorDeviceIn, 0xFC, 0xC0FF, 0, 1);
    EXPECT_EQ(read.bytes, std::vector<std::uint8_t>{0xAB});
}

TEST(RegisterRequests, EveryRegisterHoldsItsOwnValueExceptTheResultRegisters) {
    SimulatedHub hub;
    for (int reg = 0; reg < 256; ++reg) {
        ASSERT_TRUE(writeRegister(hub, static_cast<std::uint8_t>(reg),
                                  static_cast<std::uint8_t>(reg ^ 0x5A)));
    }
    for (int reg = 0; reg < 256; ++reg) {
        SCOPED_TRACE(reg);
        const std::uint8_t expected =
            isResultRegister(reg) ? 0 : static_cast<std::uint8_t>(reg ^ 0x5A);
        EXPECT_EQ(readRegister(hub, static_cast<std::uint8_t>(reg)), expected);
    }
}

TEST(RegisterRequests, ResetClearsEveryRegister) {
    SimulatedHub hub;
    ASSERT_TRUE(writeRegister(hub, 0x40, 0xFF));
    ASSERT_TRUE(writeRegister(hub, 0x07, 0x12));
    const Answer reset = controlIn(hub, kVendorDeviceIn, 0xFA, 0, 0, 1);
    EXPECT_EQ(reset.status, TransferStatus::Ok);
    EXPECT_EQ(reset.bytes.size(), 1u);
    EXPECT_EQ(readRegister(hub, 0x40), 0);
    EXPECT_EQ(readRegister(hub, 0x07), 0);
}

TEST(RegisterRequests, BrokenEncodingsStallAndChangeNothing) {
    SimulatedHub hub;
    ASSERT_TRUE(writeRegister(hub, 0x10, 0x77));
    const struct {
        const char* what;
        std::uint8_t requestType, request;
        std::uint16_t value, index;
    } refused[] = {
        {"write without the 0xC0 tag", kVendorDeviceIn, 0xFB, 0x0010, 0x1100},
        {"write with the value in the low byte", kVendorDeviceIn, 0xFB, 0xC010, 0x0011},
        {"read without the 0xC0 tag", kVendorDeviceIn, 0xFC, 0x8010, 0},
        {"read with a non-zero wIndex", kVendorDeviceIn, 0xFC, 0xC010, 1},
        {"reset with a non-zero wValue", kVendorDeviceIn, 0xFA, 1, 0},
        {"write to the interface", 0xC1, 0xFB, 0xC010, 0x1100},
        {"reset to an endpoint", 0xC2, 0xFA, 0, 0},
        {"unknown request", kVendorDeviceIn, 0xF1, 0xC010, 0},
        {"class request", 0xA0, 0xFA, 0, 0},
    };
    for (const auto& request : refused) {
        SCOPED_TRACE(request.what);
        EXPECT_EQ(
            controlIn(hub, request.requestType, request.request, request.value, request.index, 1)
                .status,
            TransferStatus::Stall);
    }
    EXPECT_EQ(controlOut(hub, kVendorDeviceOut, 0xFC, 0xC010, 0, {0}).status,
              TransferStatus::Stall);  // a read must be device to host
    EXPECT_EQ(readRegister(hub, 0x10), 0x77);
}

TEST(RegisterRequests, CommandsSentHostToDeviceAlsoWork) {
    SimulatedHub hub;
    EXPECT_TRUE(isOk(controlOut(hub, kVendorDeviceOut, 0xFB, 0xC050, 0x3C00)));
    EXPECT_EQ(readRegister(hub, 0x50), 0x3C);
    EXPECT_TRUE(isOk(controlOut(hub, kVendorDeviceOut, 0xFA, 0, 0)));
    EXPECT_EQ(readRegister(hub, 0x50), 0);
}

TEST(InformationBlock, WordsHoldLengthSignatureSerialAndFirmware) {
    SimulatedHub hub({.serial = 0x89ABCDEF, .firmware = 0x0312});
    EXPECT_EQ(informationWord(hub, 0), 20);
    EXPECT_EQ(informationWord(hub, 1), 'V' | 'I' << 8);
    EXPECT_EQ(informationWord(hub, 2), 'N' | 'F' << 8);
    EXPECT_EQ(informationWord(hub, 3), 0);
    EXPECT_EQ(informationWord(hub, 4), 0xCDEF);
    EXPECT_EQ(informationWord(hub, 5), 0x89AB);
    EXPECT_EQ(informationWord(hub, 9), 0x0312);
    EXPECT_EQ(informationWord(hub, 10), 0);  // past the block, inside the 130-byte window
    EXPECT_EQ(informationWord(hub, 64), 0);
    EXPECT_EQ(informationWord(hub, 65), std::nullopt);  // beyond the window: stall
}

TEST(InformationBlock, AbsentBlockReadsLengthZero) {
    SimulatedHub hub({.hasInfoBlock = false, .serial = 7});
    EXPECT_EQ(informationWord(hub, 0), 0);
    EXPECT_EQ(informationWord(hub, 1), 0);
    EXPECT_EQ(informationWord(hub, 4), 0);
}

TEST(MemoryLoad, WrittenBytesReadBackAndOverrunsAreRefused) {
    SimulatedHub hub;
    EXPECT_TRUE(isOk(controlOut(hub, kVendorDeviceOut, 0xA0, 0x1000, 0, {1, 2, 3, 4})));
    EXPECT_EQ(controlIn(hub, kVendorDeviceIn, 0xA0, 0x1001, 0, 3).bytes,
              (std::vector<std::uint8_t>{2, 3, 4}));
    EXPECT_TRUE(isOk(controlOut(hub, kVendorDeviceOut, 0xA0, 0xFFFE, 0, {9, 8})));
    EXPECT_EQ(controlOut(hub, kVendorDeviceOut, 0xA0, 0xFFFF, 0, {7, 7}).status,
              TransferStatus::Stall);
    EXPECT_EQ(controlIn(hub, kVendorDeviceIn, 0xA0, 0xFFFE, 0, 2).bytes,
              (std::vector<std::uint8_t>{9, 8}));  // the refused write left no trace
    EXPECT_EQ(controlIn(hub, kVendorDeviceIn, 0xA0, 0xFFFF, 0, 2).status, TransferStatus::Stall);
}

TEST(ControlFaults, StallsHaveNoEffectAndRunOut) {
    SimulatedHub hub;
    hub.stallNextControlTransfers(2);
    EXPECT_FALSE(writeRegister(hub, 0x40, 0x11));
    EXPECT_EQ(readRegister(hub, 0x40), std::nullopt);
    EXPECT_EQ(readRegister(hub, 0x40), 0);  // the stalled write did not happen
}

TEST(ControlFaults, ShortReadsAnswerFewerBytesButStillAct) {
    SimulatedHub hub;
    hub.shortenNextControlReads(2, 1);
    EXPECT_FALSE(writeRegister(hub, 0x40, 0x22));  // acknowledgement lost, write done
    EXPECT_EQ(controlIn(hub, kVendorDeviceIn, 0xF0, 0, 0, 2).bytes,
              std::vector<std::uint8_t>{20});  // one byte of the two
    EXPECT_EQ(readRegister(hub, 0x40), 0x22);
    // Host-to-device transfers and stalls do not use up a short read.
    hub.shortenNextControlReads(1, 5);
    EXPECT_TRUE(isOk(controlOut(hub, kVendorDeviceOut, 0xFB, 0xC040, 0x3300)));
    EXPECT_EQ(controlIn(hub, kVendorDeviceIn, 0xFC, 0x0040, 0, 1).status, TransferStatus::Stall);
    EXPECT_EQ(readRegister(hub, 0x40), std::nullopt);
    EXPECT_EQ(readRegister(hub, 0x40), 0x33);
}

}  // namespace
}  // namespace zo::hub
