#pragma once
// The polyline that draws a waveform: column k of the levels sits at x = left + k, a high column
// at `highY`, a low one at `lowY`. An edge is a vertical segment at the last column before the
// change. The line stops one pixel short of x = left + (number of columns - 1), where the plot's
// right border runs.

#include "app/core/diagram/diagram_painter.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zo::quintel {

// Replaces `path` with the corners of the waveform's line (the path is kept to reuse its storage).
// Fewer than two columns give an empty path: nothing to draw.
void BuildWaveformPath(std::span<const std::uint8_t> levels, int left, int lowY, int highY,
                       std::vector<DiagramPoint>& path);

}  // namespace zo::quintel
