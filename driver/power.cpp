// Power requests pass through to the bus driver; the driver keeps no power state of its own.

#include "driver/driver_internal.h"

NTSTATUS DispatchPower(DEVICE_OBJECT* device, IRP* irp) {
    irp->IoStatus.Status = STATUS_SUCCESS;
    irp->IoStatus.Information = 0;
    IoCopyCurrentIrpStackLocationToNext(irp);
    PoStartNextPowerIrp(irp);
    const NTSTATUS status = PoCallDriver(contextOf(device)->LowerDevice, irp);
    if (status == STATUS_PENDING) {
        IoMarkIrpPending(irp);
    }
    return status;
}
