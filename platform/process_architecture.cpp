#include "platform/process_architecture.h"

#include <atomic>

#include "platform/native_process_architecture.h"

namespace zo::platform {
namespace {

const FixedProcessArchitecture kNative{runsUnder32BitEmulation()};
std::atomic<const ProcessArchitecture*> current{&kNative};

}  // namespace

const ProcessArchitecture& processArchitecture() {
    return *current.load();
}

ScopedProcessArchitecture::ScopedProcessArchitecture(const ProcessArchitecture& substitute)
    : previous_(current.exchange(&substitute)) {}

ScopedProcessArchitecture::~ScopedProcessArchitecture() {
    current.store(previous_);
}

}  // namespace zo::platform
