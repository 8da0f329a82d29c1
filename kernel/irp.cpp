#include "kernel/irp.h"

#include "kernel/bugcheck.h"
#include "kernel/io_verification.h"
#include "kernel/machine.h"

namespace {

IO_STACK_LOCATION& locationAt(IRP* irp, int location) {
    if (location < 1 || location > irp->StackCount) {
        zo::kernel::bugCheck("IRP stack location out of range (NO_MORE_IRP_STACK_LOCATIONS)");
    }
    return irp->stack[static_cast<std::size_t>(location - 1)];
}

bool routineWanted(const IO_STACK_LOCATION& location, NTSTATUS status) {
    if (status == STATUS_CANCELLED) {
        return (location.Control & SL_INVOKE_ON_CANCEL) != 0;
    }
    return (location.Control & (NT_SUCCESS(status) ? SL_INVOKE_ON_SUCCESS : SL_INVOKE_ON_ERROR)) !=
           0;
}

std::vector<std::shared_ptr<zo::kernel::DispatchCheck>>& checksAt(IRP* irp, int location) {
    locationAt(irp, location);
    return irp->dispatchChecks[static_cast<std::size_t>(location - 1)];
}

// Completion passes a stack location: every dispatch call it served learns whether it was
// marked pending.
void passed(IRP* irp, int location, bool markedPending) {
    auto& checks = checksAt(irp, location);
    for (const auto& check : checks) {
        check->completed(markedPending);
    }
    checks.clear();
}

}  // namespace

PVOID MmGetSystemAddressForMdlSafe(MDL* mdl, MM_PAGE_PRIORITY) {
    return mdl->StartVa;
}

ULONG MmGetMdlByteCount(const MDL* mdl) {
    return mdl->ByteCount;
}

namespace zo::kernel {

IRP* allocateRequest(CCHAR stackSize) {
    if (stackSize < 1) {
        bugCheck("IoAllocateIrp with an empty stack");
    }
    IRP* irp = Machine::current().createIrp();
    IoInitializeIrp(irp, IoSizeOfIrp(stackSize), stackSize);
    return irp;
}

}  // namespace zo::kernel

IRP* IoAllocateIrp(CCHAR stackSize, BOOLEAN) {
    if (!zo::kernel::Machine::current().pool().admitAllocation()) {
        return nullptr;
    }
    return zo::kernel::allocateRequest(stackSize);
}

void IoFreeIrp(IRP* irp) {
    zo::kernel::Machine::current().destroyIrp(irp);
}

USHORT IoSizeOfIrp(CCHAR stackSize) {
    return static_cast<USHORT>(sizeof(IRP) +
                               static_cast<std::size_t>(stackSize) * sizeof(IO_STACK_LOCATION));
}

void IoInitializeIrp(IRP* irp, USHORT packetSize, CCHAR stackSize) {
    // The stand-in keeps the stack locations apart from the request, so it knows the room the
    // request was allocated with: the stack it had before, or none for a fresh one.
    const auto room = static_cast<CCHAR>(irp->stack.empty() ? stackSize : irp->stack.size());
    if (stackSize < 1 || stackSize > room || packetSize != IoSizeOfIrp(stackSize)) {
        zo::kernel::bugCheck("IoInitializeIrp with a size the request was not allocated with");
    }
    // A reused request keeps the memory of its stack and of its locations' lists of dispatch
    // calls, so sending it again allocates nothing.
    std::vector<IO_STACK_LOCATION> stack = std::move(irp->stack);
    auto dispatchChecks = std::move(irp->dispatchChecks);
    *irp = IRP{};
    stack.assign(static_cast<std::size_t>(room), IO_STACK_LOCATION{});
    for (auto& checks : dispatchChecks) {
        checks.clear();
    }
    if (dispatchChecks.size() < static_cast<std::size_t>(room)) {
        dispatchChecks.resize(static_cast<std::size_t>(room));
    }
    irp->stack = std::move(stack);
    irp->dispatchChecks = std::move(dispatchChecks);
    irp->StackCount = stackSize;
    irp->CurrentLocation = static_cast<CCHAR>(stackSize + 1);
    irp->IoStatus = {STATUS_SUCCESS, 0};
}

IRP* IoBuildDeviceIoControlRequest(ULONG code, DEVICE_OBJECT* device, PVOID inputBuffer,
                                   ULONG inputLength, PVOID outputBuffer, ULONG outputLength,
                                   BOOLEAN internal, KEVENT* event, IO_STATUS_BLOCK* statusBlock) {
    IRP* irp = IoAllocateIrp(device->StackSize, FALSE);
    if (irp == nullptr) {
        return nullptr;
    }
    irp->freeOnCompletion = true;
    irp->RequestorMode = KernelMode;
    irp->UserEvent = event;
    irp->UserIosb = statusBlock;
    irp->AssociatedIrp.SystemBuffer = inputBuffer;
    irp->UserBuffer = outputBuffer;
    IO_STACK_LOCATION* next = IoGetNextIrpStackLocation(irp);
    next->MajorFunction = internal ? IRP_MJ_INTERNAL_DEVICE_CONTROL : IRP_MJ_DEVICE_CONTROL;
    next->Parameters.DeviceIoControl.IoControlCode = code;
    next->Parameters.DeviceIoControl.InputBufferLength = inputLength;
    next->Parameters.DeviceIoControl.OutputBufferLength = outputLength;
    return irp;
}

IO_STACK_LOCATION* IoGetCurrentIrpStackLocation(IRP* irp) {
    return &locationAt(irp, irp->CurrentLocation);
}

IO_STACK_LOCATION* IoGetNextIrpStackLocation(IRP* irp) {
    return &locationAt(irp, irp->CurrentLocation - 1);
}

void IoSkipCurrentIrpStackLocation(IRP* irp) {
    ++irp->CurrentLocation;
}

void IoCopyCurrentIrpStackLocationToNext(IRP* irp) {
    IO_STACK_LOCATION* next = IoGetNextIrpStackLocation(irp);
    *next = *IoGetCurrentIrpStackLocation(irp);
    next->CompletionRoutine = nullptr;
    next->Context = nullptr;
    next->Control = 0;
}

void IoSetCompletionRoutine(IRP* irp, PIO_COMPLETION_ROUTINE routine, PVOID context,
                            BOOLEAN onSuccess, BOOLEAN onError, BOOLEAN onCancel) {
    IO_STACK_LOCATION* next = IoGetNextIrpStackLocation(irp);
    next->CompletionRoutine = routine;
    next->Context = context;
    next->Control = static_cast<UCHAR>((onSuccess ? SL_INVOKE_ON_SUCCESS : 0) |
                                       (onError ? SL_INVOKE_ON_ERROR : 0) |
                                       (onCancel ? SL_INVOKE_ON_CANCEL : 0));
}

void IoMarkIrpPending(IRP* irp) {
    IoGetCurrentIrpStackLocation(irp)->Control |= SL_PENDING_RETURNED;
}

NTSTATUS IoCallDriver(DEVICE_OBJECT* device, IRP* irp) {
    --irp->CurrentLocation;
    IO_STACK_LOCATION& location = locationAt(irp, irp->CurrentLocation);
    location.DeviceObject = device;
    const PDRIVER_DISPATCH routine = device->DriverObject->MajorFunction[location.MajorFunction];
    auto check = std::allocate_shared<zo::kernel::DispatchCheck>(
        zo::kernel::RecordAllocator<zo::kernel::DispatchCheck>(
            zo::kernel::Machine::current().dispatchCheckRecords()),
        irp, device, routine);
    checksAt(irp, irp->CurrentLocation).push_back(check);
    // The request may be completed and freed before the routine returns; the check outlives it.
    const NTSTATUS status = routine(device, irp);
    check->returned(status);
    return status;
}

void IoCompleteRequest(IRP* irp, CCHAR) {
    if (irp->CurrentLocation > irp->StackCount + 1) {
        zo::kernel::bugCheck(MULTIPLE_IRP_COMPLETE_REQUESTS,
                             {reinterpret_cast<ULONG_PTR>(irp), 0, 0, 0},
                             "a request was completed a second time");
    }
    // Walk up the stack from the completing driver's location, giving each driver above the
    // completion routine it asked for. A routine that answers STATUS_MORE_PROCESSING_REQUIRED
    // takes the request back and completes it again later.
    while (irp->CurrentLocation <= irp->StackCount) {
        IO_STACK_LOCATION& finished = locationAt(irp, irp->CurrentLocation);
        irp->PendingReturned = (finished.Control & SL_PENDING_RETURNED) != 0;
        passed(irp, irp->CurrentLocation, irp->PendingReturned != FALSE);
        const PIO_COMPLETION_ROUTINE routine = finished.CompletionRoutine;
        const PVOID context = finished.Context;
        const bool wanted = routine != nullptr && routineWanted(finished, irp->IoStatus.Status);
        finished.CompletionRoutine = nullptr;
        finished.Control = 0;
        ++irp->CurrentLocation;
        const bool atTop = irp->CurrentLocation > irp->StackCount;
        DEVICE_OBJECT* upper = atTop ? nullptr : IoGetCurrentIrpStackLocation(irp)->DeviceObject;
        if (wanted) {
            if (routine(upper, irp, context) == STATUS_MORE_PROCESSING_REQUIRED) {
                return;
            }
            zo::kernel::checkCompletionRoutine(irp, routine, upper);
        } else if (irp->PendingReturned && !atTop) {
            IoMarkIrpPending(irp);
        }
    }
    // Past the top of its stack: completing the request again stops the machine, as on Windows.
    irp->CurrentLocation = static_cast<CCHAR>(irp->StackCount + 2);
    if (irp->UserIosb != nullptr) {
        *irp->UserIosb = irp->IoStatus;
    }
    KEVENT* event = irp->UserEvent;
    const bool release = irp->freeOnCompletion;
    if (release) {
        IoFreeIrp(irp);
    }
    if (event != nullptr) {
        KeSetEvent(event, 0, FALSE);
    }
}

BOOLEAN IoIs32bitProcess(IRP* irp) {
    return irp->from32BitProcess ? TRUE : FALSE;
}

void PoStartNextPowerIrp(IRP*) {}

NTSTATUS PoCallDriver(DEVICE_OBJECT* device, IRP* irp) {
    return IoCallDriver(device, irp);
}

namespace zo::kernel {

IO_STATUS_BLOCK sendAndWait(DEVICE_OBJECT* device, IRP* irp) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IO_STATUS_BLOCK result{STATUS_PENDING, 0};
    irp->UserEvent = &done;
    irp->UserIosb = &result;
    // Every request a driver accepted is completed in the end, whether it answered
    // STATUS_PENDING or not, and its completion signals the event.
    IoCallDriver(device, irp);
    KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
    return result;
}

}  // namespace zo::kernel
