#pragma once
// One registry value as stored: its type and the bytes the writer gave. Strings are narrow texts
// stored with their terminating zero, as Windows stores what RegSetValueEx is given.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry_types.h"

namespace zo::platform::registry {

struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;

    bool operator==(const RegistryValue&) const = default;
};

// A REG_SZ or REG_EXPAND_SZ value holding the text and its terminating zero.
RegistryValue textValue(DWORD type, std::string_view text);
RegistryValue dwordValue(std::uint32_t number);

// The text of a string value up to its first zero (or all of it when none is stored).
std::string textOf(const RegistryValue& value);

}  // namespace zo::platform::registry
