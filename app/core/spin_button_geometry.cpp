#include "app/core/spin_button_geometry.h"

namespace zo::quintel {
namespace {

void shiftPressed(std::array<SpinPoint, 3>& arrow) {
    for (SpinPoint& point : arrow) {
        ++point.x;
        ++point.y;
    }
}

}  // namespace

SpinHalf SpinHalfAt(int y, int clientHeight) {
    return clientHeight / 2 < y ? SpinHalf::kLower : SpinHalf::kUpper;
}

SpinButtonGeometry ComputeSpinButtonGeometry(int left, int top, int right, int bottom,
                                             SpinHalf pressed) {
    const int centre = (right + left - 1) / 2;
    const int half = (bottom - top) / 2;
    const int upApex = top + (bottom - top) / 4 - 2;
    const int downApex = bottom - half / 2;

    SpinButtonGeometry geometry{
        .upperFrame = {left, top, right - 1 - left, half},
        .lowerFrame = {left, top + half - 1, right - 1 - left, (bottom - 1) - (top + half - 1)},
        .upArrow = {{{centre, upApex}, {centre - 3, upApex + 3}, {centre + 3, upApex + 3}}},
        .downArrow = {{{centre, downApex}, {centre - 3, downApex - 3}, {centre + 3, downApex - 3}}},
    };
    if (pressed == SpinHalf::kUpper) {
        shiftPressed(geometry.upArrow);
    } else if (pressed == SpinHalf::kLower) {
        shiftPressed(geometry.downArrow);
    }
    return geometry;
}

}  // namespace zo::quintel
