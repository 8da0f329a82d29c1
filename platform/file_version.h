#pragma once
// Reads the file version of a shared object (see platform/file_version_note.h), as Windows reads
// the version resource of a DLL. None when the file cannot be read, is not an ELF file, or has no
// version note; a malformed file is refused, never read beyond its end.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace zo::platform {

using FileVersion = std::array<std::uint16_t, 4>;  // major, minor, patch, build

std::optional<FileVersion> readFileVersion(const std::filesystem::path& file);
// The same on the bytes of a file already in memory.
std::optional<FileVersion> findFileVersion(std::span<const std::uint8_t> image);

}  // namespace zo::platform
