#pragma once
// The saved placement of the main window: the REG_BINARY "AppWindowPos" of the user's settings,
// six little-endian 32-bit integers.

#include <cstdint>

namespace zo::quintel {

struct WindowPos {
    std::int32_t left = 0;  // screen coordinates
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t flags = 0;  // written as 0, not interpreted
    std::int32_t spare = 0;  // written as 0, not interpreted
};
static_assert(sizeof(WindowPos) == 24);

// 0, 0, 0, 0, 1, 0, overwritten by the bytes of the stored value when it has at most 24.
WindowPos ReadWindowPos();

// Stores the 24 bytes; does nothing when the user's settings key does not open.
void WriteWindowPos(const WindowPos& pos);

// Whether a placement read back can be applied: both width and height above 0. Anything else
// leaves the window where its layout puts it.
bool HasUsableSize(const WindowPos& pos);

}  // namespace zo::quintel
