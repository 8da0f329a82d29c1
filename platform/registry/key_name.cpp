#include "platform/registry/key_name.h"

#include <algorithm>

#include "platform/registry/registry_types.h"

namespace zo::platform::registry {
namespace {

char foldCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

}  // namespace

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return foldCase(x) == foldCase(y); });
}

bool LessIgnoringCase::operator()(std::string_view a, std::string_view b) const {
    return std::ranges::lexicographical_compare(a, b, [](char x, char y) {
        return static_cast<unsigned char>(foldCase(x)) < static_cast<unsigned char>(foldCase(y));
    });
}

std::optional<std::vector<std::string>> splitKeyPath(std::string_view path) {
    std::vector<std::string> names;
    if (path.empty()) {
        return names;
    }
    while (true) {
        const auto separator = path.find('\\');
        const auto name = path.substr(0, separator);
        if (name.empty() || name.size() > kMaxKeyNameLength ||
            std::ranges::any_of(name, isControl) || names.size() == kMaxKeyDepth) {
            return std::nullopt;
        }
        names.emplace_back(name);
        if (separator == std::string_view::npos) {
            return names;
        }
        path.remove_prefix(separator + 1);
    }
}

std::string joinKeyPath(const std::vector<std::string>& names) {
    std::string path;
    for (const auto& name : names) {
        if (!path.empty()) {
            path += '\\';
        }
        path += name;
    }
    return path;
}

}  // namespace zo::platform::registry
