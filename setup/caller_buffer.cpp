#include "setup/caller_buffer.h"

#include <algorithm>
#include <span>

namespace zo::setup {

bool copyToCaller(std::string_view text, char* buffer, int size) {
    if (buffer == nullptr || text.size() > kMaxTextLength || size < 0 ||
        static_cast<std::size_t>(size) <= text.size()) {
        return false;
    }
    const std::span destination(buffer, text.size() + 1);
    std::ranges::copy(text, destination.begin());
    destination.back() = '\0';
    return true;
}

}  // namespace zo::setup
