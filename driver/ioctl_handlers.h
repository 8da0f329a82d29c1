#pragma once
// The handlers of zousbdrv's I/O-control codes. Each gets the request's buffers and lengths and
// answers with the status and Information to complete it with.

#include "driver/driver_internal.h"

struct IoctlRequest {
    ULONG inputLength;
    ULONG outputLength;
    PVOID systemBuffer;  // the input for every method; the output too for buffered codes
    MDL* outputMdl;      // the caller's output buffer for the direct methods
    bool from32BitProcess;
};

struct IoctlResult {
    NTSTATUS status;
    ULONG_PTR information;
};

// Descriptors and interfaces.
IoctlResult queryInterface(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult readDeviceDescriptor(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult readConfigDescriptor(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult readStringDescriptor(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult selectInterface(DEVICE_OBJECT* device, const IoctlRequest& request);

// Control transfers on the default pipe.
IoctlResult controlRequest(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult vendorTransfer(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult loadMemory(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult loadBlocks(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult setFeature(DEVICE_OBJECT* device, const IoctlRequest& request);

// Pipes, the port and the driver's own state.
IoctlResult pipeTransfer(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult resetPipe(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult abortPipe(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult resetPort(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult frameNumber(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult lastUsbStatus(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult driverVersion(DEVICE_OBJECT* device, const IoctlRequest& request);

// Isochronous transfers: one-shot (read and write share the handler) and streams.
IoctlResult isoTransfer(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult startStream(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult readStream(DEVICE_OBJECT* device, const IoctlRequest& request);
IoctlResult stopStream(DEVICE_OBJECT* device, const IoctlRequest& request);

// A copy of one pipe record of the kept interface, taken under its lock. Refuses with
// STATUS_UNSUCCESSFUL when no interface is selected, STATUS_INVALID_PARAMETER when the pipe index
// is missing or out of range.
NTSTATUS pipeOf(DEVICE_OBJECT* device, const IoctlRequest& request, USBD_PIPE_INFORMATION& pipe);
