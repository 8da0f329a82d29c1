#pragma once
// A handle on a device object of this process's own simulated machine.

#include <memory>
#include <string_view>

#include "platform/device_handle.h"

namespace zo::platform {

// Null with the reason in `status` when the device does not open.
std::unique_ptr<DeviceHandle> openEmbeddedDevice(std::string_view path, bool from32BitProcess,
                                                 KernelStatus& status);

}  // namespace zo::platform
