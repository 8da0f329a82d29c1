#pragma once
// The simulated hub behind a device identifier of the library, for what only the simulation can
// tell: recording its outputs, and whether its inputs carry a signal.

#include "hub/simulated_hub.h"
#include "tools/zousbdiag/silent_outputs.h"

namespace zousbdiag {

// The simulated hub of device ID, or null when there is none.
zo::hub::SimulatedHub* simulatedHub(unsigned id);

// Whether inputs A and B of device ID carry a signal; unknown unless it is a simulated hub.
InputSignals inputSignalsOf(unsigned id);

}  // namespace zousbdiag
