// The device-file functions of the simulated machine (simulated_machine_interface.h), part of
// ZoSystem.dll. Nothing here throws across the C boundary: a failure is a status.

#include <memory>
#include <span>
#include <string_view>

#include "kernel/ntstatus.h"
#include "platform/embedded_device_handle.h"
#include "platform/win32/simulated_machine_interface.h"

using zo::platform::DeviceHandle;

extern "C" void* ZoSimulatedOpen(const char* path, int from32BitProcess, std::int32_t* status) {
    try {
        // Owned by the caller until ZoSimulatedClose.
        return zo::platform::openEmbeddedDevice(std::string_view(path), from32BitProcess != 0,
                                                *status)
            .release();
    } catch (...) {
        *status = STATUS_INSUFFICIENT_RESOURCES;
        return nullptr;
    }
}

extern "C" std::int32_t ZoSimulatedControl(void* file, std::uint32_t code,
                                           const std::uint8_t* input, std::uint32_t inputSize,
                                           std::uint8_t* output, std::uint32_t outputSize,
                                           std::uint32_t* bytesReturned) {
    try {
        const zo::platform::IoControlResult result = static_cast<DeviceHandle*>(file)->control(
            code, std::span(input, inputSize), std::span(output, outputSize));
        *bytesReturned = result.bytesReturned;
        return result.status;
    } catch (...) {
        *bytesReturned = 0;
        return STATUS_INSUFFICIENT_RESOURCES;
    }
}

extern "C" void ZoSimulatedClose(void* file) {
    const std::unique_ptr<DeviceHandle> owned(static_cast<DeviceHandle*>(file));
}
