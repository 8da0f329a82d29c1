#pragma once
// Writes keys as .reg text (Windows Registry Editor version 5.00), the form hive files are kept in
// and `reg export` produces. parseRegText reads back exactly what this writes.

#include <string>
#include <string_view>

#include "platform/registry/key_node.h"

namespace zo::platform::registry {

// The header line, then `key` under the name `keyPath` (e.g. HKEY_CURRENT_USER\Software) and every
// key below it, in name order, each with its values.
std::string writeRegText(const KeyNode& key, std::string_view keyPath);

}  // namespace zo::platform::registry
