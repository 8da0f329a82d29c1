// Descriptor reads, the interface record and interface selection.

#include <cstring>

#include "driver/ioctl_handlers.h"
#include "driver/zousb_ioctl.h"

namespace {

constexpr ULONG kFirstConfigurationRead = 265;
constexpr ULONG kMaximumTransferSize = 0x200000;

// Callers read the 64-bit interface record by these offsets.
static_assert(offsetof(USBD_INTERFACE_INFORMATION, NumberOfPipes) ==
                  kInterfaceNumberOfPipesOffset &&
              offsetof(USBD_INTERFACE_INFORMATION, Pipes) == kInterfaceFirstPipeOffset &&
              sizeof(USBD_PIPE_INFORMATION) == kPipeRecordSize);

// The bytes of an interface record, and of a select-interface URB, for `pipes` pipes; each of the
// two records has room for one pipe of its own.
constexpr std::size_t interfaceRecordSize(ULONG pipes) {
    return sizeof(USBD_INTERFACE_INFORMATION) + (std::size_t{pipes} - 1) * kPipeRecordSize;
}
constexpr std::size_t selectInterfaceUrbSize(ULONG pipes) {
    return sizeof(_URB_SELECT_INTERFACE) + (std::size_t{pipes} - 1) * kPipeRecordSize;
}

void writeInterface32(const USBD_INTERFACE_INFORMATION& interface, void* out) {
    ZOUSB_INTERFACE_INFO32 record{};
    record.length = interface.Length;
    record.interfaceNumber = interface.InterfaceNumber;
    record.alternateSetting = interface.AlternateSetting;
    record.interfaceClass = interface.Class;
    record.subClass = interface.SubClass;
    record.protocol = interface.Protocol;
    record.reserved = interface.Reserved;
    record.numberOfPipes = interface.NumberOfPipes;
    if (interface.NumberOfPipes > 0) {
        const USBD_PIPE_INFORMATION& first = interface.Pipes[0];
        record.maximumPacketSize = first.MaximumPacketSize;
        record.endpointAddress = first.EndpointAddress;
        record.interval = first.Interval;
        record.pipeType = static_cast<std::uint32_t>(first.PipeType);
        record.maximumTransferSize = first.MaximumTransferSize;
        record.pipeFlags = first.PipeFlags;
    }
    std::memcpy(out, &record, sizeof record);
}

IoctlResult readDescriptorInto(DEVICE_OBJECT* device, const IoctlRequest& request, UCHAR type,
                               ULONG length) {
    if (request.systemBuffer == nullptr) {
        return {STATUS_SUCCESS, 0};
    }
    ULONG received = 0;
    const NTSTATUS status =
        ReadDescriptor(device, type, 0, 0, request.systemBuffer, length, &received);
    if (status == STATUS_NO_MEMORY) {
        return {status, 0};
    }
    return {STATUS_SUCCESS, NT_SUCCESS(status) ? received : 0};
}

// The whole configuration descriptor in a pool buffer the caller frees; null on any failure.
USB_CONFIGURATION_DESCRIPTOR* readWholeConfiguration(DEVICE_OBJECT* device) {
    ULONG size = kFirstConfigurationRead;
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* buffer = static_cast<USB_CONFIGURATION_DESCRIPTOR*>(allocateZeroed(size));
        if (buffer == nullptr) {
            return nullptr;
        }
        ULONG received = 0;
        const NTSTATUS status = ReadDescriptor(device, USB_CONFIGURATION_DESCRIPTOR_TYPE, 0, 0,
                                               buffer, size, &received);
        const ULONG total = buffer->wTotalLength;
        if (!NT_SUCCESS(status) || received < sizeof(USB_CONFIGURATION_DESCRIPTOR) ||
            total < sizeof(USB_CONFIGURATION_DESCRIPTOR)) {
            ExFreePool(buffer);
            return nullptr;
        }
        if (total <= received) {
            return buffer;
        }
        ExFreePool(buffer);
        if (total <= size) {
            return nullptr;  // the device sent less than its descriptor claims
        }
        size = total;
    }
    return nullptr;
}

}  // namespace

IoctlResult queryInterface(DEVICE_OBJECT* device, const IoctlRequest& request) {
    DeviceContext* context = contextOf(device);
    IoctlResult result{STATUS_SUCCESS, 0};
    KIRQL irql;
    KeAcquireSpinLock(&context->InterfaceLock, &irql);
    if (const USBD_INTERFACE_INFORMATION* interface = context->Interface; interface != nullptr) {
        if (request.outputLength < interface->Length || request.systemBuffer == nullptr) {
            result = {STATUS_BUFFER_TOO_SMALL, 0};
        } else if (request.from32BitProcess) {
            // The bytes after the 36-byte record are zero, up to the length reported.
            std::memset(request.systemBuffer, 0, interface->Length);
            writeInterface32(*interface, request.systemBuffer);
            result = {STATUS_SUCCESS, interface->Length};
        } else {
            std::memcpy(request.systemBuffer, interface, interface->Length);
            result = {STATUS_SUCCESS, interface->Length};
        }
    }
    KeReleaseSpinLock(&context->InterfaceLock, irql);
    return result;
}

IoctlResult readDeviceDescriptor(DEVICE_OBJECT* device, const IoctlRequest& request) {
    if (request.outputLength < sizeof(USB_DEVICE_DESCRIPTOR)) {
        return {STATUS_BUFFER_TOO_SMALL, 0};
    }
    return readDescriptorInto(device, request, USB_DEVICE_DESCRIPTOR_TYPE,
                              sizeof(USB_DEVICE_DESCRIPTOR));
}

IoctlResult readConfigDescriptor(DEVICE_OBJECT* device, const IoctlRequest& request) {
    return readDescriptorInto(device, request, USB_CONFIGURATION_DESCRIPTOR_TYPE,
                              request.outputLength);
}

IoctlResult readStringDescriptor(DEVICE_OBJECT* device, const IoctlRequest& request) {
    if (request.inputLength < sizeof(ZOUSB_STRING_REQUEST) || request.outputLength == 0) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    ZOUSB_STRING_REQUEST record;
    std::memcpy(&record, request.systemBuffer, sizeof record);
    ULONG received = 0;
    const NTSTATUS status =
        ReadDescriptor(device, USB_STRING_DESCRIPTOR_TYPE, record.index, record.language,
                       request.systemBuffer, request.outputLength, &received);
    if (status == STATUS_NO_MEMORY) {
        return {status, 0};
    }
    if (!NT_SUCCESS(status) || received == 0) {
        return {STATUS_UNSUCCESSFUL, 0};
    }
    return {STATUS_SUCCESS, received};
}

IoctlResult selectInterface(DEVICE_OBJECT* device, const IoctlRequest& request) {
    if (request.inputLength < sizeof(ZOUSB_INTERFACE_SELECT)) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    ZOUSB_INTERFACE_SELECT wanted;
    std::memcpy(&wanted, request.systemBuffer, sizeof wanted);
    DeviceContext* context = contextOf(device);
    USB_CONFIGURATION_DESCRIPTOR* configuration = readWholeConfiguration(device);
    if (configuration == nullptr) {
        return {STATUS_SUCCESS, 0};
    }
    const USB_INTERFACE_DESCRIPTOR* interface = USBD_ParseConfigurationDescriptorEx(
        configuration, configuration, wanted.interfaceNumber, wanted.alternateSetting, -1, -1, -1);
    if (interface != nullptr) {
        const ULONG pipes = interface->bNumEndpoints;
        URB* urb = allocateUrb(static_cast<USHORT>(selectInterfaceUrbSize(pipes)),
                               URB_FUNCTION_SELECT_INTERFACE);
        if (urb != nullptr) {
            auto& select = urb->UrbSelectInterface;
            select.ConfigurationHandle = ReadPointerAcquire(&context->ConfigurationHandle);
            select.Interface.Length = static_cast<USHORT>(interfaceRecordSize(pipes));
            select.Interface.InterfaceNumber = wanted.interfaceNumber;
            select.Interface.AlternateSetting = wanted.alternateSetting;
            for (ULONG pipe = 0; pipe < pipes; ++pipe) {
                select.Interface.Pipes[pipe].MaximumTransferSize = kMaximumTransferSize;
            }
            if (NT_SUCCESS(SubmitUrb(device, urb))) {
                KeepInterface(context, &select.Interface);
            }
            ExFreePool(urb);
        }
    }
    ExFreePool(configuration);
    return {STATUS_SUCCESS, 0};
}
