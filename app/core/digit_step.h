#pragma once
// Values are edited digit by digit: each digit of a row of single-digit cells is stepped on its
// own, wrapping from 9 to 0 and from 0 to 9 without a carry into its neighbour.

#include <cstdint>

namespace zo::quintel {

inline constexpr int kMaxDigitCells = 9;

// The value shown in cellCount cells (1..kMaxDigitCells; digits above them are dropped) with digit
// k (0 = units) stepped up or down. A digit outside the cells leaves the shown value unchanged.
std::uint32_t StepDigit(std::uint32_t value, int cellCount, int digit, bool up);

}  // namespace zo::quintel
