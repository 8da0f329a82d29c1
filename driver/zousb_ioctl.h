#pragma once
// The contract between zousbdrv and its callers in user mode: device names, I/O-control codes and
// the byte layout of every record that crosses the boundary. Records are little-endian and
// byte-packed; none holds a pointer except the interface record of IOCTL_ZOUSB_QUERY_INTERFACE.

#include <cstddef>
#include <cstdint>

namespace zousb {

constexpr std::uint32_t ioctlCode(std::uint32_t function, std::uint32_t method) {
    return (0x22u << 16) | (function << 2) | method;
}
inline constexpr std::uint32_t kBuffered = 0;
inline constexpr std::uint32_t kInDirect = 1;
inline constexpr std::uint32_t kOutDirect = 2;

}  // namespace zousb

inline constexpr std::uint32_t IOCTL_ZOUSB_QUERY_INTERFACE =
    zousb::ioctlCode(0x800, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_READ_DEVICE_DESCRIPTOR =
    zousb::ioctlCode(0x801, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_READ_CONFIG_DESCRIPTOR =
    zousb::ioctlCode(0x802, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_VENDOR_TRANSFER =
    zousb::ioctlCode(0x805, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_NOP = zousb::ioctlCode(0x806, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_LOAD_BLOCKS = zousb::ioctlCode(0x807, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_RESET_PORT = zousb::ioctlCode(0x80C, zousb::kInDirect);
inline constexpr std::uint32_t IOCTL_ZOUSB_RESET_PIPE = zousb::ioctlCode(0x80D, zousb::kInDirect);
inline constexpr std::uint32_t IOCTL_ZOUSB_ABORT_PIPE = zousb::ioctlCode(0x80F, zousb::kInDirect);
inline constexpr std::uint32_t IOCTL_ZOUSB_SELECT_INTERFACE =
    zousb::ioctlCode(0x810, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_READ_STRING_DESCRIPTOR =
    zousb::ioctlCode(0x811, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_PIPE_READ = zousb::ioctlCode(0x813, zousb::kOutDirect);
inline constexpr std::uint32_t IOCTL_ZOUSB_PIPE_WRITE = zousb::ioctlCode(0x814, zousb::kInDirect);
inline constexpr std::uint32_t IOCTL_ZOUSB_GET_FRAME_NUMBER =
    zousb::ioctlCode(0x815, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_CONTROL_REQUEST =
    zousb::ioctlCode(0x816, zousb::kInDirect);
inline constexpr std::uint32_t IOCTL_ZOUSB_GET_LAST_USB_STATUS =
    zousb::ioctlCode(0x817, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_ISO_READ = zousb::ioctlCode(0x819, zousb::kOutDirect);
inline constexpr std::uint32_t IOCTL_ZOUSB_ISO_WRITE = zousb::ioctlCode(0x81A, zousb::kInDirect);
inline constexpr std::uint32_t IOCTL_ZOUSB_LOAD_MEMORY = zousb::ioctlCode(0x81B, zousb::kInDirect);
inline constexpr std::uint32_t IOCTL_ZOUSB_GET_DRIVER_VERSION =
    zousb::ioctlCode(0x81D, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_START_STREAM = zousb::ioctlCode(0x81E, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_STOP_STREAM = zousb::ioctlCode(0x81F, zousb::kBuffered);
inline constexpr std::uint32_t IOCTL_ZOUSB_READ_STREAM = zousb::ioctlCode(0x820, zousb::kOutDirect);
inline constexpr std::uint32_t IOCTL_ZOUSB_SET_FEATURE = zousb::ioctlCode(0x821, zousb::kBuffered);

static_assert(IOCTL_ZOUSB_QUERY_INTERFACE == 0x222000);
static_assert(IOCTL_ZOUSB_CONTROL_REQUEST == 0x222059);
static_assert(IOCTL_ZOUSB_SET_FEATURE == 0x222084);

#pragma pack(push, 1)
struct ZOUSB_CONTROL_REQUEST {
    std::uint8_t direction;  // non-zero: device to host
    std::uint8_t type;       // 1 class, 2 vendor
    std::uint8_t recipient;  // 0 device, 1 interface, 2 endpoint, 3 other
    std::uint8_t reserved0;
    std::uint8_t request;
    std::uint8_t reserved1;
    std::uint16_t value;
    std::uint16_t index;
};
static_assert(sizeof(ZOUSB_CONTROL_REQUEST) == 10);

struct ZOUSB_VENDOR_TRANSFER {
    std::uint8_t request;
    std::uint8_t reserved;
    std::uint16_t value;
    std::uint16_t index;
    std::uint16_t length;
    std::uint8_t direction;  // non-zero: device to host
    std::uint8_t data;       // the byte of a one-byte host-to-device request
};
static_assert(sizeof(ZOUSB_VENDOR_TRANSFER) == 10);

struct ZOUSB_STRING_REQUEST {
    std::uint8_t index;
    std::uint8_t reserved;
    std::uint16_t language;
};
static_assert(sizeof(ZOUSB_STRING_REQUEST) == 4);

struct ZOUSB_INTERFACE_SELECT {
    std::uint8_t interfaceNumber;
    std::uint8_t alternateSetting;
};
static_assert(sizeof(ZOUSB_INTERFACE_SELECT) == 2);

struct ZOUSB_FEATURE_REQUEST {
    std::uint16_t selector;
    std::uint16_t index;
};
static_assert(sizeof(ZOUSB_FEATURE_REQUEST) == 4);

struct ZOUSB_DRIVER_VERSION {
    std::uint16_t major;
    std::uint16_t minor;
    std::uint16_t build;
};
static_assert(sizeof(ZOUSB_DRIVER_VERSION) == 6);

// The input of the isochronous codes: the one-shot transfers, the start of a stream and a stream
// read.
struct ZOUSB_ISO_TRANSFER {
    std::uint32_t pipe;        // pipe index in the interface record
    std::uint32_t packetSize;  // bytes per isochronous packet
    // One-shot: packets of the whole transfer; stream start: capacity of the rings in packets;
    // stream read: packets wanted.
    std::uint32_t packetCount;
    std::uint32_t packetsPerTransfer;  // packets one USB transfer carries (one-shot, start)
    std::uint32_t transfers;           // USB transfers kept in flight (one-shot, start)
};
static_assert(sizeof(ZOUSB_ISO_TRANSFER) == 20);

// The outcome of one isochronous packet, as the USB stack reports it.
struct ZOUSB_PACKET_RECORD {
    std::uint32_t offset;  // of the packet's data within its USB transfer
    std::uint32_t length;  // device to host: the bytes the packet carried
    std::int32_t status;   // USB status of the packet
};
static_assert(sizeof(ZOUSB_PACKET_RECORD) == 12);

// What a 32-bit caller receives from IOCTL_ZOUSB_QUERY_INTERFACE: the first pipe only, no handles.
struct ZOUSB_INTERFACE_INFO32 {
    std::uint16_t length;  // the 64-bit record's length
    std::uint8_t interfaceNumber;
    std::uint8_t alternateSetting;
    std::uint8_t interfaceClass;
    std::uint8_t subClass;
    std::uint8_t protocol;
    std::uint8_t reserved;
    std::uint32_t interfaceHandle;  // always 0
    std::uint32_t numberOfPipes;
    std::uint16_t maximumPacketSize;
    std::uint8_t endpointAddress;
    std::uint8_t interval;
    std::uint32_t pipeType;
    std::uint32_t pipeHandle;  // always 0
    std::uint32_t maximumTransferSize;
    std::uint32_t pipeFlags;
};
static_assert(sizeof(ZOUSB_INTERFACE_INFO32) == 36);
#pragma pack(pop)

// Offsets in the 64-bit interface record that callers read.
inline constexpr std::size_t kInterfaceNumberOfPipesOffset = 16;
inline constexpr std::size_t kInterfaceFirstPipeOffset = 24;
inline constexpr std::size_t kPipeRecordSize = 24;
