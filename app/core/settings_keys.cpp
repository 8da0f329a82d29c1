#include "app/core/settings_keys.h"

namespace zo::quintel {

namespace reg = platform::registry;

bool CreateUserSettingsKey() {
    reg::HKEY key{};
    if (reg::RegCreateKeyEx(reg::HKEY_CURRENT_USER, kUserSettingsKey, reg::KEY_WRITE, &key,
                            nullptr) != reg::ERROR_SUCCESS) {
        return false;
    }
    reg::RegCloseKey(key);
    return true;
}

std::optional<RegistryKey> OpenUserSettingsForReading() {
    return RegistryKey::open(reg::HKEY_CURRENT_USER, kUserSettingsKey, reg::KEY_READ);
}

std::optional<RegistryKey> OpenUserSettingsForWriting() {
    return RegistryKey::open(reg::HKEY_CURRENT_USER, kUserSettingsKey, reg::KEY_WRITE);
}

std::optional<RegistryKey> OpenMachineSettings() {
    return RegistryKey::open(reg::HKEY_LOCAL_MACHINE, kMachineSettingsKey, reg::KEY_READ);
}

}  // namespace zo::quintel
