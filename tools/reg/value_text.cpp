#include "tools/reg/value_text.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "platform/registry/key_name.h"

namespace zo::tools::reg {
namespace {

namespace registry = platform::registry;

std::optional<std::uint32_t> parseNumber(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

std::optional<std::vector<std::uint8_t>> parseHexBytes(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        std::uint8_t byte = 0;
        const auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
        if (error != std::errc{} || end != text.data() + i + 2) {
            return std::nullopt;
        }
        bytes.push_back(byte);
    }
    return bytes;
}

std::string formatted(const char* format, unsigned number) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), format, number);
    return text.data();
}

}  // namespace

std::optional<registry::RegistryValue> parseValue(std::string_view type, std::string_view data) {
    using registry::equalIgnoringCase;
    if (equalIgnoringCase(type, "REG_SZ") || equalIgnoringCase(type, "REG_EXPAND_SZ")) {
        if (data.find('\0') != std::string_view::npos) {
            return std::nullopt;
        }
        return registry::textValue(
            equalIgnoringCase(type, "REG_SZ") ? registry::REG_SZ : registry::REG_EXPAND_SZ, data);
    }
    if (equalIgnoringCase(type, "REG_DWORD")) {
        const auto number = parseNumber(data);
        return number ? std::optional(registry::dwordValue(*number)) : std::nullopt;
    }
    if (equalIgnoringCase(type, "REG_BINARY")) {
        auto bytes = parseHexBytes(data);
        return bytes
                   ? std::optional(registry::RegistryValue{registry::REG_BINARY, std::move(*bytes)})
                   : std::nullopt;
    }
    return std::nullopt;
}

bool isKnownType(std::string_view typeName) {
    for (const char* known : {"REG_SZ", "REG_EXPAND_SZ", "REG_DWORD", "REG_BINARY"}) {
        if (registry::equalIgnoringCase(typeName, known)) {
            return true;
        }
    }
    return false;
}

std::string typeName(registry::DWORD type) {
    switch (type) {
        case registry::REG_NONE:
            return "REG_NONE";
        case registry::REG_SZ:
            return "REG_SZ";
        case registry::REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case registry::REG_BINARY:
            return "REG_BINARY";
        case registry::REG_DWORD:
            return "REG_DWORD";
        default:
            return "REG_TYPE_" + std::to_string(type);
    }
}

std::string displayData(const registry::RegistryValue& value) {
    if (value.type == registry::REG_SZ || value.type == registry::REG_EXPAND_SZ) {
        return registry::textOf(value);
    }
    const auto& d = value.data;
    if (value.type == registry::REG_DWORD && d.size() == 4) {
        return formatted("0x%x", static_cast<unsigned>(d[0] | d[1] << 8 | d[2] << 16 | d[3] << 24));
    }
    std::string hex;
    for (const auto byte : d) {
        hex += formatted("%02X", byte);
    }
    return hex;
}

}  // namespace zo::tools::reg
