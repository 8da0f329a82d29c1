// Probing, enumeration, opening, closing, device information and hardware errors.

#include <array>
#include <string>

#include "library/tests/library_test_support.h"

namespace zo::test {
namespace {

using FrameTest = LibraryTest;

TEST_F(FrameTest, WithoutHubsEnumerationFindsNothingAndNoIdentifierOpens) {
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    std::array<QnDeviceRecord, 10> records{};
    uint32_t count = 10;
    EXPECT_EQ(QnEnumDevices(records.data(), &count), QN_OK);
    EXPECT_EQ(count, 0u);
    QnHandle handle = nullptr;
    EXPECT_EQ(QnOpenDevice(1, &handle), QN_ERR_NO_DEVICE);
}

TEST_F(FrameTest, EnumerationProbesWhenNothingWasProbedAndListsEveryRecordWord) {
    ASSERT_EQ(QnLoadDriver(), QN_OK);  // finds nothing
    plug({.serial = 0xCAFE, .firmware = 0x0210});
    plug({.speed = usb::Speed::Full});
    std::array<QnDeviceRecord, 5> records{};
    uint32_t count = 5;
    ASSERT_EQ(QnEnumDevices(records.data(), &count), QN_OK);
    ASSERT_EQ(count, 2u) << "enumeration probed again";
    EXPECT_EQ(records[0].reserved, 0);
    EXPECT_EQ(records[0].kind, 1);
    EXPECT_EQ(records[0].id, 1);
    EXPECT_EQ(records[0].serial, 0xCAFE);
    EXPECT_EQ(records[0].firmware, 0x0210);
    EXPECT_EQ(records[0].isOpen, 0);
    EXPECT_EQ(records[0].speedCode, 20);
    EXPECT_EQ(records[1].id, 2);
    EXPECT_EQ(records[1].speedCode, 11) << "a full-speed hub";

    // A shorter list is cut to the caller's count.
    count = 1;
    ASSERT_EQ(QnEnumDevices(records.data(), &count), QN_OK);
    EXPECT_EQ(count, 1u);
}

TEST_F(FrameTest, EnumerationRefusesNullPointersAndAZeroCount) {
    std::array<QnDeviceRecord, 1> records{};
    uint32_t count = 0;
    EXPECT_EQ(QnEnumDevices(records.data(), &count), QN_ERR_BAD_ARG);
    count = 1;
    EXPECT_EQ(QnEnumDevices(nullptr, &count), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnEnumDevices(records.data(), nullptr), QN_ERR_BAD_ARG);
}

TEST_F(FrameTest, ALoneDeviceOnSlotThreeGetsIdentifierFourAndTheFirstContext) {
    for (int i = 0; i < 4; ++i) {
        plug();
    }
    for (std::size_t position = 0; position < 3; ++position) {
        unplug(position);
    }
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    const std::vector<QnDeviceRecord> records = enumerate();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].id, 4);
    QnHandle handle = nullptr;
    EXPECT_EQ(QnOpenDevice(1, &handle), QN_ERR_NO_DEVICE);
    ASSERT_EQ(QnOpenDevice(4, &handle), QN_OK);
    // The first context of the table, as every other first device gets it.
    plug();
    EXPECT_EQ(QnCloseDevice(handle), QN_OK);
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    QnHandle first = nullptr;
    ASSERT_EQ(QnOpenDevice(1, &first), QN_OK) << "the new hub took slot 0";
    QnHandle second = nullptr;
    ASSERT_EQ(QnOpenDevice(4, &second), QN_OK);
    EXPECT_EQ(first, handle);
    EXPECT_NE(second, handle);
}

TEST_F(FrameTest, AWrongProductIsLeftOutAndABlocklessHubIsListedWithoutItsValues) {
    plug({.productId = 0x1234});
    plug({.hasInfoBlock = false});
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    const std::vector<QnDeviceRecord> records = enumerate();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].id, 2);
    EXPECT_EQ(records[0].serial, 0);
    EXPECT_EQ(records[0].firmware, 0);
}

TEST_F(FrameTest, OpenChecksIdentifierThenReportsAnOpenDeviceWithItsHandle) {
    plug();
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    QnHandle untouched = reinterpret_cast<QnHandle>(0x1);
    EXPECT_EQ(QnOpenDevice(0, &untouched), QN_ERR_NO_DEVICE);
    EXPECT_EQ(QnOpenDevice(6, &untouched), QN_ERR_NO_DEVICE);
    EXPECT_EQ(QnOpenDevice(2, &untouched), QN_ERR_NO_DEVICE);
    EXPECT_EQ(untouched, reinterpret_cast<QnHandle>(0x1));
    EXPECT_EQ(QnOpenDevice(1, nullptr), QN_ERR_BAD_ARG);

    QnHandle handle = nullptr;
    ASSERT_EQ(QnOpenDevice(1, &handle), QN_OK);
    EXPECT_EQ(enumerate().at(0).isOpen, 1);
    QnHandle again = nullptr;
    EXPECT_EQ(QnOpenDevice(1, &again), QN_ERR_ALREADY_OPEN);
    EXPECT_EQ(again, handle);
    EXPECT_EQ(QnCloseDevice(handle), QN_OK);
    EXPECT_EQ(enumerate().at(0).isOpen, 0);
}

TEST_F(FrameTest, OpeningResetsTheHubAndClosingStopsMeasurementAndOutputs) {
    auto hub = plug();
    QnHandle handle = probeAndOpen();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(hub->requests(0xFA).size(), 1u) << "one reset";
    const std::size_t writesAfterOpen = hub->requests(0xFB).size();
    ASSERT_EQ(QnCloseDevice(handle), QN_OK);
    EXPECT_EQ(registerWrites(*hub, writesAfterOpen),
              (std::vector<std::pair<int, int>>{{0x41, 0}, {0x40, 0}}));

    // Closing a closed device sends nothing.
    const std::size_t seen = hub->controls().size();
    EXPECT_EQ(QnCloseDevice(handle), QN_OK);
    EXPECT_EQ(hub->controls().size(), seen);
    EXPECT_EQ(QnCloseDevice(nullptr), QN_ERR_NO_HANDLE);
}

TEST_F(FrameTest, AFailedOpenOrCloseLeavesTheDeviceClosedAndReopenable) {
    auto hub = plug();
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    hub->hub().stallNextControlTransfers(1);  // the reset
    QnHandle handle = nullptr;
    EXPECT_EQ(QnOpenDevice(1, &handle), QN_ERR_DEVICE);
    EXPECT_EQ(enumerate().at(0).isOpen, 0);
    ASSERT_EQ(QnOpenDevice(1, &handle), QN_OK);

    hub->hub().stallNextControlTransfers(1);  // the measurement stop
    const std::size_t writes = hub->requests(0xFB).size();
    EXPECT_EQ(QnCloseDevice(handle), QN_ERR_DEVICE);
    EXPECT_EQ(registerWrites(*hub, writes), (std::vector<std::pair<int, int>>{{0x41, 0}}))
        << "the stop stalled; the outputs are left alone";
    EXPECT_EQ(enumerate().at(0).isOpen, 0);
    EXPECT_EQ(QnOpenDevice(1, &handle), QN_OK);
}

TEST_F(FrameTest, AnUnpluggedHubCannotBeOpenedAndSaysWhy) {
    plug();
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    unplug(0);
    QnHandle handle = nullptr;
    EXPECT_EQ(QnOpenDevice(1, &handle), QN_ERR_DEVICE);
    int32_t code = -1;
    std::array<char, 64> text{};
    ASSERT_EQ(QnGetHardwareError(handle, &code, text.data(), 64), QN_OK);
    EXPECT_EQ(code, 1);
    EXPECT_STREQ(text.data(), "USB - Cannot open device driver.");
}

TEST_F(FrameTest, LoadingTheDriverWhileADeviceIsOpenKeepsTheTableAndTheOpenDevice) {
    auto hub = plug();
    QnHandle handle = probeAndOpen();
    ASSERT_NE(handle, nullptr);
    plug();  // a second hub that a new probe would find

    EXPECT_EQ(QnLoadDriver(), QN_ERR_ALREADY_OPEN);
    const std::vector<QnDeviceRecord> records = enumerate();
    ASSERT_EQ(records.size(), 1u) << "no new probe";
    EXPECT_EQ(records[0].isOpen, 1);
    int32_t value = -1;
    EXPECT_EQ(QnReadRegister(handle, 0x40, &value), QN_OK) << "the open device still works";
    EXPECT_EQ(QnCloseDevice(handle), QN_OK);
    EXPECT_EQ(QnLoadDriver(), QN_OK);
    EXPECT_EQ(enumerate().size(), 2u);
}

TEST_F(FrameTest, DeviceInformationGivesTheRecordWordsOpenOrNot) {
    plug({.speed = usb::Speed::Full, .serial = 77, .firmware = 0x0311});
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    QnHandle handle = nullptr;
    ASSERT_EQ(QnOpenDevice(1, &handle), QN_OK);
    ASSERT_EQ(QnCloseDevice(handle), QN_OK);
    const std::array<int32_t, 6> expected = {1, 1, 1, 77, 0x0311, 11};
    for (uint32_t type = 0; type < expected.size(); ++type) {
        int32_t value = -1;
        int32_t reserved = -1;
        EXPECT_EQ(QnGetDeviceInfo(handle, type, &value, &reserved), QN_OK);
        EXPECT_EQ(value, expected[type]) << "type " << type;
        EXPECT_EQ(reserved, 0);
    }
    int32_t value = 0;
    int32_t reserved = 0;
    EXPECT_EQ(QnGetDeviceInfo(handle, 6, &value, &reserved), QN_ERR_BAD_ID);
    EXPECT_EQ(QnGetDeviceInfo(handle, 0, &value, nullptr), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnGetDeviceInfo(handle, 0, nullptr, &reserved), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnGetDeviceInfo(nullptr, 0, &value, &reserved), QN_ERR_NO_HANDLE);
}

TEST_F(FrameTest, HandlesThatTheLibraryDidNotHandOutAreRefused) {
    QnDeviceSettings settings = sizedRecord();
    const auto madeUp = reinterpret_cast<QnHandle>(&settings);
    int32_t value = 0;
    int32_t reserved = 0;
    EXPECT_EQ(QnGetDeviceInfo(madeUp, 0, &value, &reserved), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnCloseDevice(madeUp), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnReadDefaultSettings(madeUp, &settings), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnWriteRegister(madeUp, 0, 0), QN_ERR_NO_HANDLE);
}

TEST_F(FrameTest, HardwareErrorTextIsCutToTheBufferAndAlwaysTerminated) {
    auto hub = plug();
    QnHandle handle = probeAndOpen();
    ASSERT_NE(handle, nullptr);
    int32_t code = -1;
    std::array<char, 64> text{};
    ASSERT_EQ(QnGetHardwareError(handle, &code, text.data(), 64), QN_OK);
    EXPECT_EQ(code, 0);
    EXPECT_STREQ(text.data(), "Successfull Operation.");

    hub->hub().stallNextControlTransfers(1);
    int32_t value = 0;
    EXPECT_EQ(QnReadRegister(handle, 0, &value), QN_ERR_DEVICE);
    text.fill('x');
    ASSERT_EQ(QnGetHardwareError(handle, &code, text.data(), 10), QN_OK);
    EXPECT_EQ(code, 2);
    EXPECT_EQ(std::string(text.data()), "USB - 'De");
    EXPECT_EQ(text[10], 'x') << "nothing written beyond the buffer";

    EXPECT_EQ(QnGetHardwareError(handle, &code, text.data(), 0), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnGetHardwareError(handle, nullptr, text.data(), 10), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnGetHardwareError(handle, &code, nullptr, 10), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnGetHardwareError(nullptr, &code, text.data(), 10), QN_ERR_NO_HANDLE);
}

}  // namespace
}  // namespace zo::test
