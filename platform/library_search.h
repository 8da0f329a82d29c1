#pragma once
// Where a shared library given by file name is looked for (platform/shared_library.h): a name
// with a folder in it only there; a plain file name in the folder of the running program, then
// in the system folder.

#include <filesystem>
#include <string>
#include <vector>

namespace zo::platform {

std::vector<std::filesystem::path> librarySearchCandidates(const std::string& fileName);

}  // namespace zo::platform
