#pragma once
// The USB stack's driver interface for the kernel-mode build of zousbdrv (zousbdrv.sys): URBs and
// descriptors (usb.h), the internal I/O-control codes (usbioctl.h) and the USBD helper routines
// (usbdlib.h) of the mingw-w64 headers. The user-mode build finds kernel/driver_api/usb_api.h
// under this name instead, the kernel stand-in's USB stack.

#include "kernel_api.h"

// usbdlib.h declares the routines of usbd.sys without C linkage of its own.
extern "C" {
#include <usb.h>
#include <usbioctl.h>

// usbdlib.h needs the records of usb.h before it.
#include <ddk/usbdlib.h>
}
