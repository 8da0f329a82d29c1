#pragma once
// The text of an instrument-style read-out: a number with a fixed count of decimals, or, with no
// decimals, the number truncated toward zero (7.9 reads 7, never 8).

#include <string>

namespace zo::quintel {

inline constexpr int kMaxDecimals = 15;

// decimals is taken as 0 below 0 and as kMaxDecimals above it. A value that is not finite reads 0.
std::string DigitText(double value, int decimals);

}  // namespace zo::quintel
