#include "kernel/usbmon_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>
#include <vector>

#include "kernel/usbmon_pcap_format.h"

namespace zo::kernel {

namespace {

constexpr std::uint8_t kSetupPresent = 0;
constexpr std::uint8_t kSetupAbsent = '-';
constexpr std::uint8_t kDataPresent = 0;
constexpr std::uint8_t kDataNotYetIn = '<';    // IN submission: the data comes with completion
constexpr std::uint8_t kDataAlreadyOut = '>';  // OUT completion: the data went with submission
constexpr std::uint8_t kDataError = 'E';       // error event: the URB never ran
constexpr std::uint8_t kEndpointIn = 0x80;
constexpr std::size_t kMaxCapturedData = pcap::kSnapshotLength - sizeof(pcap::UsbmonHeader);

bool isIn(const UsbmonEvent& event) {
    return (event.endpoint & kEndpointIn) != 0;
}

// Whether the event can carry data at all: usbmon shows OUT data with the submission and IN data
// with the completion, never the other way round, and nothing with an error.
bool mayCarryData(const UsbmonEvent& event) {
    return event.kind == (isIn(event) ? 'C' : 'S');
}

bool isConsistent(const UsbmonEvent& event) {
    if (event.kind != 'S' && event.kind != 'C' && event.kind != 'E') {
        return false;
    }
    if (event.transferType > UsbTransferType::Bulk) {
        return false;
    }
    const bool wantsSetup = event.transferType == UsbTransferType::Control && event.kind == 'S';
    if (event.setup.has_value() != wantsSetup) {
        return false;
    }
    const bool isochronous = event.transferType == UsbTransferType::Isochronous;
    if (event.isochronous.has_value() != isochronous) {
        return false;
    }
    // A control transfer's direction is the one its setup packet announces.
    if (wantsSetup && ((*event.setup)[0] & kEndpointIn) != (event.endpoint & kEndpointIn)) {
        return false;
    }
    if (!event.data.empty() &&
        (!mayCarryData(event) || (!isochronous && event.data.size() > event.urbLength))) {
        return false;
    }
    const auto seconds = std::chrono::floor<std::chrono::seconds>(event.timestamp).count();
    return seconds >= 0 && seconds <= std::numeric_limits<std::uint32_t>::max();
}

std::uint8_t dataFlag(const UsbmonEvent& event) {
    if (event.kind == 'E') {
        return kDataError;
    }
    if (!mayCarryData(event)) {
        return isIn(event) ? kDataNotYetIn : kDataAlreadyOut;
    }
    return kDataPresent;
}

// The descriptors that lead an isochronous event's data, 16 bytes each as usbmon lays them out.
std::vector<std::uint8_t> isoDescriptors(const UsbmonEvent& event) {
    if (!event.isochronous) {
        return {};
    }
    const auto packets = event.isochronous->packets.first(
        std::min(event.isochronous->packets.size(), kMaxIsoDescriptors));
    std::vector<std::uint8_t> bytes(packets.size() * sizeof(pcap::IsoDescriptor));
    for (std::size_t index = 0; index < packets.size(); ++index) {
        pcap::IsoDescriptor descriptor{};
        descriptor.status = packets[index].status;
        descriptor.offset = packets[index].offset;
        descriptor.length = packets[index].length;
        std::memcpy(bytes.data() + index * sizeof descriptor, &descriptor, sizeof descriptor);
    }
    return bytes;
}

// The record header, usbmon header and (possibly cut) data of one event.
std::vector<std::uint8_t> encodePacket(const UsbmonEvent& event) {
    const auto wholeSeconds = std::chrono::floor<std::chrono::seconds>(event.timestamp);
    const auto microseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(event.timestamp - wholeSeconds);
    const std::vector<std::uint8_t> descriptors = isoDescriptors(event);
    const auto captured =
        event.data.first(std::min(event.data.size(), kMaxCapturedData - descriptors.size()));

    pcap::UsbmonHeader usb{};
    usb.urbId = event.urbId;
    usb.eventType = static_cast<std::uint8_t>(event.kind);
    usb.transferType = static_cast<std::uint8_t>(event.transferType);
    usb.endpoint = event.endpoint;
    usb.deviceAddress = event.deviceAddress;
    usb.busNumber = event.busNumber;
    usb.setupFlag = event.setup ? kSetupPresent : kSetupAbsent;
    usb.dataFlag = dataFlag(event);
    usb.seconds = wholeSeconds.count();
    usb.microseconds = static_cast<std::int32_t>(microseconds.count());
    usb.status = event.status;
    const auto capturedLength = static_cast<std::uint32_t>(descriptors.size() + captured.size());
    usb.urbLength = event.urbLength;
    usb.capturedLength = capturedLength;
    usb.setup = event.setup.value_or(std::array<std::uint8_t, 8>{});
    usb.transferFlags = event.transferFlags;
    if (event.isochronous) {
        pcap::IsoCounts counts{};
        counts.errorCount = event.isochronous->errorCount;
        counts.numberOfPackets = static_cast<std::int32_t>(event.isochronous->packets.size());
        std::memcpy(usb.setup.data(), &counts, sizeof counts);
        usb.interval = event.isochronous->interval;
        usb.startFrame = event.isochronous->startFrame;
        usb.isoDescriptorCount =
            static_cast<std::uint32_t>(descriptors.size() / sizeof(pcap::IsoDescriptor));
    }

    pcap::RecordHeader record{};
    record.seconds = static_cast<std::uint32_t>(wholeSeconds.count());
    record.microseconds = static_cast<std::uint32_t>(microseconds.count());
    record.capturedLength = static_cast<std::uint32_t>(sizeof(usb) + capturedLength);
    record.originalLength =
        static_cast<std::uint32_t>(sizeof(usb) + descriptors.size() + event.data.size());

    std::vector<std::uint8_t> packet(sizeof(record) + sizeof(usb) + capturedLength);
    std::memcpy(packet.data(), &record, sizeof(record));
    std::memcpy(packet.data() + sizeof(record), &usb, sizeof(usb));
    std::ranges::copy(descriptors, packet.begin() + sizeof(record) + sizeof(usb));
    std::ranges::copy(captured, packet.begin() + sizeof(record) + sizeof(usb) + descriptors.size());
    return packet;
}

std::string describeErrno(const std::string& what, const std::string& path) {
    return what + " '" + path + "': " + std::error_code(errno, std::generic_category()).message();
}

}  // namespace

std::unique_ptr<UsbmonCapture> UsbmonCapture::create(const std::string& path, std::string& error) {
    const int fileDescriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fileDescriptor < 0) {
        error = describeErrno("cannot create the USB capture file", path);
        return nullptr;
    }
    auto capture = std::make_unique<UsbmonCapture>(ConstructionKey{}, fileDescriptor);

    pcap::FileHeader header{};
    header.magic = pcap::kMagicMicroseconds;
    header.versionMajor = pcap::kVersionMajor;
    header.versionMinor = pcap::kVersionMinor;
    header.snapshotLength = pcap::kSnapshotLength;
    header.linkType = pcap::kLinkTypeUsbLinuxMmapped;
    std::array<std::uint8_t, sizeof(header)> bytes{};
    std::memcpy(bytes.data(), &header, sizeof(header));
    if (capture->append(bytes) != CaptureResult::Written) {
        error = describeErrno("cannot write to the USB capture file", path);
        return nullptr;
    }
    return capture;
}

UsbmonCapture::UsbmonCapture(ConstructionKey, int fileDescriptor)
    : fileDescriptor_(fileDescriptor) {}

UsbmonCapture::~UsbmonCapture() {
    ::close(fileDescriptor_);
}

CaptureResult UsbmonCapture::record(const UsbmonEvent& event) {
    if (!isConsistent(event)) {
        return CaptureResult::InvalidEvent;
    }
    return append(encodePacket(event));
}

CaptureResult UsbmonCapture::append(std::span<const std::uint8_t> bytes) {
    const std::lock_guard lock(mutex_);
    if (broken_) {
        return CaptureResult::WriteFailed;
    }
    std::int64_t offset = committedSize_;
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fileDescriptor_, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            // Cut off the partial packet so the file stays a valid capture of whole packets.
            const int writeError = written == 0 ? EIO : errno;
            broken_ = ::ftruncate(fileDescriptor_, committedSize_) != 0;
            errno = writeError;
            return CaptureResult::WriteFailed;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
        offset += written;
    }
    committedSize_ = offset;
    return CaptureResult::Written;
}

}  // namespace zo::kernel
