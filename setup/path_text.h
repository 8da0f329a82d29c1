#pragma once
// Cutting paths held as text. Paths the library builds or takes from its caller use this
// platform's separator; paths read from registry values may also use the backslash of Windows.

#include <optional>
#include <string>
#include <string_view>

namespace zo::setup {

inline constexpr char kPathSeparator = '/';
inline constexpr std::string_view kPlatformSeparators = "/";
inline constexpr std::string_view kRegistryPathSeparators = "/\\";

// The text without one trailing separator, when it ends in one.
std::string withoutTrailingSeparator(std::string_view path, std::string_view separators);

// The text before its last separator (the folder of a file); none when it has no separator.
std::optional<std::string> folderOf(std::string_view path, std::string_view separators);

}  // namespace zo::setup
