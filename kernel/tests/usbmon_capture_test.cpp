#include "kernel/usbmon_capture.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <vector>

#include "kernel/linux_urb_status.h"

namespace zo::kernel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::nanoseconds;

constexpr std::size_t kFileHeader = 24;
constexpr std::size_t kRecordHeader = 16;
constexpr std::size_t kUsbHeader = 64;
constexpr std::array<std::uint8_t, 8> kVendorRead = {0xC0, 0xFB, 0xFF, 0xC0,
                                                     0x00, 0xAB, 0x01, 0x00};
constexpr std::int64_t kEpochSeconds = 1700000000;

// Readers of little-endian values, independent of the writer's record types.
std::uint64_t le(const Bytes& bytes, std::size_t offset, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = (value << 8) | bytes.at(offset + i);
    }
    return value;
}
std::int32_t le32s(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::int32_t>(le(bytes, offset, 4));
}

class UsbmonCaptureTest : public ::testing::Test {
  protected:
    std::string path_ = testing::TempDir() + "usbmon_" +
                        testing::UnitTest::GetInstance()->current_test_info()->name() + ".pcap";

    std::unique_ptr<UsbmonCapture> create() {
        std::string error;
        auto capture = UsbmonCapture::create(path_, error);
        EXPECT_NE(capture, nullptr) << error;
        return capture;
    }
    Bytes contents() const {
        std::ifstream file(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), {});
    }
};

UsbmonEvent vendorReadSubmission() {
    UsbmonEvent event;
    event.urbId = 0x1122334455667788;
    event.kind = 'S';
    event.transferType = UsbTransferType::Control;
    event.endpoint = 0x80;
    event.deviceAddress = 5;
    event.busNumber = 3;
    event.setup = kVendorRead;
    event.status = kLinuxUrbInProgress;
    event.urbLength = 1;
    event.transferFlags = 0x200;
    event.timestamp = std::chrono::seconds(kEpochSeconds) + nanoseconds(123456789);
    return event;
}

UsbmonEvent completionOf(UsbmonEvent event, std::span<const std::uint8_t> data) {
    event.kind = 'C';
    event.setup.reset();
    event.status = 0;
    event.urbLength = static_cast<std::uint32_t>(data.size());
    event.data = data;
    event.timestamp += std::chrono::microseconds(7);
    return event;
}

UsbmonEvent bulkOutSubmission(std::span<const std::uint8_t> data) {
    UsbmonEvent event;
    event.urbId = 0x2000;
    event.kind = 'S';
    event.transferType = UsbTransferType::Bulk;
    event.endpoint = 0x02;
    event.deviceAddress = 5;
    event.busNumber = 3;
    event.status = kLinuxUrbInProgress;
    event.urbLength = static_cast<std::uint32_t>(data.size());
    event.data = data;
    event.timestamp = std::chrono::seconds(kEpochSeconds + 1);
    return event;
}

TEST_F(UsbmonCaptureTest, FileStartsWithLittleEndianPcapHeaderForUsbmon) {
    ASSERT_NE(create(), nullptr);
    const Bytes bytes = contents();
    ASSERT_EQ(bytes.size(), kFileHeader);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0xD4, 0xC3, 0xB2, 0xA1}));
    EXPECT_EQ(le(bytes, 4, 2), 2u);  // version 2.4
    EXPECT_EQ(le(bytes, 6, 2), 4u);
    EXPECT_EQ(le(bytes, 8, 8), 0u);        // time zone and accuracy
    EXPECT_EQ(le(bytes, 16, 4), 262144u);  // snapshot length
    EXPECT_EQ(le(bytes, 20, 4), 220u);     // LINKTYPE_USB_LINUX_MMAPPED
}

TEST_F(UsbmonCaptureTest, ControlReadPairCarriesSetupThenData) {
    const Bytes answer = {0x5A};
    auto capture = create();
    ASSERT_EQ(capture->record(vendorReadSubmission()), CaptureResult::Written);
    ASSERT_EQ(capture->record(completionOf(vendorReadSubmission(), answer)),
              CaptureResult::Written);
    const Bytes bytes = contents();
    ASSERT_EQ(bytes.size(), kFileHeader + 2 * (kRecordHeader + kUsbHeader) + 1);

    const std::size_t record = kFileHeader;
    EXPECT_EQ(le(bytes, record, 4), static_cast<std::uint64_t>(kEpochSeconds));
    EXPECT_EQ(le(bytes, record + 4, 4), 123456u);
    EXPECT_EQ(le(bytes, record + 8, 4), kUsbHeader);  // captured and original length
    EXPECT_EQ(le(bytes, record + 12, 4), kUsbHeader);
    const std::size_t submit = record + kRecordHeader;
    EXPECT_EQ(le(bytes, submit, 8), 0x1122334455667788u);
    EXPECT_EQ(bytes[submit + 8], 'S');
    EXPECT_EQ(bytes[submit + 9], 2);      // control
    EXPECT_EQ(bytes[submit + 10], 0x80);  // endpoint 0, IN
    EXPECT_EQ(bytes[submit + 11], 5);     // device address
    EXPECT_EQ(le(bytes, submit + 12, 2), 3u);
    EXPECT_EQ(bytes[submit + 14], 0);    // setup present
    EXPECT_EQ(bytes[submit + 15], '<');  // IN data comes with the completion
    EXPECT_EQ(le(bytes, submit + 16, 8), static_cast<std::uint64_t>(kEpochSeconds));
    EXPECT_EQ(le(bytes, submit + 24, 4), 123456u);
    EXPECT_EQ(le32s(bytes, submit + 28), -115);
    EXPECT_EQ(le(bytes, submit + 32, 4), 1u);  // requested length
    EXPECT_EQ(le(bytes, submit + 36, 4), 0u);  // nothing captured
    EXPECT_EQ(Bytes(bytes.begin() + submit + 40, bytes.begin() + submit + 48),
              Bytes(kVendorRead.begin(), kVendorRead.end()));
    EXPECT_EQ(le(bytes, submit + 48, 8), 0u);  // interval, start frame
    EXPECT_EQ(le(bytes, submit + 56, 4), 0x200u);
    EXPECT_EQ(le(bytes, submit + 60, 4), 0u);

    const std::size_t complete = submit + kUsbHeader + kRecordHeader;
    EXPECT_EQ(le(bytes, complete - kRecordHeader + 4, 4), 123463u);
    EXPECT_EQ(le(bytes, complete - kRecordHeader + 8, 4), kUsbHeader + 1);
    EXPECT_EQ(bytes[complete + 8], 'C');
    EXPECT_EQ(bytes[complete + 14], '-');  // no setup on a completion
    EXPECT_EQ(bytes[complete + 15], 0);    // data present
    EXPECT_EQ(le32s(bytes, complete + 28), 0);
    EXPECT_EQ(le(bytes, complete + 36, 4), 1u);
    EXPECT_EQ(le(bytes, complete + 40, 8), 0u);
    EXPECT_EQ(bytes.back(), 0x5A);
}

TEST_F(UsbmonCaptureTest, DataFlagsFollowDirectionAndErrors) {
    const Bytes payload = {1, 2, 3};
    auto capture = create();
    UsbmonEvent error = bulkOutSubmission({});
    error.kind = 'E';
    error.status = -19;
    for (const auto& event :
         {bulkOutSubmission(payload), completionOf(bulkOutSubmission(payload), {}), error}) {
        ASSERT_EQ(capture->record(event), CaptureResult::Written);
    }
    const Bytes bytes = contents();
    const std::size_t first = kFileHeader + kRecordHeader;
    const std::size_t second = first + kUsbHeader + 3 + kRecordHeader;
    const std::size_t third = second + kUsbHeader + kRecordHeader;
    EXPECT_EQ(bytes[first + 15], 0);
    EXPECT_EQ(Bytes(bytes.begin() + first + kUsbHeader, bytes.begin() + second - kRecordHeader),
              payload);
    EXPECT_EQ(bytes[second + 15], '>');  // OUT data went with the submission
    EXPECT_EQ(bytes[third + 15], 'E');
    EXPECT_EQ(bytes.size(), third + kUsbHeader);
}

TEST_F(UsbmonCaptureTest, DataBeyondSnapshotLengthIsCutAndSaysSo) {
    const Bytes payload(300000, 0xEE);
    auto capture = create();
    ASSERT_EQ(capture->record(bulkOutSubmission(payload)), CaptureResult::Written);
    const Bytes bytes = contents();
    ASSERT_EQ(bytes.size(), kFileHeader + kRecordHeader + 262144);
    EXPECT_EQ(le(bytes, kFileHeader + 8, 4), 262144u);
    EXPECT_EQ(le(bytes, kFileHeader + 12, 4), kUsbHeader + payload.size());
    EXPECT_EQ(le(bytes, kFileHeader + kRecordHeader + 32, 4), payload.size());
    EXPECT_EQ(le(bytes, kFileHeader + kRecordHeader + 36, 4), 262144 - kUsbHeader);
}

TEST_F(UsbmonCaptureTest, SelfContradictoryEventsAreRefusedAndLeaveTheFileAlone) {
    const Bytes two = {1, 2};
    std::vector<std::pair<const char*, UsbmonEvent>> cases;
    auto add = [&](const char* what, UsbmonEvent event) { cases.emplace_back(what, event); };
    UsbmonEvent e = vendorReadSubmission();
    e.kind = 'X';
    add("unknown kind", e);
    e = vendorReadSubmission();
    e.transferType = static_cast<UsbTransferType>(4);
    add("unknown transfer type", e);
    e = vendorReadSubmission();
    e.setup.reset();
    add("control submission without setup", e);
    e = vendorReadSubmission();
    e.endpoint = 0x00;
    add("direction differs from setup", e);
    e = bulkOutSubmission(two);
    e.setup = kVendorRead;
    add("setup on bulk", e);
    add("setup on completion", completionOf(bulkOutSubmission(two), {}));
    cases.back().second.setup = kVendorRead;
    e = vendorReadSubmission();
    e.data = two;
    add("data on IN submission", e);
    add("data on OUT completion", completionOf(bulkOutSubmission(two), two));
    e = bulkOutSubmission(two);
    e.urbLength = 1;
    add("more data than the URB", e);
    e = bulkOutSubmission(two);
    e.timestamp = nanoseconds(-1);
    add("time before the epoch", e);
    e = bulkOutSubmission(two);
    e.isochronous = UsbmonIsochronous{};
    add("isochronous fields on bulk", e);
    e = bulkOutSubmission(two);
    e.transferType = UsbTransferType::Isochronous;
    add("isochronous without its fields", e);

    auto capture = create();
    for (const auto& [what, event] : cases) {
        EXPECT_EQ(capture->record(event), CaptureResult::InvalidEvent) << what;
    }
    EXPECT_EQ(contents().size(), kFileHeader);
}

TEST_F(UsbmonCaptureTest, ConcurrentRecordingYieldsWholePackets) {
    constexpr int kThreads = 4;
    constexpr int kEventsPerThread = 300;
    auto capture = create();
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&capture, thread] {
            for (int i = 0; i < kEventsPerThread; ++i) {
                // Each packet is filled with its thread number and sized by its sequence number.
                const Bytes data(static_cast<std::size_t>(i % 97),
                                 static_cast<std::uint8_t>(thread));
                UsbmonEvent event = bulkOutSubmission(data);
                event.urbId = static_cast<std::uint64_t>(thread) << 32 | static_cast<unsigned>(i);
                EXPECT_EQ(capture->record(event), CaptureResult::Written);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    const Bytes bytes = contents();
    std::array<int, kThreads> next{};
    std::size_t offset = kFileHeader;
    while (offset < bytes.size()) {
        const std::size_t length = le(bytes, offset + 8, 4);
        const std::size_t usb = offset + kRecordHeader;
        const auto thread = static_cast<std::size_t>(le(bytes, usb + 4, 4));
        const auto sequence = static_cast<int>(le(bytes, usb, 4));
        ASSERT_LT(thread, next.size());
        ASSERT_EQ(sequence, next[thread]++) << "thread " << thread;
        ASSERT_EQ(length, kUsbHeader + static_cast<std::size_t>(sequence % 97));
        ASSERT_EQ(le(bytes, usb + 36, 4), length - kUsbHeader);
        for (std::size_t i = usb + kUsbHeader; i < usb + length; ++i) {
            ASSERT_EQ(bytes.at(i), thread);
        }
        offset = usb + length;
    }
    EXPECT_EQ(offset, bytes.size());
    EXPECT_EQ(next, (std::array<int, kThreads>{kEventsPerThread, kEventsPerThread, kEventsPerThread,
                                               kEventsPerThread}));
}

// Lowers this process's file size limit for one test, so that writes fail part-way as on a full
// disk, and restores it afterwards.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered{bytes, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

TEST_F(UsbmonCaptureTest, FailedWriteIsReportedAndLeavesOnlyWholePackets) {
    const Bytes payload(100, 0x77);
    const std::size_t packet = kRecordHeader + kUsbHeader + payload.size();
    auto capture = create();
    {
        const FileSizeLimit limit(kFileHeader + 2 * packet + packet / 2);
        EXPECT_EQ(capture->record(bulkOutSubmission(payload)), CaptureResult::Written);
        EXPECT_EQ(capture->record(bulkOutSubmission(payload)), CaptureResult::Written);
        EXPECT_EQ(capture->record(bulkOutSubmission(payload)), CaptureResult::WriteFailed);
        EXPECT_EQ(contents().size(), kFileHeader + 2 * packet);
    }
    EXPECT_EQ(capture->record(bulkOutSubmission(payload)), CaptureResult::Written);
    EXPECT_EQ(contents().size(), kFileHeader + 3 * packet);
}

TEST(UsbmonCaptureCreate, FailureGivesNullAndTheReason) {
    std::string error;
    EXPECT_EQ(UsbmonCapture::create("/nonexistent-folder/bus.pcap", error), nullptr);
    EXPECT_NE(error.find("/nonexistent-folder/bus.pcap"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    if (std::filesystem::exists("/dev/full")) {  // opens, but every write fails
        error.clear();
        EXPECT_EQ(UsbmonCapture::create("/dev/full", error), nullptr);
        EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    }
}

// Runs a shell command and returns its standard output; standard error is discarded.
std::string run(const std::string& command, int& exitStatus) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        exitStatus = -1;
        return output;
    }
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) {
        output += buffer.data();
    }
    exitStatus = ::pclose(pipe);
    return output;
}

TEST_F(UsbmonCaptureTest, TsharkDecodesVendorRequestAndBulkData) {
    int status = 0;
    run("command -v tshark", status);
    if (status != 0) {
        GTEST_SKIP() << "tshark is not installed";
    }
    const Bytes answer = {0x5A};
    const Bytes payload = {0xDE, 0xAD, 0xBE, 0xEF};
    {
        auto capture = create();
        ASSERT_EQ(capture->record(vendorReadSubmission()), CaptureResult::Written);
        ASSERT_EQ(capture->record(completionOf(vendorReadSubmission(), answer)),
                  CaptureResult::Written);
        ASSERT_EQ(capture->record(bulkOutSubmission(payload)), CaptureResult::Written);
        ASSERT_EQ(capture->record(completionOf(bulkOutSubmission(payload), {})),
                  CaptureResult::Written);
    }
    const std::string tshark = "tshark -r '" + path_ + "' ";

    std::istringstream lines(run(tshark +
                                     "-T fields -E separator=, -e usb.setup.bRequest "
                                     "-e usb.setup.wValue -e usb.setup.wIndex -e usb.setup.wLength "
                                     "-e usb.control.Response -e usb.capdata",
                                 status));
    ASSERT_EQ(status, 0);
    std::vector<std::string> frames;
    for (std::string line; std::getline(lines, line);) {
        frames.push_back(line);
    }
    ASSERT_EQ(frames.size(), 4u);
    int request = 0, value = 0, index = 0, length = 0;
    // tshark prints some of these in decimal and some in hex.
    ASSERT_EQ(std::sscanf(frames[0].c_str(), "%i,%i,%i,%i", &request, &value, &index, &length), 4)
        << frames[0];
    EXPECT_EQ(request, 0xFB);
    EXPECT_EQ(value, 0xC0FF);
    EXPECT_EQ(index, 0xAB00);
    EXPECT_EQ(length, 1);
    EXPECT_EQ(frames[1], ",,,,5a,");
    EXPECT_EQ(frames[2], ",,,,,deadbeef");
    EXPECT_EQ(frames[3], ",,,,,");

    EXPECT_EQ(run(tshark + "-Y '_ws.malformed || _ws.expert.severity >= error'", status), "");
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace zo::kernel
