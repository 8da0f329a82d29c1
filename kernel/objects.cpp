#include "kernel/objects.h"

#include <algorithm>
#include <cstddef>
#include <span>

#include "kernel/bugcheck.h"
#include "kernel/machine.h"

namespace {

std::string nameOf(const UNICODE_STRING* text) {
    return text == nullptr ? std::string() : zo::kernel::toUtf8(*text);
}

}  // namespace

namespace zo::kernel {

std::string toUtf8(const UNICODE_STRING& text) {
    // Object names of the stand-in are ASCII.
    std::string result;
    for (std::size_t i = 0; i < text.Length / sizeof(WCHAR); ++i) {
        const WCHAR c = text.Buffer[i];
        result.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return result;
}

}  // namespace zo::kernel

void RtlInitUnicodeString(UNICODE_STRING* target, const WCHAR* source) {
    std::size_t length = 0;
    while (source != nullptr && source[length] != 0) {
        ++length;
    }
    target->Length = static_cast<USHORT>(length * sizeof(WCHAR));
    target->MaximumLength = static_cast<USHORT>(target->Length + sizeof(WCHAR));
    // As in the Windows kernel, the record points at the source without owning or changing it.
    target->Buffer = const_cast<WCHAR*>(source);
}

NTSTATUS IoCreateDevice(DRIVER_OBJECT* driver, ULONG extensionSize, UNICODE_STRING* name,
                        ULONG deviceType, ULONG characteristics, BOOLEAN, DEVICE_OBJECT** device) {
    auto& machine = zo::kernel::Machine::current();
    *device = nullptr;
    if (machine.faults().take(zo::kernel::KernelCall::CreateDevice)) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    const std::string wanted = name != nullptr ? nameOf(name) : machine.anonymousDeviceName();
    auto created = machine.objects().createDevice(wanted);
    if (!created) {
        return STATUS_OBJECT_NAME_COLLISION;
    }
    DEVICE_OBJECT& object = *created;
    object.DriverObject = driver;
    object.AttachedDevice = nullptr;
    object.Flags = DO_DEVICE_INITIALIZING;
    object.Characteristics = characteristics;
    object.DeviceType = deviceType;
    object.StackSize = 1;
    const std::size_t slots =
        (extensionSize + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    object.extensionStorage.assign(slots, std::max_align_t{});
    // Zero every byte, padding included, as the pool's extension is; an empty extension has none.
    std::ranges::fill(std::as_writable_bytes(std::span(object.extensionStorage)), std::byte{0});
    object.DeviceExtension = slots == 0 ? nullptr : object.extensionStorage.data();
    driver->DeviceObject = &object;
    *device = &object;
    return STATUS_SUCCESS;
}

void IoDeleteDevice(DEVICE_OBJECT* device) {
    auto& objects = zo::kernel::Machine::current().objects();
    {
        const auto lock = objects.lockDatabase();
        if (device->attachedTo != nullptr) {
            zo::kernel::bugCheck("IoDeleteDevice of a device that is still attached");
        }
        device->deleted = true;
        device->extensionFlags |= DOE_DELETE_PENDING;
    }
    if (device->DriverObject->DeviceObject == device) {
        device->DriverObject->DeviceObject = nullptr;
    }
    objects.deleteDevice(device);
}

NTSTATUS IoCreateSymbolicLink(UNICODE_STRING* linkName, UNICODE_STRING* deviceName) {
    auto& machine = zo::kernel::Machine::current();
    if (machine.faults().take(zo::kernel::KernelCall::CreateSymbolicLink)) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    return machine.objects().createLink(nameOf(linkName), nameOf(deviceName));
}

NTSTATUS IoDeleteSymbolicLink(UNICODE_STRING* linkName) {
    return zo::kernel::Machine::current().objects().deleteLink(nameOf(linkName));
}

DEVICE_OBJECT* IoGetAttachedDevice(DEVICE_OBJECT* device) {
    while (device->AttachedDevice != nullptr) {
        device = device->AttachedDevice;
    }
    return device;
}

DEVICE_OBJECT* IoAttachDeviceToDeviceStack(DEVICE_OBJECT* source, DEVICE_OBJECT* target) {
    auto& machine = zo::kernel::Machine::current();
    if (machine.faults().take(zo::kernel::KernelCall::AttachDevice)) {
        return nullptr;
    }
    const auto lock = machine.objects().lockDatabase();
    DEVICE_OBJECT* top = IoGetAttachedDevice(target);
    if (zo::kernel::goingAway(*top)) {
        return nullptr;
    }
    source->StackSize = static_cast<CCHAR>(top->StackSize + 1);
    source->attachedTo = top;
    if (machine.hooks().insideAttach) {
        machine.hooks().insideAttach();
    }
    top->AttachedDevice = source;
    return top;
}

void IoDetachDevice(DEVICE_OBJECT* target) {
    const auto lock = zo::kernel::Machine::current().objects().lockDatabase();
    if (target->AttachedDevice != nullptr) {
        target->AttachedDevice->attachedTo = nullptr;
        target->AttachedDevice = nullptr;
    }
}
