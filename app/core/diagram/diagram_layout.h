#pragma once
// Where the plot goes in the window: a grid of 4 columns by 8 rows of cells (one row per channel,
// channel 0 at the top), with room for the channel numbers on the left and the time axis below.

#include "app/core/diagram/diagram_painter.h"

namespace zo::quintel {

struct DiagramLayout {
    DiagramRect plot;
    int cellWidth;
    int cellHeight;

    // Pixel columns of the plot, one level of each waveform per column.
    int Columns() const { return plot.right - plot.left; }
};

// `zeroExtent` is the size of the text "0" in the diagram's font, `clientSize` the window's. The
// plot keeps a margin of two digits on the left, one on the right and top and two text lines
// below; it shrinks to whole cells, keeping its right and top edges.
DiagramLayout ComputeLayout(DiagramSize zeroExtent, DiagramSize clientSize);

}  // namespace zo::quintel
