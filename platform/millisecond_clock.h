#pragma once
// The system's millisecond timer (timeGetTime on Windows): milliseconds since an unspecified
// start, as an unsigned 32-bit number that wraps around after about 49.7 days. Callers measure
// intervals as unsigned differences, which stay right across the wrap.

#include <cstdint>

namespace zo::platform {

std::uint32_t millisecondTicks();

}  // namespace zo::platform
