// Part of ZoSystem.dll: the simulated machine's configuration problem, when the process's device
// files reach it.

#include "platform/machine_configuration.h"
#include "kernel/machine.h"
#include "platform/win32/simulated_machine.h"

namespace zo::platform {

std::string machineConfigurationProblem() {
    if (win32::simulatedMachine() == nullptr) {
        return {};
    }
    return kernel::Machine::current().configurationError();
}

}  // namespace zo::platform
