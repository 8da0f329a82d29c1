#pragma once
// The diagram's drawing calls on a QPainter, with its font descriptions matched to installed fonts.

#include "app/core/diagram/diagram_painter.h"

#include <QFont>
#include <QPainter>
#include <QPolygon>

#include <optional>
#include <string>

namespace zo::quintel {

// Finds the installed font for a description: the face itself where installed, else one of the
// same pitch (a monospace font for "Courier New"), at the largest pixel size whose character cell
// fits the described height. Keeps the last match, since a diagram uses one font.
class QtFontMatcher {
  public:
    const QFont& Match(const DiagramFont& font);

  private:
    struct Key {
        std::string face;
        int cellHeight;
        int weight;
        bool fixedPitch;
        bool operator==(const Key&) const = default;
    };
    std::optional<Key> m_key;
    QFont m_font;
};

class QtDiagramPainter final : public DiagramPainter {
  public:
    // Draws with `painter`; `fonts` may outlive this painter to keep its match for later repaints.
    QtDiagramPainter(QPainter& painter, QtFontMatcher& fonts);

    void SetFont(const DiagramFont& font) override;
    DiagramSize TextExtent(std::string_view text) override;
    void FillRect(const DiagramRect& rect, DiagramColour colour) override;
    void DrawRect(const DiagramRect& rect, const DiagramPen& pen, DiagramColour fill) override;
    void DrawLine(DiagramPoint from, DiagramPoint to, const DiagramPen& pen) override;
    void DrawPolyline(std::span<const DiagramPoint> points, const DiagramPen& pen) override;
    void DrawText(const DiagramRect& rect, std::string_view text, TextAlign align,
                  DiagramColour colour) override;

  private:
    QPainter& m_painter;
    QtFontMatcher& m_fonts;
    QPolygon m_polygon;
};

}  // namespace zo::quintel
