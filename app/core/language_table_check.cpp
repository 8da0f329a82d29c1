#include "app/core/language_table_check.h"

#include "app/core/text_format.h"

namespace zo::quintel {

LanguageTableCheck CheckLanguageTable(const StringTable& translated) {
    LanguageTableCheck check;
    const StringTable& english = EnglishStrings();
    for (const auto& [id, text] : translated) {
        auto original = english.find(id);
        if (original == english.end()) {
            check.problems.push_back("id " + std::to_string(id) + " is not a text of the program");
        } else if (Placeholders(text) != Placeholders(original->second)) {
            check.problems.push_back("id " + std::to_string(id) +
                                     " does not have the placeholders of the English text");
        } else {
            check.usable.emplace(id, text);
        }
    }
    for (const auto& [id, text] : english) {
        if (!translated.contains(id)) {
            check.missing.push_back(id);
        }
    }
    return check;
}

}  // namespace zo::quintel
