#pragma once
// The kernel's driver interface as the stand-in provides it, under the name the driver includes.
// The kernel-mode build of the driver finds driver/windows_kernel/kernel_api.h under this name
// instead, the Windows kernel's own wdm.h.

#include "kernel/irp.h"
#include "kernel/pool.h"
#include "kernel/sync.h"
