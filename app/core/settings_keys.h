#pragma once
// The two registry keys of the program: the user's own settings, which the program creates at
// start-up and writes, and the machine-wide key that the installer writes and the program only
// reads (presets, installation folder, version texts).

#include <optional>

#include "app/core/registry_key.h"

namespace zo::quintel {

inline constexpr const char* kUserSettingsKey = "Software\\Valdra\\Kestrava Quintel\\Settings";
inline constexpr const char* kMachineSettingsKey = "Software\\Valdra\\ZoQN\\CurrentVersion";

// Creates the user's settings key when it does not exist yet; every later write of the program
// relies on it. False when the registry refuses.
bool CreateUserSettingsKey();

std::optional<RegistryKey> OpenUserSettingsForReading();
std::optional<RegistryKey> OpenUserSettingsForWriting();
std::optional<RegistryKey> OpenMachineSettings();

}  // namespace zo::quintel
