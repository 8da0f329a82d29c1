#include "kernel/kernel_faults.h"

namespace zo::kernel {

void KernelFaults::failNext(KernelCall call, int count) {
    std::lock_guard lock(mutex_);
    pending_[call] = count;
}

bool KernelFaults::take(KernelCall call) {
    std::lock_guard lock(mutex_);
    auto found = pending_.find(call);
    if (found == pending_.end() || found->second <= 0) {
        return false;
    }
    --found->second;
    return true;
}

}  // namespace zo::kernel
