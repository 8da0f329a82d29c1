// What the bus driver does for each URB function: the setup packets it puts on the wire, the
// checks of the request block it makes first, and what it writes back into the URB.

#include <cstring>

#include "kernel/usb_bus.h"
#include "kernel/usbd.h"

namespace zo::kernel {

namespace {

constexpr std::size_t kPipeRequestMinimum = 36;  // the length older USB stacks used
constexpr std::size_t kSelectConfigurationHeader = 40;

std::uint64_t idOf(const URB& urb) {
    return reinterpret_cast<std::uintptr_t>(&urb);
}

USBD_STATUS transferStatus(const usb::TransferResult& result, ULONG asked, bool in, bool shortOk) {
    switch (result.status) {
        case usb::TransferStatus::Stall:
            return USBD_STATUS_STALL_PID;
        case usb::TransferStatus::NotResponding:
            return USBD_STATUS_DEV_NOT_RESPONDING;
        case usb::TransferStatus::Ok:
            break;
    }
    return (in && result.bytes < asked && !shortOk) ? USBD_STATUS_DATA_UNDERRUN
                                                    : USBD_STATUS_SUCCESS;
}

// bmRequestType bits 6..0 of a class or vendor URB function; -1 for any other function.
int typeAndRecipient(USHORT function) {
    switch (function) {
        case URB_FUNCTION_CLASS_DEVICE:
            return 0x20;
        case URB_FUNCTION_CLASS_INTERFACE:
            return 0x21;
        case URB_FUNCTION_CLASS_ENDPOINT:
            return 0x22;
        case URB_FUNCTION_CLASS_OTHER:
            return 0x23;
        case URB_FUNCTION_VENDOR_DEVICE:
            return 0x40;
        case URB_FUNCTION_VENDOR_INTERFACE:
            return 0x41;
        case URB_FUNCTION_VENDOR_ENDPOINT:
            return 0x42;
        case URB_FUNCTION_VENDOR_OTHER:
            return 0x43;
        default:
            return -1;
    }
}

USBD_STATUS vendorOrClass(UsbPort& port, URB& urb, int typeBits) {
    auto& request = urb.UrbControlVendorClassRequest;
    if (urb.UrbHeader.Length < sizeof(request) || request.TransferBufferLength > 0xFFFF) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const bool in = (request.TransferFlags & USBD_TRANSFER_DIRECTION_IN) != 0;
    const auto data = urbTransferBuffer(request.TransferBuffer, request.TransferBufferMDL,
                                        request.TransferBufferLength);
    if (!data) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const usb::SetupPacket setup{
        static_cast<std::uint8_t>((in ? 0x80 : 0) | typeBits | request.RequestTypeReservedBits),
        request.Request, request.Value, request.Index,
        static_cast<std::uint16_t>(request.TransferBufferLength)};
    const auto result = port.control(idOf(urb), setup, *data);
    const ULONG asked = request.TransferBufferLength;
    request.TransferBufferLength = result.bytes;
    return transferStatus(result, asked, in, (request.TransferFlags & USBD_SHORT_TRANSFER_OK) != 0);
}

USBD_STATUS getDescriptor(UsbPort& port, URB& urb) {
    auto& request = urb.UrbControlDescriptorRequest;
    if (urb.UrbHeader.Length < sizeof(request) || request.TransferBufferLength > 0xFFFF) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const auto data = urbTransferBuffer(request.TransferBuffer, request.TransferBufferMDL,
                                        request.TransferBufferLength);
    if (!data) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const usb::SetupPacket setup{
        0x80, 6, static_cast<std::uint16_t>(request.DescriptorType << 8 | request.Index),
        request.LanguageId, static_cast<std::uint16_t>(request.TransferBufferLength)};
    const auto result = port.control(idOf(urb), setup, *data);
    request.TransferBufferLength = result.bytes;
    return transferStatus(result, setup.length, true, true);
}

USBD_STATUS setFeature(UsbPort& port, URB& urb) {
    const auto& request = urb.UrbControlFeatureRequest;
    if (urb.UrbHeader.Length < sizeof(request)) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const usb::SetupPacket setup{0x00, 3, request.FeatureSelector, request.Index, 0};
    return transferStatus(port.control(idOf(urb), setup, {}), 0, false, true);
}

// The endpoint descriptors that follow an interface descriptor, up to the next interface.
std::vector<const USB_ENDPOINT_DESCRIPTOR*> endpointsOf(std::span<const UCHAR> configuration,
                                                        const USB_INTERFACE_DESCRIPTOR* interface) {
    std::vector<const USB_ENDPOINT_DESCRIPTOR*> endpoints;
    std::size_t offset =
        static_cast<std::size_t>(reinterpret_cast<const UCHAR*>(interface) - configuration.data()) +
        interface->bLength;
    while (offset + 2 <= configuration.size() && configuration[offset] >= 2 &&
           offset + configuration[offset] <= configuration.size()) {
        const UCHAR type = configuration[offset + 1];
        if (type == USB_INTERFACE_DESCRIPTOR_TYPE) {
            break;
        }
        if (type == USB_ENDPOINT_DESCRIPTOR_TYPE &&
            configuration[offset] >= sizeof(USB_ENDPOINT_DESCRIPTOR)) {
            endpoints.push_back(
                reinterpret_cast<const USB_ENDPOINT_DESCRIPTOR*>(configuration.data() + offset));
        }
        offset += configuration[offset];
    }
    return endpoints;
}

// Fills an interface record from the kept configuration descriptor and makes its pipes the
// port's pipes of that interface. The port's mutex is held.
USBD_STATUS openInterface(UsbBus& bus, UsbPort& port, USBD_INTERFACE_INFORMATION& record,
                          std::size_t recordRoom) {
    auto* configuration =
        reinterpret_cast<USB_CONFIGURATION_DESCRIPTOR*>(port.configurationDescriptor.data());
    const USB_INTERFACE_DESCRIPTOR* interface = USBD_ParseConfigurationDescriptorEx(
        configuration, configuration, record.InterfaceNumber, record.AlternateSetting, -1, -1, -1);
    if (interface == nullptr) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const auto endpoints = endpointsOf(port.configurationDescriptor, interface);
    if (recordRoom < interfaceInformationSize(endpoints.size()) ||
        record.Length < interfaceInformationSize(endpoints.size())) {
        return USBD_STATUS_BUFFER_TOO_SMALL;
    }
    record.Class = interface->bInterfaceClass;
    record.SubClass = interface->bInterfaceSubClass;
    record.Protocol = interface->bInterfaceProtocol;
    record.InterfaceHandle = bus.newHandle();
    record.NumberOfPipes = static_cast<ULONG>(endpoints.size());
    port.pipes.clear();
    for (ULONG index = 0; index < record.NumberOfPipes; ++index) {
        const USB_ENDPOINT_DESCRIPTOR& endpoint = *endpoints[index];
        USBD_PIPE_INFORMATION& pipe = *UsbdPipe(&record, index);
        pipe.MaximumPacketSize = endpoint.wMaxPacketSize;
        pipe.EndpointAddress = endpoint.bEndpointAddress;
        pipe.Interval = endpoint.bInterval;
        pipe.PipeType = static_cast<USBD_PIPE_TYPE>(endpoint.bmAttributes & 3);
        pipe.PipeHandle = bus.newHandle();
        pipe.PipeFlags = 0;
        port.pipes.push_back(PipeState{pipe.EndpointAddress, pipe.Interval, pipe.MaximumPacketSize,
                                       pipe.PipeType, pipe.MaximumTransferSize, pipe.PipeHandle});
    }
    return USBD_STATUS_SUCCESS;
}

USBD_STATUS selectConfiguration(UsbBus& bus, UsbPort& port, URB& urb) {
    auto& request = urb.UrbSelectConfiguration;
    if (urb.UrbHeader.Length < kSelectConfigurationHeader) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    std::lock_guard lock(port.mutex());
    const USB_CONFIGURATION_DESCRIPTOR* descriptor = request.ConfigurationDescriptor;
    const UCHAR value = descriptor == nullptr ? 0 : descriptor->bConfigurationValue;
    const USBD_STATUS wire = transferStatus(
        port.control(idOf(urb), usb::SetupPacket{0x00, 9, value, 0, 0}, {}), 0, false, true);
    if (USBD_ERROR(wire)) {
        return wire;
    }
    port.pipes.clear();
    port.configurationDescriptor.clear();
    port.configurationHandle = nullptr;
    if (descriptor == nullptr) {
        return USBD_STATUS_SUCCESS;
    }
    if (descriptor->wTotalLength < sizeof(USB_CONFIGURATION_DESCRIPTOR)) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const auto* bytes = reinterpret_cast<const UCHAR*>(descriptor);
    port.configurationDescriptor.assign(bytes, bytes + descriptor->wTotalLength);
    auto* record = reinterpret_cast<std::byte*>(&urb) + kSelectConfigurationHeader;
    const auto* end = reinterpret_cast<std::byte*>(&urb) + urb.UrbHeader.Length;
    while (record + kInterfaceInformationHeader <= end) {
        auto& interface = *reinterpret_cast<USBD_INTERFACE_INFORMATION*>(record);
        if (interface.Length < kInterfaceInformationHeader) {
            return USBD_STATUS_INVALID_PARAMETER;
        }
        const USBD_STATUS opened =
            openInterface(bus, port, interface, static_cast<std::size_t>(end - record));
        if (USBD_ERROR(opened)) {
            return opened;
        }
        record += interface.Length;
    }
    port.configurationHandle = bus.newHandle();
    request.ConfigurationHandle = port.configurationHandle;
    return USBD_STATUS_SUCCESS;
}

USBD_STATUS selectInterface(UsbBus& bus, UsbPort& port, URB& urb) {
    auto& request = urb.UrbSelectInterface;
    if (urb.UrbHeader.Length < 32 + kInterfaceInformationHeader) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    std::lock_guard lock(port.mutex());
    if (request.ConfigurationHandle == nullptr ||
        request.ConfigurationHandle != port.configurationHandle) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    auto& interface = request.Interface;
    const usb::SetupPacket setInterface{0x01, 11, interface.AlternateSetting,
                                        interface.InterfaceNumber, 0};
    const USBD_STATUS wire =
        transferStatus(port.control(idOf(urb), setInterface, {}), 0, false, true);
    if (USBD_ERROR(wire)) {
        return wire;
    }
    return openInterface(bus, port, interface, urb.UrbHeader.Length - 32u);
}

std::optional<PipeState> pipeOf(UsbPort& port, USBD_PIPE_HANDLE handle) {
    std::lock_guard lock(port.mutex());
    return port.findPipe(handle);
}

USBD_STATUS bulkOrInterrupt(UsbPort& port, URB& urb) {
    auto& request = urb.UrbBulkOrInterruptTransfer;
    if (urb.UrbHeader.Length < sizeof(request)) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const auto pipe = pipeOf(port, request.PipeHandle);
    if (!pipe) {
        return USBD_STATUS_INVALID_PIPE_HANDLE;
    }
    if ((pipe->type != UsbdPipeTypeBulk && pipe->type != UsbdPipeTypeInterrupt) ||
        request.TransferBufferLength > pipe->maximumTransferSize) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const auto data = urbTransferBuffer(request.TransferBuffer, request.TransferBufferMDL,
                                        request.TransferBufferLength);
    if (!data) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const bool in = (pipe->endpoint & 0x80) != 0;
    const auto result = port.transfer(idOf(urb), *pipe, *data);
    const ULONG asked = request.TransferBufferLength;
    request.TransferBufferLength = result.bytes;
    return transferStatus(result, asked, in, (request.TransferFlags & USBD_SHORT_TRANSFER_OK) != 0);
}

USBD_STATUS pipeRequest(UsbBus& bus, UsbPort& port, URB& urb) {
    if (urb.UrbHeader.Length < kPipeRequestMinimum) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const auto pipe = pipeOf(port, urb.UrbPipeRequest.PipeHandle);
    if (!pipe) {
        return USBD_STATUS_INVALID_PIPE_HANDLE;
    }
    if (urb.UrbHeader.Function == URB_FUNCTION_ABORT_PIPE) {
        bus.cancelPipe(port, pipe->handle);
        return USBD_STATUS_SUCCESS;
    }
    // Resetting a pipe clears the endpoint's halt on the device.
    const usb::SetupPacket clearHalt{0x02, 1, 0, pipe->endpoint, 0};
    return transferStatus(port.control(idOf(urb), clearHalt, {}), 0, false, true);
}

}  // namespace

std::optional<std::span<std::uint8_t>> urbTransferBuffer(PVOID buffer, MDL* mdl, ULONG length) {
    if (length == 0) {
        return std::span<std::uint8_t>{};
    }
    if (buffer == nullptr && mdl != nullptr && MmGetMdlByteCount(mdl) >= length) {
        buffer = MmGetSystemAddressForMdlSafe(mdl, NormalPagePriority);
    }
    if (buffer == nullptr) {
        return std::nullopt;
    }
    return std::span<std::uint8_t>(static_cast<std::uint8_t*>(buffer), length);
}

USBD_STATUS executeUrb(UsbBus& bus, UsbPort& port, URB& urb) {
    if (!port.connected()) {
        return USBD_STATUS_DEVICE_GONE;
    }
    const USHORT function = urb.UrbHeader.Function;
    if (const int typeBits = typeAndRecipient(function); typeBits >= 0) {
        return vendorOrClass(port, urb, typeBits);
    }
    switch (function) {
        case URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE:
            return getDescriptor(port, urb);
        case URB_FUNCTION_SET_FEATURE_TO_DEVICE:
            return setFeature(port, urb);
        case URB_FUNCTION_SELECT_CONFIGURATION:
            return selectConfiguration(bus, port, urb);
        case URB_FUNCTION_SELECT_INTERFACE:
            return selectInterface(bus, port, urb);
        case URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER:
            return bulkOrInterrupt(port, urb);
        case URB_FUNCTION_RESET_PIPE:
        case URB_FUNCTION_ABORT_PIPE:
            return pipeRequest(bus, port, urb);
        case URB_FUNCTION_GET_CURRENT_FRAME_NUMBER:
            if (urb.UrbHeader.Length < 28) {
                return USBD_STATUS_INVALID_PARAMETER;
            }
            urb.UrbGetCurrentFrameNumber.FrameNumber = bus.frameNumber();
            return USBD_STATUS_SUCCESS;
        default:
            return USBD_STATUS_INVALID_URB_FUNCTION;
    }
}

}  // namespace zo::kernel
