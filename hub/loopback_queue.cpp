#include "hub/loopback_queue.h"

#include <algorithm>

namespace zo::hub {

bool LoopbackQueue::push(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kCapacity - bytes_.size()) {
        return false;
    }
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
}

std::size_t LoopbackQueue::pop(std::span<std::uint8_t> into) {
    const std::size_t count = std::min(into.size(), bytes_.size());
    const auto end = bytes_.begin() + static_cast<std::ptrdiff_t>(count);
    std::copy(bytes_.begin(), end, into.begin());
    bytes_.erase(bytes_.begin(), end);
    return count;
}

}  // namespace zo::hub
