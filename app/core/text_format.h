#pragma once
// The printf-style placeholders of resource texts, handled without a variadic formatter, so that a
// translated text can never make the program read an argument it did not pass.

#include <string>
#include <string_view>
#include <vector>

namespace zo::quintel {

// The placeholders of a text in order ("%d", "%.1f", ...), "%%" excluded. A '%' that
// starts no complete placeholder is returned as it stands, so it differs from any valid one.
std::vector<std::string> Placeholders(std::string_view text);

// The text with every "%d" replaced by the value and every "%%" by '%'; other characters, also
// other placeholders, are copied unchanged.
std::string FormatInteger(std::string_view pattern, long long value);

}  // namespace zo::quintel
