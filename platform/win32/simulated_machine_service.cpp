// The device-file functions of the simulated machine (simulated_machine_interface.h), part of
// ZoSystem.dll. Nothing here throws across the C boundary: a failure is a status.

#include <memory>
#include <span>
#include <string_view>

#include "kernel/machine.h"
#include "platform/win32/simulated_machine_interface.h"

namespace {

// An open device of the simulated machine, as the platform layer holds it between calls.
struct SimulatedFile {
    std::shared_ptr<zo::kernel::OpenFile> file;
};

}  // namespace

extern "C" void* ZoSimulatedOpen(const char* path, int from32BitProcess, std::int32_t* status) {
    try {
        std::shared_ptr<zo::kernel::OpenFile> file;
        *status = zo::kernel::Machine::current().io().open(std::string_view(path),
                                                           from32BitProcess != 0, file);
        if (!file) {
            return nullptr;
        }
        // Owned by the caller until ZoSimulatedClose.
        return std::make_unique<SimulatedFile>(SimulatedFile{std::move(file)}).release();
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
        const zo::kernel::IoResult result = zo::kernel::Machine::current().io().deviceControl(
            *static_cast<SimulatedFile*>(file)->file, code, std::span(input, inputSize),
            std::span(output, outputSize));
        *bytesReturned = static_cast<std::uint32_t>(result.information);
        return result.status;
    } catch (...) {
        *bytesReturned = 0;
        return STATUS_INSUFFICIENT_RESOURCES;
    }
}

extern "C" void ZoSimulatedClose(void* file) {
    const std::unique_ptr<SimulatedFile> owned(static_cast<SimulatedFile*>(file));
    zo::kernel::Machine::current().io().close(*owned->file);
}
