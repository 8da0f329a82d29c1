#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/core/digit_step.h"
#include "app/core/digit_text.h"

namespace zo::quintel {
namespace {

TEST(StepDigit, WrapsTheSteppedDigitWithoutCarry) {
    EXPECT_EQ(StepDigit(19, 7, 0, true), 10u);
    EXPECT_EQ(StepDigit(990, 7, 1, true), 900u);
    EXPECT_EQ(StepDigit(1, 7, 0, false), 0u);
    EXPECT_EQ(StepDigit(0, 6, 0, false), 9u);
    EXPECT_EQ(StepDigit(100000, 7, 5, true), 200000u);
    EXPECT_EQ(StepDigit(99999999, 8, 7, true), 9999999u);
}

TEST(StepDigit, KeepsOnlyTheDigitsTheRowShows) {
    EXPECT_EQ(StepDigit(1234567, 6, 0, true), 234568u);
    EXPECT_EQ(StepDigit(65535, 6, 6, true), 65535u);  // a digit beyond the cells steps nothing
    EXPECT_EQ(StepDigit(4294967295u, 20, 0, true), 294967296u);  // at most nine cells
}

TEST(DigitText, ShowsDecimalsOrTruncatesTowardZero) {
    EXPECT_EQ(DigitText(1234.5, 1), "1234.5");
    EXPECT_EQ(DigitText(0, 1), "0.0");
    EXPECT_EQ(DigitText(7.9, 0), "7");
    EXPECT_EQ(DigitText(-7.9, 0), "-7");
    EXPECT_EQ(DigitText(-0.4, 0), "0");
    EXPECT_EQ(DigitText(3.7, -2), "3");
}

TEST(DigitText, ValuesBeyondIntegerRangeOrNotFiniteStayReadable) {
    EXPECT_EQ(DigitText(1e12 + 0.5, 0), "1000000000000");
    EXPECT_EQ(DigitText(std::numeric_limits<double>::quiet_NaN(), 1), "0.0");
    EXPECT_EQ(DigitText(std::numeric_limits<double>::infinity(), 0), "0");
    EXPECT_EQ(DigitText(-std::numeric_limits<double>::max(), 1000).size(), 309u + 1 + 1 + 15);
}

}  // namespace
}  // namespace zo::quintel
