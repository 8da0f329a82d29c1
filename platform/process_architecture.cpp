#include "platform/process_architecture.h"

#include <atomic>

namespace zo::platform {
namespace {

const FixedProcessArchitecture kNative{false};
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
