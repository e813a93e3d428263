// The splash picture of the Std2 widget unit: shown while its form is
// built, removed a set time after the form first paints.
#pragma once

#include "platform/vcl/Colors.h"
#include "widgets/Events.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QRegion>

#include <cstdint>
#include <functional>
#include <memory>

enum zSplashStyleType : std::uint8_t { ssZRectangle = 0, ssZEllipse = 1, ssCircle = 2 };

namespace widgets {

class TCanvas;

// Where the splash goes on a screen of sw x sh pixels, and where the
// picture of w x h pixels sits in it.
struct TSplashLayout
{
    int Width = 0;
    int Height = 0;
    int Left = 0;
    int Top = 0;
    int XOffset = 0;
    int YOffset = 0;
    friend bool operator==(const TSplashLayout &, const TSplashLayout &) = default;
};

struct TSplashSizing
{
    zSplashStyleType Shape = ssZRectangle;
    int AddWidth = 0;
    int AddHeight = 0;
    bool AdjustforFrame = true;
    bool DrawFrame = true;
    int FrameThickness = 4;
    int FrameMargin = 8;
};

// The picture plus a 2-pixel edge on each side and the extra width and
// height, square for a circle, grown by the frame; each dimension is then
// cut to the screen on its own. The picture is centred when the splash fits
// the screen both ways, else it sits at the top-left corner.
TSplashLayout SplashLayout(int w, int h, int sw, int sh, const TSplashSizing &sizing);
// The splash's shape in screen coordinates.
QRegion SplashRegion(const TSplashLayout &layout, zSplashStyleType shape);

// The picture's RGB value at its bottom-left pixel; false for an empty
// picture.
bool BottomLeftColor(const QImage &bitmap, vcl::TColor &color);

} // namespace widgets

class TzSplashWindow;

// Draws its picture as a splash while the owner form is built (at Loaded)
// and removes it MainFormDelay milliseconds after the form's first paint,
// or when the component goes. Nothing may draw straight on the screen here,
// so the splash is drawn on a desktop canvas and shown by a frameless,
// shaped window that stays on top.
//
// Thread contract: main thread only.
class TzSplashForm : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzSplashForm)

public:
    // Raises EComponentError "NoForm" when no form owns the component.
    explicit TzSplashForm(QObject *owner);
    ~TzSplashForm() override;

    // Called by the form builder once the form is complete.
    void Loaded();

    virtual void MakeSplash();
    virtual void DoSplash();
    virtual void DoRemove();

    const QImage &BitMap() const { return m_bitmap; }
    void SetBitMap(const QImage &bitmap);
    const QImage &Picture() const { return m_picture; }
    void SetPicture(const QImage &picture);
    bool AutoBackColor() const { return m_autoBackColor; }
    void SetAuto(bool value);
    vcl::TColor TransparentColor() const { return m_transparentColor; }
    void SetTransparentColor(vcl::TColor value);

    bool MoveSplashUp() const { return m_moveSplashUp; }
    void SetMoveUp(bool value) { m_moveSplashUp = value; }
    std::uint16_t MainFormDelay() const { return m_mainFormDelay; }
    void SetDelay(std::uint16_t value) { m_mainFormDelay = value; }
    zSplashStyleType Shape() const { return m_sizing.Shape; }
    void SetShape(zSplashStyleType value) { m_sizing.Shape = value; }
    vcl::TColor Color() const { return m_color; }
    void SetColor(vcl::TColor value) { m_color = value; }
    vcl::TColor HighligtColor() const { return m_highlightColor; }
    void SetHColor(vcl::TColor value) { m_highlightColor = value; }
    vcl::TColor ShadowColor() const { return m_shadowColor; }
    void SetLColor(vcl::TColor value) { m_shadowColor = value; }
    vcl::TColor FrameColor() const { return m_frameColor; }
    void SetfColor(vcl::TColor value) { m_frameColor = value; }
    bool Fill() const { return m_fill; }
    void SetFill(bool value) { m_fill = value; }
    bool DrawFrame() const { return m_sizing.DrawFrame; }
    void SetDrawFrame(bool value) { m_sizing.DrawFrame = value; }
    std::uint16_t FrameThickness() const { return std::uint16_t(m_sizing.FrameThickness); }
    void SetFrameThickness(std::uint16_t value) { m_sizing.FrameThickness = value; }
    std::uint16_t FrameMargin() const { return std::uint16_t(m_sizing.FrameMargin); }
    void SetFrameMargin(std::uint16_t value) { m_sizing.FrameMargin = value; }
    bool Use3D() const { return m_use3D; }
    void SetUse3D(bool value) { m_use3D = value; }
    std::int32_t AddWidth() const { return m_sizing.AddWidth; }
    void SetAddWidth(std::int32_t value) { m_sizing.AddWidth = value; }
    std::int32_t AddHeight() const { return m_sizing.AddHeight; }
    void SetAddHeight(std::int32_t value) { m_sizing.AddHeight = value; }
    bool AdjustforFrame() const { return m_sizing.AdjustforFrame; }
    void SetAdjustforFrame(bool value) { m_sizing.AdjustforFrame = value; }
    bool RealTransparent() const { return m_realTransparent; }
    void SetRealTransparent(bool value) { m_realTransparent = value; }

    TNotifyEvent OnBeforeShow;
    TNotifyEvent OnShow;
    TNotifyEvent OnBeforeDelay;
    TNotifyEvent OnBeforeClose;
    TNotifyEvent OnAfterClose;
    TNotifyEvent OnCreate;
    // Waits the given milliseconds, blocking the main thread; the tests
    // record the wait instead.
    std::function<void(std::uint32_t ms)> Delay;

    // The splash's place on the screen, and whether one is shown.
    const widgets::TSplashLayout &Layout() const { return m_layout; }
    bool Done() const { return m_done; }
    // The window that shows the splash, while one does.
    QWidget *SplashWindow() const;

    // Draws the splash at the layout's place on `canvas` (a desktop-sized
    // canvas) and gives the screen region the window keeps. Shown see-through
    // and unfilled, a splash whose cut-out no window on the X server may take
    // (ServerTakesWindowShape) is drawn and shaped as if filled.
    QRegion PaintSplash(widgets::TCanvas &canvas) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void afterFirstPaint();

    QRegion m_region;
    widgets::TSplashLayout m_layout;
    bool m_done = true;
    std::uint16_t m_mainFormDelay = 500;
    bool m_fill = true;
    widgets::TSplashSizing m_sizing;
    vcl::TColor m_color = vcl::clBtnFace;
    vcl::TColor m_highlightColor = vcl::clBtnHighlight;
    vcl::TColor m_shadowColor = vcl::clBtnShadow;
    vcl::TColor m_frameColor = 0xFF00FF;
    bool m_use3D = true;
    QImage m_bitmap;
    bool m_moveSplashUp = true;
    QPointer<QWidget> m_form;
    bool m_autoBackColor = false;
    vcl::TColor m_transparentColor = vcl::clWhite;
    bool m_realTransparent = false;
    QImage m_picture;
    std::unique_ptr<TzSplashWindow> m_window;
};
