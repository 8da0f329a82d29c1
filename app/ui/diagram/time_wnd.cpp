#include "app/ui/diagram/time_wnd.h"

#include <QFontMetrics>
#include <QPainter>

namespace zo::quintel {

CTimeWnd::CTimeWnd(QWidget* parent, std::uint32_t flags) : QFrame(parent) {
    setObjectName("DataWindowEx");
    if ((flags & kStaticEdge) != 0) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
    } else if ((flags & kClientEdge) != 0) {
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    setLineWidth(1);
    // Every pixel is painted on each repaint: nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CTimeWnd::SetConfig(const DeviceConfig* config) {
    m_diagram.SetConfig(config);
    update();
}

void CTimeWnd::SetTimeBase(bool automatic, std::int32_t timeBase) {
    m_diagram.SetTimeBase(automatic, timeBase);
    update();
}

void CTimeWnd::Refresh() {
    m_diagram.ComputeTimeRange();
    update();
}

DiagramLayout CTimeWnd::PlotLayout() const {
    const QFontMetrics metrics(m_fonts.Match(kDiagramFont));
    const QRect area = contentsRect();
    return ComputeLayout({metrics.horizontalAdvance(QStringLiteral("0")), metrics.height()},
                         {area.width(), area.height()});
}

QSize CTimeWnd::sizeHint() const {
    return {360, 240};
}

QSize CTimeWnd::minimumSizeHint() const {
    return {160, 120};
}

void CTimeWnd::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.translate(area.topLeft());
    QtDiagramPainter diagramPainter(painter, m_fonts);
    m_diagram.Paint(diagramPainter, {area.width(), area.height()});
    painter.resetTransform();
    drawFrame(&painter);
}

}  // namespace zo::quintel
