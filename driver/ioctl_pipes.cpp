// Bulk and interrupt transfers, pipe and port resets, the frame number and the driver's own
// answers (last USB status, version).

#include <atomic>
#include <cstring>

#include "driver/ioctl_handlers.h"
#include "driver/zousb_ioctl.h"

namespace {

constexpr USHORT kTransferUrbLength = sizeof(_URB_BULK_OR_INTERRUPT_TRANSFER);

NTSTATUS sendPipeRequest(DEVICE_OBJECT* device, USHORT function, USBD_PIPE_HANDLE pipe,
                         bool* allocated) {
    USBD_VERSION_INFORMATION version{};
    USBD_GetUSBDIVersion(&version);
    const USHORT length = version.USBDI_Version < 0x101 ? 36 : sizeof(_URB_PIPE_REQUEST);
    URB* urb = allocateUrb(length, function);
    *allocated = urb != nullptr;
    if (urb == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    urb->UrbPipeRequest.PipeHandle = pipe;
    const NTSTATUS status = SubmitUrb(device, urb);
    ExFreePool(urb);
    return status;
}

}  // namespace

NTSTATUS pipeOf(DEVICE_OBJECT* device, const IoctlRequest& request, USBD_PIPE_INFORMATION& pipe) {
    DeviceContext* context = contextOf(device);
    std::uint32_t index = 0;
    const bool indexGiven = request.inputLength >= sizeof index && request.systemBuffer != nullptr;
    if (indexGiven) {
        std::memcpy(&index, request.systemBuffer, sizeof index);
    }
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql;
    KeAcquireSpinLock(&context->InterfaceLock, &irql);
    if (context->Interface == nullptr) {
        status = STATUS_UNSUCCESSFUL;
    } else if (!indexGiven || index >= context->Interface->NumberOfPipes) {
        status = STATUS_INVALID_PARAMETER;
    } else {
        pipe = context->Interface->Pipes[index];
    }
    KeReleaseSpinLock(&context->InterfaceLock, irql);
    return status;
}

IoctlResult pipeTransfer(DEVICE_OBJECT* device, const IoctlRequest& request) {
    USBD_PIPE_INFORMATION pipe{};
    if (const NTSTATUS refused = pipeOf(device, request, pipe); !NT_SUCCESS(refused)) {
        return {refused, 0};
    }
    if (pipe.PipeType != UsbdPipeTypeBulk && pipe.PipeType != UsbdPipeTypeInterrupt) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    if (pipe.PipeHandle == nullptr) {
        return {STATUS_UNSUCCESSFUL, 0};
    }
    if (request.outputLength > pipe.MaximumTransferSize) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    URB* urb = allocateUrb(kTransferUrbLength, URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER);
    if (urb == nullptr) {
        return {STATUS_NO_MEMORY, 0};
    }
    auto& transfer = urb->UrbBulkOrInterruptTransfer;
    transfer.PipeHandle = pipe.PipeHandle;
    transfer.TransferFlags = (pipe.EndpointAddress & 0x80) != 0
                                 ? USBD_TRANSFER_DIRECTION_IN | USBD_SHORT_TRANSFER_OK
                                 : USBD_SHORT_TRANSFER_OK;
    transfer.TransferBufferLength = request.outputLength;
    transfer.TransferBufferMDL = request.outputMdl;
    const NTSTATUS status = SubmitUrb(device, urb);
    const ULONG moved = transfer.TransferBufferLength;
    ExFreePool(urb);
    return {status, NT_SUCCESS(status) ? moved : 0};
}

IoctlResult resetPipe(DEVICE_OBJECT* device, const IoctlRequest& request) {
    USBD_PIPE_INFORMATION pipe{};
    if (const NTSTATUS refused = pipeOf(device, request, pipe); !NT_SUCCESS(refused)) {
        return {refused, 0};
    }
    bool allocated = false;
    return {sendPipeRequest(device, URB_FUNCTION_RESET_PIPE, pipe.PipeHandle, &allocated), 0};
}

IoctlResult abortPipe(DEVICE_OBJECT* device, const IoctlRequest& request) {
    USBD_PIPE_INFORMATION pipe{};
    if (const NTSTATUS refused = pipeOf(device, request, pipe); !NT_SUCCESS(refused)) {
        return {refused, 0};
    }
    bool allocated = false;
    sendPipeRequest(device, URB_FUNCTION_ABORT_PIPE, pipe.PipeHandle, &allocated);
    return {allocated ? STATUS_SUCCESS : STATUS_INSUFFICIENT_RESOURCES, 0};
}

IoctlResult resetPort(DEVICE_OBJECT* device, const IoctlRequest&) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IO_STATUS_BLOCK statusBlock{};
    DEVICE_OBJECT* lower = contextOf(device)->LowerDevice;
    IRP* irp = IoBuildDeviceIoControlRequest(IOCTL_INTERNAL_USB_RESET_PORT, lower, nullptr, 0,
                                             nullptr, 0, TRUE, &done, &statusBlock);
    if (irp == nullptr) {
        return {STATUS_INSUFFICIENT_RESOURCES, 0};
    }
    if (IoCallDriver(lower, irp) == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
    }
    return {STATUS_SUCCESS, 0};
}

IoctlResult frameNumber(DEVICE_OBJECT* device, const IoctlRequest& request) {
    if (request.outputLength < sizeof(ULONG)) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    URB* urb =
        allocateUrb(sizeof(_URB_GET_CURRENT_FRAME_NUMBER), URB_FUNCTION_GET_CURRENT_FRAME_NUMBER);
    if (urb == nullptr) {
        return {STATUS_NO_MEMORY, 0};
    }
    const NTSTATUS status = SubmitUrb(device, urb);
    const ULONG frame = urb->UrbGetCurrentFrameNumber.FrameNumber;
    ExFreePool(urb);
    if (!NT_SUCCESS(status) || frame == 0) {
        return {STATUS_UNSUCCESSFUL, 0};
    }
    std::memcpy(request.systemBuffer, &frame, sizeof frame);
    return {STATUS_SUCCESS, sizeof frame};
}

IoctlResult lastUsbStatus(DEVICE_OBJECT* device, const IoctlRequest& request) {
    if (request.outputLength < sizeof(LONG)) {
        return {STATUS_UNSUCCESSFUL, 0};
    }
    const LONG status = std::atomic_ref<LONG>(contextOf(device)->LastUsbStatus).load();
    std::memcpy(request.systemBuffer, &status, sizeof status);
    return {STATUS_SUCCESS, sizeof status};
}

IoctlResult driverVersion(DEVICE_OBJECT*, const IoctlRequest& request) {
    if (request.outputLength < sizeof(ZOUSB_DRIVER_VERSION)) {
        return {STATUS_UNSUCCESSFUL, 0};
    }
    const ZOUSB_DRIVER_VERSION version{1, 10, 0};
    std::memcpy(request.systemBuffer, &version, sizeof version);
    return {STATUS_SUCCESS, sizeof version};
}
