#pragma once
// An integer held as its little-endian bytes, whatever the byte order of the host. Records built
// from these fields have the same bytes on every machine and no padding (their alignment is 1), so
// they can be written to a file as they are.

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace zo::kernel {

template <std::integral T>
class LittleEndian {
  public:
    constexpr LittleEndian() = default;

    // Implicit on purpose: record fields are assigned like the plain integers they stand for.
    constexpr LittleEndian(T value) {  // NOLINT(google-explicit-constructor)
        auto bits = static_cast<std::make_unsigned_t<T>>(value);
        for (auto& byte : bytes_) {
            byte = static_cast<std::uint8_t>(bits & 0xFFu);
            bits = static_cast<std::make_unsigned_t<T>>(bits >> 8);
        }
    }

  private:
    std::array<std::uint8_t, sizeof(T)> bytes_{};
};

}  // namespace zo::kernel
