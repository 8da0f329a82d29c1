#include "app/core/digit_step.h"

#include <algorithm>

namespace zo::quintel {

std::uint32_t StepDigit(std::uint32_t value, int cellCount, int digit, bool up) {
    cellCount = std::clamp(cellCount, 1, kMaxDigitCells);
    std::uint32_t result = 0;
    std::uint32_t weight = 1;
    for (int k = 0; k < cellCount; ++k, weight *= 10, value /= 10) {
        std::uint32_t d = value % 10;
        if (k == digit) {
            d = up ? (d + 1) % 10 : (d + 9) % 10;
        }
        result += d * weight;
    }
    return result;
}

}  // namespace zo::quintel
