// Glyphs and icons of the picture buttons: cutting a strip of images into
// the state images, the embossed image of a disabled button, the transparent
// copy, and where a glyph and its caption go. Shared by the windowed and the
// windowless buttons of zAnimate and the shape buttons of Std2.
//
// Thread contract: pure functions over images, any thread.
#pragma once

#include "widgets/Canvas.h"
#include "widgets/Std2.h"

#include <QImage>
#include <QPixmap>

#include <optional>

namespace widgets {

struct GlyphImages
{
    QImage up, disabled, down, hot;
};

// The state images of a strip of `numGlyphs` (1 to 4) images side by side:
// up 0; disabled 1, or embossed from 0 for a one-image strip; down 2 for
// three or four images, else 0; hot 3 for four images, else 0. An empty
// strip gives four empty images. Colours must be resolved to RGB.
GlyphImages SplitGlyph(const QImage &glyph, int numGlyphs, TColor face, TColor highlight,
                       TColor shadow);

// The disabled look of an image: on a face-coloured image of its size, each
// black pixel of `image` is drawn in `highlight` one pixel down and right,
// then in `shadow` in its place.
QImage EmbossImage(const QImage &image, TColor face, TColor highlight, TColor shadow);

// `image` with every pixel of exactly the RGB of `transparent` replaced by
// `brush` (both resolved to RGB).
QImage BrushCopy(const QImage &image, TColor transparent, TColor brush);

// The bottom-left pixel of a non-empty image, the glyph's background colour.
std::optional<TColor> BottomLeftColor(const QImage &image);

// Where a glyph or icon of w x h sits on a button whose W and H are its width
// and height less one: `margin` from the chosen side, centred vertically one
// pixel low; one pixel further right and down while `moved` (pressed).
QPoint GlyphPosition(int W, int H, int w, int h, tBitWhere where, int margin, bool movedX,
                     bool movedY);
// The caption rectangle with room made for a glyph `room` pixels wide.
TRect CaptionBesideGlyph(TRect caption, tBitWhere where, int room);

// Fills empty icons from the others, in this order: enabled to disabled,
// enabled to down, disabled to enabled, disabled to down, down to disabled,
// down to enabled.
void FillMissingIcons(QPixmap &enabled, QPixmap &disabled, QPixmap &down);

// The glyph strip of a picture button with its state images: the one place
// that keeps the split images, the strip's image count and the transparent
// colour in step.
class GlyphStrip
{
public:
    const QImage &Glyph() const { return FGlyph; }
    void SetGlyph(const QImage &glyph) { FGlyph = glyph; }
    int NumGlyphs() const { return FNumGlyphs; }
    // Only 1 to 4; returns false and keeps the count for anything else.
    bool SetNumGlyphs(int value);
    bool AutoBackColor() const { return FAutoBackColor; }
    void SetAutoBackColor(bool value) { FAutoBackColor = value; }
    TColor TransparentColor() const { return FTransparentColor; }
    // An explicit colour ends the automatic one.
    void SetTransparentColor(TColor value);

    // Cuts the strip again on a face of `face`, and with AutoBackColor takes
    // the transparent colour from the up image, when it has pixels.
    void Split(TColor face);
    const GlyphImages &Images() const { return FImages; }
    // Pressed beats disabled, disabled beats hot.
    const QImage &ImageFor(bool down, bool enabled, bool hot) const;
    // The image at `pos` with its transparent pixels in `face`.
    void Draw(TCanvas &canvas, QPoint pos, const QImage &image, TColor face) const;

private:
    QImage FGlyph;
    GlyphImages FImages;
    int FNumGlyphs = 1;
    bool FAutoBackColor = false;
    TColor FTransparentColor = vcl::clBlack;
};

// The three state icons of an icon button.
struct IconSet
{
    QPixmap enabled, disabled, down;
    bool autoAll = true;

    // Fills the missing icons when autoAll.
    void Complete();
    const QPixmap &For(bool down, bool isEnabled) const;
};

} // namespace widgets
