#pragma once
// What went wrong in making the simulated machine that this process's device files reach.

#include <string>

namespace zo::platform {

// Why this process's own machine has fewer hubs than configured, or no capture; empty when all
// went well, and always for a machine the process does not make itself (the shared one of
// zousbsim, or the system's driver on Windows).
std::string machineConfigurationProblem();

}  // namespace zo::platform
