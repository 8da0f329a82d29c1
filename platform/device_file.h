#pragma once
// A handle on a device object opened from user mode ("\\.\ZOUSB-0"), and synchronous I/O control
// on it. This is the user-mode service the device-access library and the tools talk to drivers
// through; on this platform it reaches the kernel stand-in of the process's simulated machine, or
// of the shared one that zousbsim hosts (platform/machine_choice.h).

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "platform/device_handle.h"

namespace zo::platform {

class DeviceFile {
  public:
    struct Options {
        bool from32BitProcess = false;  // the caller's records take their 32-bit forms
    };

    // Opens the device object; on failure the status says why (not found, not started, ...).
    static std::optional<DeviceFile> open(std::string_view path, KernelStatus& status,
                                          Options options);
    static std::optional<DeviceFile> open(std::string_view path, KernelStatus& status) {
        return open(path, status, Options{});
    }

    DeviceFile(DeviceFile&&) noexcept = default;
    DeviceFile& operator=(DeviceFile&&) noexcept = default;  // closes the handle it held
    DeviceFile(const DeviceFile&) = delete;
    DeviceFile& operator=(const DeviceFile&) = delete;
    ~DeviceFile() = default;  // closes the handle

    // Sends one I/O-control request and waits for its completion. For a buffered code the output
    // holds the answer; for a direct code the driver works on the output buffer itself.
    IoControlResult control(std::uint32_t code, std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output);

  private:
    explicit DeviceFile(std::unique_ptr<DeviceHandle> handle) : handle_(std::move(handle)) {}

    std::unique_ptr<DeviceHandle> handle_;
};

// A readable name of a kernel status ("STATUS_DELETE_PENDING"), or its hexadecimal value.
const char* statusText(KernelStatus status);

}  // namespace zo::platform
