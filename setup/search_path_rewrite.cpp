#include "setup/search_path_rewrite.h"

namespace zo::setup {

std::optional<std::string> rewriteSearchPath(std::string text, std::string_view oldEntry,
                                             std::string_view newEntry) {
    const auto oldAt = text.find(oldEntry);
    const bool hasOld = oldAt != std::string::npos;
    const bool hasNew = text.find(newEntry) != std::string::npos;
    if (!hasOld && hasNew) {
        return std::nullopt;
    }
    if (hasOld) {
        const auto separator = text.find(';', oldAt);
        text.erase(oldAt,
                   separator == std::string::npos ? std::string::npos : separator - oldAt + 1);
    }
    if (!hasNew) {
        if (!text.empty() && text.back() != ';') {
            text += ';';
        }
        text.append(newEntry);
        text += ';';
    }
    return text;
}

}  // namespace zo::setup
