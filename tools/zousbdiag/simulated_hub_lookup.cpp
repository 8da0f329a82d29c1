#include "tools/zousbdiag/simulated_hub_lookup.h"

#include "hub/simulated_hub.h"
#include "kernel/machine.h"
#include "kernel/port_lookup.h"
#include "tools/zousbdiag/hub_connection.h"

namespace zousbdiag {

InputSignals inputSignalsOf(unsigned id) {
    // Device ID is slot ID - 1, the hub opened as "\\.\ZOUSB-<slot>". Only a machine that already
    // exists is asked: looking must not build one.
    zo::kernel::Machine* machine = zo::kernel::Machine::existing();
    if (machine == nullptr || id == 0) {
        return {};
    }
    zo::kernel::UsbPort* port = zo::kernel::portBehind(*machine, hubDeviceName(id - 1));
    const auto* hub =
        port == nullptr ? nullptr : dynamic_cast<zo::hub::SimulatedHub*>(&port->device());
    if (hub == nullptr) {
        return {};
    }
    return {hub->options().inputAHz > 0, hub->options().inputBHz > 0};
}

}  // namespace zousbdiag
