#include "setup/path_text.h"

namespace zo::setup {

std::string withoutTrailingSeparator(std::string_view path, std::string_view separators) {
    if (!path.empty() && separators.find(path.back()) != std::string_view::npos) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

std::optional<std::string> folderOf(std::string_view path, std::string_view separators) {
    const auto last = path.find_last_of(separators);
    if (last == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(path.substr(0, last));
}

}  // namespace zo::setup
