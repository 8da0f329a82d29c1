#include "platform/millisecond_clock.h"

#include <chrono>

namespace zo::platform {

std::uint32_t millisecondTicks() {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(elapsed.count());
}

}  // namespace zo::platform
