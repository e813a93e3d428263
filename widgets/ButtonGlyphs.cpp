#include "widgets/ButtonGlyphs.h"

#include <QColor>

namespace widgets {

namespace {

QRgb rgbOf(TColor color)
{
    return vcl::ToQColor(color).rgb();
}

} // namespace

QImage EmbossImage(const QImage &image, TColor face, TColor highlight, TColor shadow)
{
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(rgbOf(face));
    const QImage src = image.convertToFormat(QImage::Format_RGB32);
    const QRgb light = rgbOf(highlight);
    const QRgb dark = rgbOf(shadow);
    // The monochrome mask of the glyph selects its black pixels.
    const auto masked = [&](int x, int y) { return qRgb(0, 0, 0) == (src.pixel(x, y) | 0xFF000000); };
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (masked(x, y) && x + 1 < out.width() && y + 1 < out.height())
                out.setPixel(x + 1, y + 1, light);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (masked(x, y))
                out.setPixel(x, y, dark);
    return out;
}

GlyphImages SplitGlyph(const QImage &glyph, int numGlyphs, TColor face, TColor highlight,
                       TColor shadow)
{
    GlyphImages out;
    if (glyph.isNull() || glyph.width() < 1 || numGlyphs < 1 || numGlyphs > 4)
        return out;
    const int w = glyph.width() / numGlyphs;
    const int h = glyph.height();
    const auto part = [&](int k) { return glyph.copy(k * w, 0, w, h); };
    out.up = part(0);
    out.hot = out.up;
    out.down = numGlyphs >= 3 ? part(2) : out.up;
    out.disabled = numGlyphs == 1 ? EmbossImage(out.up, face, highlight, shadow) : part(1);
    // With three images there is no fourth for the hot state.
    if (numGlyphs == 4)
        out.hot = part(3);
    return out;
}

QImage BrushCopy(const QImage &image, TColor transparent, TColor brush)
{
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    const QRgb key = rgbOf(transparent) | 0xFF000000;
    const QRgb fill = rgbOf(brush);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] | 0xFF000000) == key)
                line[x] = fill;
    }
    return out;
}

std::optional<TColor> BottomLeftColor(const QImage &image)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return std::nullopt;
    return vcl::FromQColor(image.pixelColor(0, image.height() - 1));
}

QPoint GlyphPosition(int W, int H, int w, int h, tBitWhere where, int margin, bool movedX,
                     bool movedY)
{
    const int x = where == z_BWLeft ? margin : W - w - margin;
    const int y = (H - h) / 2 + 1;
    return {x + (movedX ? 1 : 0), y + (movedY ? 1 : 0)};
}

TRect CaptionBesideGlyph(TRect caption, tBitWhere where, int room)
{
    if (where == z_BWLeft)
        caption.Left += room;
    else
        caption.Right -= room;
    return caption;
}

void FillMissingIcons(QPixmap &enabled, QPixmap &disabled, QPixmap &down)
{
    const auto fill = [](QPixmap &target, const QPixmap &source) {
        if (target.isNull() && !source.isNull())
            target = source;
    };
    fill(disabled, enabled);
    fill(down, enabled);
    fill(enabled, disabled);
    fill(down, disabled);
    fill(disabled, down);
    fill(enabled, down);
}

bool GlyphStrip::SetNumGlyphs(int value)
{
    if (value < 1 || value > 4)
        return false;
    FNumGlyphs = value;
    return true;
}

void GlyphStrip::SetTransparentColor(TColor value)
{
    FTransparentColor = value;
    FAutoBackColor = false;
}

void GlyphStrip::Split(TColor face)
{
    FImages = SplitGlyph(FGlyph, FNumGlyphs, vcl::ColorToRGB(face),
                         vcl::ColorToRGB(vcl::clBtnHighlight), vcl::ColorToRGB(vcl::clBtnShadow));
    if (FAutoBackColor)
        if (const auto back = BottomLeftColor(FImages.up))
            FTransparentColor = *back;
}

const QImage &GlyphStrip::ImageFor(bool down, bool enabled, bool hot) const
{
    if (down)
        return FImages.down;
    if (!enabled)
        return FImages.disabled;
    return hot ? FImages.hot : FImages.up;
}

void GlyphStrip::Draw(TCanvas &canvas, QPoint pos, const QImage &image, TColor face) const
{
    if (image.isNull())
        return;
    canvas.Draw(pos.x(), pos.y(),
                BrushCopy(image, vcl::ColorToRGB(FTransparentColor), vcl::ColorToRGB(face)));
}

void IconSet::Complete()
{
    if (autoAll)
        FillMissingIcons(enabled, disabled, down);
}

const QPixmap &IconSet::For(bool isDown, bool isEnabled) const
{
    if (isDown)
        return down;
    return isEnabled ? enabled : disabled;
}

} // namespace widgets
