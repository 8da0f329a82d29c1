#pragma once
// The full path of a loaded module's file (null: the program's own); empty when the system cannot
// tell.

#include <windows.h>

#include <filesystem>

namespace zo::host::win32 {

std::filesystem::path moduleFile(HMODULE module);

}  // namespace zo::host::win32
