#pragma once
// Whether device opens go to the simulated machine of ZoSystem.dll instead of the system's
// drivers: they do when ZOUSB_DEVICES is set (even empty) and ZoSystem.dll loads from the
// program's folder or the system folder. The choice is made once per process; the machine's
// library then stays loaded.

#include "platform/win32/simulated_machine_interface.h"

namespace zo::platform::win32 {

struct SimulatedMachine {
    SimulatedOpen open = nullptr;
    SimulatedControl control = nullptr;
    SimulatedClose close = nullptr;
};

// Null when opens go to the system.
const SimulatedMachine* simulatedMachine();

}  // namespace zo::platform::win32
