#pragma once
// Whether a file or folder exists at a path; false for an empty path or one that cannot be
// examined.

#include <filesystem>

namespace zo::platform {

bool pathExists(const std::filesystem::path& path) noexcept;

}  // namespace zo::platform
