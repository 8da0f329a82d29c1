#include "platform/device_file.h"

#include <windows.h>

#include <string>

#include "host/win32/wide_text.h"
#include "platform/win32/simulated_machine.h"
#include "platform/win32/system_handle.h"

namespace zo::platform {

namespace {

// DeviceIoControl and CreateFileW report the driver's status as a Win32 error; the suite's
// callers speak in kernel statuses. The errors a driver's failures become, back to their status.
KernelStatus statusOfError(DWORD error) {
    struct Translation {
        DWORD error;
        std::uint32_t status;
    };
    static constexpr Translation translations[] = {
        {ERROR_FILE_NOT_FOUND, 0xC0000034},        // object name not found
        {ERROR_PATH_NOT_FOUND, 0xC000003A},        // object path not found
        {ERROR_ACCESS_DENIED, 0xC0000022},         // access denied
        {ERROR_INVALID_FUNCTION, 0xC0000010},      // invalid device request
        {ERROR_INVALID_PARAMETER, 0xC000000D},     // invalid parameter
        {ERROR_INSUFFICIENT_BUFFER, 0xC0000023},   // buffer too small
        {ERROR_MORE_DATA, 0x80000005},             // buffer overflow
        {ERROR_NOT_ENOUGH_MEMORY, 0xC000009A},     // insufficient resources
        {ERROR_NO_SYSTEM_RESOURCES, 0xC000009A},   // insufficient resources
        {ERROR_NOT_READY, 0xC00000A3},             // device not ready
        {ERROR_DEVICE_NOT_CONNECTED, 0xC000009D},  // device not connected
        {ERROR_DELETE_PENDING, 0xC0000056},        // delete pending
        {ERROR_NOT_SUPPORTED, 0xC00000BB},         // not supported
    };
    for (const Translation& translation : translations) {
        if (translation.error == error) {
            return static_cast<KernelStatus>(translation.status);
        }
    }
    return static_cast<KernelStatus>(0xC0000001);  // unsuccessful
}

// A device opened through the system's driver.
class SystemDeviceHandle final : public DeviceHandle {
  public:
    explicit SystemDeviceHandle(win32::SystemHandle handle) : handle_(std::move(handle)) {}

    IoControlResult control(std::uint32_t code, std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override {
        DWORD bytesReturned = 0;
        // The system's prototype takes a writable input pointer; it does not write through it.
        if (!::DeviceIoControl(handle_.get(), code, const_cast<std::uint8_t*>(input.data()),
                               static_cast<DWORD>(input.size()), output.data(),
                               static_cast<DWORD>(output.size()), &bytesReturned, nullptr)) {
            return {statusOfError(::GetLastError()), bytesReturned};
        }
        return {0, bytesReturned};
    }

  private:
    win32::SystemHandle handle_;
};

std::unique_ptr<DeviceHandle> openSystemDevice(std::string_view path, KernelStatus& status) {
    // A 32-bit caller is told apart by the system itself.
    win32::SystemHandle handle(::CreateFileW(host::win32::widened(path).c_str(),
                                             GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) {
        status = statusOfError(::GetLastError());
        return nullptr;
    }
    status = 0;
    return std::make_unique<SystemDeviceHandle>(std::move(handle));
}

// A device of the simulated machine, reached through the functions of its library.
class SimulatedDeviceHandle final : public DeviceHandle {
  public:
    SimulatedDeviceHandle(const win32::SimulatedMachine& machine, void* file)
        : machine_(machine), file_(file) {}
    ~SimulatedDeviceHandle() override { machine_.close(file_); }
    SimulatedDeviceHandle(const SimulatedDeviceHandle&) = delete;
    SimulatedDeviceHandle& operator=(const SimulatedDeviceHandle&) = delete;

    IoControlResult control(std::uint32_t code, std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override {
        IoControlResult result;
        result.status = machine_.control(
            file_, code, input.data(), static_cast<std::uint32_t>(input.size()), output.data(),
            static_cast<std::uint32_t>(output.size()), &result.bytesReturned);
        return result;
    }

  private:
    const win32::SimulatedMachine& machine_;
    void* file_;
};

std::unique_ptr<DeviceHandle> openSimulatedDevice(const win32::SimulatedMachine& machine,
                                                  std::string_view path, bool from32BitProcess,
                                                  KernelStatus& status) {
    void* file = machine.open(std::string(path).c_str(), from32BitProcess ? 1 : 0, &status);
    if (file == nullptr) {
        return nullptr;
    }
    return std::make_unique<SimulatedDeviceHandle>(machine, file);
}

}  // namespace

std::optional<DeviceFile> DeviceFile::open(std::string_view path, KernelStatus& status,
                                           Options options) {
    const win32::SimulatedMachine* machine = win32::simulatedMachine();
    std::unique_ptr<DeviceHandle> handle =
        machine != nullptr ? openSimulatedDevice(*machine, path, options.from32BitProcess, status)
                           : openSystemDevice(path, status);
    if (!handle) {
        return std::nullopt;
    }
    return DeviceFile(std::move(handle));
}

IoControlResult DeviceFile::control(std::uint32_t code, std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output) {
    return handle_->control(code, input, output);
}

}  // namespace zo::platform
