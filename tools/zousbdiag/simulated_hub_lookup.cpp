#include "tools/zousbdiag/simulated_hub_lookup.h"

#include "kernel/machine.h"
#include "kernel/usb_bus.h"

namespace zousbdiag {

// On a fresh machine the driver names the hubs in the order they were plugged in, so device ID
// (slot ID - 1, "\\.\ZOUSB-<slot>") is the ID-th port.
zo::hub::SimulatedHub* simulatedHub(unsigned id) {
    const std::vector<zo::kernel::UsbPort*> ports = zo::kernel::Machine::current().bus().ports();
    if (id == 0 || id > ports.size()) {
        return nullptr;
    }
    return dynamic_cast<zo::hub::SimulatedHub*>(&ports[id - 1]->device());
}

InputSignals inputSignalsOf(unsigned id) {
    const zo::hub::SimulatedHub* hub = simulatedHub(id);
    if (hub == nullptr) {
        return {};
    }
    return {hub->options().inputAHz > 0, hub->options().inputBHz > 0};
}

}  // namespace zousbdiag
