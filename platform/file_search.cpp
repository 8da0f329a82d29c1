#include "platform/file_search.h"

#include <algorithm>

#include "platform/registry/key_name.h"

namespace zo::platform {
namespace {

bool sameLetter(char a, char b) {
    return registry::equalIgnoringCase(std::string_view(&a, 1), std::string_view(&b, 1));
}

}  // namespace

bool matchesWildcard(std::string_view name, std::string_view pattern) {
    // Greedy matching that returns to the last '*' on a mismatch: linear in practice, never
    // recursive.
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::vector<DirectoryEntry> findEntries(const std::filesystem::path& folder,
                                        std::string_view pattern) {
    std::vector<DirectoryEntry> entries;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        auto name = it->path().filename().string();
        if (matchesWildcard(name, pattern)) {
            std::error_code typeError;
            entries.push_back({std::move(name), it->is_directory(typeError)});
        }
    }
    std::ranges::sort(entries, registry::LessIgnoringCase{}, &DirectoryEntry::name);
    return entries;
}

}  // namespace zo::platform
