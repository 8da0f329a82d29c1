#pragma once
// The pieces of a device stack that kernel tests build their own function drivers from: a device
// the drivers never talk to, and the plumbing of a driver that passes requests down.

#include "kernel/irp.h"
#include "kernel/objects.h"
#include "kernel/usb_device.h"

namespace zo::kernel::test {

class QuietDevice : public usb::UsbDevice {
  public:
    usb::Speed speed() const override { return usb::Speed::High; }
    usb::TransferResult control(const usb::SetupPacket&, std::span<std::uint8_t>) override {
        return {usb::TransferStatus::Stall, 0};
    }
    usb::TransferResult transfer(std::uint8_t, std::span<std::uint8_t>) override {
        return {usb::TransferStatus::Stall, 0};
    }
    void portReset() override {}
};

// The device below a test driver's device, kept in its extension.
inline DEVICE_OBJECT*& lowerOf(DEVICE_OBJECT* device) {
    return *static_cast<DEVICE_OBJECT**>(device->DeviceExtension);
}

// Creates an unnamed device of `driver` and attaches it above `pdo`, still initializing.
inline NTSTATUS createAttached(DRIVER_OBJECT* driver, DEVICE_OBJECT* pdo, DEVICE_OBJECT** device) {
    const NTSTATUS created = IoCreateDevice(driver, sizeof(DEVICE_OBJECT*), nullptr,
                                            FILE_DEVICE_UNKNOWN, 0, FALSE, device);
    if (NT_SUCCESS(created)) {
        lowerOf(*device) = IoAttachDeviceToDeviceStack(*device, pdo);
    }
    return created;
}

// Passes a plug and play request down; after a removal the device detaches and goes.
inline NTSTATUS passPnpDown(DEVICE_OBJECT* device, IRP* irp) {
    const UCHAR minor = IoGetCurrentIrpStackLocation(irp)->MinorFunction;
    DEVICE_OBJECT* lower = lowerOf(device);
    IoSkipCurrentIrpStackLocation(irp);
    const NTSTATUS status = IoCallDriver(lower, irp);
    if (minor == IRP_MN_REMOVE_DEVICE) {
        IoDetachDevice(lower);
        IoDeleteDevice(device);
    }
    return status;
}

}  // namespace zo::kernel::test
