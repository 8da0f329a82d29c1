#pragma once
// The three roots and where a key opened below one of them is stored. HKEY_CLASSES_ROOT is the
// machine hive's Software\Classes. A program that uses the 32-bit view of the registry (a 32-bit
// program under emulation that does not ask for KEY_WOW64_64KEY, or any program that asks for
// KEY_WOW64_32KEY) finds HKEY_LOCAL_MACHINE\Software\X at Software\WOW6432Node\X; the keys
// Software itself and Software\Classes are shared by both views.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/hive_locations.h"
#include "platform/registry/outcome.h"
#include "platform/registry/registry_types.h"

namespace zo::platform::registry {

enum class Root { ClassesRoot, CurrentUser, LocalMachine };

// Accepts the full names (HKEY_LOCAL_MACHINE) and the short ones (HKLM), in any case.
std::optional<Root> rootNamed(std::string_view name);
std::string_view rootName(Root root);

struct KeyLocation {
    Hive hive = Hive::CurrentUser;
    std::vector<std::string> path;  // below the hive's root

    bool operator==(const KeyLocation&) const = default;
};

KeyLocation rootLocation(Root root);

// Where `subkey` below `base` is stored when opened with `access`, after view redirection; none
// when that key would lie deeper than a hive file holds (kMaxKeyDepth names with the root's).
std::optional<KeyLocation> locateKey(const KeyLocation& base, std::span<const std::string> subkey,
                                     REGSAM access);

// Where a full key name such as HKLM\Software\X or HKEY_CURRENT_USER is stored when opened with
// `access`; ERROR_INVALID_PARAMETER with the reason for an unknown root, an invalid name or a key
// too deep for its hive.
Outcome<KeyLocation> locateKeyName(std::string_view name, REGSAM access);

}  // namespace zo::platform::registry
