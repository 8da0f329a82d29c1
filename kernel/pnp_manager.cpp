#include "kernel/pnp_manager.h"

#include "kernel/machine.h"

namespace zo::kernel {

PnpManager::Plugged PnpManager::plugIn(std::shared_ptr<usb::UsbDevice> device) {
    std::lock_guard lock(serial_);
    const int port = machine_.bus().attach(std::move(device)).number();
    Plugged result{port, addDevice(port), STATUS_UNSUCCESSFUL};
    if (NT_SUCCESS(result.added)) {
        result.started = start(port);
    }
    return result;
}

void PnpManager::unplug(int port) {
    std::lock_guard lock(serial_);
    UsbPort* plugged = machine_.bus().port(port);
    if (plugged == nullptr) {
        return;
    }
    machine_.bus().disconnect(*plugged);
    surpriseRemove(port);
    remove(port);
    machine_.bus().detach(*plugged);
}

NTSTATUS PnpManager::addDevice(int port) {
    std::lock_guard lock(serial_);
    DEVICE_OBJECT* pdo = physicalDevice(port);
    DRIVER_OBJECT* driver = machine_.functionDriver();
    if (pdo == nullptr || driver == nullptr || driver->DriverExtension->AddDevice == nullptr) {
        return STATUS_NO_SUCH_DEVICE;
    }
    return driver->DriverExtension->AddDevice(driver, pdo);
}

NTSTATUS PnpManager::start(int port) {
    return sendPnp(port, IRP_MN_START_DEVICE, nullptr);
}

NTSTATUS PnpManager::stop(int port) {
    return sendPnp(port, IRP_MN_STOP_DEVICE, nullptr);
}

NTSTATUS PnpManager::surpriseRemove(int port) {
    return sendPnp(port, IRP_MN_SURPRISE_REMOVAL, nullptr);
}

NTSTATUS PnpManager::remove(int port) {
    return sendPnp(port, IRP_MN_REMOVE_DEVICE, nullptr);
}

NTSTATUS PnpManager::queryCapabilities(int port, DEVICE_CAPABILITIES& capabilities) {
    return sendPnp(port, IRP_MN_QUERY_CAPABILITIES, &capabilities);
}

NTSTATUS PnpManager::setPower(int port, ULONG type, ULONG state) {
    return send(port, STATUS_SUCCESS, [&](IO_STACK_LOCATION& location) {
        location.MajorFunction = IRP_MJ_POWER;
        location.MinorFunction = IRP_MN_SET_POWER;
        location.Parameters.Power.Type = type;
        location.Parameters.Power.State = state;
    });
}

DEVICE_OBJECT* PnpManager::physicalDevice(int port) {
    UsbPort* plugged = machine_.bus().port(port);
    return plugged == nullptr ? nullptr : plugged->pdo;
}

NTSTATUS PnpManager::sendPnp(int port, UCHAR minor, DEVICE_CAPABILITIES* capabilities) {
    // A plug and play request nobody handles keeps the status it started with.
    return send(port, STATUS_NOT_SUPPORTED, [&](IO_STACK_LOCATION& location) {
        location.MajorFunction = IRP_MJ_PNP;
        location.MinorFunction = minor;
        location.Parameters.DeviceCapabilities.Capabilities = capabilities;
    });
}

NTSTATUS PnpManager::send(int port, NTSTATUS initialStatus,
                          const std::function<void(IO_STACK_LOCATION&)>& fill) {
    std::lock_guard lock(serial_);
    DEVICE_OBJECT* pdo = physicalDevice(port);
    if (pdo == nullptr) {
        return STATUS_NO_SUCH_DEVICE;
    }
    DEVICE_OBJECT* top = IoGetAttachedDevice(pdo);
    IRP* irp = allocateRequest(top->StackSize);
    irp->IoStatus.Status = initialStatus;
    fill(*IoGetNextIrpStackLocation(irp));
    const IO_STATUS_BLOCK result = sendAndWait(top, irp);
    IoFreeIrp(irp);
    return result.Status;
}

}  // namespace zo::kernel
