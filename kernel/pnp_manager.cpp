#include "kernel/pnp_manager.h"

#include <algorithm>

#include "kernel/bugcheck.h"
#include "kernel/io_verification.h"
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
    if (plugged->connected()) {
        machine_.bus().disconnect(*plugged);
        markStack(plugged->pdo, DOE_REMOVE_PENDING, true);
        surpriseRemove(port);
        awaitingCloses_.push_back(port);
    }
    deliverRemovals(false);
}

void PnpManager::deliverRemovalsAwaitingCloses() {
    std::lock_guard lock(serial_);
    deliverRemovals(false);
}

void PnpManager::shutDown() {
    std::lock_guard lock(serial_);
    for (UsbPort* port : machine_.bus().ports()) {
        unplug(port->number());
    }
    deliverRemovals(true);
}

void PnpManager::deliverRemovals(bool evenWithHandlesOpen) {
    for (const int port : std::vector<int>(awaitingCloses_)) {
        UsbPort* plugged = machine_.bus().port(port);
        if (!evenWithHandlesOpen && openHandles(plugged->pdo) > 0) {
            continue;
        }
        std::erase(awaitingCloses_, port);
        remove(port);
        machine_.bus().detach(*plugged);
    }
}

NTSTATUS PnpManager::addDevice(int port) {
    std::lock_guard lock(serial_);
    DEVICE_OBJECT* pdo = physicalDevice(port);
    DRIVER_OBJECT* driver = machine_.functionDriver();
    if (pdo == nullptr || driver == nullptr || driver->DriverExtension->AddDevice == nullptr) {
        return STATUS_NO_SUCH_DEVICE;
    }
    const PDRIVER_ADD_DEVICE routine = driver->DriverExtension->AddDevice;
    const NTSTATUS added = routine(driver, pdo);
    if (NT_SUCCESS(added)) {
        // A device the routine attached must be ready for requests once it returns.
        const auto database = machine_.objects().lockDatabase();
        for (DEVICE_OBJECT* device = pdo->AttachedDevice; device != nullptr;
             device = device->AttachedDevice) {
            if ((device->Flags & DO_DEVICE_INITIALIZING) != 0) {
                bugCheck(DRIVER_VERIFIER_IOMANAGER_VIOLATION,
                         {kDeviceInitializingAfterAddDevice, reinterpret_cast<ULONG_PTR>(routine),
                          0, reinterpret_cast<ULONG_PTR>(device)},
                         "an add-device routine returned without clearing DO_DEVICE_INITIALIZING");
            }
        }
    }
    return added;
}

NTSTATUS PnpManager::start(int port) {
    return sendPnp(port, IRP_MN_START_DEVICE, nullptr);
}

NTSTATUS PnpManager::stop(int port) {
    std::lock_guard lock(serial_);
    const NTSTATUS agreed = sendPnp(port, IRP_MN_QUERY_STOP_DEVICE, nullptr);
    if (!NT_SUCCESS(agreed)) {
        sendPnp(port, IRP_MN_CANCEL_STOP_DEVICE, nullptr);
        return agreed;
    }
    return sendPnp(port, IRP_MN_STOP_DEVICE, nullptr);
}

NTSTATUS PnpManager::removeOrderly(int port) {
    std::lock_guard lock(serial_);
    DEVICE_OBJECT* pdo = physicalDevice(port);
    if (pdo == nullptr) {
        return STATUS_NO_SUCH_DEVICE;
    }
    // No new handle from the question on; the open ones veto the removal.
    markStack(pdo, DOE_REMOVE_PENDING, true);
    NTSTATUS agreed = sendPnp(port, IRP_MN_QUERY_REMOVE_DEVICE, nullptr);
    if (NT_SUCCESS(agreed) && openHandles(pdo) > 0) {
        agreed = STATUS_DEVICE_BUSY;
    }
    if (!NT_SUCCESS(agreed)) {
        sendPnp(port, IRP_MN_CANCEL_REMOVE_DEVICE, nullptr);
        markStack(pdo, DOE_REMOVE_PENDING, false);
        return agreed;
    }
    const NTSTATUS removed = remove(port);
    // The device is still plugged in: its physical device object stays for the next add.
    markStack(pdo, DOE_REMOVE_PENDING, false);
    return removed;
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

void PnpManager::markStack(DEVICE_OBJECT* pdo, ULONG flag, bool set) {
    const auto database = machine_.objects().lockDatabase();
    for (DEVICE_OBJECT* device = pdo; device != nullptr; device = device->AttachedDevice) {
        device->extensionFlags =
            set ? device->extensionFlags | flag : device->extensionFlags & ~flag;
    }
}

LONG PnpManager::openHandles(DEVICE_OBJECT* pdo) {
    const auto database = machine_.objects().lockDatabase();
    LONG handles = 0;
    for (DEVICE_OBJECT* device = pdo; device != nullptr; device = device->AttachedDevice) {
        handles += device->ReferenceCount;
    }
    return handles;
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
