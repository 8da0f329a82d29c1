#pragma once
// What must hold for any bytes that arrive as a message: decoding them as a request, or as the
// reply of the kind their type names, either refuses them or gives a message that encodes back to
// exactly those bytes (so nothing is read past its bounds or silently dropped). Shared by the
// libFuzzer target and the randomized test.

#include <cstdint>
#include <span>

namespace zo::platform::service {

// False when a decoded message does not encode back to the frame it came from.
bool decodesCanonically(std::span<const std::uint8_t> frame);

}  // namespace zo::platform::service
