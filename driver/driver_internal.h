#pragma once
// The routines the parts of zousbdrv share.

#include "driver/device_context.h"

// The driver's pool tag "Wdm ", its four characters in memory order.
inline constexpr ULONG kDriverPoolTag =
    ULONG{'W'} | ULONG{'d'} << 8 | ULONG{'m'} << 16 | ULONG{' '} << 24;

// Pool memory of the driver, zero-filled; null when the pool is exhausted.
PVOID allocateZeroed(SIZE_T size);
// A zero-filled URB of `length` bytes with its header's length and function set.
URB* allocateUrb(USHORT length, USHORT function);

// Sends one URB to the lower device and waits for it; records a failing USB status in
// LastUsbStatus and turns an otherwise successful request with a failed URB into
// STATUS_UNSUCCESSFUL.
NTSTATUS SubmitUrb(DEVICE_OBJECT* device, URB* urb);
// Passes a request from above to the lower device and waits for the lower drivers to complete
// it, keeping it for further handling; returns its final status.
NTSTATUS ForwardAndWait(DEVICE_OBJECT* device, IRP* irp);

// Request counting: false (and the request completed with STATUS_DELETE_PENDING) when removal
// has begun.
bool enterRequest(DEVICE_OBJECT* device, IRP* irp);
void leaveRequest(DEVICE_OBJECT* device);

NTSTATUS completeRequest(IRP* irp, NTSTATUS status, ULONG_PTR information);

NTSTATUS AddDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* physicalDevice);
NTSTATUS DispatchPnp(DEVICE_OBJECT* device, IRP* irp);
NTSTATUS DispatchPower(DEVICE_OBJECT* device, IRP* irp);
NTSTATUS DispatchDeviceControl(DEVICE_OBJECT* device, IRP* irp);

// Selects the first interface of the configuration and keeps its record (start).
NTSTATUS SelectConfiguration(DEVICE_OBJECT* device, USB_CONFIGURATION_DESCRIPTOR* configuration);
// Reads a descriptor of the device into `buffer`; the bytes received through `received`.
NTSTATUS ReadDescriptor(DEVICE_OBJECT* device, UCHAR type, UCHAR index, USHORT language,
                        PVOID buffer, ULONG length, ULONG* received);
// Replaces the kept interface record with a pool copy of `source`; null leaves none.
NTSTATUS KeepInterface(DeviceContext* context, const USBD_INTERFACE_INFORMATION* source);
