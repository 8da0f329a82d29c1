#pragma once
// The system folder, where Windows keeps the system's own libraries and drivers (System32). Here
// it is ZO_SYSTEM_DIR when that is set and not empty, else the folder that holds the stand-in
// system library itself, where the suite's driver and system files are found. Empty when neither is
// known.

#include <filesystem>

namespace zo::platform {

inline constexpr const char* kSystemFolderVariable = "ZO_SYSTEM_DIR";

std::filesystem::path systemFolder();

}  // namespace zo::platform
