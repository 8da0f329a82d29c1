#pragma once
// Which simulated machine this process reaches. A process that has a machine of its own (a
// test's, or the embedded one made on first use) keeps it. Otherwise, when zousbsim answers at
// its socket (platform/shared_machine/service_location.h), the process uses the shared machine
// from then on, even while that service is away; when none answers, the process makes its own
// embedded machine from the environment, as a process without the service always did.

#include <string>

namespace zo::platform {

enum class MachinePlace { Embedded, Shared };

MachinePlace chooseMachine();

// Why this process's own machine has fewer hubs than configured, or no capture; empty when all
// went well, and always for the shared machine, which does not start otherwise.
std::string machineConfigurationProblem();

}  // namespace zo::platform
