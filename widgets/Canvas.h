// Drawing with the window system's conventions over QPainter, so that
// owner-drawn widgets can be written in the window system's coordinates:
// - rectangles exclude their right and bottom edges: FillRect({0, 0, 3, 2})
//   fills columns 0..2 of rows 0..1;
// - a line leaves out its last point, so polylines join without overdraw;
// - colours are vcl::TColor values (red in the low byte, system colours
//   resolved through the application palette when drawn);
// - the pen, brush and font are plain state read by every drawing call.
//
// Thread contract: like QPainter, a canvas is used by one thread; a canvas on
// a widget only inside its paint event, one on a QImage on any thread as long
// as no system colours are drawn (those read the application palette).
#pragma once

#include "platform/vcl/Colors.h"

#include <QFont>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>

class QImage;
class QPaintDevice;
class QPainter;
class QRect;
class QSize;

namespace widgets {

using vcl::TColor;

// Right and Bottom are exclusive.
struct TRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    // Grows by dx and dy on each side (negative values shrink).
    constexpr TRect Inflated(int dx, int dy) const
    {
        return {Left - dx, Top - dy, Right + dx, Bottom + dy};
    }
    constexpr TRect Offset(int dx, int dy) const
    {
        return {Left + dx, Top + dy, Right + dx, Bottom + dy};
    }
    constexpr bool Contains(int x, int y) const
    {
        return x >= Left && x < Right && y >= Top && y < Bottom;
    }
    QRect ToQRect() const;
    static TRect FromQRect(const QRect &rect);

    friend constexpr bool operator==(const TRect &, const TRect &) = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom)
{
    return {left, top, right, bottom};
}

// Horizontal placement of a caption.
enum TAlignment : std::uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };

enum TPenStyle : std::uint8_t { psSolid, psClear };
enum TBrushStyle : std::uint8_t { bsSolid, bsClear };

struct TPen
{
    TColor Color = vcl::clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
};

// A clear brush leaves the background of text and the inside of shapes alone.
struct TBrush
{
    TColor Color = vcl::clWhite;
    TBrushStyle Style = bsSolid;
};

struct TFont : QFont
{
    TFont() = default;
    TFont(const QFont &font, TColor color) : QFont(font), Color(color) {}
    TColor Color = vcl::clWindowText;
};

// Flags of TCanvas::DrawText, with the window system's values.
enum DrawTextFlag : unsigned {
    dtTop = 0x0000,
    dtLeft = 0x0000,
    dtCenter = 0x0001,
    dtRight = 0x0002,
    dtVCenter = 0x0004, // only with dtSingleLine
    dtBottom = 0x0008,  // only with dtSingleLine
    dtWordBreak = 0x0010,
    dtSingleLine = 0x0020,
    dtNoClip = 0x0100,
    dtNoPrefix = 0x0800,
};

class TCanvas
{
public:
    // Paints on `device` with a painter of its own.
    explicit TCanvas(QPaintDevice *device);
    // Paints through a painter that is already active; its state is restored
    // when the canvas goes.
    explicit TCanvas(QPainter &painter);
    ~TCanvas();
    TCanvas(const TCanvas &) = delete;
    TCanvas &operator=(const TCanvas &) = delete;

    TPen Pen;
    TBrush Brush;
    TFont Font;

    QPoint PenPos() const { return m_penPos; }
    void MoveTo(int x, int y);
    // Draws from the pen position up to, not including, (x, y).
    void LineTo(int x, int y);
    // Joined lines through the points; the last point is left out. The pen
    // position does not change.
    void Polyline(std::span<const QPoint> points);
    void Polyline(std::initializer_list<QPoint> points)
    {
        Polyline(std::span<const QPoint>(points.begin(), points.size()));
    }

    // Fills the rectangle with the brush.
    void FillRect(const TRect &rect);
    // A one-pixel border in the brush colour along the rectangle's inside.
    void FrameRect(const TRect &rect);
    // Outline with the pen, inside with the brush; without a pen the shape
    // loses its right column and bottom row, as the window system draws it.
    void Rectangle(const TRect &rect);
    void SetPixel(int x, int y, TColor color);

    // Text with its top-left corner at (x, y), on the brush unless it is clear.
    void TextOut(int x, int y, const QString &text);
    int TextWidth(const QString &text) const;
    int TextHeight(const QString &text) const;
    QSize TextExtent(const QString &text) const;

    // Text laid out in a rectangle by DrawTextFlag values: "&x" underlines x
    // and "&&" shows "&" unless dtNoPrefix; lines break at line ends and, with
    // dtWordBreak, between words; vertical placement other than the top needs
    // dtSingleLine. Returns the height of the text.
    int DrawText(const QString &text, const TRect &rect, unsigned flags);
    // The rectangle the text would take: `rect` with its right edge moved to
    // the longest line and its bottom to the last.
    TRect CalcTextRect(const QString &text, const TRect &rect, unsigned flags) const;

    // The dotted focus frame: every other pixel of the rectangle's border is
    // combined by XOR with the brush colour, the others with the font colour,
    // so a second call removes it and on a face of the brush colour with black
    // text it shows black dots.
    void DrawFocusRect(const TRect &rect);

    void Draw(int x, int y, const QImage &image);

    QPainter &Painter() { return *m_painter; }

private:
    void init();
    void drawLine(QPoint from, QPoint to);
    void fill(int x, int y, int w, int h, TColor color);

    std::unique_ptr<QPainter> m_ownPainter;
    QPainter *m_painter = nullptr;
    QPoint m_penPos;
};

// Raised or sunken edges of `width` pixels: top and left in `topColor`,
// right and bottom in `bottomColor` (which also takes the top-right and
// bottom-left corners). `rect` shrinks by `width` on each side.
void Frame3D(TCanvas &canvas, TRect &rect, TColor topColor, TColor bottomColor, int width);

} // namespace widgets
