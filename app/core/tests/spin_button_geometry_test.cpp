#include "app/core/spin_button_geometry.h"

#include <gtest/gtest.h>

namespace zo::quintel {
namespace {

TEST(SpinHalfAt, TheMiddleRowBelongsToTheUpperHalf) {
    EXPECT_EQ(SpinHalfAt(9, 20), SpinHalf::kUpper);
    EXPECT_EQ(SpinHalfAt(10, 20), SpinHalf::kUpper);
    EXPECT_EQ(SpinHalfAt(11, 20), SpinHalf::kLower);
    EXPECT_EQ(SpinHalfAt(0, 21), SpinHalf::kUpper);
    EXPECT_EQ(SpinHalfAt(20, 21), SpinHalf::kLower);
}

TEST(SpinButtonGeometry, FramesBothHalvesAndPointsTheArrowsApart) {
    SpinButtonGeometry g = ComputeSpinButtonGeometry(0, 0, 13, 20, SpinHalf::kNone);
    EXPECT_EQ(g.upperFrame, (SpinFrame{0, 0, 12, 10}));
    EXPECT_EQ(g.lowerFrame, (SpinFrame{0, 9, 12, 10}));
    EXPECT_EQ(g.upArrow, (std::array<SpinPoint, 3>{{{6, 3}, {3, 6}, {9, 6}}}));
    EXPECT_EQ(g.downArrow, (std::array<SpinPoint, 3>{{{6, 15}, {3, 12}, {9, 12}}}));
}

TEST(SpinButtonGeometry, OnlyThePressedHalfMovesItsArrowOnePixelRightAndDown) {
    SpinButtonGeometry normal = ComputeSpinButtonGeometry(4, 2, 17, 22, SpinHalf::kNone);
    SpinButtonGeometry upper = ComputeSpinButtonGeometry(4, 2, 17, 22, SpinHalf::kUpper);
    SpinButtonGeometry lower = ComputeSpinButtonGeometry(4, 2, 17, 22, SpinHalf::kLower);

    EXPECT_EQ(upper.upArrow[0], (SpinPoint{normal.upArrow[0].x + 1, normal.upArrow[0].y + 1}));
    EXPECT_EQ(upper.upArrow[2], (SpinPoint{normal.upArrow[2].x + 1, normal.upArrow[2].y + 1}));
    EXPECT_EQ(upper.downArrow, normal.downArrow);
    EXPECT_EQ(lower.downArrow[1],
              (SpinPoint{normal.downArrow[1].x + 1, normal.downArrow[1].y + 1}));
    EXPECT_EQ(lower.upArrow, normal.upArrow);
    EXPECT_EQ(lower.upperFrame, normal.upperFrame);
}

}  // namespace
}  // namespace zo::quintel
