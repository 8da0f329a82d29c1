#include "simulation/simulated_hubs.h"

#include <memory>

#include "hub/simulated_hub.h"

namespace zo::simulation {

kernel::PnpManager::Plugged plugSimulatedHub(kernel::Machine& machine,
                                             const hub::HubOptions& options) {
    return machine.pnp().plugIn(std::make_shared<hub::SimulatedHub>(options));
}

}  // namespace zo::simulation
