#pragma once
// Compares a translated string table with the English one. An entry may only take the place of
// an English text with the same placeholders: a translation whose "%d" went missing, or which
// gained a "%s", would make the program format it wrongly.

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/string_table.h"

namespace zo::quintel {

struct LanguageTableCheck {
    StringTable usable;                  // the entries that may be installed
    std::vector<std::string> problems;   // one line per refused entry
    std::vector<std::uint32_t> missing;  // English ids without a translation, ascending
};

LanguageTableCheck CheckLanguageTable(const StringTable& translated);

}  // namespace zo::quintel
