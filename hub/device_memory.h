#pragma once
// The hub's 64 KiB of memory that vendor request 0xA0 loads and reads back. An access that would
// run past the end of the memory is refused whole.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace zo::hub {

class DeviceMemory {
  public:
    static constexpr std::size_t kSize = 64 * 1024;

    bool write(std::uint16_t address, std::span<const std::uint8_t> bytes) {
        if (bytes.size() > kSize - address) {
            return false;
        }
        std::ranges::copy(bytes, bytes_.begin() + address);
        return true;
    }

    bool read(std::uint16_t address, std::span<std::uint8_t> into) const {
        if (into.size() > kSize - address) {
            return false;
        }
        std::copy_n(bytes_.begin() + address, into.size(), into.begin());
        return true;
    }

  private:
    std::vector<std::uint8_t> bytes_ = std::vector<std::uint8_t>(kSize);
};

}  // namespace zo::hub
