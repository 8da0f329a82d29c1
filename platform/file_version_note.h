#pragma once
// The file version resource of a shared object on this platform: an ELF note (section
// ".note.zo.version", owner "Valdra", type 1) whose descriptor holds the four 16-bit numbers of
// the file version, most significant first. A shared object states its version with
// ZO_FILE_VERSION_NOTE in one of its sources; readFileVersion (platform/file_version.h) reads it
// back from the file without loading it.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/file_version.h"

namespace zo::platform {

inline constexpr std::uint32_t kFileVersionNoteType = 1;
inline constexpr std::array<char, 8> kFileVersionNoteOwner = {'V', 'a', 'l', 'd', 'r', 'a', 0, 0};

struct FileVersionNote {
    std::uint32_t ownerSize;       // bytes of the owner name with its terminator: 7
    std::uint32_t descriptorSize;  // bytes of the version numbers: 8
    std::uint32_t type;            // kFileVersionNoteType
    std::array<char, 8> owner;     // "Valdra", padded to four-byte alignment
    std::array<std::uint16_t, 4> version;
};
static_assert(sizeof(FileVersionNote) == 28);

// The version note in the bytes of an ELF file already in memory.
std::optional<FileVersion> findFileVersion(std::span<const std::uint8_t> image);

}  // namespace zo::platform

// Places the file version major.minor.patch.build into the shared object being built.
#define ZO_FILE_VERSION_NOTE(major, minor, patch, build)                                   \
    [[gnu::section(".note.zo.version"), gnu::used,                                         \
      gnu::aligned(4)]] static constexpr zo::platform::FileVersionNote zoFileVersionNote { \
        7, 8, zo::platform::kFileVersionNoteType, zo::platform::kFileVersionNoteOwner, {   \
            major, minor, patch, build                                                     \
        }                                                                                  \
    }
