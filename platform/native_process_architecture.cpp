#include "platform/native_process_architecture.h"

namespace zo::platform {

// The suite runs natively on this platform.
bool runsUnder32BitEmulation() noexcept {
    return false;
}

}  // namespace zo::platform
