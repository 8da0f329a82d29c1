#include "platform/device_file.h"

#include "kernel/ntstatus.h"
#include "platform/embedded_device_handle.h"
#include "platform/machine_choice.h"
#include "platform/shared_machine/service_device_handle.h"
#include "platform/shared_machine/service_location.h"

namespace zo::platform {

std::optional<DeviceFile> DeviceFile::open(std::string_view path, KernelStatus& status,
                                           Options options) {
    std::unique_ptr<DeviceHandle> handle;
    if (chooseMachine() == MachinePlace::Embedded) {
        handle = openEmbeddedDevice(path, options.from32BitProcess, status);
    } else if (const auto socket = service::serviceSocketPath()) {
        handle = service::openServiceDevice(*socket, path, options.from32BitProcess, status);
    } else {
        status = STATUS_NO_SUCH_DEVICE;
    }
    if (!handle) {
        return std::nullopt;
    }
    return DeviceFile(std::move(handle));
}

IoControlResult DeviceFile::control(std::uint32_t code, std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output) {
    return handle_->control(code, input, output);
}

const char* statusText(KernelStatus status) {
    return kernel::statusName(status);
}

}  // namespace zo::platform
