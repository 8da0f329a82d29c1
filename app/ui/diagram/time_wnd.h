#pragma once
// CTimeWnd: the window that shows the timing diagram of all eight channels beside the channel
// editor. It takes no input; it paints the diagram of the record it was given, completely, on
// every repaint, into Qt's backing store, which then reaches the screen in one piece.

#include "app/core/device_config.h"
#include "app/core/diagram/diagram_layout.h"
#include "app/core/diagram/time_diagram.h"
#include "app/ui/diagram/qt_diagram_painter.h"

#include <QFrame>

#include <cstdint>

namespace zo::quintel {

class CTimeWnd : public QFrame {
  public:
    // Edge flags: a thin sunken edge, or else a styled sunken edge; neither: no edge.
    static constexpr std::uint32_t kStaticEdge = 1;
    static constexpr std::uint32_t kClientEdge = 2;

    explicit CTimeWnd(QWidget* parent = nullptr, std::uint32_t flags = kStaticEdge);

    // The record to draw (not owned); null shows the empty grid with the channel numbers.
    void SetConfig(const DeviceConfig* config);
    // The record's automatic flag and manual time base (µs).
    void SetTimeBase(bool automatic, std::int32_t timeBase);
    // The automatic time base of the last computation, as the next repaint shows it.
    std::int32_t AutoRange() const { return m_diagram.AutoRange(); }

    // Recomputes the time range at once, exactly as the repaint will (so AutoRange() is current on
    // return, without running the event loop), and schedules the repaint.
    void Refresh();

    // Where the plot lies in the window's contents (inside its edge) at its present size, and so
    // how many columns each waveform has.
    DiagramLayout PlotLayout() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TimeDiagram m_diagram;
    mutable QtFontMatcher m_fonts;
};

}  // namespace zo::quintel
