#include "app/core/languages.h"

#include <algorithm>

namespace zo::quintel {
namespace {

std::filesystem::path withSuffix(const std::filesystem::path& base, const Language& language) {
    return base.string() + language.suffix;
}

bool isFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

const Language* FindLanguage(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kLanguages.size()) {
        return nullptr;
    }
    return &kLanguages[static_cast<std::size_t>(index)];
}

std::optional<std::filesystem::path> LanguageFileBase(const std::filesystem::path& programFile) {
    if (!programFile.has_filename() || !programFile.has_parent_path()) {
        return std::nullopt;
    }
    return programFile.parent_path() / "Languages" / programFile.stem();
}

std::vector<std::int32_t> BuildLanguageList(std::size_t capacity,
                                            const std::filesystem::path& programFile) {
    const auto base = LanguageFileBase(programFile);
    if (!base || capacity == 0) {
        return {};
    }
    std::vector<std::int32_t> list{0};
    const std::size_t end = std::min(capacity, kLanguages.size());
    for (std::size_t i = 1; i < end; ++i) {
        if (isFile(withSuffix(*base, kLanguages[i]))) {
            list.push_back(kLanguages[i].index);
        }
    }
    return list;
}

std::string LanguageDisplayName(std::int32_t index, const NativeLanguageName& nativeName) {
    const Language* language = FindLanguage(index);
    if (language == nullptr) {
        return {};
    }
    std::string name = language->name;
    if (language->showsNativeName && nativeName) {
        if (const std::string native = nativeName(*language); !native.empty()) {
            name += " (" + native + ")";
        }
    }
    return name;
}

std::optional<std::filesystem::path> LanguageModulePath(std::int32_t index,
                                                        const std::filesystem::path& programFile) {
    const Language* language = FindLanguage(index);
    const auto base = LanguageFileBase(programFile);
    if (language == nullptr || language->index == 0 || !base) {
        return std::nullopt;
    }
    return withSuffix(*base, *language);
}

}  // namespace zo::quintel
