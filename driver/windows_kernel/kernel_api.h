#pragma once
// The Windows kernel's driver interface for the kernel-mode build of zousbdrv (zousbdrv.sys): the
// mingw-w64 DDK's wdm.h, and what the driver needs of the kernel besides (ddk_compat.h). The
// user-mode build finds kernel/driver_api/kernel_api.h under this name instead, the kernel
// stand-in.

// wdm.h defines these two inline for itself; in C++ the compiler's intrinsics header, which wdm.h
// includes first, must not define them too.
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
#include <ddk/wdm.h>

#include "ddk_compat.h"
