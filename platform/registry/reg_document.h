#pragma once
// The content of a .reg file (Windows Registry Editor version 5.00) as records: key blocks in file
// order, each with the values it sets or removes. Hive files and files for import share it.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/key_node.h"
#include "platform/registry/registry_value.h"

namespace zo::platform::registry {

struct ValueLine {
    std::string name;                    // empty: the key's default value ("@")
    std::optional<RegistryValue> value;  // none: "name"=- removes the value
};

struct KeyBlock {
    std::size_t line = 0;           // of the "[...]" line, for messages
    std::vector<std::string> path;  // starting with the root's name, e.g. HKEY_CURRENT_USER
    bool remove = false;            // "[-...]": remove the key and everything below it
    std::vector<ValueLine> values;
};

struct RegDocument {
    std::vector<KeyBlock> blocks;
};

inline constexpr std::string_view kRegFileHeader = "Windows Registry Editor Version 5.00";
// Larger files are refused before parsing: no hive of this suite comes near it.
inline constexpr std::size_t kMaxRegTextSize = 16 * 1024 * 1024;

// Carries out one block on the key `root` stands for: `path` names the block's key below `root`
// (an empty path is `root` itself, which a removing block empties).
void applyKeyBlock(KeyNode& root, std::span<const std::string> path, const KeyBlock& block);

}  // namespace zo::platform::registry
