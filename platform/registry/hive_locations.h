#pragma once
// Where the hive files are. ZO_REGISTRY_DIR, when set and not empty, names one folder for both
// hives. Otherwise the per-user hive (HKEY_CURRENT_USER) follows the XDG convention for user
// settings, $XDG_CONFIG_HOME/kestrava-quintel/registry (default ~/.config/...), and the
// machine-wide hive (HKEY_LOCAL_MACHINE, which also holds HKEY_CLASSES_ROOT) lives with the
// system's variable data in /var/lib/kestrava-quintel/registry, writable by administrators only, as
// on Windows.

#include <filesystem>

#include "platform/registry/hive_file.h"

namespace zo::platform::registry {

enum class Hive { CurrentUser, LocalMachine };

inline constexpr const char* kRegistryFolderVariable = "ZO_REGISTRY_DIR";

// The hive's file as the environment places it now.
HiveFile hiveFile(Hive hive);

}  // namespace zo::platform::registry
