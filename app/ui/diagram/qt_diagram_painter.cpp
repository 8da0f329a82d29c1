#include "app/ui/diagram/qt_diagram_painter.h"

#include <algorithm>

#include <QColor>
#include <QFontMetrics>
#include <QPen>
#include <QString>

namespace zo::quintel {
namespace {

QColor ToQColor(DiagramColour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPen ToQPen(const DiagramPen& pen) {
    QPen result(ToQColor(pen.colour));
    result.setWidth(pen.width);
    if (pen.style == PenStyle::kDotted) {
        // Every other pixel; flat caps keep the dots apart.
        result.setDashPattern({1.0, 1.0});
        result.setCapStyle(Qt::FlatCap);
    } else {
        // Square caps draw a line's last point too.
        result.setCapStyle(Qt::SquareCap);
    }
    return result;
}

}  // namespace

const QFont& QtFontMatcher::Match(const DiagramFont& font) {
    Key key{std::string(font.face), font.cellHeight, font.weight, font.fixedPitch};
    if (m_key == key) {
        return m_font;
    }
    m_font = QFont(ToQString(font.face));
    m_font.setStyleHint(font.fixedPitch ? QFont::Monospace : QFont::AnyStyle);
    m_font.setFixedPitch(font.fixedPitch);
    m_font.setWeight(static_cast<QFont::Weight>(font.weight));
    for (int pixels = std::max(font.cellHeight, 1); pixels >= 1; --pixels) {
        m_font.setPixelSize(pixels);
        if (QFontMetrics(m_font).height() <= font.cellHeight) {
            break;
        }
    }
    m_key = std::move(key);
    return m_font;
}

QtDiagramPainter::QtDiagramPainter(QPainter& painter, QtFontMatcher& fonts)
    : m_painter(painter), m_fonts(fonts) {
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setBackgroundMode(Qt::TransparentMode);
}

void QtDiagramPainter::SetFont(const DiagramFont& font) {
    m_painter.setFont(m_fonts.Match(font));
}

DiagramSize QtDiagramPainter::TextExtent(std::string_view text) {
    const QFontMetrics metrics = m_painter.fontMetrics();
    return {metrics.horizontalAdvance(ToQString(text)), metrics.height()};
}

void QtDiagramPainter::FillRect(const DiagramRect& rect, DiagramColour colour) {
    m_painter.fillRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       ToQColor(colour));
}

void QtDiagramPainter::DrawRect(const DiagramRect& rect, const DiagramPen& pen,
                                DiagramColour fill) {
    // A stroked QRect covers its width plus one pixel.
    m_painter.setPen(ToQPen(pen));
    m_painter.setBrush(ToQColor(fill));
    m_painter.drawRect(rect.left, rect.top, rect.right - rect.left - 1, rect.bottom - rect.top - 1);
    m_painter.setBrush(Qt::NoBrush);
}

void QtDiagramPainter::DrawLine(DiagramPoint from, DiagramPoint to, const DiagramPen& pen) {
    m_painter.setPen(ToQPen(pen));
    m_painter.drawLine(from.x, from.y, to.x, to.y);
}

void QtDiagramPainter::DrawPolyline(std::span<const DiagramPoint> points, const DiagramPen& pen) {
    m_painter.setPen(ToQPen(pen));
    if (points.size() == 1) {
        m_painter.drawPoint(points[0].x, points[0].y);
        return;
    }
    m_polygon.resize(static_cast<qsizetype>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        m_polygon[static_cast<qsizetype>(i)] = QPoint(points[i].x, points[i].y);
    }
    m_painter.drawPolyline(m_polygon);
}

void QtDiagramPainter::DrawText(const DiagramRect& rect, std::string_view text, TextAlign align,
                                DiagramColour colour) {
    m_painter.setPen(ToQColor(colour));
    const Qt::Alignment horizontal =
        align == TextAlign::kCentre ? Qt::AlignHCenter : Qt::AlignRight;
    m_painter.drawText(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                       static_cast<int>(Qt::AlignTop | horizontal | Qt::TextSingleLine),
                       ToQString(text));
}

}  // namespace zo::quintel
