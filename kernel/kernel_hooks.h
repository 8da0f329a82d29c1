#pragma once
// Points inside the kernel where a test runs code of its own, to force an interleaving of
// threads without sleeping. Set before the machine is used concurrently; empty ones do nothing.

#include <functional>

namespace zo::kernel {

struct KernelHooks {
    // IoAttachDeviceToDeviceStack, with the database lock held and the device not yet linked.
    std::function<void()> insideAttach;
    // An open found the database lock taken and is about to wait for it.
    std::function<void()> openWaitsForDatabase;
};

}  // namespace zo::kernel
