#pragma once
// How many released objects of one kind (requests, pool blocks of one size) the kernel keeps for
// reuse, as the Windows kernel keeps lookaside lists, so that the common path of a request
// allocates nothing. Under AddressSanitizer it keeps none: every object is then allocated and
// released afresh, so a driver that uses memory after releasing it is still caught.

#include <cstddef>

namespace zo::kernel {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::size_t kLookasideDepth = 0;
#else
inline constexpr std::size_t kLookasideDepth = 32;
#endif

}  // namespace zo::kernel
