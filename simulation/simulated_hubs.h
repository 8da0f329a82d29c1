#pragma once
// Where simulated hubs come into a machine: each entry of ZOUSB_DEVICES becomes a
// zo::hub::SimulatedHub plugged into the bus and started. The machine of a process's environment
// and zousbsim's plug command both build their hubs here, and nowhere else is a hub made from an
// entry.

#include "hub/hub_options.h"
#include "kernel/machine.h"

namespace zo::simulation {

kernel::PnpManager::Plugged plugSimulatedHub(kernel::Machine& machine,
                                             const hub::HubOptions& options);

}  // namespace zo::simulation
