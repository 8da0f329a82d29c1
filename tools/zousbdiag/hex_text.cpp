#include "tools/zousbdiag/hex_text.h"

#include <algorithm>
#include <cstdio>

namespace zousbdiag {

namespace {

std::optional<unsigned> hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    return std::nullopt;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::optional<std::uint64_t> parseDigits(std::string_view digits, unsigned base,
                                         std::uint64_t max) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : digits) {
        const std::optional<unsigned> digit = hexDigit(c);
        // value * base + digit must not pass max (checked without overflowing).
        if (!digit || *digit >= base || *digit > max || value > (max - *digit) / base) {
            return std::nullopt;
        }
        value = value * base + *digit;
    }
    return value;
}

}  // namespace

HexBytes parseHexBytes(std::string_view text) {
    HexBytes result;
    std::size_t groupStart = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isBlank(text[i])) {
            if (!hexDigit(text[i])) {
                result.bytes.clear();
                result.error = "'" + std::string(1, text[i]) + "' at position " +
                               std::to_string(i + 1) + " is not a hexadecimal digit";
                return result;
            }
            continue;
        }
        const std::string_view group = text.substr(groupStart, i - groupStart);
        if (group.size() % 2 != 0) {
            result.bytes.clear();
            result.error = "'" + std::string(group) +
                           "' has an odd number of digits (write each byte as two digits)";
            return result;
        }
        for (std::size_t pair = 0; pair < group.size(); pair += 2) {
            result.bytes.push_back(static_cast<std::uint8_t>(*hexDigit(group[pair]) * 16 +
                                                             *hexDigit(group[pair + 1])));
        }
        groupStart = i + 1;
    }
    return result;
}

std::optional<std::uint64_t> parseNumber(std::string_view text, std::uint64_t max) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return parseDigits(text.substr(2), 16, max);
    }
    return parseDigits(text, 10, max);
}

std::string hexNumber(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string hexDump(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kBytesPerLine = 16;
    std::string text;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kBytesPerLine) {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "  %04zx ", offset);
        text += prefix;
        for (const std::uint8_t byte :
             bytes.subspan(offset).first(std::min(kBytesPerLine, bytes.size() - offset))) {
            char pair[4];
            std::snprintf(pair, sizeof pair, " %02x", byte);
            text += pair;
        }
        text += '\n';
    }
    return text;
}

}  // namespace zousbdiag
