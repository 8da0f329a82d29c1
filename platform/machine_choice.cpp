#include "platform/machine_choice.h"

#include <mutex>

#include "kernel/machine.h"
#include "platform/shared_machine/service_location.h"
#include "platform/shared_machine/service_session.h"

namespace zo::platform {

MachinePlace chooseMachine() {
    static std::mutex choosing;
    static bool shared = false;
    std::lock_guard lock(choosing);
    if (kernel::Machine::existing() != nullptr) {
        return MachinePlace::Embedded;
    }
    if (shared) {
        return MachinePlace::Shared;
    }
    std::int32_t status = 0;
    if (const auto socket = service::serviceSocketPath();
        socket && service::ServiceSession::connect(*socket, status)) {
        shared = true;
        return MachinePlace::Shared;
    }
    kernel::Machine::current();  // made now, so that the choice stays
    return MachinePlace::Embedded;
}

std::string machineConfigurationProblem() {
    if (chooseMachine() == MachinePlace::Shared) {
        return {};
    }
    return kernel::Machine::current().configurationError();
}

}  // namespace zo::platform
