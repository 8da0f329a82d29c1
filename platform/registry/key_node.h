#pragma once
// A key in memory: its subkeys and values, both found by name without regard to case and kept in
// that order (so enumeration and hive files are deterministic). A subkey keeps the spelling it was
// created with. A tree of these is one hive, read from and written to its file as a whole.

#include <map>
#include <memory>
#include <span>
#include <string>

#include "platform/registry/key_name.h"
#include "platform/registry/registry_value.h"

namespace zo::platform::registry {

struct KeyNode {
    std::map<std::string, std::unique_ptr<KeyNode>, LessIgnoringCase> subkeys;
    std::map<std::string, RegistryValue, LessIgnoringCase> values;
};

const KeyNode* findKey(const KeyNode& root, std::span<const std::string> path);
KeyNode* findKey(KeyNode& root, std::span<const std::string> path);

struct CreatedKey {
    KeyNode& key;
    bool created;  // false: the whole path existed already
};
CreatedKey createKey(KeyNode& root, std::span<const std::string> path);

// Removes the key at a non-empty path with everything below it; false when there is none.
bool removeKey(KeyNode& root, std::span<const std::string> path);

}  // namespace zo::platform::registry
