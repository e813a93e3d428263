#include "widgets/Canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QSize>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace widgets {

QRect TRect::ToQRect() const
{
    return QRect(Left, Top, Width(), Height());
}

TRect TRect::FromQRect(const QRect &rect)
{
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

TCanvas::TCanvas(QPaintDevice *device)
{
    m_ownPainter = std::make_unique<QPainter>(device);
    m_painter = m_ownPainter.get();
    init();
}

TCanvas::TCanvas(QPainter &painter) : m_painter(&painter)
{
    m_painter->save();
    init();
}

TCanvas::~TCanvas()
{
    if (!m_ownPainter)
        m_painter->restore();
}

void TCanvas::init()
{
    // Pixel-exact edges: everything here is drawn on whole pixels.
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setClipping(false);
    Font = TFont(m_painter->font(), vcl::clWindowText);
}

void TCanvas::fill(int x, int y, int w, int h, TColor color)
{
    m_painter->fillRect(QRect(x, y, w, h), vcl::ToQColor(color));
}

void TCanvas::MoveTo(int x, int y)
{
    m_penPos = QPoint(x, y);
}

void TCanvas::LineTo(int x, int y)
{
    drawLine(m_penPos, QPoint(x, y));
    m_penPos = QPoint(x, y);
}

void TCanvas::Polyline(std::span<const QPoint> points)
{
    for (std::size_t i = 1; i < points.size(); ++i)
        drawLine(points[i - 1], points[i]);
}

void TCanvas::drawLine(QPoint from, QPoint to)
{
    if (Pen.Style == psClear || from == to)
        return;
    if (Pen.Width > 1) {
        // Wide lines are geometric shapes with round ends; no pixel rule.
        m_painter->save();
        m_painter->setPen(
            QPen(vcl::ToQColor(Pen.Color), Pen.Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        m_painter->drawLine(from, to);
        m_painter->restore();
        return;
    }
    int x = from.x();
    int y = from.y();
    if (y == to.y()) {
        const int left = x < to.x() ? x : to.x() + 1;
        fill(left, y, std::abs(to.x() - x), 1, Pen.Color);
        return;
    }
    if (x == to.x()) {
        const int top = y < to.y() ? y : to.y() + 1;
        fill(x, top, 1, std::abs(to.y() - y), Pen.Color);
        return;
    }
    const QColor color = vcl::ToQColor(Pen.Color);
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    while (x != to.x() || y != to.y()) {
        m_painter->fillRect(QRect(x, y, 1, 1), color);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void TCanvas::FillRect(const TRect &rect)
{
    if (Brush.Style == bsClear || rect.IsEmpty())
        return;
    fill(rect.Left, rect.Top, rect.Width(), rect.Height(), Brush.Color);
}

void TCanvas::FrameRect(const TRect &rect)
{
    if (Brush.Style == bsClear || rect.IsEmpty())
        return;
    fill(rect.Left, rect.Top, rect.Width(), 1, Brush.Color);
    fill(rect.Left, rect.Bottom - 1, rect.Width(), 1, Brush.Color);
    fill(rect.Left, rect.Top, 1, rect.Height(), Brush.Color);
    fill(rect.Right - 1, rect.Top, 1, rect.Height(), Brush.Color);
}

void TCanvas::Rectangle(const TRect &rect)
{
    if (Pen.Style == psClear) {
        FillRect({rect.Left, rect.Top, rect.Right - 1, rect.Bottom - 1});
        return;
    }
    FillRect(rect);
    if (rect.IsEmpty())
        return;
    const int r = rect.Right - 1;
    const int b = rect.Bottom - 1;
    Polyline({{rect.Left, rect.Top}, {r, rect.Top}, {r, b}, {rect.Left, b}, {rect.Left, rect.Top}});
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    fill(x, y, 1, 1, color);
}

void TCanvas::TextOut(int x, int y, const QString &text)
{
    const QFontMetrics fm(Font, m_painter->device());
    if (Brush.Style == bsSolid)
        fill(x, y, fm.horizontalAdvance(text), fm.height(), Brush.Color);
    m_painter->save();
    m_painter->setFont(Font);
    m_painter->setPen(vcl::ToQColor(Font.Color));
    m_painter->drawText(QPoint(x, y + fm.ascent()), text);
    m_painter->restore();
}

int TCanvas::TextWidth(const QString &text) const
{
    return QFontMetrics(Font, m_painter->device()).horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString &) const
{
    return QFontMetrics(Font, m_painter->device()).height();
}

QSize TCanvas::TextExtent(const QString &text) const
{
    return QSize(TextWidth(text), TextHeight(text));
}

namespace {

// Text with its prefix characters taken out, and which characters to underline.
struct DisplayText
{
    QString text;
    std::vector<bool> underlined;
};

DisplayText stripPrefixes(const QString &text, bool prefixes)
{
    DisplayText out;
    out.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool underline = false;
        if (prefixes && text[i] == u'&') {
            if (i + 1 == text.size())
                break; // a trailing prefix shows nothing
            ++i;
            underline = text[i] != u'&';
        }
        out.text += text[i];
        out.underlined.push_back(underline);
    }
    return out;
}

struct Line
{
    qsizetype start = 0;
    qsizetype end = 0;
};

// Splits at line ends and, with a width limit, greedily between words; a
// word wider than the limit stands on a line of its own.
std::vector<Line> layoutLines(const QString &text, const QFontMetrics &fm, unsigned flags,
                              int maxWidth)
{
    std::vector<Line> lines;
    if (flags & dtSingleLine) {
        lines.push_back({0, text.size()});
        return lines;
    }
    const bool wrap = flags & dtWordBreak;
    qsizetype paraStart = 0;
    while (paraStart <= text.size()) {
        qsizetype paraEnd = paraStart;
        while (paraEnd < text.size() && text[paraEnd] != u'\n' && text[paraEnd] != u'\r')
            ++paraEnd;
        if (!wrap || paraEnd == paraStart) {
            lines.push_back({paraStart, paraEnd});
        } else {
            qsizetype pos = paraStart;
            while (pos < paraEnd) {
                qsizetype lineEnd = -1;
                qsizetype i = pos;
                while (i < paraEnd) {
                    qsizetype wordEnd = i;
                    while (wordEnd < paraEnd && text[wordEnd] != u' ')
                        ++wordEnd;
                    if (lineEnd >= 0 &&
                        fm.horizontalAdvance(text.mid(pos, wordEnd - pos)) > maxWidth)
                        break;
                    lineEnd = wordEnd;
                    while (wordEnd < paraEnd && text[wordEnd] == u' ')
                        ++wordEnd;
                    i = wordEnd;
                }
                lines.push_back({pos, lineEnd});
                pos = lineEnd;
                while (pos < paraEnd && text[pos] == u' ')
                    ++pos;
            }
        }
        if (paraEnd == text.size())
            break;
        // "\r\n" ends one line, as does a lone '\r' or '\n'.
        paraStart = paraEnd + 1;
        if (text[paraEnd] == u'\r' && paraStart < text.size() && text[paraStart] == u'\n')
            ++paraStart;
    }
    return lines;
}

} // namespace

TRect TCanvas::CalcTextRect(const QString &text, const TRect &rect, unsigned flags) const
{
    const QFontMetrics fm(Font, m_painter->device());
    const DisplayText shown = stripPrefixes(text, !(flags & dtNoPrefix));
    const std::vector<Line> lines = layoutLines(shown.text, fm, flags, rect.Width());
    int widest = 0;
    for (const Line &line : lines)
        widest = std::max(widest,
                          fm.horizontalAdvance(shown.text.mid(line.start, line.end - line.start)));
    return {rect.Left, rect.Top, rect.Left + widest, rect.Top + int(lines.size()) * fm.height()};
}

int TCanvas::DrawText(const QString &text, const TRect &rect, unsigned flags)
{
    const QFontMetrics fm(Font, m_painter->device());
    DisplayText shown = stripPrefixes(text, !(flags & dtNoPrefix));
    if (flags & dtSingleLine)
        shown.text.replace(u'\r', u' ').replace(u'\n', u' ');
    const std::vector<Line> lines = layoutLines(shown.text, fm, flags, rect.Width());
    const int lineHeight = fm.height();
    const int total = int(lines.size()) * lineHeight;

    int y = rect.Top;
    if (flags & dtSingleLine) {
        if (flags & dtVCenter)
            y = rect.Top + (rect.Height() - lineHeight) / 2;
        else if (flags & dtBottom)
            y = rect.Bottom - lineHeight;
    }

    m_painter->save();
    if (!(flags & dtNoClip))
        m_painter->setClipRect(rect.ToQRect(), Qt::IntersectClip);
    m_painter->setFont(Font);
    const QColor textColor = vcl::ToQColor(Font.Color);
    m_painter->setPen(textColor);
    for (const Line &line : lines) {
        const QString part = shown.text.mid(line.start, line.end - line.start);
        const int width = fm.horizontalAdvance(part);
        int x = rect.Left;
        if (flags & dtCenter)
            x = rect.Left + (rect.Width() - width) / 2;
        else if (flags & dtRight)
            x = rect.Right - width;
        if (Brush.Style == bsSolid)
            m_painter->fillRect(QRect(x, y, width, lineHeight), vcl::ToQColor(Brush.Color));
        const int baseline = y + fm.ascent();
        m_painter->drawText(QPoint(x, baseline), part);
        for (qsizetype i = line.start; i < line.end; ++i) {
            if (!shown.underlined[std::size_t(i)])
                continue;
            const int ux = x + fm.horizontalAdvance(part.left(i - line.start));
            const int uw = fm.horizontalAdvance(shown.text[i]);
            m_painter->fillRect(
                QRect(ux, baseline + fm.underlinePos(), uw, std::max(1, fm.lineWidth())),
                textColor);
        }
        y += lineHeight;
    }
    m_painter->restore();
    return total;
}

void TCanvas::DrawFocusRect(const TRect &rect)
{
    if (rect.IsEmpty())
        return;
    const QColor even = vcl::ToQColor(Brush.Color);
    const QColor odd = vcl::ToQColor(Font.Color);
    m_painter->save();
    m_painter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const auto dot = [&](int x, int y) {
        m_painter->fillRect(QRect(x, y, 1, 1), ((x + y) & 1) == 0 ? even : odd);
    };
    // Each border pixel exactly once, or the XOR would cancel at the corners.
    const int r = rect.Right - 1;
    const int b = rect.Bottom - 1;
    for (int x = rect.Left; x <= r; ++x) {
        dot(x, rect.Top);
        if (b > rect.Top)
            dot(x, b);
    }
    for (int y = rect.Top + 1; y < b; ++y) {
        dot(rect.Left, y);
        if (r > rect.Left)
            dot(r, y);
    }
    m_painter->restore();
}

void TCanvas::Draw(int x, int y, const QImage &image)
{
    m_painter->drawImage(QPoint(x, y), image);
}

void Frame3D(TCanvas &canvas, TRect &rect, TColor topColor, TColor bottomColor, int width)
{
    const TPen saved = canvas.Pen;
    canvas.Pen.Width = 1;
    canvas.Pen.Style = psSolid;
    for (int i = 0; i < width && !rect.IsEmpty(); ++i) {
        const int r = rect.Right - 1;
        const int b = rect.Bottom - 1;
        canvas.Pen.Color = topColor;
        canvas.Polyline({{rect.Left, b}, {rect.Left, rect.Top}, {r, rect.Top}});
        canvas.Pen.Color = bottomColor;
        canvas.Polyline({{r, rect.Top}, {r, b}, {rect.Left - 1, b}});
        rect = rect.Inflated(-1, -1);
    }
    canvas.Pen = saved;
}

} // namespace widgets
