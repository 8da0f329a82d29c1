#include "app/core/digit_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zo::quintel {

std::string DigitText(double value, int decimals) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    if (!std::isfinite(value)) {
        value = 0;
    }
    if (decimals == 0) {
        // Truncated in floating point: a value beyond the range of int still reads as itself.
        value = std::trunc(value);
        if (value == 0) {
            value = 0;  // -0 reads 0
        }
    }
    char buffer[400];  // the longest finite double with kMaxDecimals decimals fits
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

}  // namespace zo::quintel
