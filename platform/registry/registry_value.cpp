#include "platform/registry/registry_value.h"

#include <algorithm>

namespace zo::platform::registry {

RegistryValue textValue(DWORD type, std::string_view text) {
    RegistryValue value{type, {text.begin(), text.end()}};
    value.data.push_back(0);
    return value;
}

RegistryValue dwordValue(std::uint32_t number) {
    // REG_DWORD is little-endian, whatever the host.
    return {REG_DWORD,
            {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
             static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)}};
}

std::string textOf(const RegistryValue& value) {
    const auto end = std::ranges::find(value.data, std::uint8_t{0});
    return {value.data.begin(), end};
}

}  // namespace zo::platform::registry
