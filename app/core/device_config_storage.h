#pragma once
// The channel configuration between runs: the REG_BINARY "<n>_DeviceCfg" (1304 bytes, the record
// as it lies in memory) of the user's settings, with the installer's machine-wide value of the
// same name as the preset when the user has none.

#include <cstdint>

#include "app/core/device_config.h"

namespace zo::quintel {

// Fills `config` for device index `n`; never fails. The user's value when it carries the size
// word 1304; else, when the user's settings key opens, the machine-wide preset when it carries
// it; else the defaults. A value longer than 1304 bytes is not read; a shorter one with the size
// word replaces only the bytes it has. The record taken is brought inside its limits
// (app/core/config_limits.h) and its measured periods are cleared.
void LoadDeviceConfig(DeviceConfig& config, std::uint32_t n);

// Sets the size word to 1304 and stores the record as the user's value for device index `n`;
// does nothing when the user's settings key does not open.
void SaveDeviceConfig(DeviceConfig& config, std::uint32_t n);

}  // namespace zo::quintel
