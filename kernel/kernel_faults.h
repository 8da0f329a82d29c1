#pragma once
// Failures a test can ask the kernel to make, to reach a driver's error paths.

#include <map>
#include <mutex>

namespace zo::kernel {

enum class KernelCall { CreateDevice, CreateSymbolicLink, AttachDevice };

class KernelFaults {
  public:
    // The next `count` calls of `call` fail.
    void failNext(KernelCall call, int count = 1);
    // True, and one failure fewer, when this call is to fail.
    bool take(KernelCall call);

  private:
    std::mutex mutex_;
    std::map<KernelCall, int> pending_;
};

}  // namespace zo::kernel
