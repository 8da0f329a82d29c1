#pragma once
// The text form of a string table, in which translations are written and kept: UTF-8, one entry
// per line as the decimal resource id, a tab and the text. In the text "\n" stands for a line
// break, "\t" for a tab and "\\" for a backslash. Empty lines and lines starting with '#' are
// comments.

#include <cstddef>
#include <string>
#include <string_view>

#include "app/core/string_table.h"

namespace zo::quintel {

struct LanguageTextError {
    std::size_t line = 0;  // 1-based
    std::string message;
};

// Reads a whole text. On the first malformed line (no tab, an id that is not a decimal 32-bit
// number, an unknown escape, an empty text, an id given twice, bytes that are not UTF-8) it
// returns false, describes the line in error and leaves table untouched.
bool ParseLanguageText(std::string_view text, StringTable& table, LanguageTextError& error);

// The table as text, in ascending id order, readable by ParseLanguageText.
std::string FormatLanguageText(const StringTable& table);

}  // namespace zo::quintel
