#pragma once
// The full path of the running program's file, as Windows reports it for the process's own
// module. Empty when the system cannot tell.

#include <filesystem>

namespace zo::platform {

std::filesystem::path runningProgramFile();

}  // namespace zo::platform
