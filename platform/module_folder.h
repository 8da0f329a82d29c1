#pragma once
// The folder of the loaded module (shared library or program file) that holds an address, as
// Windows tells it for a module handle. Empty when the system cannot tell.

#include <filesystem>

namespace zo::platform {

std::filesystem::path folderOfModuleContaining(const void* address);

}  // namespace zo::platform
