#include "app/core/string_table.h"

#include <utility>

namespace zo::quintel {
namespace {

StringTable& languageStrings() {
    static StringTable table;
    return table;
}

}  // namespace

const StringTable& EnglishStrings() {
    static const StringTable table = {
        {1, "Kestrava Quintel Signal Generator"},
        {57344, "Kestrava Quintel"},
    };
    return table;
}

std::string ResourceString(std::uint32_t id) {
    if (auto found = languageStrings().find(id); found != languageStrings().end()) {
        return found->second;
    }
    if (auto found = EnglishStrings().find(id); found != EnglishStrings().end()) {
        return found->second;
    }
    return {};
}

void InstallLanguageStrings(StringTable table) {
    languageStrings() = std::move(table);
}

}  // namespace zo::quintel
