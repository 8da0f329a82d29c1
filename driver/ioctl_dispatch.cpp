// The device-control dispatch routine: request counting around the handler of each code.

#include "driver/ioctl_handlers.h"
#include "driver/zousb_ioctl.h"

namespace {

IoctlResult nop(DEVICE_OBJECT*, const IoctlRequest&) {
    return {STATUS_SUCCESS, 0};
}

IoctlResult unknownCode(DEVICE_OBJECT*, const IoctlRequest&) {
    return {STATUS_INVALID_PARAMETER, 0};
}

using Handler = IoctlResult (*)(DEVICE_OBJECT*, const IoctlRequest&);

Handler handlerFor(ULONG code) {
    switch (code) {
        case IOCTL_ZOUSB_QUERY_INTERFACE:
            return queryInterface;
        case IOCTL_ZOUSB_READ_DEVICE_DESCRIPTOR:
            return readDeviceDescriptor;
        case IOCTL_ZOUSB_READ_CONFIG_DESCRIPTOR:
            return readConfigDescriptor;
        case IOCTL_ZOUSB_VENDOR_TRANSFER:
            return vendorTransfer;
        case IOCTL_ZOUSB_NOP:
            return nop;
        case IOCTL_ZOUSB_LOAD_BLOCKS:
            return loadBlocks;
        case IOCTL_ZOUSB_RESET_PORT:
            return resetPort;
        case IOCTL_ZOUSB_RESET_PIPE:
            return resetPipe;
        case IOCTL_ZOUSB_ABORT_PIPE:
            return abortPipe;
        case IOCTL_ZOUSB_SELECT_INTERFACE:
            return selectInterface;
        case IOCTL_ZOUSB_READ_STRING_DESCRIPTOR:
            return readStringDescriptor;
        case IOCTL_ZOUSB_PIPE_READ:
        case IOCTL_ZOUSB_PIPE_WRITE:
            return pipeTransfer;
        case IOCTL_ZOUSB_GET_FRAME_NUMBER:
            return frameNumber;
        case IOCTL_ZOUSB_CONTROL_REQUEST:
            return controlRequest;
        case IOCTL_ZOUSB_GET_LAST_USB_STATUS:
            return lastUsbStatus;
        case IOCTL_ZOUSB_LOAD_MEMORY:
            return loadMemory;
        case IOCTL_ZOUSB_GET_DRIVER_VERSION:
            return driverVersion;
        case IOCTL_ZOUSB_STOP_STREAM:
            return stopStream;
        case IOCTL_ZOUSB_SET_FEATURE:
            return setFeature;
        case IOCTL_ZOUSB_ISO_READ:
        case IOCTL_ZOUSB_ISO_WRITE:
            return isoTransfer;
        case IOCTL_ZOUSB_START_STREAM:
            return startStream;
        case IOCTL_ZOUSB_READ_STREAM:
            return readStream;
        default:
            return unknownCode;
    }
}

}  // namespace

NTSTATUS DispatchDeviceControl(DEVICE_OBJECT* device, IRP* irp) {
    if (!enterRequest(device, irp)) {
        return STATUS_DELETE_PENDING;
    }
    irp->IoStatus.Status = STATUS_SUCCESS;
    irp->IoStatus.Information = 0;
    const IO_STACK_LOCATION* location = IoGetCurrentIrpStackLocation(irp);
    const IoctlRequest request{location->Parameters.DeviceIoControl.InputBufferLength,
                               location->Parameters.DeviceIoControl.OutputBufferLength,
                               irp->AssociatedIrp.SystemBuffer, irp->MdlAddress,
                               IoIs32bitProcess(irp) != FALSE};
    const IoctlResult result =
        handlerFor(location->Parameters.DeviceIoControl.IoControlCode)(device, request);
    leaveRequest(device);
    return completeRequest(irp, result.status, result.information);
}
