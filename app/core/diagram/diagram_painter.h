#pragma once
// What the timing diagram needs from a window system to draw itself: solid or dotted lines,
// outlined and filled rectangles, polylines and single-line text in one font. The diagram computes
// every pixel position itself, so an implementation only maps these calls onto its own painter.

#include <cstdint>
#include <span>
#include <string_view>

namespace zo::quintel {

struct DiagramColour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    friend bool operator==(const DiagramColour&, const DiagramColour&) = default;
};

inline constexpr DiagramColour kDiagramBlack{0, 0, 0};
inline constexpr DiagramColour kDiagramGridGreen{0, 172, 0};
inline constexpr DiagramColour kDiagramYellow{255, 255, 0};
inline constexpr DiagramColour kDiagramRed{255, 0, 0};

struct DiagramPoint {
    int x;
    int y;
    friend bool operator==(const DiagramPoint&, const DiagramPoint&) = default;
};

// A rectangle of pixels: left and top inside, right and bottom just outside.
struct DiagramRect {
    int left;
    int top;
    int right;
    int bottom;
    friend bool operator==(const DiagramRect&, const DiagramRect&) = default;
};

struct DiagramSize {
    int cx;
    int cy;
    friend bool operator==(const DiagramSize&, const DiagramSize&) = default;
};

enum class PenStyle { kSolid, kDotted };

struct DiagramPen {
    PenStyle style;
    int width;
    DiagramColour colour;
    friend bool operator==(const DiagramPen&, const DiagramPen&) = default;
};

// A font by description. `cellHeight` is the height of a character cell (ascent plus descent) in
// pixels; `weight` runs from 100 (thin) over 400 (regular) to 900 (black). A window system without
// the face takes a font of the same pitch.
struct DiagramFont {
    std::string_view face;
    int cellHeight;
    int weight;
    bool fixedPitch;
    friend bool operator==(const DiagramFont&, const DiagramFont&) = default;
};

enum class TextAlign { kCentre, kRight };

class DiagramPainter {
  public:
    virtual ~DiagramPainter() = default;

    // Every later TextExtent and DrawText uses this font.
    virtual void SetFont(const DiagramFont& font) = 0;
    // Width and cell height of a single line of UTF-8 text in the current font.
    virtual DiagramSize TextExtent(std::string_view text) = 0;
    virtual void FillRect(const DiagramRect& rect, DiagramColour colour) = 0;
    // The outline runs along the outermost pixels inside `rect`; the inside is filled.
    virtual void DrawRect(const DiagramRect& rect, const DiagramPen& pen, DiagramColour fill) = 0;
    // Both end points are drawn.
    virtual void DrawLine(DiagramPoint from, DiagramPoint to, const DiagramPen& pen) = 0;
    // Joins the points in order; the first and the last point are drawn.
    virtual void DrawPolyline(std::span<const DiagramPoint> points, const DiagramPen& pen) = 0;
    // Text on one line at the top of `rect`, centred in it or against its right edge, on a
    // transparent background.
    virtual void DrawText(const DiagramRect& rect, std::string_view text, TextAlign align,
                          DiagramColour colour) = 0;
};

}  // namespace zo::quintel
