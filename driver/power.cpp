// Power requests pass through to the bus driver; the driver keeps no power state of its own.

#include "driver/driver_internal.h"

NTSTATUS DispatchPower(DEVICE_OBJECT* device, IRP* irp) {
    irp->IoStatus.Status = STATUS_SUCCESS;
    irp->IoStatus.Information = 0;
    IoCopyCurrentIrpStackLocationToNext(irp);
    PoStartNextPowerIrp(irp);
    // No completion routine of the driver's own: when the bus driver answers STATUS_PENDING,
    // completion carries its pending mark up to this driver's stack location. The request may be
    // completed and gone by the time PoCallDriver returns, so it is not touched again.
    return PoCallDriver(contextOf(device)->LowerDevice, irp);
}
