// The bus's isochronous schedule on a manual (micro)frame clock: when packets run, how ASAP
// transfers follow each other, what the bus refuses, per-packet outcomes, cancellation, removal of
// the device, and the usbmon view of it all.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "kernel/machine.h"
#include "kernel/tests/shell_output.h"
#include "kernel/usbd.h"

namespace zo::kernel {
namespace {

constexpr UCHAR kIsoIn = 0x81;
constexpr UCHAR kIsoOut = 0x02;
constexpr USHORT kMaxPacket = 16;
constexpr std::uint64_t kMicroframe = kMicroframeNanoseconds;
constexpr std::uint64_t kFrame = kFrameNanoseconds;

// A device with one interface of two isochronous pipes, IN 0x81 and OUT 0x02. Each IN packet
// carries its (micro)frame number; frames listed in `silentFrames` get no answer.
class FrameDevice : public usb::UsbDevice {
  public:
    struct Packet {
        UCHAR endpoint;
        std::uint64_t frame;
        std::vector<std::uint8_t> data;  // OUT: what arrived; IN: the room offered
    };

    explicit FrameDevice(usb::Speed speed) : speed_(speed) {}

    usb::Speed speed() const override { return speed_; }
    usb::TransferResult control(const usb::SetupPacket&, std::span<std::uint8_t>) override {
        return {usb::TransferStatus::Ok, 0};  // SET_CONFIGURATION
    }
    usb::TransferResult transfer(std::uint8_t, std::span<std::uint8_t>) override {
        return {usb::TransferStatus::Stall, 0};
    }
    usb::TransferResult isochronous(std::uint8_t endpoint, std::uint64_t frame,
                                    std::span<std::uint8_t> data) override {
        std::lock_guard lock(mutex_);
        packets_.push_back({endpoint, frame, {data.begin(), data.end()}});
        if (silentFrames.count(frame) != 0) {
            return {usb::TransferStatus::NotResponding, 0};
        }
        if ((endpoint & 0x80) == 0) {
            return {usb::TransferStatus::Ok, static_cast<std::uint32_t>(data.size())};
        }
        const auto stamp = static_cast<std::uint32_t>(frame);
        const std::size_t length = std::min<std::size_t>(data.size(), sizeof stamp);
        std::memcpy(data.data(), &stamp, length);
        return {usb::TransferStatus::Ok, static_cast<std::uint32_t>(length)};
    }
    void portReset() override {}

    std::vector<Packet> packets() const {
        std::lock_guard lock(mutex_);
        return packets_;
    }
    std::set<std::uint64_t> silentFrames;  // set before the packets run

  private:
    usb::Speed speed_;
    mutable std::mutex mutex_;
    std::vector<Packet> packets_;
};

std::vector<UCHAR> configurationDescriptor() {
    return {9,    2,  32,      0,    1,          1,    0,
            0x80, 50,  // configuration, 32 bytes, one interface
            9,    4,  0,       0,    2,          0xFF, 0,
            0,    0,                                       // interface 0, two endpoints
            7,    5,  kIsoIn,  0x05, kMaxPacket, 0,    1,  // isochronous IN, asynchronous
            7,    5,  kIsoOut, 0x05, kMaxPacket, 0,    1};
}

// One URB sent to the bus with its own request, event and status block.
struct Submission {
    std::vector<std::uint8_t> storage;
    KEVENT done{};
    IO_STATUS_BLOCK status{};
    URB& urb() { return *reinterpret_cast<URB*>(storage.data()); }
    bool finished() { return KeReadStateEvent(&done) != 0; }
};

class IsochronousBusTest : public ::testing::Test {
  protected:
    explicit IsochronousBusTest(usb::Speed speed = usb::Speed::High, std::string capture = {})
        : clock_(std::make_shared<ManualBusClock>()),
          machine_(
              MachineOptions{nullptr, BusCompletion::Immediate, 0x600, std::move(capture), clock_}),
          device_(std::make_shared<FrameDevice>(speed)),
          port_(machine_.bus().attach(device_)) {
        std::vector<UCHAR> descriptor = configurationDescriptor();
        auto* configuration = reinterpret_cast<USB_CONFIGURATION_DESCRIPTOR*>(descriptor.data());
        USB_INTERFACE_DESCRIPTOR* interface =
            USBD_ParseConfigurationDescriptorEx(configuration, configuration, -1, -1, -1, -1, -1);
        USBD_INTERFACE_LIST_ENTRY list[2] = {{interface, nullptr}, {nullptr, nullptr}};
        URB* select = USBD_CreateConfigurationRequestEx(configuration, list);
        EXPECT_EQ(submitNow(*select), STATUS_SUCCESS);
        in_ = UsbdPipe(list[0].Interface, 0)->PipeHandle;
        out_ = UsbdPipe(list[0].Interface, 1)->PipeHandle;
        ExFreePool(select);
    }

    void TearDown() override {
        machine_.bus().detach(port_);
        EXPECT_EQ(machine_.pool().outstanding(), 0u);
        EXPECT_EQ(machine_.outstandingIrps(), 0u);
    }

    // Sends a URB that completes at once and answers its status.
    NTSTATUS submitNow(URB& urb) {
        KEVENT done;
        KeInitializeEvent(&done, NotificationEvent, FALSE);
        IO_STATUS_BLOCK status{};
        send(urb, done, status);
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
        return status.Status;
    }

    // An isochronous URB on `pipe` with `packets` packets of `size` bytes each.
    std::unique_ptr<Submission> isoUrb(USBD_PIPE_HANDLE pipe, ULONG packets,
                                       ULONG size = kMaxPacket,
                                       ULONG flags = USBD_START_ISO_TRANSFER_ASAP) {
        auto submission = std::make_unique<Submission>();
        submission->storage.assign(isochUrbSize(packets), 0);
        auto& transfer = submission->urb().UrbIsochronousTransfer;
        transfer.Hdr.Length = static_cast<USHORT>(submission->storage.size());
        transfer.Hdr.Function = URB_FUNCTION_ISOCH_TRANSFER;
        transfer.PipeHandle = pipe;
        transfer.TransferFlags = flags | (pipe == in_ ? USBD_TRANSFER_DIRECTION_IN : 0);
        transfer.NumberOfPackets = packets;
        buffers_.emplace_back(packets * size, 0xEE);
        for (ULONG k = 0; k < packets * size; ++k) {
            buffers_.back()[k] = static_cast<std::uint8_t>(k);
        }
        transfer.TransferBuffer = buffers_.back().data();
        transfer.TransferBufferLength = packets * size;
        for (ULONG k = 0; k < packets; ++k) {
            transfer.IsoPacket[k].Offset = k * size;
            transfer.IsoPacket[k].Length = size;
        }
        return submission;
    }

    void submit(Submission& submission) {
        KeInitializeEvent(&submission.done, NotificationEvent, FALSE);
        send(submission.urb(), submission.done, submission.status);
    }

    // Moves the bus clock and waits until the schedule has run everything that became due.
    void advance(std::uint64_t nanoseconds) {
        clock_->advance(nanoseconds);
        ASSERT_TRUE(machine_.bus().isochronous().waitUntilCaughtUp(std::chrono::seconds(10)));
    }

    std::shared_ptr<ManualBusClock> clock_;
    Machine machine_;
    std::shared_ptr<FrameDevice> device_;
    UsbPort& port_;
    USBD_PIPE_HANDLE in_ = nullptr;
    USBD_PIPE_HANDLE out_ = nullptr;
    std::list<std::vector<std::uint8_t>> buffers_;

  private:
    void send(URB& urb, KEVENT& done, IO_STATUS_BLOCK& status) {
        IRP* irp = IoBuildDeviceIoControlRequest(IOCTL_INTERNAL_USB_SUBMIT_URB, port_.pdo, nullptr,
                                                 0, nullptr, 0, TRUE, &done, &status);
        ASSERT_NE(irp, nullptr);
        IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = &urb;
        IoCallDriver(port_.pdo, irp);
    }
};

TEST_F(IsochronousBusTest, AHighSpeedPacketRunsInEachMicroframeFromTheNextFrameOn) {
    auto transfer = isoUrb(in_, 16);
    submit(*transfer);
    EXPECT_EQ(transfer->urb().UrbIsochronousTransfer.StartFrame, 2u) << "the frame after frame 1";
    advance(kFrame + 15 * kMicroframe);
    EXPECT_FALSE(transfer->finished()) << "one packet still to come";
    EXPECT_EQ(device_->packets().size(), 15u);
    advance(kMicroframe);
    ASSERT_TRUE(transfer->finished());
    EXPECT_EQ(transfer->status.Status, STATUS_SUCCESS);
    const auto& urb = transfer->urb().UrbIsochronousTransfer;
    EXPECT_EQ(urb.Hdr.Status, USBD_STATUS_SUCCESS);
    EXPECT_EQ(urb.ErrorCount, 0u);
    const auto seen = device_->packets();
    ASSERT_EQ(seen.size(), 16u);
    for (ULONG k = 0; k < 16; ++k) {
        EXPECT_EQ(seen[k].frame, 8u + k) << "microframe " << k << " of the second millisecond";
        EXPECT_EQ(seen[k].data.size(), kMaxPacket);
        EXPECT_EQ(urb.IsoPacket[k].Status, USBD_STATUS_SUCCESS);
        EXPECT_EQ(urb.IsoPacket[k].Length, 4u);
        std::uint32_t stamp = 0;
        std::memcpy(&stamp, buffers_.front().data() + urb.IsoPacket[k].Offset, sizeof stamp);
        EXPECT_EQ(stamp, 8u + k) << "each packet lands at its own offset";
    }
}

TEST_F(IsochronousBusTest, AsapTransfersFollowEachOtherAndADryPipeStartsInTheNextFrame) {
    auto first = isoUrb(in_, 8);
    auto second = isoUrb(in_, 8);
    submit(*first);
    submit(*second);
    EXPECT_EQ(second->urb().UrbIsochronousTransfer.StartFrame, 3u) << "right behind the first";
    advance(3 * kFrame);
    ASSERT_TRUE(first->finished() && second->finished());
    advance(kFrame / 2);
    auto third = isoUrb(in_, 8);
    submit(*third);
    EXPECT_EQ(third->urb().UrbIsochronousTransfer.StartFrame, 5u);
    advance(kFrame / 2 + kFrame);
    ASSERT_TRUE(third->finished());
    const auto seen = device_->packets();
    ASSERT_EQ(seen.size(), 24u);
    EXPECT_EQ(seen[8].frame, 16u);
    EXPECT_EQ(seen[16].frame, 32u) << "microframe 0 of frame 5";
    // The frame number a driver reads follows the same clock.
    EXPECT_EQ(machine_.bus().frameNumber(), 6u);
}

TEST_F(IsochronousBusTest, TheBusRefusesWhatCannotBeScheduled) {
    struct Case {
        const char* what;
        std::unique_ptr<Submission> submission;
        USBD_STATUS expected;
    };
    std::vector<Case> cases;
    cases.push_back(
        {"not whole frames at high speed", isoUrb(in_, 4), USBD_STATUS_INVALID_PARAMETER});
    cases.push_back({"more than 1024 packets", isoUrb(in_, 1032), USBD_STATUS_INVALID_PARAMETER});
    cases.push_back({"OUT packet above the maximum", isoUrb(out_, 8, kMaxPacket + 1),
                     USBD_STATUS_INVALID_PARAMETER});
    cases.push_back({"unknown pipe", isoUrb(reinterpret_cast<USBD_PIPE_HANDLE>(0x1), 8),
                     USBD_STATUS_INVALID_PIPE_HANDLE});
    auto past = isoUrb(in_, 8, kMaxPacket, 0);
    past->urb().UrbIsochronousTransfer.StartFrame = 1;  // the present frame
    cases.push_back({"start frame not ahead", std::move(past), USBD_STATUS_BAD_START_FRAME});
    auto offsets = isoUrb(in_, 8);
    offsets->urb().UrbIsochronousTransfer.IsoPacket[3].Offset = 1000;
    cases.push_back(
        {"offsets beyond the buffer", std::move(offsets), USBD_STATUS_INVALID_PARAMETER});
    for (Case& c : cases) {
        submit(*c.submission);
    }
    advance(0);
    for (Case& c : cases) {
        ASSERT_TRUE(c.submission->finished()) << c.what;
        const auto& urb = c.submission->urb().UrbIsochronousTransfer;
        EXPECT_EQ(urb.Hdr.Status, c.expected) << c.what;
        EXPECT_NE(c.submission->status.Status, STATUS_SUCCESS) << c.what;
        EXPECT_EQ(urb.IsoPacket[0].Status, c.expected) << c.what << ": each packet says why";
        EXPECT_EQ(urb.IsoPacket[0].Length, 0u) << c.what;
    }
    // A URB too short for its descriptors is refused without a write into them.
    auto truncated = isoUrb(in_, 8);
    truncated->urb().UrbIsochronousTransfer.Hdr.Length = static_cast<USHORT>(isochUrbSize(7));
    submit(*truncated);
    advance(0);
    ASSERT_TRUE(truncated->finished());
    EXPECT_EQ(truncated->status.Status, STATUS_INVALID_PARAMETER);
    EXPECT_EQ(truncated->urb().UrbIsochronousTransfer.IsoPacket[7].Length, kMaxPacket);
    EXPECT_TRUE(device_->packets().empty());
}

TEST_F(IsochronousBusTest, PacketsFailOneByOneAndATransferFailsOnlyWhenAllDo) {
    device_->silentFrames = {10, 16, 17, 18, 19, 20, 21, 22, 23};
    auto partly = isoUrb(in_, 8);
    auto wholly = isoUrb(in_, 8);
    submit(*partly);
    submit(*wholly);
    advance(3 * kFrame);
    ASSERT_TRUE(partly->finished() && wholly->finished());
    const auto& some = partly->urb().UrbIsochronousTransfer;
    EXPECT_EQ(partly->status.Status, STATUS_SUCCESS);
    EXPECT_EQ(some.ErrorCount, 1u);
    EXPECT_EQ(some.IsoPacket[2].Status, USBD_STATUS_DEV_NOT_RESPONDING);
    EXPECT_EQ(some.IsoPacket[2].Length, 0u);
    EXPECT_EQ(some.IsoPacket[3].Status, USBD_STATUS_SUCCESS);
    EXPECT_EQ(wholly->status.Status, STATUS_UNSUCCESSFUL);
    EXPECT_EQ(wholly->urb().UrbIsochronousTransfer.Hdr.Status, USBD_STATUS_ISOCH_REQUEST_FAILED);
    EXPECT_EQ(wholly->urb().UrbIsochronousTransfer.ErrorCount, 8u);
}

TEST_F(IsochronousBusTest, OutPacketsCarryTheirPartOfTheBuffer) {
    auto transfer = isoUrb(out_, 8, 4);
    submit(*transfer);
    advance(2 * kFrame);
    ASSERT_TRUE(transfer->finished());
    EXPECT_EQ(transfer->status.Status, STATUS_SUCCESS);
    const auto seen = device_->packets();
    ASSERT_EQ(seen.size(), 8u);
    EXPECT_EQ(seen[5].endpoint, kIsoOut);
    EXPECT_EQ(seen[5].data, (std::vector<std::uint8_t>{20, 21, 22, 23}));
}

TEST_F(IsochronousBusTest, AbortEndsScheduledTransfersAndKeepsWhatAlreadyRan) {
    auto running = isoUrb(in_, 16);
    auto waiting = isoUrb(in_, 8);
    submit(*running);
    submit(*waiting);
    advance(kFrame + 3 * kMicroframe);
    std::vector<std::uint8_t> storage(sizeof(_URB_PIPE_REQUEST));
    URB& abort = *reinterpret_cast<URB*>(storage.data());
    abort.UrbHeader.Length = sizeof(_URB_PIPE_REQUEST);
    abort.UrbHeader.Function = URB_FUNCTION_ABORT_PIPE;
    abort.UrbPipeRequest.PipeHandle = in_;
    EXPECT_EQ(submitNow(abort), STATUS_SUCCESS);
    ASSERT_TRUE(running->finished() && waiting->finished()) << "ended by the abort itself";
    EXPECT_EQ(running->status.Status, STATUS_CANCELLED);
    const auto& urb = running->urb().UrbIsochronousTransfer;
    EXPECT_EQ(urb.IsoPacket[2].Status, USBD_STATUS_SUCCESS);
    EXPECT_EQ(urb.IsoPacket[3].Status, USBD_STATUS_CANCELED);
    EXPECT_EQ(urb.ErrorCount, 13u);
    EXPECT_EQ(waiting->urb().UrbIsochronousTransfer.Hdr.Status, USBD_STATUS_CANCELED);
    // The pipe's stream was broken off: the next transfer starts in the next frame.
    auto next = isoUrb(in_, 8);
    submit(*next);
    EXPECT_EQ(next->urb().UrbIsochronousTransfer.StartFrame, 3u);
    advance(2 * kFrame);
    EXPECT_TRUE(next->finished());
}

TEST_F(IsochronousBusTest, ADeviceThatGoesEndsItsTransfersAtOnce) {
    auto transfer = isoUrb(in_, 8);
    submit(*transfer);
    machine_.bus().disconnect(port_);
    ASSERT_TRUE(transfer->finished());
    EXPECT_EQ(transfer->status.Status, STATUS_DEVICE_NOT_CONNECTED);
    auto late = isoUrb(in_, 8);
    submit(*late);
    advance(0);
    ASSERT_TRUE(late->finished());
    EXPECT_EQ(late->urb().UrbIsochronousTransfer.Hdr.Status, USBD_STATUS_DEVICE_GONE);
}

class FullSpeedIsochronousTest : public IsochronousBusTest {
  protected:
    FullSpeedIsochronousTest() : IsochronousBusTest(usb::Speed::Full) {}
};

TEST_F(FullSpeedIsochronousTest, OnePacketRunsInEachFrame) {
    auto transfer = isoUrb(in_, 3);
    submit(*transfer);
    advance(3 * kFrame);
    EXPECT_FALSE(transfer->finished());
    advance(kFrame);
    ASSERT_TRUE(transfer->finished());
    const auto seen = device_->packets();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].frame, 1u);
    EXPECT_EQ(seen[2].frame, 3u);
}

std::string capturePath() {
    return (std::filesystem::temp_directory_path() /
            ("zousb-iso-" + std::to_string(::getpid()) + ".pcap"))
        .string();
}

class CapturedIsochronousTest : public IsochronousBusTest {
  protected:
    CapturedIsochronousTest() : IsochronousBusTest(usb::Speed::High, capturePath()) {}
    ~CapturedIsochronousTest() override { std::filesystem::remove(capturePath()); }
};

TEST_F(CapturedIsochronousTest, TsharkShowsSubmissionAndCompletionWithTheirPacketDescriptors) {
    if (zo::test::shellOutput("command -v tshark").empty()) {
        GTEST_SKIP() << "tshark is not installed";
    }
    device_->silentFrames = {9};
    auto transfer = isoUrb(in_, 8);
    submit(*transfer);
    advance(2 * kFrame);
    ASSERT_TRUE(transfer->finished());
    const std::string tshark = "tshark -r '" + capturePath() + "' ";
    std::istringstream lines(zo::test::shellOutput(
        tshark +
        "-Y 'usb.transfer_type == 0' -T fields -E separator=';' -E aggregator=, "
        "-e usb.urb_type "
        "-e usb.transfer_type -e usb.iso.numdesc -e usb.iso.error_count "
        "-e usb.iso.iso_status -e usb.iso.iso_off -e usb.iso.iso_len"));
    std::vector<std::string> frames;
    for (std::string line; std::getline(lines, line);) {
        frames.push_back(line);
    }
    ASSERT_EQ(frames.size(), 2u) << testing::PrintToString(frames);
    // tshark shows the packet count twice: of the transfer, and of the descriptors that follow.
    EXPECT_EQ(frames[0],
              "'S';0x00;8,8;0;-115,-115,-115,-115,-115,-115,-115,-115;"
              "0,16,32,48,64,80,96,112;16,16,16,16,16,16,16,16");
    EXPECT_EQ(frames[1],
              "'C';0x00;8,8;1;0,-71,0,0,0,0,0,0;0,16,32,48,64,80,96,112;4,0,4,4,4,4,4,4");
    EXPECT_EQ(zo::test::shellOutput(tshark + "-Y '_ws.malformed || _ws.expert.severity >= error'"),
              "");
}

TEST_F(CapturedIsochronousTest, ATransferKeepsItsCaptureWhenTheCaptureIsReplacedMidway) {
    if (zo::test::shellOutput("command -v tshark").empty()) {
        GTEST_SKIP() << "tshark is not installed";
    }
    const std::string second = capturePath() + ".second";
    auto transfer = isoUrb(in_, 8);
    submit(*transfer);
    std::string error;
    ASSERT_TRUE(machine_.startCapture(second, error)) << error;
    auto later = isoUrb(in_, 8);
    submit(*later);
    advance(3 * kFrame);
    ASSERT_TRUE(transfer->finished() && later->finished());
    machine_.stopCapture();
    const auto isochronousEvents = [](const std::string& path) {
        return zo::test::shellOutput("tshark -r '" + path +
                                     "' -Y 'usb.transfer_type == 0' -T fields -e usb.urb_type");
    };
    // Submission and completion of each transfer land in the same file.
    EXPECT_EQ(isochronousEvents(capturePath()), "'S'\n'C'\n");
    EXPECT_EQ(isochronousEvents(second), "'S'\n'C'\n");
    std::filesystem::remove(second);
}

}  // namespace
}  // namespace zo::kernel
