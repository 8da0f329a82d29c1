#include "kernel/port_lookup.h"

#include "kernel/machine.h"

namespace zo::kernel {

UsbPort* portBehind(Machine& machine, std::string_view userPath) {
    NTSTATUS status = STATUS_SUCCESS;
    const std::shared_ptr<DEVICE_OBJECT> named = machine.io().resolve(userPath, status);
    if (!named) {
        return nullptr;
    }
    const DEVICE_OBJECT* bottom = named.get();
    while (bottom->attachedTo != nullptr) {
        bottom = bottom->attachedTo;
    }
    for (UsbPort* port : machine.bus().ports()) {
        if (port->pdo == bottom) {
            return port;
        }
    }
    return nullptr;
}

}  // namespace zo::kernel
