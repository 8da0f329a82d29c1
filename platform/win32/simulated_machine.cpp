#include "platform/win32/simulated_machine.h"

#include <optional>

#include "platform/environment_strings.h"
#include "platform/shared_library.h"

namespace zo::platform::win32 {

namespace {

template <typename Function>
Function lookUp(const SharedLibrary& library, const char* name) {
    return reinterpret_cast<Function>(library.symbol(name));
}

std::optional<SimulatedMachine> loadSimulatedMachine() {
    if (!environmentVariable("ZOUSB_DEVICES")) {
        return std::nullopt;
    }
    std::optional<SharedLibrary> library =
        SharedLibrary::load(sharedLibraryFileName(kSimulatedMachineLibrary));
    if (!library) {
        return std::nullopt;
    }
    const SimulatedMachine machine{lookUp<SimulatedOpen>(*library, kSimulatedOpen),
                                   lookUp<SimulatedControl>(*library, kSimulatedControl),
                                   lookUp<SimulatedClose>(*library, kSimulatedClose)};
    if (machine.open == nullptr || machine.control == nullptr || machine.close == nullptr) {
        return std::nullopt;
    }
    library->keepLoaded();
    return machine;
}

}  // namespace

const SimulatedMachine* simulatedMachine() {
    static const std::optional<SimulatedMachine> machine = loadSimulatedMachine();
    return machine ? &*machine : nullptr;
}

}  // namespace zo::platform::win32
