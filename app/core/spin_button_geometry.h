#pragma once
// The picture of a digit spin button, a small button split into an upper and a lower half, each
// framed and carrying a filled arrow; the half being pressed shows its arrow one pixel right and
// one pixel down.

#include <array>

namespace zo::quintel {

enum class SpinHalf { kNone = 0, kUpper = 1, kLower = 2 };

// The half that a click at height y (client coordinates) hits: the lower one when half the client
// height, rounded down, is less than y.
SpinHalf SpinHalfAt(int y, int clientHeight);

struct SpinPoint {
    int x;
    int y;
    bool operator==(const SpinPoint&) const = default;
};

// An outline covering the pixels x .. x + width − 1 and y .. y + height − 1.
struct SpinFrame {
    int x;
    int y;
    int width;
    int height;
    bool operator==(const SpinFrame&) const = default;
};

struct SpinButtonGeometry {
    SpinFrame upperFrame;
    SpinFrame lowerFrame;
    std::array<SpinPoint, 3> upArrow;    // apex first, then the base from left to right
    std::array<SpinPoint, 3> downArrow;  // apex first, then the base from left to right
};

// For the button rectangle left, top, right, bottom (right and bottom exclusive).
SpinButtonGeometry ComputeSpinButtonGeometry(int left, int top, int right, int bottom,
                                             SpinHalf pressed);

}  // namespace zo::quintel
