// zousbdrv's entry point: the dispatch table, and the create and close handlers.

#include "driver/driver_internal.h"

namespace {

NTSTATUS DispatchCreate(DEVICE_OBJECT* device, IRP* irp) {
    // A handle can be opened only once the hub has started.
    const bool started = ReadAcquire(&contextOf(device)->Started) != FALSE;
    return completeRequest(irp, started ? STATUS_SUCCESS : STATUS_UNSUCCESSFUL, 0);
}

NTSTATUS DispatchClose(DEVICE_OBJECT*, IRP* irp) {
    return completeRequest(irp, STATUS_SUCCESS, 0);
}

void DriverUnload(DRIVER_OBJECT*) {}

}  // namespace

extern "C" __attribute__((visibility("default"))) NTSTATUS DriverEntry(DRIVER_OBJECT* driver,
                                                                       UNICODE_STRING*) {
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchDeviceControl;
    driver->MajorFunction[IRP_MJ_POWER] = DispatchPower;
    driver->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = DriverUnload;
    return STATUS_SUCCESS;
}
