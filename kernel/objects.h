#pragma once
// Driver, device and file objects, names and device stacks.

#include <atomic>
#include <string>
#include <vector>

#include "kernel/ntstatus.h"
#include "kernel/wdm_types.h"

struct DEVICE_OBJECT;
struct DRIVER_OBJECT;
struct IRP;

struct UNICODE_STRING {
    USHORT Length;         // bytes, without the terminating zero
    USHORT MaximumLength;  // bytes
    WCHAR* Buffer;         // not owned: RtlInitUnicodeString points it at its source
};

void RtlInitUnicodeString(UNICODE_STRING* target, const WCHAR* source);

using PDRIVER_DISPATCH = NTSTATUS (*)(DEVICE_OBJECT*, IRP*);
using PDRIVER_ADD_DEVICE = NTSTATUS (*)(DRIVER_OBJECT*, DEVICE_OBJECT*);
using PDRIVER_UNLOAD = void (*)(DRIVER_OBJECT*);
using PDRIVER_INITIALIZE = NTSTATUS (*)(DRIVER_OBJECT*, UNICODE_STRING*);

struct DRIVER_EXTENSION {
    PDRIVER_ADD_DEVICE AddDevice;
};

struct DRIVER_OBJECT {
    DEVICE_OBJECT* DeviceObject;  // the most recently created device object of the driver
    DRIVER_EXTENSION* DriverExtension;
    PDRIVER_UNLOAD DriverUnload;
    PDRIVER_DISPATCH MajorFunction[IRP_MJ_MAXIMUM_FUNCTION + 1];

    // The stand-in's own bookkeeping.
    DRIVER_EXTENSION extension{};
    std::string name;
};

// The I/O manager's state of a device object on its way out (the extension flags of its device
// object extension): an open of a device with one of these is refused.
inline constexpr ULONG DOE_DELETE_PENDING = 0x2;
inline constexpr ULONG DOE_REMOVE_PENDING = 0x4;
inline constexpr ULONG DOE_REMOVE_PROCESSED = 0x8;

struct DEVICE_OBJECT {
    LONG ReferenceCount;  // open handles to the device
    DRIVER_OBJECT* DriverObject;
    DEVICE_OBJECT* AttachedDevice;  // the device attached on top of this one, if any
    ULONG Flags;
    ULONG Characteristics;
    ULONG DeviceType;
    CCHAR StackSize;
    PVOID DeviceExtension;

    // The stand-in's own bookkeeping.
    std::string name;
    DEVICE_OBJECT* attachedTo = nullptr;  // the device this one is attached above
    std::vector<std::max_align_t> extensionStorage;
    std::atomic<bool> deleted = false;
    ULONG extensionFlags = 0;  // DOE_*, under the object manager's database lock
};

namespace zo::kernel {
// Whether the device is deleted or on its way out: nothing new may attach to it or open it.
// Called under the object manager's database lock.
inline bool goingAway(const DEVICE_OBJECT& device) {
    return device.deleted || (device.extensionFlags & (DOE_DELETE_PENDING | DOE_REMOVE_PENDING |
                                                       DOE_REMOVE_PROCESSED)) != 0;
}
}  // namespace zo::kernel

struct FILE_OBJECT {
    DEVICE_OBJECT* DeviceObject;
    PVOID FsContext;
};

NTSTATUS IoCreateDevice(DRIVER_OBJECT* driver, ULONG extensionSize, UNICODE_STRING* name,
                        ULONG deviceType, ULONG characteristics, BOOLEAN exclusive,
                        DEVICE_OBJECT** device);
void IoDeleteDevice(DEVICE_OBJECT* device);
NTSTATUS IoCreateSymbolicLink(UNICODE_STRING* linkName, UNICODE_STRING* deviceName);
NTSTATUS IoDeleteSymbolicLink(UNICODE_STRING* linkName);
// Attaches `source` above the top of `target`'s stack and returns the device it was attached to,
// or null when attaching fails or the stack is being removed. Serialised with opens, which never
// see a stack half-built.
DEVICE_OBJECT* IoAttachDeviceToDeviceStack(DEVICE_OBJECT* source, DEVICE_OBJECT* target);
void IoDetachDevice(DEVICE_OBJECT* target);
// The highest device of the stack `device` belongs to.
DEVICE_OBJECT* IoGetAttachedDevice(DEVICE_OBJECT* device);

namespace zo::kernel {
std::string toUtf8(const UNICODE_STRING& text);
}
