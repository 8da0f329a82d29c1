#pragma once
// What only the simulation can tell about the hub behind a device identifier of the library:
// whether its inputs carry a signal.

#include "tools/zousbdiag/silent_outputs.h"

namespace zousbdiag {

// Whether inputs A and B of device ID carry a signal; unknown unless it is a simulated hub of this
// process's own machine (a hub of the shared machine is not looked into).
InputSignals inputSignalsOf(unsigned id);

}  // namespace zousbdiag
