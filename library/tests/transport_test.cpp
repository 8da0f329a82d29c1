// Register access, the hub's vendor requests as they travel, and identification while probing.

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "library/tests/library_test_support.h"

namespace zo::test {
namespace {

using TransportTest = LibraryTest;

TEST_F(TransportTest, RegistersTravelAsVendorRequestsWithTheirLowEightBits) {
    auto hub = plug();
    QnHandle handle = probeAndOpen();
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(QnWriteRegister(handle, 0x1FF, 0x1AB), QN_OK);
    const SeenControl write = hub->requests(0xFB).back();
    EXPECT_EQ(write.setup.requestType, 0xC0) << "device to host, vendor, device";
    EXPECT_EQ(write.setup.value, 0xC0FF);
    EXPECT_EQ(write.setup.index, 0xAB00);
    EXPECT_EQ(write.setup.length, 1);

    int32_t value = -1;
    ASSERT_EQ(QnReadRegister(handle, 0x1FF, &value), QN_OK);
    EXPECT_EQ(value, 0xAB);
    const SeenControl read = hub->requests(0xFC).back();
    EXPECT_EQ(read.setup.value, 0xC0FF);
    EXPECT_EQ(read.setup.index, 0);

    ASSERT_EQ(QnResetDevice(handle), QN_OK);
    EXPECT_EQ(hub->requests(0xFA).size(), 2u) << "the open's reset and this one";
    ASSERT_EQ(QnReadRegister(handle, 0xFF, &value), QN_OK);
    EXPECT_EQ(value, 0) << "the reset cleared the register";
}

TEST_F(TransportTest, AShortReadIsAFailureWithHardwareErrorTwoAndAZeroValue) {
    auto hub = plug();
    QnHandle handle = probeAndOpen();
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(QnWriteRegister(handle, 5, 0x77), QN_OK);
    hub->hub().shortenNextControlReads(1, 1);
    int32_t value = -1;
    EXPECT_EQ(QnReadRegister(handle, 5, &value), QN_ERR_DEVICE);
    EXPECT_EQ(value, 0);
    int32_t code = -1;
    std::array<char, 64> text{};
    ASSERT_EQ(QnGetHardwareError(handle, &code, text.data(), 64), QN_OK);
    EXPECT_EQ(code, 2);
    EXPECT_STREQ(text.data(), "USB - 'DeviceIoControl' call failed.");

    hub->hub().shortenNextControlReads(1, 1);
    EXPECT_EQ(QnWriteRegister(handle, 5, 1), QN_ERR_DEVICE) << "its acknowledgement came short";
    hub->hub().stallNextControlTransfers(1);
    EXPECT_EQ(QnResetDevice(handle), QN_ERR_DEVICE);
    EXPECT_EQ(QnReadRegister(handle, 5, nullptr), QN_ERR_BAD_ARG);
}

TEST_F(TransportTest, RegisterExportsNeedAnOpenDeviceAndSendNothingOtherwise) {
    auto hub = plug();
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    QnHandle handle = nullptr;
    ASSERT_EQ(QnOpenDevice(1, &handle), QN_OK);
    ASSERT_EQ(QnCloseDevice(handle), QN_OK);
    const std::size_t seen = hub->controls().size();
    int32_t value = 1234;
    EXPECT_EQ(QnWriteRegister(handle, 0, 0), QN_ERR_DEVICE);
    EXPECT_EQ(QnReadRegister(handle, 0, &value), QN_ERR_DEVICE);
    EXPECT_EQ(value, 1234) << "untouched when the device is not open";
    EXPECT_EQ(QnResetDevice(handle), QN_ERR_DEVICE);
    EXPECT_EQ(hub->controls().size(), seen);
    EXPECT_EQ(QnWriteRegister(nullptr, 0, 0), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnReadRegister(nullptr, 0, &value), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnResetDevice(nullptr), QN_ERR_NO_HANDLE);
}

TEST_F(TransportTest, InformationBlockLengthDecidesHowManyWordsAreRead) {
    // Length 1: no further word, and without "VINF" the block is invalid.
    auto tiny = std::make_shared<InformationBlockDevice>(
        std::make_shared<RecordingDevice>(hub::HubOptions{}), std::vector<std::uint8_t>{1, 0});
    plugDevice(tiny);
    // Length 400: cut to the 64 words after the length word.
    std::vector<std::uint8_t> large(130, 0);
    large[0] = 400 & 0xFF;
    large[1] = 400 >> 8;
    std::copy_n("VINF", 4, large.begin() + 2);
    large[8] = 0x44;  // 32-bit value 0x11223344
    large[9] = 0x33;
    large[10] = 0x22;
    large[11] = 0x11;
    large[18] = 0x34;  // 16-bit value 0x1234
    large[19] = 0x12;
    auto full = std::make_shared<InformationBlockDevice>(
        std::make_shared<RecordingDevice>(hub::HubOptions{}), large);
    plugDevice(full);

    ASSERT_EQ(QnLoadDriver(), QN_OK);
    EXPECT_EQ(tiny->wordsRead(), 1);
    EXPECT_EQ(full->wordsRead(), 65);
    const std::vector<QnDeviceRecord> records = enumerate();
    ASSERT_EQ(records.size(), 2u) << "an invalid block does not fail identification";
    EXPECT_EQ(records[0].serial, 0);
    EXPECT_EQ(records[0].firmware, 0);
    EXPECT_EQ(records[1].serial, 0x11223344);
    EXPECT_EQ(records[1].firmware, 0x1234);
}

TEST_F(TransportTest, ABlockWithoutTheMagicOrWithAZeroValueKeepsTheWordsAtZero) {
    std::vector<std::uint8_t> noMagic(130, 0);
    noMagic[0] = 20;
    std::copy_n("VINX", 4, noMagic.begin() + 2);
    noMagic[8] = 9;
    noMagic[18] = 9;
    plugDevice(std::make_shared<InformationBlockDevice>(
        std::make_shared<RecordingDevice>(hub::HubOptions{}), noMagic));
    plug({.serial = 0, .firmware = 0x0777});
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    const std::vector<QnDeviceRecord> records = enumerate();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].serial, 0);
    EXPECT_EQ(records[0].firmware, 0);
    EXPECT_EQ(records[1].serial, 0);
    EXPECT_EQ(records[1].firmware, 0x0777);
}

// Reads a usbmon capture and finds the submission of a control transfer with this setup packet.
bool captureHasSetup(const std::filesystem::path& file, const std::array<std::uint8_t, 8>& setup) {
    std::ifstream stream(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(stream),
                                          std::istreambuf_iterator<char>()};
    constexpr std::size_t kFileHeader = 24, kRecordHeader = 16, kUsbmonHeader = 64;
    if (bytes.size() < kFileHeader || bytes[20] != 220) {  // link type: USB Linux, mmapped
        return false;
    }
    for (std::size_t at = kFileHeader; at + kRecordHeader <= bytes.size();) {
        const std::size_t captured = bytes[at + 8] | bytes[at + 9] << 8 | bytes[at + 10] << 16 |
                                     static_cast<std::size_t>(bytes[at + 11]) << 24;
        const std::size_t packet = at + kRecordHeader;
        if (packet + captured > bytes.size() || captured < kUsbmonHeader) {
            return false;
        }
        const bool submission = bytes[packet + 8] == 'S' && bytes[packet + 9] == 2;
        if (submission && std::equal(setup.begin(), setup.end(), bytes.begin() + packet + 40)) {
            return true;
        }
        at = packet + captured;
    }
    return false;
}

// The capture file of the test's machine, removed after the machine that holds it open is gone
// (Windows removes no file that is open): the first base, it is destroyed last.
class CaptureFile {
  public:
    ~CaptureFile() {
        std::error_code error;
        EXPECT_TRUE(std::filesystem::remove(capturePath(), error)) << error.message();
    }
    static std::filesystem::path capturePath() {
        return std::filesystem::path(testing::TempDir()) /
               ("quinteldrv_" + std::to_string(::getpid()) + ".pcap");
    }
};

class CaptureTest : private CaptureFile, public LibraryTest {
  protected:
    CaptureTest() : LibraryTest(capturePath().string()) {}
    using CaptureFile::capturePath;
};

TEST_F(CaptureTest, TheRegisterEncodingShowsInTheUsbmonCapture) {
    plug();
    QnHandle handle = probeAndOpen();
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(QnWriteRegister(handle, 0x1FF, 0x1AB), QN_OK);
    // bmRequestType 0xC0, bRequest 0xFB, wValue 0xC0FF, wIndex 0xAB00, wLength 1.
    EXPECT_TRUE(captureHasSetup(capturePath(), {0xC0, 0xFB, 0xFF, 0xC0, 0x00, 0xAB, 0x01, 0x00}));

    if (std::system("command -v tshark > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "tshark is not installed; the capture was checked by its bytes only";
    }
    const std::string command = "tshark -r '" + capturePath().string() +
                                "' -Y 'usb.setup.bRequest == 0xfb' -T fields "
                                "-e usb.setup.wValue -e usb.setup.wIndex 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    std::array<char, 256> chunk{};
    while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) {
        output += chunk.data();
    }
    ::pclose(pipe);
    // tshark prints wValue in hexadecimal and wIndex in decimal (0xAB00 = 43776).
    EXPECT_NE(output.find("0xc0ff\t43776\n"), std::string::npos) << output;
}

}  // namespace
}  // namespace zo::test
