#include "platform/registry/imported_text.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace zo::platform::registry {
namespace {

void appendUtf8(std::vector<std::uint8_t>& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<std::uint8_t>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<std::uint8_t>(0xC0 | codePoint >> 6));
        out.push_back(static_cast<std::uint8_t>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<std::uint8_t>(0xE0 | codePoint >> 12));
        out.push_back(static_cast<std::uint8_t>(0x80 | (codePoint >> 6 & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<std::uint8_t>(0xF0 | codePoint >> 18));
        out.push_back(static_cast<std::uint8_t>(0x80 | (codePoint >> 12 & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (codePoint >> 6 & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (codePoint & 0x3F)));
    }
}

bool isHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// UTF-16LE units up to the first zero unit, as UTF-8 with one terminating zero.
std::optional<std::vector<std::uint8_t>> utf16ToUtf8(std::span<const std::uint8_t> bytes,
                                                     std::string& refusal) {
    if (bytes.size() % 2 != 0) {
        refusal = "an odd number of bytes";
        return std::nullopt;
    }
    std::vector<std::uint32_t> units;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        units.push_back(bytes[i] | static_cast<std::uint32_t>(bytes[i + 1]) << 8);
    }
    const auto end = std::ranges::find(units, 0u);
    if (!std::all_of(end, units.end(), [](std::uint32_t unit) { return unit == 0; })) {
        refusal = "more text after its terminating zero";
        return std::nullopt;
    }
    std::vector<std::uint8_t> text;
    for (auto unit = units.begin(); unit != end; ++unit) {
        std::uint32_t codePoint = *unit;
        if (isHighSurrogate(codePoint) && unit + 1 != end && isLowSurrogate(*(unit + 1))) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (*++unit - 0xDC00);
        } else if (isHighSurrogate(codePoint) || isLowSurrogate(codePoint)) {
            refusal = "a broken surrogate pair";
            return std::nullopt;
        }
        appendUtf8(text, codePoint);
    }
    text.push_back(0);
    return text;
}

}  // namespace

std::optional<std::string> convertImportedText(RegistryValue& value) {
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
        return std::nullopt;
    }
    const auto firstZero = std::ranges::find(value.data, std::uint8_t{0});
    if (std::all_of(firstZero, value.data.end(), [](std::uint8_t byte) { return byte == 0; })) {
        return std::nullopt;  // narrow text
    }
    std::string refusal;
    auto text = utf16ToUtf8(value.data, refusal);
    if (!text) {
        return "its data goes on after a zero byte but is no UTF-16 text: " + refusal;
    }
    if (text->size() > kMaxValueDataSize) {
        return "its UTF-16 text is larger than 1 MiB as UTF-8";
    }
    value.data = std::move(*text);
    return std::nullopt;
}

}  // namespace zo::platform::registry
