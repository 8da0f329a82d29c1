#include "platform/registry/hive_locations.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace zo::platform::registry {
namespace {

std::filesystem::path variableOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::filesystem::path homeFolder() {
    auto home = variableOrEmpty("HOME");
    if (home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr) {
            home = entry->pw_dir;
        }
    }
    return home;
}

std::filesystem::path userHiveFolder() {
    auto configHome = variableOrEmpty("XDG_CONFIG_HOME");
    if (configHome.empty() || configHome.is_relative()) {
        configHome = homeFolder() / ".config";
    }
    return configHome / "kestrava-quintel" / "registry";
}

}  // namespace

HiveFile hiveFile(Hive hive) {
    const auto override = variableOrEmpty(kRegistryFolderVariable);
    if (hive == Hive::CurrentUser) {
        return {(override.empty() ? userHiveFolder() : override) / "user.reg", "HKEY_CURRENT_USER"};
    }
    const std::filesystem::path machineFolder = "/var/lib/kestrava-quintel/registry";
    return {(override.empty() ? machineFolder : override) / "machine.reg", "HKEY_LOCAL_MACHINE"};
}

}  // namespace zo::platform::registry
