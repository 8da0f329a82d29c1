#pragma once
// Lists a folder's entries whose names match a pattern such as "*.dat", the way FindFirstFile and
// FindNextFile do: '*' matches any run of characters, '?' one character, letters match without
// regard to case. Every entry tells whether it is a folder, so callers can skip folders whose
// names look like files.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zo::platform {

struct DirectoryEntry {
    std::string name;
    bool isFolder = false;
};

bool matchesWildcard(std::string_view name, std::string_view pattern);

// Sorted by name without regard to case, as NTFS returns them; empty when the folder cannot be
// read. "." and ".." never appear.
std::vector<DirectoryEntry> findEntries(const std::filesystem::path& folder,
                                        std::string_view pattern);

}  // namespace zo::platform
