#pragma once
// String values of a file for import, as the narrow UTF-8 text the registry keeps. A Windows
// export writes REG_EXPAND_SZ values (and REG_SZ values the quoted form cannot hold) as hex(2) and
// hex(1) bytes of UTF-16LE text with its terminating zero; converting the file to UTF-8 leaves
// those bytes as they are, so they still hold UTF-16.

#include <optional>
#include <string>

#include "platform/registry/registry_value.h"

namespace zo::platform::registry {

// Leaves every value but REG_SZ and REG_EXPAND_SZ, and narrow text (text, then zero bytes only),
// as it is. Data that goes on after its first zero byte is taken as UTF-16LE text and converted
// to UTF-8 with one terminating zero. Answers why the data was refused when it is neither: odd in
// length, a broken surrogate pair, more text after the terminating zero, or converted text larger
// than a value may be.
std::optional<std::string> convertImportedText(RegistryValue& value);

}  // namespace zo::platform::registry
