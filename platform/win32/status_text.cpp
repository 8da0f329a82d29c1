// The names of kernel statuses, from the kernel stand-in's table, which the platform layer of the
// suite's libraries carries itself on Windows.

#include "kernel/ntstatus.h"
#include "platform/device_file.h"

namespace zo::platform {

const char* statusText(KernelStatus status) {
    return kernel::statusName(status);
}

}  // namespace zo::platform
