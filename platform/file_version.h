#pragma once
// Reads the file version of a shared library: on Windows its version resource (VERSIONINFO), on
// Linux its version note (platform/file_version_note.h). None when the file cannot be read or
// states no version; a malformed file is refused, never read beyond its end.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace zo::platform {

using FileVersion = std::array<std::uint16_t, 4>;  // major, minor, patch, build

std::optional<FileVersion> readFileVersion(const std::filesystem::path& file);

}  // namespace zo::platform
