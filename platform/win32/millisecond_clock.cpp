#include "platform/millisecond_clock.h"

#include <windows.h>

namespace zo::platform {

std::uint32_t millisecondTicks() {
    return ::GetTickCount();
}

}  // namespace zo::platform
