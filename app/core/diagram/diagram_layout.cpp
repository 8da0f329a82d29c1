#include "app/core/diagram/diagram_layout.h"

namespace zo::quintel {

DiagramLayout ComputeLayout(DiagramSize zeroExtent, DiagramSize clientSize) {
    const int right = clientSize.cx - zeroExtent.cx;
    const int top = zeroExtent.cx;
    const int left = 2 * zeroExtent.cx;
    const int bottom = clientSize.cy - (2 * zeroExtent.cy + 3);
    const int cellWidth = (right - left) / 4;
    const int cellHeight = (bottom - top) / 8;
    return {{right - 4 * cellWidth, top, right, top + 8 * cellHeight}, cellWidth, cellHeight};
}

}  // namespace zo::quintel
