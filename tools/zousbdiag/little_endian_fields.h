#pragma once
// Reading little-endian fields out of the byte records a hub and its driver answer with. The
// caller checks that the record is long enough before reading a field.

#include <cstddef>
#include <cstdint>
#include <span>

namespace zousbdiag {

inline std::uint16_t readLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    const std::span<const std::uint8_t, 2> field = bytes.subspan(offset).first<2>();
    return static_cast<std::uint16_t>(field[0] | field[1] << 8);
}

inline std::uint32_t readLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(readLe16(bytes, offset)) |
           static_cast<std::uint32_t>(readLe16(bytes, offset + 2)) << 16;
}

}  // namespace zousbdiag
