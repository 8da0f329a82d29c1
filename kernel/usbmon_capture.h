#pragma once
// Writes the URBs of the simulated USB bus to a pcap file in the format of the Linux usbmon
// interface (link type 220), so that Wireshark and tshark show the traffic as they would from a
// real bus. The bus driver records every URB twice: at submission and at completion.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

namespace zo::kernel {

enum class UsbTransferType : std::uint8_t { Isochronous = 0, Interrupt = 1, Control = 2, Bulk = 3 };

// One packet of an isochronous transfer as usbmon shows it.
struct UsbmonIsoPacket {
    std::int32_t status = 0;   // Linux convention, as the event's status
    std::uint32_t offset = 0;  // of the packet's data in the transfer buffer
    std::uint32_t length = 0;  // submission: the room; completion: the bytes it carried
};

// What an isochronous event carries besides the common fields.
struct UsbmonIsochronous {
    std::int32_t errorCount = 0;  // packets that failed (completion)
    std::int32_t startFrame = 0;
    std::int32_t interval = 1;
    // Every packet of the transfer; usbmon writes the first kMaxIsoDescriptors of them.
    std::span<const UsbmonIsoPacket> packets;
};
inline constexpr std::size_t kMaxIsoDescriptors = 128;

struct UsbmonEvent {
    std::uint64_t urbId = 0;  // same value for a URB's submission and completion
    char kind = 'S';          // 'S' submission, 'C' completion, 'E' error at submission
    UsbTransferType transferType = UsbTransferType::Control;
    // Endpoint address, bit 7 set for IN. For control transfers bit 7 is the direction of the data
    // stage (bmRequestType bit 7), on the submission and on the completion alike.
    std::uint8_t endpoint = 0;
    std::uint8_t deviceAddress = 0;
    std::uint16_t busNumber = 0;
    std::optional<std::array<std::uint8_t, 8>> setup;  // control submissions only, and always there
    std::optional<UsbmonIsochronous> isochronous;      // isochronous events only, and always there
    // Linux convention: kLinuxUrbInProgress on submission, else linuxUrbStatus() of the outcome.
    std::int32_t status = 0;
    std::uint32_t urbLength = 0;  // requested length on submission, actual length on completion
    // The bytes that travel with this event: OUT data at submission, IN data at completion;
    // none otherwise. At most urbLength bytes, except for an isochronous completion, whose data
    // runs to the end of its last packet while urbLength counts only the bytes the packets carried.
    std::span<const std::uint8_t> data;
    std::uint32_t transferFlags = 0;
    std::chrono::nanoseconds timestamp{0};  // wall-clock time since the Unix epoch
};

enum class CaptureResult : std::uint8_t {
    Written,
    InvalidEvent,  // the event contradicts itself (see UsbmonEvent); nothing was written
    WriteFailed    // the file refused the bytes; the capture keeps its earlier packets intact
};

class UsbmonCapture {
    struct ConstructionKey {
        explicit ConstructionKey() = default;
    };

  public:
    // Creates or truncates the file and writes the pcap file header. On failure returns null and
    // puts the reason into `error`.
    static std::unique_ptr<UsbmonCapture> create(const std::string& path, std::string& error);

    UsbmonCapture(ConstructionKey, int fileDescriptor);
    ~UsbmonCapture();
    UsbmonCapture(const UsbmonCapture&) = delete;
    UsbmonCapture& operator=(const UsbmonCapture&) = delete;

    // Thread-safe: each packet goes to the file whole, under a lock, and reaches the operating
    // system before this returns, so readers of the file see every recorded event at once.
    CaptureResult record(const UsbmonEvent& event);

  private:
    // Appends the bytes after the last whole packet; on a failed write, cuts the file back.
    CaptureResult append(std::span<const std::uint8_t> bytes);

    const int fileDescriptor_;
    std::mutex mutex_;
    std::int64_t committedSize_ = 0;  // file size after the last whole packet
    bool broken_ = false;             // a failed write could not be undone: the file takes no more
};

}  // namespace zo::kernel
