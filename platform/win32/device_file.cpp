#include "platform/device_file.h"

#include <windows.h>

#include <string>

#include "platform/win32/simulated_machine.h"
#include "platform/win32/system_handle.h"
#include "platform/win32/wide_text.h"

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

}  // namespace

// A device opened through the system (CreateFileW), or one of the simulated machine.
struct DeviceFile::OpenDevice {
    explicit OpenDevice(win32::SystemHandle handle) : system(std::move(handle)) {}
    OpenDevice(const win32::SimulatedMachine& simulatedMachine, void* simulatedFile)
        : machine(&simulatedMachine), simulated(simulatedFile) {}
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;
    ~OpenDevice() {
        if (simulated != nullptr) {
            machine->close(simulated);
        }
    }

    win32::SystemHandle system;
    const win32::SimulatedMachine* machine = nullptr;
    void* simulated = nullptr;
};

std::optional<DeviceFile> DeviceFile::open(std::string_view path, KernelStatus& status,
                                           Options options) {
    if (const win32::SimulatedMachine* machine = win32::simulatedMachine()) {
        void* file =
            machine->open(std::string(path).c_str(), options.from32BitProcess ? 1 : 0, &status);
        if (file == nullptr) {
            return std::nullopt;
        }
        return DeviceFile(std::make_unique<OpenDevice>(*machine, file));
    }
    // A 32-bit caller is told apart by the system itself.
    win32::SystemHandle handle(::CreateFileW(win32::widened(path).c_str(),
                                             GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) {
        status = statusOfError(::GetLastError());
        return std::nullopt;
    }
    status = 0;
    return DeviceFile(std::make_unique<OpenDevice>(std::move(handle)));
}

DeviceFile::DeviceFile(std::unique_ptr<OpenDevice> device) : device_(std::move(device)) {}

DeviceFile::DeviceFile(DeviceFile&&) noexcept = default;

DeviceFile& DeviceFile::operator=(DeviceFile&&) noexcept = default;

DeviceFile::~DeviceFile() = default;

IoControlResult DeviceFile::control(std::uint32_t code, std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output) {
    const auto inputSize = static_cast<std::uint32_t>(input.size());
    const auto outputSize = static_cast<std::uint32_t>(output.size());
    if (device_->simulated != nullptr) {
        IoControlResult result;
        result.status = device_->machine->control(device_->simulated, code, input.data(), inputSize,
                                                  output.data(), outputSize, &result.bytesReturned);
        return result;
    }
    DWORD bytesReturned = 0;
    // The system's prototype takes a writable input pointer; it does not write through it.
    if (!::DeviceIoControl(device_->system.get(), code, const_cast<std::uint8_t*>(input.data()),
                           inputSize, output.data(), outputSize, &bytesReturned, nullptr)) {
        return {statusOfError(::GetLastError()), bytesReturned};
    }
    return {0, bytesReturned};
}

}  // namespace zo::platform
