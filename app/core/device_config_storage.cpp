#include "app/core/device_config_storage.h"

#include <optional>
#include <span>
#include <string>

#include "app/core/config_limits.h"
#include "app/core/settings_keys.h"

namespace zo::quintel {
namespace {

std::string valueName(std::uint32_t n) {
    return std::to_string(n) + "_DeviceCfg";
}

// The record stored under `name`, over the defaults, when it carries the size word. A rejected
// value leaves nothing behind for the next place to look.
std::optional<DeviceConfig> readStored(const RegistryKey& key, const std::string& name) {
    DeviceConfig config;
    SetDefaultConfig(config);
    key.readBytes(name.c_str(), std::as_writable_bytes(std::span(&config, 1)));
    if (config.size != kDeviceConfigSize) {
        return std::nullopt;
    }
    return config;
}

}  // namespace

void LoadDeviceConfig(DeviceConfig& config, std::uint32_t n) {
    SetDefaultConfig(config);
    const std::string name = valueName(n);
    if (const auto user = OpenUserSettingsForReading()) {
        std::optional<DeviceConfig> stored = readStored(*user, name);
        if (!stored) {
            if (const auto machine = OpenMachineSettings()) {
                stored = readStored(*machine, name);
            }
        }
        if (stored) {
            config = *stored;
            ClampDeviceConfig(config);
        }
    }
    config.measuredPeriodA = 0;
    config.measuredPeriodB = 0;
}

void SaveDeviceConfig(DeviceConfig& config, std::uint32_t n) {
    if (const auto user = OpenUserSettingsForWriting()) {
        config.size = kDeviceConfigSize;
        user->writeBinary(valueName(n).c_str(), std::as_bytes(std::span(&config, 1)));
    }
}

}  // namespace zo::quintel
