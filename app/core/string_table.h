#pragma once
// The texts the program shows, keyed by their resource ids. English is built in; a loaded language
// replaces the entries it carries, and an id it lacks keeps its English text.

#include <cstdint>
#include <map>
#include <string>

namespace zo::quintel {

using StringTable = std::map<std::uint32_t, std::string>;

// The built-in English table.
const StringTable& EnglishStrings();

// The text of a resource id in UTF-8: the installed language's, else English, else empty.
std::string ResourceString(std::uint32_t id);

// Makes the entries of a language table take precedence over English from now on; an empty table
// returns to English.
void InstallLanguageStrings(StringTable table);

}  // namespace zo::quintel
