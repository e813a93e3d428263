// Picture controls of the zAnimate unit: a bitmap with optional see-through
// colour and the effects of zAnimateFastBmp as methods, an animation that
// plays a strip of frames, a bitmap read from the program's resources, a
// canvas as large as the screen, a two-line divider and a bevelled frame.
//
// Thread contract: widgets and the desktop canvas on the main thread only;
// BitmapFileFromResource is plain logic for any thread.
#pragma once

#include "widgets/Canvas.h"
#include "widgets/zAnimateFastBmp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <stdexcept>

enum zcBitmapDraw : std::uint8_t { bdDrawNormal = 0, bdDrawStretch = 1, bdDrawCenter = 2 };
enum doType : std::uint8_t { doHorz = 0, doVert = 1 };

namespace widgets {

enum TBevelCut : std::uint8_t { bvNone = 0, bvLowered = 1, bvRaised = 2, bvSpace = 3 };

// Raised by TzResBitmap when the program holds no bitmap of that name or its
// bytes are not a bitmap.
class EResNotFound : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The bytes of a bitmap file for the bytes of a bitmap resource (an info
// header, its colour table or masks, then the pixels): the 14-byte file
// header "BM", file size, two zero words and the offset of the pixels. None
// when the resource is too short for its own header.
std::optional<QByteArray> BitmapFileFromResource(QByteArrayView resource);

} // namespace widgets

// A bitmap control that draws nothing by itself; TzBitmap and TzAnimated
// paint it. Pixels of TransparentColor are left out while Transparent is set:
// they show the control's Color, or with RealTransparent whatever lies
// beneath.
class TzcCustomBitmap : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcCustomBitmap)

public:
    explicit TzcCustomBitmap(QWidget *parent = nullptr);

    bool AutoBackColor() const { return FAutoBackColor; }
    void SetAuto(bool value);
    bool RealTransparent() const { return FRealTransparent; }
    void SetRealTransparent(bool value);
    const QImage &BitMap() const { return FBitMap; }
    // Takes a copy; in the normal drawing mode the control takes its size
    // (30 for a side of 0).
    void SetBitMap(const QImage &value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    vcl::TColor TransparentColor() const { return FTransparentColor; }
    // Also switches AutoBackColor off.
    void SetTransparentColor(vcl::TColor value);
    vcl::TColor Color() const { return FColor; }
    void SetColor(vcl::TColor value);

    int GetWidth() const { return width(); }
    int GetHeight() const { return height(); }
    void SetWidth(int value);
    void Setheight(int value);

    void Darken(bool skipTransparent, std::int8_t percent);
    void Lighten(bool skipTransparent, std::int8_t percent);
    void GreyScale(bool skipTransparent);
    // Sets a pattern of pixels to TransparentColor.
    void Raster(TzRast kind);
    void ColorNoise(int amount);
    void BWNoise(int amount);
    void Contrast(int amount);
    void Saturation(int amount);
    void Sharpen(int amount);
    void Blur(int amount);
    void GaussianBlur(int amount);
    // Turns the picture about its centre onto a TransparentColor background
    // of the control's size.
    void Rotate(int degrees);
    void Flip();
    void Mirror();
    void ReplaceColor(vcl::TColor from, vcl::TColor to);
    // Black and white as a colour-to-monochrome copy makes it: white stays
    // white, every other colour turns black.
    void BW();

Q_SIGNALS:
    void OnPaint();
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    // TransparentColor from the picture's bottom-left pixel.
    void BackgroundPick();
    // The background pick when AutoBackColor is set and the picture has pixels.
    void AutoPick();
    void Changed();
    // Draws frame `frame` (a slice as wide as the control) of `work` the way
    // the transparency settings say, then OnPaint.
    void PaintPicture(const QImage &work, int frame);
    zcBitmapDraw DrawMode() const { return FDrawMode; }
    void SetDrawMode(zcBitmapDraw mode);
    int CurrentFrame() const { return FFrame; }
    void SetCurrentFrame(int frame) { FFrame = frame; }

    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    template <typename Effect> void ApplyEffect(bool pick, Effect effect);

    bool FRealTransparent = false;
    bool FAutoBackColor = false;
    QImage FBitMap;
    vcl::TColor FTransparentColor = vcl::clWhite;
    int FFrame = 0;
    bool FTransparent = true;
    zcBitmapDraw FDrawMode = bdDrawNormal;
    vcl::TColor FColor = vcl::clBtnFace;
};

// A picture drawn as it is, stretched to the control or centred in it.
class TzBitmap : public TzcCustomBitmap
{
    Q_OBJECT
    Q_DISABLE_COPY(TzBitmap)

public:
    explicit TzBitmap(QWidget *parent = nullptr);
    zcBitmapDraw DrawType() const { return DrawMode(); }
    void SetDrawType(zcBitmapDraw value) { SetDrawMode(value); }

protected:
    void paintEvent(QPaintEvent *e) override;
};

// A horizontal strip of frames, each as wide as the control, stepped by a
// timer of Interval milliseconds while Play is set.
class TzAnimated : public TzcCustomBitmap
{
    Q_OBJECT
    Q_DISABLE_COPY(TzAnimated)

public:
    explicit TzAnimated(QWidget *parent = nullptr);

    int FrameCount() const { return FFrameCount; }
    // At least 1.
    void SetFrameCount(int value);
    int Interval() const { return FInterval; }
    void SetInterval(int value);
    bool Loop() const { return FLoop; }
    void SetLoop(bool value) { FLoop = value; }
    bool Reverse() const { return FReverse; }
    void SetReverse(bool value) { FReverse = value; }
    bool Play() const { return FPlay; }
    void SetPlay(bool value);
    int Frame() const { return CurrentFrame(); }
    // A negative frame selects the last one; others wrap round.
    void SetFrame(int value);
    bool Playing() const { return FTimer.isActive(); }

    // One step of the animation; the timer calls it.
    void TimeHit();

Q_SIGNALS:
    void OnChangeFrame();

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    void StartTimer();

    int FFrameCount = 1;
    QTimer FTimer;
    int FInterval = 0;
    bool FLoop = true;
    bool FReverse = false;
    bool FPlay = false;
};

// A bitmap read from the program's bitmap resources, which are kept as the
// resource bytes of a bitmap under ":/bitmaps/<name>". Raises EResNotFound
// when there is none or it cannot be read.
class TzResBitmap : public QImage
{
public:
    explicit TzResBitmap(const char *name);
};

namespace detail {
struct DesktopSurface
{
    DesktopSurface();
    QImage FSurface;
};
} // namespace detail

// A canvas as large as the primary screen. Nothing may draw straight on the
// screen here, so it draws into an image of the screen's size that a window
// can show.
class TzDesktop : private detail::DesktopSurface, public widgets::TCanvas
{
public:
    TzDesktop();
    int Width() const { return FSurface.width(); }
    int Height() const { return FSurface.height(); }
    // Bits per pixel of the screen.
    int Depth() const;
    const QImage &Image() const { return FSurface; }
};

// Two one-pixel lines, etched (shadow first) or raised (highlight first).
class TzDivider : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(TzDivider)

public:
    explicit TzDivider(QWidget *parent = nullptr);
    doType Orientation() const { return FOrientation; }
    void SetOrientation(doType value);
    bool Raised() const { return FRaised; }
    void SetRaised(bool value);
    // Sizes below 2 become 2.
    void SetWidth(int value);
    void SetHeight(int value);

Q_SIGNALS:
    void OnPaint();

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    doType FOrientation = doHorz;
    bool FRaised = false;
};

// Bevels round an area: an outer bevel, a border in Color, an inner bevel.
// While PassMouseOn is set (the default) it is disabled and clicks reach the
// controls beneath it.
class TzFrame : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(TzFrame)

public:
    explicit TzFrame(QWidget *parent = nullptr);
    bool Filled() const { return FFilled; }
    void SetFilled(bool value);
    widgets::TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(widgets::TBevelCut value);
    widgets::TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(widgets::TBevelCut value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value);
    vcl::TColor Color() const { return FColor; }
    void SetColor(vcl::TColor value);
    bool PassMouseOn() const { return !isEnabled(); }
    void SetPassMouseOn(bool value);

Q_SIGNALS:
    void OnPaint();

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    bool FFilled = false;
    widgets::TBevelCut FBevelInner = widgets::bvNone;
    widgets::TBevelCut FBevelOuter = widgets::bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    vcl::TColor FColor = vcl::clWindow;
};
