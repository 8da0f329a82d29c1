#pragma once
// Registry values as the reg tool reads them from its command line and shows them.

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/registry_value.h"

namespace zo::tools::reg {

// The value of type `typeName` (REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY) with `data`: text;
// a number in decimal or 0x-hexadecimal; or hexadecimal digit pairs. None when either is invalid.
std::optional<platform::registry::RegistryValue> parseValue(std::string_view typeName,
                                                            std::string_view data);

// True for the types add takes: REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY, in any case.
bool isKnownType(std::string_view typeName);

std::string typeName(platform::registry::DWORD type);

// The data as `reg query` shows it: text, 0x-hexadecimal numbers, or hexadecimal bytes.
std::string displayData(const platform::registry::RegistryValue& value);

}  // namespace zo::tools::reg
