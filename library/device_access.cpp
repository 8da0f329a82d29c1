#include "library/device_access.h"

#include <cstdio>

namespace zo::quinteldrv {

std::string accessSemaphoreName(std::uint32_t slot) {
    char name[32];
    std::snprintf(name, sizeof name, "ZoDevAccessFlag_%03u", slot);
    return name;
}

void attachAccessSemaphore(QnDeviceContext& context) {
    try {
        context.accessSemaphore = platform::NamedSemaphore::openOrCreate(
            accessSemaphoreName(context.slot), /*initialCount=*/1);
    } catch (...) {  // out of memory: no semaphore, as when the system refuses one
        context.accessSemaphore.reset();
    }
}

void detachAccessSemaphore(QnDeviceContext& context) {
    context.accessSemaphore.reset();
}

DeviceAccess::DeviceAccess(QnDeviceContext& context) {
    if (context.accessSemaphore && context.accessSemaphore->acquire(kAccessWaitLimit)) {
        held_ = &*context.accessSemaphore;
    }
}

DeviceAccess::~DeviceAccess() {
    if (held_ != nullptr) {
        held_->release();
    }
}

}  // namespace zo::quinteldrv
