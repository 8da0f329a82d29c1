// The long multiplication and division the 32-bit build uses give what 128-bit integers give.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "hub/wide_arithmetic.h"

namespace zo::hub::wide {
namespace {

// The 64-bit compilers the tests run on have the native type to compare with.
__extension__ using Native = unsigned __int128;

Native nativeOf(Product product) {
    return (Native{product.high} << 64) | product.low;
}

constexpr std::array<std::uint64_t, 10> kValues = {0,
                                                   1,
                                                   2,
                                                   0xFFFF'FFFF,
                                                   0x1'0000'0000,
                                                   25'000'000'000'000,
                                                   2'999'999'900'000,
                                                   0x8000'0000'0000'0000,
                                                   0xFFFF'FFFF'FFFF'FFFE,
                                                   0xFFFF'FFFF'FFFF'FFFF};

TEST(WideArithmetic, ProductsSumsAndQuotientsAgreeWithNativeIntegers) {
    for (const std::uint64_t a : kValues) {
        for (const std::uint64_t b : kValues) {
            const Product product = multiply(a, b);
            ASSERT_EQ(nativeOf(product), Native{a} * b) << a << " x " << b;
            for (const std::uint64_t added : kValues) {
                ASSERT_EQ(nativeOf(add(product, added)), Native{a} * b + added)
                    << a << " x " << b << " + " << added;
            }
            for (const std::uint64_t divisor : kValues) {
                if (divisor == 0 || product.high >= divisor) {
                    continue;  // the quotient would not fit in 64 bits
                }
                ASSERT_EQ(divide(product, divisor),
                          static_cast<std::uint64_t>(nativeOf(product) / divisor))
                    << a << " x " << b << " / " << divisor;
            }
        }
    }
}

TEST(WideArithmetic, RoundsDownAndUpAsTheInputsCountTicks) {
    // 2^62 ticks at 2 999 999.9 Hz: the product needs more than 64 bits.
    const std::uint64_t tick = std::uint64_t{1} << 62;
    const std::uint64_t halfPeriods = 29'999'999;
    const std::uint64_t perTicks = 250'000'000;
    const std::uint64_t down = multiplyDivide(tick, halfPeriods, perTicks);
    EXPECT_EQ(down, static_cast<std::uint64_t>(Native{tick} * halfPeriods / perTicks));
    EXPECT_EQ(divide(multiply(tick, halfPeriods), perTicks), down);
    const std::uint64_t up = multiplyDivideUp(down + 1, perTicks, halfPeriods);
    EXPECT_EQ(up, divide(add(multiply(down + 1, perTicks), halfPeriods - 1), halfPeriods));
    EXPECT_GT(up, tick);
    EXPECT_EQ(multiplyDivideUp(6, 4, 3), 8u);
    EXPECT_EQ(multiplyDivideUp(7, 1, 3), 3u);
    EXPECT_EQ(multiplyDivide(7, 1, 3), 2u);
}

}  // namespace
}  // namespace zo::hub::wide
