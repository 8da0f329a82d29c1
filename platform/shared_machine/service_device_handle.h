#pragma once
// A handle that zousbsim keeps for this process on a device of the shared machine, reached over
// a connection of its own. I/O control on it is serialised, as Windows serialises the requests
// on a handle opened for synchronous I/O. When the service goes away, every request fails with
// STATUS_NO_SUCH_DEVICE, as on a device that was unplugged.

#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/device_handle.h"

namespace zo::platform::service {

// Null with the reason in `status` when the service or the device does not open.
std::unique_ptr<DeviceHandle> openServiceDevice(const std::filesystem::path& socket,
                                                std::string_view path, bool from32BitProcess,
                                                KernelStatus& status);

}  // namespace zo::platform::service
