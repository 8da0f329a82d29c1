#pragma once
// The timing diagram of all eight channels as one picture: a black plot with a dotted green grid
// of one row per channel, the channel numbers on the left, a time axis in milliseconds below, and
// each channel's waveform, the current channel's in red and the others in yellow. Everything is
// recomputed from the channel configuration on every repaint; the window that shows the picture
// only supplies a painter and its size.

#include "app/core/device_config.h"
#include "app/core/diagram/diagram_layout.h"
#include "app/core/diagram/diagram_painter.h"
#include "app/core/diagram/diagram_trace.h"

#include <cstdint>
#include <vector>

namespace zo::quintel {

// The diagram's text font.
inline constexpr DiagramFont kDiagramFont{"Courier New", 14, 400, true};

class TimeDiagram {
  public:
    // The record to draw; without one only the empty grid and the channel numbers are drawn. The
    // record must outlive the diagram or be replaced first.
    void SetConfig(const DeviceConfig* config) { m_pConfig = config; }
    const DeviceConfig* Config() const { return m_pConfig; }

    // With `automatic` the time range follows the channels that are on; otherwise it is
    // `timeBase` µs (0 or less: no time axis, every channel at its shortest pattern).
    void SetTimeBase(bool automatic, std::int32_t timeBase) {
        m_bAuto = automatic;
        m_nTimeBase = timeBase;
    }

    // The last non-zero automatic time range in µs, 0 until there was one.
    std::int32_t AutoRange() const { return m_nAutoRange; }

    // The time range in µs that a repaint draws now, updating AutoRange() exactly as the repaint
    // does. An automatic time range with no channel on is 0 and keeps AutoRange() as it was.
    std::int32_t ComputeTimeRange();

    // Paints the whole picture into a window of `clientSize` pixels.
    void Paint(DiagramPainter& painter, DiagramSize clientSize);

  private:
    void DrawWaveforms(DiagramPainter& painter, const DiagramLayout& layout,
                       std::int32_t timeRange);

    const DeviceConfig* m_pConfig = nullptr;
    bool m_bAuto = true;
    std::int32_t m_nTimeBase = 0;
    std::int32_t m_nAutoRange = 0;
    DiagramRenderer m_renderer;
    std::vector<DiagramPoint> m_path;
};

}  // namespace zo::quintel
