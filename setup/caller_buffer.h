#pragma once
// Hands a text to the caller of an export: the whole text and its terminating zero, or nothing.

#include <cstddef>
#include <string_view>

namespace zo::setup {

// The longest text the library passes on: its own buffers hold 260 bytes.
inline constexpr std::size_t kMaxTextLength = 259;

// Copies `text` with its terminating zero when `buffer` is not null, `size` bytes hold both and
// the text is at most kMaxTextLength long; otherwise leaves the buffer untouched and gives false.
bool copyToCaller(std::string_view text, char* buffer, int size);

// Runs an export's body; anything it throws (only allocation can) becomes result 0.
template <typename Body>
int guardedExport(Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return 0;
    }
}

}  // namespace zo::setup
