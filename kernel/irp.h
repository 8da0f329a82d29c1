#pragma once
// I/O request packets, their stack locations, memory descriptor lists, and the I/O manager's
// routines that pass requests down a device stack and complete them back up.

#include <memory>
#include <vector>

#include "kernel/objects.h"
#include "kernel/sync.h"

namespace zo::kernel {
class DispatchCheck;
}

struct IO_STATUS_BLOCK {
    NTSTATUS Status;
    ULONG_PTR Information;
};

// A memory descriptor list over a caller's buffer. The stand-in's address spaces are one, so the
// system address of the buffer is the buffer itself.
struct MDL {
    MDL* Next;
    PVOID StartVa;
    ULONG ByteCount;
};

enum MM_PAGE_PRIORITY { LowPagePriority = 0, NormalPagePriority = 16, HighPagePriority = 32 };
PVOID MmGetSystemAddressForMdlSafe(MDL* mdl, MM_PAGE_PRIORITY priority);
ULONG MmGetMdlByteCount(const MDL* mdl);

struct DEVICE_CAPABILITIES {
    USHORT Size;
    USHORT Version;
    ULONG DeviceD1 : 1;
    ULONG DeviceD2 : 1;
    ULONG LockSupported : 1;
    ULONG EjectSupported : 1;
    ULONG Removable : 1;
    ULONG DockDevice : 1;
    ULONG UniqueID : 1;
    ULONG SilentInstall : 1;
    ULONG RawDeviceOK : 1;
    ULONG SurpriseRemovalOK : 1;
    ULONG Reserved : 22;
    ULONG Address;
    ULONG UINumber;
};

using PIO_COMPLETION_ROUTINE = NTSTATUS (*)(DEVICE_OBJECT*, IRP*, PVOID context);

struct IO_STACK_LOCATION {
    UCHAR MajorFunction;
    UCHAR MinorFunction;
    UCHAR Flags;
    UCHAR Control;
    union {
        struct {
            ULONG OutputBufferLength;
            ULONG InputBufferLength;
            ULONG IoControlCode;
            PVOID Type3InputBuffer;
        } DeviceIoControl;
        struct {
            PVOID Argument1;
            PVOID Argument2;
            PVOID Argument3;
            PVOID Argument4;
        } Others;
        struct {
            DEVICE_CAPABILITIES* Capabilities;
        } DeviceCapabilities;
        struct {
            ULONG SystemContext;
            ULONG Type;  // 0 system power, 1 device power
            ULONG State;
            ULONG ShutdownType;
        } Power;
    } Parameters;
    DEVICE_OBJECT* DeviceObject;
    FILE_OBJECT* FileObject;
    PIO_COMPLETION_ROUTINE CompletionRoutine;
    PVOID Context;
};

struct IRP {
    MDL* MdlAddress;
    struct {
        PVOID SystemBuffer;
    } AssociatedIrp;
    IO_STATUS_BLOCK IoStatus;
    KPROCESSOR_MODE RequestorMode;
    BOOLEAN PendingReturned;
    CCHAR StackCount;
    CCHAR CurrentLocation;  // 1..StackCount; StackCount + 1 before the first IoCallDriver
    IO_STATUS_BLOCK* UserIosb;
    KEVENT* UserEvent;
    PVOID UserBuffer;

    // The stand-in's own bookkeeping.
    std::vector<IO_STACK_LOCATION> stack;
    bool freeOnCompletion = false;  // built by IoBuildDeviceIoControlRequest
    bool from32BitProcess = false;
    // Per stack location, the dispatch calls it serves (two when a driver skipped its own
    // location), each judged when completion passes the location.
    std::vector<std::vector<std::shared_ptr<zo::kernel::DispatchCheck>>> dispatchChecks;
};

namespace zo::kernel {
// A request of the stand-in's own (the I/O and plug and play managers'), which never fails.
IRP* allocateRequest(CCHAR stackSize);
}  // namespace zo::kernel

// Null when the allocation fails (the pool's failure injection counts it as an allocation).
IRP* IoAllocateIrp(CCHAR stackSize, BOOLEAN chargeQuota);
void IoFreeIrp(IRP* irp);
// The size a request with `stackSize` stack locations is initialised with.
USHORT IoSizeOfIrp(CCHAR stackSize);
// Makes a request allocated by IoAllocateIrp fresh again, for sending it anew: every field and
// stack location cleared, none used. `stackSize` may not exceed the stack it was allocated with.
void IoInitializeIrp(IRP* irp, USHORT packetSize, CCHAR stackSize);
IRP* IoBuildDeviceIoControlRequest(ULONG code, DEVICE_OBJECT* device, PVOID inputBuffer,
                                   ULONG inputLength, PVOID outputBuffer, ULONG outputLength,
                                   BOOLEAN internal, KEVENT* event, IO_STATUS_BLOCK* statusBlock);

IO_STACK_LOCATION* IoGetCurrentIrpStackLocation(IRP* irp);
IO_STACK_LOCATION* IoGetNextIrpStackLocation(IRP* irp);
void IoSkipCurrentIrpStackLocation(IRP* irp);
void IoCopyCurrentIrpStackLocationToNext(IRP* irp);
void IoSetCompletionRoutine(IRP* irp, PIO_COMPLETION_ROUTINE routine, PVOID context,
                            BOOLEAN onSuccess, BOOLEAN onError, BOOLEAN onCancel);
void IoMarkIrpPending(IRP* irp);

NTSTATUS IoCallDriver(DEVICE_OBJECT* device, IRP* irp);
void IoCompleteRequest(IRP* irp, CCHAR priorityBoost);
BOOLEAN IoIs32bitProcess(IRP* irp);

void PoStartNextPowerIrp(IRP* irp);
NTSTATUS PoCallDriver(DEVICE_OBJECT* device, IRP* irp);

namespace zo::kernel {
// Sends a request the caller built to `device` and waits until it is completed; the caller still
// owns the request and frees it.
IO_STATUS_BLOCK sendAndWait(DEVICE_OBJECT* device, IRP* irp);
}  // namespace zo::kernel
