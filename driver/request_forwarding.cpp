// Sending requests down the device stack and counting the requests in progress.

#include <atomic>
#include <cstring>

#include "driver/driver_internal.h"

PVOID allocateZeroed(SIZE_T size) {
    PVOID block = ExAllocatePoolWithTag(NonPagedPool, size, kDriverPoolTag);
    if (block != nullptr) {
        std::memset(block, 0, size);
    }
    return block;
}

URB* allocateUrb(USHORT length, USHORT function) {
    auto* urb = static_cast<URB*>(allocateZeroed(length));
    if (urb != nullptr) {
        urb->UrbHeader.Length = length;
        urb->UrbHeader.Function = function;
    }
    return urb;
}

NTSTATUS completeRequest(IRP* irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

NTSTATUS SubmitUrb(DEVICE_OBJECT* device, URB* urb) {
    DeviceContext* context = contextOf(device);
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IO_STATUS_BLOCK statusBlock{};
    IRP* irp = IoBuildDeviceIoControlRequest(IOCTL_INTERNAL_USB_SUBMIT_URB, context->LowerDevice,
                                             nullptr, 0, nullptr, 0, TRUE, &done, &statusBlock);
    if (irp == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = urb;
    NTSTATUS status = IoCallDriver(context->LowerDevice, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
        status = statusBlock.Status;
    }
    if (USBD_ERROR(urb->UrbHeader.Status)) {
        // Requests of several threads may fail at once; the word is written whole.
        std::atomic_ref<LONG>(context->LastUsbStatus).store(urb->UrbHeader.Status);
        if (NT_SUCCESS(status)) {
            status = STATUS_UNSUCCESSFUL;
        }
    }
    return status;
}

namespace {

NTSTATUS signalWhenDone(DEVICE_OBJECT*, IRP*, PVOID event) {
    KeSetEvent(static_cast<KEVENT*>(event), 0, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

}  // namespace

NTSTATUS ForwardAndWait(DEVICE_OBJECT* device, IRP* irp) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, signalWhenDone, &done, TRUE, TRUE, TRUE);
    NTSTATUS status = IoCallDriver(contextOf(device)->LowerDevice, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
        status = irp->IoStatus.Status;
    }
    return status;
}

bool enterRequest(DEVICE_OBJECT* device, IRP* irp) {
    DeviceContext* context = contextOf(device);
    InterlockedIncrement(&context->IoCount);
    if (std::atomic_ref<BOOLEAN>(context->Removing).load()) {
        leaveRequest(device);
        completeRequest(irp, STATUS_DELETE_PENDING, 0);
        return false;
    }
    return true;
}

void leaveRequest(DEVICE_OBJECT* device) {
    DeviceContext* context = contextOf(device);
    if (InterlockedDecrement(&context->IoCount) == 0) {
        KeSetEvent(&context->RemoveEvent, 0, FALSE);
    }
}
