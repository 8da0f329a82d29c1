#pragma once
// The USB stack's driver interface as the stand-in provides it, under the name the driver
// includes. The kernel-mode build of the driver finds driver/windows_kernel/usb_api.h under this
// name instead, the mingw-w64 headers usb.h, usbioctl.h and usbdlib.h.

#include "kernel/driver_api/kernel_api.h"
#include "kernel/usb.h"
#include "kernel/usbd.h"
