#pragma once
// A product of two 64-bit numbers divided by a third, exactly: the input signals turn ticks into
// half periods and back through such products, which need 128 bits. Compilers for 64-bit targets
// have a 128-bit integer; the 32-bit Windows compiler does not, and there the long multiplication
// and division below do the same work.

#include <cstdint>

namespace zo::hub::wide {

struct Product {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
};

constexpr Product multiply(std::uint64_t a, std::uint64_t b) {
    constexpr std::uint64_t kHalf = 0xFFFF'FFFF;
    const std::uint64_t lowLow = (a & kHalf) * (b & kHalf);
    const std::uint64_t lowHigh = (a & kHalf) * (b >> 32);
    const std::uint64_t highLow = (a >> 32) * (b & kHalf);
    const std::uint64_t highHigh = (a >> 32) * (b >> 32);
    const std::uint64_t middle = (lowLow >> 32) + (lowHigh & kHalf) + (highLow & kHalf);
    return {highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
            (middle << 32) | (lowLow & kHalf)};
}

constexpr Product add(Product product, std::uint64_t value) {
    product.low += value;
    if (product.low < value) {
        ++product.high;
    }
    return product;
}

// The quotient of `dividend` by `divisor`, which must be below 2^64 (dividend.high < divisor),
// found bit by bit as in long division.
constexpr std::uint64_t divide(Product dividend, std::uint64_t divisor) {
    std::uint64_t remainder = dividend.high;
    std::uint64_t quotient = 0;
    for (int bit = 63; bit >= 0; --bit) {
        const bool overflow = (remainder >> 63) != 0;
        remainder = (remainder << 1) | ((dividend.low >> bit) & 1);
        quotient <<= 1;
        if (overflow || remainder >= divisor) {
            remainder -= divisor;
            quotient |= 1;
        }
    }
    return quotient;
}

// floor(a × b / c) and ceil(a × b / c); the result must be below 2^64.
inline std::uint64_t multiplyDivide(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
#ifdef __SIZEOF_INT128__
    __extension__ using Native = unsigned __int128;
    return static_cast<std::uint64_t>(Native{a} * b / c);
#else
    return divide(multiply(a, b), c);
#endif
}

inline std::uint64_t multiplyDivideUp(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
#ifdef __SIZEOF_INT128__
    __extension__ using Native = unsigned __int128;
    return static_cast<std::uint64_t>((Native{a} * b + c - 1) / c);
#else
    return divide(add(multiply(a, b), c - 1), c);
#endif
}

}  // namespace zo::hub::wide
