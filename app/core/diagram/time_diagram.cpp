#include "app/core/diagram/time_diagram.h"

#include "app/core/diagram/time_range.h"
#include "app/core/diagram/waveform_path.h"
#include "app/core/string_ids.h"
#include "app/core/string_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

namespace zo::quintel {
namespace {

constexpr DiagramPen kGridPen{PenStyle::kDotted, 1, kDiagramGridGreen};
constexpr DiagramColour kTextColour = kDiagramGridGreen;

// Short texts formatted without touching the heap.
class Label {
  public:
    template <typename... Args>
    explicit Label(const char* format, Args... args) {
        const int length = std::snprintf(m_text.data(), m_text.size(), format, args...);
        m_length = length < 0 ? 0 : std::min(static_cast<std::size_t>(length), m_text.size() - 1);
    }
    std::string_view View() const { return {m_text.data(), m_length}; }

  private:
    std::array<char, 32> m_text{};
    std::size_t m_length = 0;
};

void DrawGrid(DiagramPainter& painter, const DiagramLayout& layout) {
    const DiagramRect& plot = layout.plot;
    painter.DrawRect(plot, kGridPen, kDiagramBlack);
    for (int k = 1; k <= 3; ++k) {
        const int x = plot.left + k * layout.cellWidth;
        painter.DrawLine({x, plot.top + 1}, {x, plot.bottom - 2}, kGridPen);
    }
    for (int k = 1; k <= 7; ++k) {
        const int y = plot.top + k * layout.cellHeight;
        painter.DrawLine({plot.left + 1, y}, {plot.right - 2, y}, kGridPen);
    }
}

void DrawChannelNumbers(DiagramPainter& painter, const DiagramLayout& layout) {
    const DiagramRect& plot = layout.plot;
    for (int channel = 0; channel < static_cast<int>(kChannelCount); ++channel) {
        const Label number("%d", channel);
        const DiagramSize extent = painter.TextExtent(number.View());
        const int top =
            plot.top + channel * layout.cellHeight + (layout.cellHeight / 2 - extent.cy / 2);
        painter.DrawText({plot.left - 2 - extent.cx, top, plot.left - 2, top + extent.cy},
                         number.View(), TextAlign::kRight, kTextColour);
    }
}

// The time axis in milliseconds: 0 at the left, the middle and the end of the range, and its
// caption under the middle.
void DrawTimeAxis(DiagramPainter& painter, const DiagramLayout& layout, std::int32_t timeRange) {
    const DiagramRect& plot = layout.plot;
    const float range = static_cast<float>(timeRange);
    const Label middle("%.03f", static_cast<double>(range / 2000.0f));
    const Label end("%.03f", static_cast<double>(range / 1000.0f));
    const std::string_view zero = "0";
    const std::string caption = ResourceString(ids::kTimeAxis);

    const int y = plot.bottom + 2;
    DiagramSize extent = painter.TextExtent(zero);
    painter.DrawText({plot.left + 1, y, plot.left + extent.cx + 2, y + extent.cy}, zero,
                     TextAlign::kCentre, kTextColour);

    extent = painter.TextExtent(middle.View());
    const int middleX = plot.left + 2 * layout.cellWidth - extent.cx / 2;
    painter.DrawText({middleX, y, middleX + extent.cx, y + extent.cy}, middle.View(),
                     TextAlign::kCentre, kTextColour);

    extent = painter.TextExtent(end.View());
    painter.DrawText({plot.right - extent.cx, y, plot.right, y + extent.cy}, end.View(),
                     TextAlign::kCentre, kTextColour);

    extent = painter.TextExtent(caption);
    const int captionX = plot.left + (4 * layout.cellWidth) / 2 - extent.cx / 2;
    const int captionY = plot.bottom + extent.cy + 3;
    painter.DrawText({captionX, captionY, captionX + extent.cx, captionY + extent.cy}, caption,
                     TextAlign::kCentre, kTextColour);
}

}  // namespace

std::int32_t TimeDiagram::ComputeTimeRange() {
    if (m_pConfig != nullptr && m_bAuto) {
        const std::int32_t range = AutomaticTimeRange(*m_pConfig);
        if (range != 0) {
            m_nAutoRange = range;
        }
        return range;
    }
    return m_nTimeBase;
}

void TimeDiagram::Paint(DiagramPainter& painter, DiagramSize clientSize) {
    painter.FillRect({0, 0, clientSize.cx, clientSize.cy}, kDiagramBlack);
    painter.SetFont(kDiagramFont);
    const std::int32_t timeRange = ComputeTimeRange();
    const DiagramLayout layout = ComputeLayout(painter.TextExtent("0"), clientSize);

    DrawGrid(painter, layout);
    DrawChannelNumbers(painter, layout);
    if (m_pConfig != nullptr && timeRange > 0) {
        DrawTimeAxis(painter, layout, timeRange);
    }
    if (m_pConfig != nullptr) {
        DrawWaveforms(painter, layout, timeRange);
    }
}

void TimeDiagram::DrawWaveforms(DiagramPainter& painter, const DiagramLayout& layout,
                                std::int32_t timeRange) {
    const DiagramRect& plot = layout.plot;
    for (std::size_t channel = 0; channel < kChannelCount; ++channel) {
        const DiagramColour colour =
            channel == m_pConfig->currentChannel ? kDiagramRed : kDiagramYellow;
        const int lowY = plot.top + static_cast<int>(channel + 1) * layout.cellHeight;
        const int highY = lowY - (3 * layout.cellHeight) / 4;
        const auto levels =
            m_renderer.ChannelLevels(*m_pConfig, channel, timeRange, layout.Columns());
        BuildWaveformPath(levels, plot.left + 1, lowY, highY, m_path);
        if (!m_path.empty()) {
            painter.DrawPolyline(m_path, {PenStyle::kSolid, 1, colour});
        }
    }
}

}  // namespace zo::quintel
