#pragma once
// The records of a pcap capture file whose packets are USB events as the Linux usbmon interface
// delivers them through its memory-mapped API (link type 220, LINKTYPE_USB_LINUX_MMAPPED): the
// file header, then per event a record header, the 64-byte usbmon header and the captured data.
// All fields are little-endian; the file's magic number tells readers so.

#include <array>
#include <cstddef>
#include <cstdint>

#include "kernel/little_endian.h"

namespace zo::kernel::pcap {

inline constexpr std::uint32_t kMagicMicroseconds = 0xA1B2C3D4;
inline constexpr std::uint16_t kVersionMajor = 2;
inline constexpr std::uint16_t kVersionMinor = 4;
inline constexpr std::uint32_t kLinkTypeUsbLinuxMmapped = 220;
// Largest record a capture holds (usbmon header plus data); longer data is cut to fit, as a live
// capture with this snapshot length would.
inline constexpr std::uint32_t kSnapshotLength = 262144;

struct FileHeader {
    LittleEndian<std::uint32_t> magic;
    LittleEndian<std::uint16_t> versionMajor;
    LittleEndian<std::uint16_t> versionMinor;
    LittleEndian<std::int32_t> utcOffsetSeconds;
    LittleEndian<std::uint32_t> timestampAccuracy;
    LittleEndian<std::uint32_t> snapshotLength;
    LittleEndian<std::uint32_t> linkType;
};
static_assert(sizeof(FileHeader) == 24);

struct RecordHeader {
    LittleEndian<std::uint32_t> seconds;
    LittleEndian<std::uint32_t> microseconds;
    LittleEndian<std::uint32_t> capturedLength;  // bytes of the record in the file
    LittleEndian<std::uint32_t> originalLength;  // bytes the record would have had uncut
};
static_assert(sizeof(RecordHeader) == 16);

// The usbmon event header ("struct usbmon_packet").
struct UsbmonHeader {
    LittleEndian<std::uint64_t> urbId;  // the same for a URB's submission and completion
    std::uint8_t eventType;             // 'S', 'C' or 'E'
    std::uint8_t transferType;          // 0 isochronous, 1 interrupt, 2 control, 3 bulk
    std::uint8_t endpoint;              // endpoint number, bit 7 set for IN
    std::uint8_t deviceAddress;
    LittleEndian<std::uint16_t> busNumber;
    std::uint8_t setupFlag;  // 0: `setup` holds the setup packet; '-': no setup packet
    std::uint8_t dataFlag;   // 0: data follows; else a tag saying why there is none
    LittleEndian<std::int64_t> seconds;
    LittleEndian<std::int32_t> microseconds;
    LittleEndian<std::int32_t> status;           // negative Linux errno, -EINPROGRESS on submission
    LittleEndian<std::uint32_t> urbLength;       // requested (submission) or actual (completion)
    LittleEndian<std::uint32_t> capturedLength;  // bytes of data that follow this header
    std::array<std::uint8_t, 8> setup;  // isochronous: error count and descriptor count instead
    LittleEndian<std::int32_t> interval;
    LittleEndian<std::int32_t> startFrame;
    LittleEndian<std::uint32_t> transferFlags;
    LittleEndian<std::uint32_t> isoDescriptorCount;  // isochronous descriptors after this header
};
static_assert(sizeof(UsbmonHeader) == 64);
static_assert(offsetof(UsbmonHeader, busNumber) == 12);
static_assert(offsetof(UsbmonHeader, seconds) == 16);
static_assert(offsetof(UsbmonHeader, urbLength) == 32);
static_assert(offsetof(UsbmonHeader, setup) == 40);
static_assert(offsetof(UsbmonHeader, isoDescriptorCount) == 60);

// What an isochronous event holds where other events have the setup packet.
struct IsoCounts {
    LittleEndian<std::int32_t> errorCount;
    LittleEndian<std::int32_t> numberOfPackets;  // all packets, written or not
};
static_assert(sizeof(IsoCounts) == 8);

// One isochronous packet descriptor; isoDescriptorCount of them lead the event's data.
struct IsoDescriptor {
    LittleEndian<std::int32_t> status;
    LittleEndian<std::uint32_t> offset;
    LittleEndian<std::uint32_t> length;
    LittleEndian<std::uint32_t> padding;
};
static_assert(sizeof(IsoDescriptor) == 16);

}  // namespace zo::kernel::pcap
