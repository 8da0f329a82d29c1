#pragma once
// The three ways the library turns version texts into numbers it can compare.

#include <cstdint>
#include <optional>
#include <string_view>

namespace zo::setup {

// A version text of the form 1.11.00: the characters at positions 0, 2, 3, 5 and 6, each taken as
// a digit without validation, weighted 10000, 1000, 100, 10 and 1 and compared as unsigned 32-bit
// numbers. None for a text shorter than seven characters.
std::optional<std::uint32_t> setupVersionValue(std::string_view text);

// A MATLAB subkey name: the decimal number before the first '.' times 100 plus the decimal number
// after it (7.4 gives 704, 7.10 gives 710, 7 gives 700). 0 for a name that does not begin with a
// digit or whose number does not fit an int.
int matlabReleaseNumber(std::string_view name);

// A LabVIEW version text, a decimal number v, as (int)((v + 0.001) * 100): 8.6 gives 860. 0 for a
// text that is not a number or whose value does not fit an int.
int labviewVersionNumber(std::string_view text);

}  // namespace zo::setup
