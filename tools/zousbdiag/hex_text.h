#pragma once
// Reading numbers and byte strings typed on the command line, and writing bytes and numbers back
// as hexadecimal text.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zousbdiag {

// Bytes typed as pairs of hexadecimal digits, or why the text is not such a list.
struct HexBytes {
    std::vector<std::uint8_t> bytes;
    std::string error;  // empty when the text was read
};

// Reads "0a 1B ff" or "0a1bff": pairs of hexadecimal digits, optionally separated by blanks.
// A pair may not be split by a blank, so a group with an odd number of digits is refused.
HexBytes parseHexBytes(std::string_view text);

// Reads a decimal number or a 0x-prefixed hexadecimal one no greater than max; nullopt for
// anything else (empty text, signs, blanks, stray characters, overflow).
std::optional<std::uint64_t> parseNumber(std::string_view text, std::uint64_t max);

// "0x00AB" style: upper-case digits, zero-padded to the given width.
std::string hexNumber(std::uint64_t value, int digits);

// Bytes as lower-case hexadecimal pairs, 16 a line, each line indented and led by its offset:
// "  0000  01 00 0a 00". No bytes give no lines.
std::string hexDump(std::span<const std::uint8_t> bytes);

}  // namespace zousbdiag
