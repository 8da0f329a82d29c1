#pragma once
// USB records of the Windows USB stack: descriptors, the USBD interface and pipe records, URBs
// and their function codes and status values. The layouts are those of a 64-bit Windows build.

#include "kernel/irp.h"

#pragma pack(push, 1)
struct USB_DEVICE_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdUSB;
    UCHAR bDeviceClass;
    UCHAR bDeviceSubClass;
    UCHAR bDeviceProtocol;
    UCHAR bMaxPacketSize0;
    USHORT idVendor;
    USHORT idProduct;
    USHORT bcdDevice;
    UCHAR iManufacturer;
    UCHAR iProduct;
    UCHAR iSerialNumber;
    UCHAR bNumConfigurations;
};
static_assert(sizeof(USB_DEVICE_DESCRIPTOR) == 18);

struct USB_CONFIGURATION_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT wTotalLength;
    UCHAR bNumInterfaces;
    UCHAR bConfigurationValue;
    UCHAR iConfiguration;
    UCHAR bmAttributes;
    UCHAR MaxPower;
};
static_assert(sizeof(USB_CONFIGURATION_DESCRIPTOR) == 9);

struct USB_INTERFACE_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    UCHAR bInterfaceNumber;
    UCHAR bAlternateSetting;
    UCHAR bNumEndpoints;
    UCHAR bInterfaceClass;
    UCHAR bInterfaceSubClass;
    UCHAR bInterfaceProtocol;
    UCHAR iInterface;
};
static_assert(sizeof(USB_INTERFACE_DESCRIPTOR) == 9);

struct USB_ENDPOINT_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    UCHAR bEndpointAddress;
    UCHAR bmAttributes;
    USHORT wMaxPacketSize;
    UCHAR bInterval;
};
static_assert(sizeof(USB_ENDPOINT_DESCRIPTOR) == 7);
#pragma pack(pop)

inline constexpr UCHAR USB_DEVICE_DESCRIPTOR_TYPE = 1;
inline constexpr UCHAR USB_CONFIGURATION_DESCRIPTOR_TYPE = 2;
inline constexpr UCHAR USB_STRING_DESCRIPTOR_TYPE = 3;
inline constexpr UCHAR USB_INTERFACE_DESCRIPTOR_TYPE = 4;
inline constexpr UCHAR USB_ENDPOINT_DESCRIPTOR_TYPE = 5;

enum USBD_PIPE_TYPE : std::int32_t {
    UsbdPipeTypeControl = 0,
    UsbdPipeTypeIsochronous = 1,
    UsbdPipeTypeBulk = 2,
    UsbdPipeTypeInterrupt = 3
};

using USBD_PIPE_HANDLE = PVOID;
using USBD_CONFIGURATION_HANDLE = PVOID;
using USBD_INTERFACE_HANDLE = PVOID;
using USBD_STATUS = LONG;

struct USBD_PIPE_INFORMATION {
    USHORT MaximumPacketSize;
    UCHAR EndpointAddress;
    UCHAR Interval;
    USBD_PIPE_TYPE PipeType;
    USBD_PIPE_HANDLE PipeHandle;
    ULONG MaximumTransferSize;
    ULONG PipeFlags;
};
static_assert(sizeof(USBD_PIPE_INFORMATION) == 24);

struct USBD_INTERFACE_INFORMATION {
    USHORT Length;  // bytes of the whole record, 24 + 24 per pipe
    UCHAR InterfaceNumber;
    UCHAR AlternateSetting;
    UCHAR Class;
    UCHAR SubClass;
    UCHAR Protocol;
    UCHAR Reserved;
    USBD_INTERFACE_HANDLE InterfaceHandle;
    ULONG NumberOfPipes;
    USBD_PIPE_INFORMATION Pipes[1];  // NumberOfPipes records; reach them through UsbdPipes()
};
static_assert(sizeof(USBD_INTERFACE_INFORMATION) == 48);
inline constexpr std::size_t kInterfaceInformationHeader = 24;

// The bytes a USBD_INTERFACE_INFORMATION with `pipes` pipe records occupies.
constexpr std::size_t interfaceInformationSize(std::size_t pipes) {
    return kInterfaceInformationHeader + pipes * sizeof(USBD_PIPE_INFORMATION);
}

// The pipe records of an interface record; the record must be large enough for NumberOfPipes.
USBD_PIPE_INFORMATION* UsbdPipe(USBD_INTERFACE_INFORMATION* interface, ULONG index);

// URB function codes.
inline constexpr USHORT URB_FUNCTION_SELECT_CONFIGURATION = 0x0000;
inline constexpr USHORT URB_FUNCTION_SELECT_INTERFACE = 0x0001;
inline constexpr USHORT URB_FUNCTION_ABORT_PIPE = 0x0002;
inline constexpr USHORT URB_FUNCTION_GET_CURRENT_FRAME_NUMBER = 0x0007;
inline constexpr USHORT URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER = 0x0009;
inline constexpr USHORT URB_FUNCTION_ISOCH_TRANSFER = 0x000A;
inline constexpr USHORT URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE = 0x000B;
inline constexpr USHORT URB_FUNCTION_SET_FEATURE_TO_DEVICE = 0x000D;
inline constexpr USHORT URB_FUNCTION_VENDOR_DEVICE = 0x0017;
inline constexpr USHORT URB_FUNCTION_VENDOR_INTERFACE = 0x0018;
inline constexpr USHORT URB_FUNCTION_VENDOR_ENDPOINT = 0x0019;
inline constexpr USHORT URB_FUNCTION_CLASS_DEVICE = 0x001A;
inline constexpr USHORT URB_FUNCTION_CLASS_INTERFACE = 0x001B;
inline constexpr USHORT URB_FUNCTION_CLASS_ENDPOINT = 0x001C;
inline constexpr USHORT URB_FUNCTION_RESET_PIPE = 0x001E;
inline constexpr USHORT URB_FUNCTION_CLASS_OTHER = 0x001F;
inline constexpr USHORT URB_FUNCTION_VENDOR_OTHER = 0x0020;

inline constexpr ULONG USBD_TRANSFER_DIRECTION_IN = 1;
inline constexpr ULONG USBD_SHORT_TRANSFER_OK = 2;
inline constexpr ULONG USBD_START_ISO_TRANSFER_ASAP = 4;
// No limit: the USB stack since Windows XP ignores a pipe's MaximumTransferSize.
inline constexpr ULONG USBD_DEFAULT_MAXIMUM_TRANSFER_SIZE = 0xFFFFFFFF;

// USB status values of a completed URB; bit 31 marks an error.
constexpr bool USBD_ERROR(USBD_STATUS status) {
    return status < 0;
}
inline constexpr USBD_STATUS USBD_STATUS_SUCCESS = 0;
inline constexpr USBD_STATUS USBD_STATUS_PENDING = ntStatus(0x40000000);
inline constexpr USBD_STATUS USBD_STATUS_STALL_PID = ntStatus(0xC0000004);
inline constexpr USBD_STATUS USBD_STATUS_DEV_NOT_RESPONDING = ntStatus(0xC0000005);
inline constexpr USBD_STATUS USBD_STATUS_DATA_UNDERRUN = ntStatus(0xC0000009);
inline constexpr USBD_STATUS USBD_STATUS_BAD_START_FRAME = ntStatus(0xC0000A00);
inline constexpr USBD_STATUS USBD_STATUS_ISOCH_REQUEST_FAILED = ntStatus(0xC0000B00);
inline constexpr USBD_STATUS USBD_STATUS_BUFFER_TOO_SMALL = ntStatus(0xC0003000);
inline constexpr USBD_STATUS USBD_STATUS_INVALID_URB_FUNCTION = ntStatus(0x80000200);
inline constexpr USBD_STATUS USBD_STATUS_INVALID_PARAMETER = ntStatus(0x80000300);
inline constexpr USBD_STATUS USBD_STATUS_INVALID_PIPE_HANDLE = ntStatus(0x80000600);
inline constexpr USBD_STATUS USBD_STATUS_DEVICE_GONE = ntStatus(0xC0007000);
inline constexpr USBD_STATUS USBD_STATUS_CANCELED = ntStatus(0xC0010000);

struct _URB_HEADER {
    USHORT Length;
    USHORT Function;
    USBD_STATUS Status;
    PVOID UsbdDeviceHandle;
    ULONG UsbdFlags;
};
static_assert(sizeof(_URB_HEADER) == 24);

struct _URB_HCD_AREA {
    PVOID Reserved8[8];
};

union URB;

struct _URB_SELECT_CONFIGURATION {
    _URB_HEADER Hdr;
    USB_CONFIGURATION_DESCRIPTOR* ConfigurationDescriptor;  // null: unconfigure the device
    USBD_CONFIGURATION_HANDLE ConfigurationHandle;
    USBD_INTERFACE_INFORMATION Interface;  // followed by the other interfaces' records
};
static_assert(sizeof(_URB_SELECT_CONFIGURATION) == 88);

struct _URB_SELECT_INTERFACE {
    _URB_HEADER Hdr;
    USBD_CONFIGURATION_HANDLE ConfigurationHandle;
    USBD_INTERFACE_INFORMATION Interface;
};
static_assert(sizeof(_URB_SELECT_INTERFACE) == 80);
// A select-interface URB for an interface of `pipes` pipes.
constexpr std::size_t selectInterfaceUrbSize(std::size_t pipes) {
    return 32 + interfaceInformationSize(pipes);
}

struct _URB_PIPE_REQUEST {
    _URB_HEADER Hdr;
    USBD_PIPE_HANDLE PipeHandle;
    ULONG Reserved;
};
static_assert(sizeof(_URB_PIPE_REQUEST) == 40);

struct _URB_GET_CURRENT_FRAME_NUMBER {
    _URB_HEADER Hdr;
    ULONG FrameNumber;
};
static_assert(sizeof(_URB_GET_CURRENT_FRAME_NUMBER) == 32);

struct _URB_BULK_OR_INTERRUPT_TRANSFER {
    _URB_HEADER Hdr;
    USBD_PIPE_HANDLE PipeHandle;
    ULONG TransferFlags;
    ULONG TransferBufferLength;
    PVOID TransferBuffer;
    MDL* TransferBufferMDL;
    URB* UrbLink;
    _URB_HCD_AREA hca;
};
static_assert(sizeof(_URB_BULK_OR_INTERRUPT_TRANSFER) == 128);

struct _URB_CONTROL_DESCRIPTOR_REQUEST {
    _URB_HEADER Hdr;
    PVOID Reserved;
    ULONG Reserved0;
    ULONG TransferBufferLength;
    PVOID TransferBuffer;
    MDL* TransferBufferMDL;
    URB* UrbLink;
    _URB_HCD_AREA hca;
    USHORT Reserved1;
    UCHAR Index;
    UCHAR DescriptorType;
    USHORT LanguageId;
    USHORT Reserved2;
};
static_assert(sizeof(_URB_CONTROL_DESCRIPTOR_REQUEST) == 136);

struct _URB_CONTROL_FEATURE_REQUEST {
    _URB_HEADER Hdr;
    PVOID Reserved;
    ULONG Reserved2;
    ULONG Reserved3;
    PVOID Reserved4;
    MDL* Reserved5;
    URB* UrbLink;
    _URB_HCD_AREA hca;
    USHORT Reserved0;
    USHORT FeatureSelector;
    USHORT Index;
    USHORT Reserved1;
};
static_assert(sizeof(_URB_CONTROL_FEATURE_REQUEST) == 136);

struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST {
    _URB_HEADER Hdr;
    PVOID Reserved;
    ULONG TransferFlags;
    ULONG TransferBufferLength;
    PVOID TransferBuffer;
    MDL* TransferBufferMDL;
    URB* UrbLink;
    _URB_HCD_AREA hca;
    UCHAR RequestTypeReservedBits;
    UCHAR Request;
    USHORT Value;
    USHORT Index;
    USHORT Reserved1;
};
static_assert(sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST) == 136);

struct USBD_ISO_PACKET_DESCRIPTOR {
    ULONG Offset;        // of the packet's data in the transfer buffer
    ULONG Length;        // IN: the bytes the packet carried, set on completion
    USBD_STATUS Status;  // of the packet, set on completion
};
static_assert(sizeof(USBD_ISO_PACKET_DESCRIPTOR) == 12);

struct _URB_ISOCH_TRANSFER {
    _URB_HEADER Hdr;
    USBD_PIPE_HANDLE PipeHandle;
    ULONG TransferFlags;
    ULONG TransferBufferLength;
    PVOID TransferBuffer;
    MDL* TransferBufferMDL;
    URB* UrbLink;
    _URB_HCD_AREA hca;
    ULONG StartFrame;  // the frame the transfer starts in: given, or set by the bus when ASAP
    ULONG NumberOfPackets;
    ULONG ErrorCount;                         // packets that failed, set on completion
    USBD_ISO_PACKET_DESCRIPTOR IsoPacket[1];  // NumberOfPackets descriptors
};
static_assert(sizeof(_URB_ISOCH_TRANSFER) == 152);
static_assert(offsetof(_URB_ISOCH_TRANSFER, IsoPacket) == 140);

// The bytes an isochronous URB with `packets` descriptors needs at least.
constexpr std::size_t isochUrbSize(std::size_t packets) {
    return offsetof(_URB_ISOCH_TRANSFER, IsoPacket) + packets * sizeof(USBD_ISO_PACKET_DESCRIPTOR);
}

union URB {
    _URB_HEADER UrbHeader;
    _URB_SELECT_INTERFACE UrbSelectInterface;
    _URB_SELECT_CONFIGURATION UrbSelectConfiguration;
    _URB_PIPE_REQUEST UrbPipeRequest;
    _URB_GET_CURRENT_FRAME_NUMBER UrbGetCurrentFrameNumber;
    _URB_BULK_OR_INTERRUPT_TRANSFER UrbBulkOrInterruptTransfer;
    _URB_CONTROL_DESCRIPTOR_REQUEST UrbControlDescriptorRequest;
    _URB_CONTROL_FEATURE_REQUEST UrbControlFeatureRequest;
    _URB_CONTROL_VENDOR_OR_CLASS_REQUEST UrbControlVendorClassRequest;
    _URB_ISOCH_TRANSFER UrbIsochronousTransfer;
};

// Internal device-control codes of the USB stack.
inline constexpr ULONG IOCTL_INTERNAL_USB_SUBMIT_URB =
    CTL_CODE(FILE_DEVICE_USB, 0, METHOD_NEITHER, FILE_ANY_ACCESS);
inline constexpr ULONG IOCTL_INTERNAL_USB_RESET_PORT =
    CTL_CODE(FILE_DEVICE_USB, 1, METHOD_NEITHER, FILE_ANY_ACCESS);
static_assert(IOCTL_INTERNAL_USB_RESET_PORT == 0x220007);
