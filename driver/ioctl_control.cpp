// Control transfers on the default pipe: class and vendor requests, the vendor transfer, loading
// device memory, and setting a device feature.

#include <cstring>

#include "driver/ioctl_handlers.h"
#include "driver/zousb_ioctl.h"

namespace {

constexpr USHORT kControlUrbLength = sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST);
constexpr UCHAR kMemoryLoadRequest = 0xA0;
constexpr ULONG kChunk = 64;
constexpr ULONG kBlock = 512;

// The URB function of a class (1) or vendor (2) request to a recipient 0..3; 0 outside the table.
USHORT controlFunction(std::uint8_t type, std::uint8_t recipient) {
    static constexpr USHORT classFunctions[] = {
        URB_FUNCTION_CLASS_DEVICE, URB_FUNCTION_CLASS_INTERFACE, URB_FUNCTION_CLASS_ENDPOINT,
        URB_FUNCTION_CLASS_OTHER};
    static constexpr USHORT vendorFunctions[] = {
        URB_FUNCTION_VENDOR_DEVICE, URB_FUNCTION_VENDOR_INTERFACE, URB_FUNCTION_VENDOR_ENDPOINT,
        URB_FUNCTION_VENDOR_OTHER};
    if (recipient > 3) {
        return 0;
    }
    if (type == 1) {
        return classFunctions[recipient];
    }
    return type == 2 ? vendorFunctions[recipient] : 0;
}

// One host-to-device memory-load request of `data` at `address` through a URB the caller reuses.
NTSTATUS sendLoad(DEVICE_OBJECT* device, URB* urb, ULONG address, std::uint8_t* data,
                  ULONG length) {
    std::memset(urb, 0, kControlUrbLength);
    urb->UrbHeader.Length = kControlUrbLength;
    urb->UrbHeader.Function = URB_FUNCTION_VENDOR_DEVICE;
    auto& request = urb->UrbControlVendorClassRequest;
    request.Request = kMemoryLoadRequest;
    request.Value = static_cast<USHORT>(address % 65536);
    request.TransferBuffer = data;
    request.TransferBufferLength = length;
    return SubmitUrb(device, urb);
}

}  // namespace

IoctlResult controlRequest(DEVICE_OBJECT* device, const IoctlRequest& request) {
    if (request.inputLength != sizeof(ZOUSB_CONTROL_REQUEST)) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    ZOUSB_CONTROL_REQUEST record;
    std::memcpy(&record, request.systemBuffer, sizeof record);
    const USHORT function = controlFunction(record.type, record.recipient);
    if (function == 0 || request.outputLength > 0xFFFF) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    URB* urb = allocateUrb(kControlUrbLength, function);
    if (urb == nullptr) {
        return {STATUS_NO_MEMORY, 0};
    }
    auto& control = urb->UrbControlVendorClassRequest;
    control.TransferFlags = record.direction != 0
                                ? USBD_TRANSFER_DIRECTION_IN | USBD_SHORT_TRANSFER_OK
                                : USBD_SHORT_TRANSFER_OK;
    control.TransferBufferLength = request.outputLength;
    control.TransferBufferMDL = request.outputMdl;
    control.Request = record.request;
    control.Value = record.value;
    control.Index = record.index;
    const NTSTATUS status = SubmitUrb(device, urb);
    const ULONG moved = control.TransferBufferLength;
    ExFreePool(urb);
    return {status, NT_SUCCESS(status) ? moved : 0};
}

IoctlResult vendorTransfer(DEVICE_OBJECT* device, const IoctlRequest& request) {
    if (request.inputLength < sizeof(ZOUSB_VENDOR_TRANSFER)) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    ZOUSB_VENDOR_TRANSFER record;
    std::memcpy(&record, request.systemBuffer, sizeof record);
    const bool in = record.direction != 0;
    // The answer of a device-to-host request lands in the system buffer and goes back to the
    // caller's output buffer, so that buffer must hold all of it.
    if (in && record.length > request.outputLength) {
        return {STATUS_BUFFER_TOO_SMALL, 0};
    }
    URB* urb = allocateUrb(kControlUrbLength, URB_FUNCTION_VENDOR_DEVICE);
    std::uint8_t* data = in ? nullptr : static_cast<std::uint8_t*>(allocateZeroed(record.length));
    if (urb == nullptr || (!in && record.length > 0 && data == nullptr)) {
        if (urb != nullptr) {
            ExFreePool(urb);
        }
        if (data != nullptr) {
            ExFreePool(data);
        }
        return {STATUS_NO_MEMORY, 0};
    }
    auto& control = urb->UrbControlVendorClassRequest;
    control.Request = record.request;
    control.Value = record.value;
    control.Index = record.index;
    control.TransferBufferLength = record.length;
    if (in) {
        control.TransferFlags = USBD_TRANSFER_DIRECTION_IN;
        control.TransferBuffer = request.systemBuffer;
    } else {
        for (ULONG k = 0; k < record.length; ++k) {
            data[k] = record.length == 1 ? record.data : static_cast<std::uint8_t>(k % 256);
        }
        control.TransferBuffer = data;
    }
    SubmitUrb(device, urb);
    const ULONG received = in ? control.TransferBufferLength : 0;
    ExFreePool(urb);
    if (data != nullptr) {
        ExFreePool(data);
    }
    return {STATUS_SUCCESS, received};
}

IoctlResult loadMemory(DEVICE_OBJECT* device, const IoctlRequest& request) {
    if (request.inputLength != 2 || request.outputLength == 0 || request.outputMdl == nullptr) {
        return {STATUS_SUCCESS, 0};
    }
    std::uint16_t start;
    std::memcpy(&start, request.systemBuffer, sizeof start);
    auto* data = static_cast<std::uint8_t*>(
        MmGetSystemAddressForMdlSafe(request.outputMdl, NormalPagePriority));
    URB* urb = allocateUrb(kControlUrbLength, URB_FUNCTION_VENDOR_DEVICE);
    if (data == nullptr || urb == nullptr) {
        if (urb != nullptr) {
            ExFreePool(urb);
        }
        return {STATUS_NO_MEMORY, 0};
    }
    const ULONG length = request.outputLength;
    const ULONG chunks = (length + kChunk - 1) / kChunk;
    for (ULONG i = 0; i < chunks; ++i) {
        const ULONG offset = kChunk * i;
        const ULONG size = (i + 1 == chunks && length % kChunk != 0) ? length % kChunk : kChunk;
        if (!NT_SUCCESS(sendLoad(device, urb, start + offset, data + offset, size))) {
            break;
        }
    }
    ExFreePool(urb);
    return {STATUS_SUCCESS, 0};
}

IoctlResult loadBlocks(DEVICE_OBJECT* device, const IoctlRequest& request) {
    const ULONG blocks = request.inputLength / kBlock;
    if (blocks == 0) {
        return {STATUS_SUCCESS, 0};
    }
    URB* urb = allocateUrb(kControlUrbLength, URB_FUNCTION_VENDOR_DEVICE);
    if (urb == nullptr) {
        return {STATUS_NO_MEMORY, 0};
    }
    auto* data = static_cast<std::uint8_t*>(request.systemBuffer);
    for (ULONG i = 0; i < blocks; ++i) {
        sendLoad(device, urb, kBlock * i, data + kBlock * i, kBlock);
    }
    ExFreePool(urb);
    return {STATUS_SUCCESS, 0};
}

IoctlResult setFeature(DEVICE_OBJECT* device, const IoctlRequest& request) {
    if (request.inputLength != sizeof(ZOUSB_FEATURE_REQUEST)) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    ZOUSB_FEATURE_REQUEST record;
    std::memcpy(&record, request.systemBuffer, sizeof record);
    URB* urb =
        allocateUrb(sizeof(_URB_CONTROL_FEATURE_REQUEST), URB_FUNCTION_SET_FEATURE_TO_DEVICE);
    if (urb == nullptr) {
        return {STATUS_NO_MEMORY, 0};
    }
    urb->UrbControlFeatureRequest.FeatureSelector = record.selector;
    urb->UrbControlFeatureRequest.Index = record.index;
    // The request's own outcome is reported, so a caller can tell an accepted feature from a
    // refused one.
    const NTSTATUS status = SubmitUrb(device, urb);
    ExFreePool(urb);
    return {status, 0};
}
