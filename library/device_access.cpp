#include "library/device_access.h"

#include <cstdio>

namespace zo::quinteldrv {

std::string accessLockName(std::uint32_t slot) {
    char name[32];
    std::snprintf(name, sizeof name, "ZoDevAccessFlag_%03u", slot);
    return name;
}

void attachAccessLock(QnDeviceContext& context) {
    try {
        context.accessLock = platform::NamedLock::open(accessLockName(context.slot));
    } catch (...) {  // out of memory: no lock, as when the system refuses one
        context.accessLock.reset();
    }
}

void detachAccessLock(QnDeviceContext& context) {
    context.accessLock.reset();
}

DeviceAccess::DeviceAccess(QnDeviceContext& context) {
    if (context.accessLock && context.accessLock->acquire(kAccessWaitLimit)) {
        held_ = &*context.accessLock;
    }
}

DeviceAccess::~DeviceAccess() {
    if (held_ != nullptr) {
        held_->release();
    }
}

}  // namespace zo::quinteldrv
