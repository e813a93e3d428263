// The shape colour button of the Std2 unit: a push button cut to one of the
// button shapes, with a plain face, a two-pixel edge and its caption in a
// configurable rectangle. It behaves as a dialog button: default and cancel
// button, modal result, accelerator, space bar and Return.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include "widgets/ButtonEvents.h"
#include "widgets/ButtonPress.h"
#include "widgets/ButtonProperty.h"
#include "widgets/ButtonShortcuts.h"
#include "widgets/Canvas.h"
#include "widgets/Std2.h"
#include "widgets/Std2Offsets.h"
#include "widgets/Std2Shapes.h"

#include <QRegion>
#include <QString>
#include <QWidget>

class QMenu;

// The window takes the shape's region as its mask whenever shape, size or
// region source change, and after a paint that found the region changed (it
// asks for it, OnGetRegion included, at every paint), so the mouse and the
// painting keep to the shape; a click needs the release inside it too.
class TzcShapeColorBtn : public widgets::PushButtonEvents<widgets::PushButtonBase>,
                         protected widgets::ShapeEdgeRoutines
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcShapeColorBtn)

public:
    explicit TzcShapeColorBtn(QWidget *parent = nullptr);

    // Caption rectangle, (7, 7, 36, 36) at first; every write repaints.
    TzcTextSize &TextSize() { return FTextSize; }
    const TzcTextSize &TextSize() const { return FTextSize; }
    void SetTextSize(const TzcTextSize &value) { FTextSize.Assign(value); }

    widgets::TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(widgets::TAlignment value) { widgets::SetShown(this, FAlignment, value); }
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value);
    // Handed to the enclosing dialog on every click; non-zero ends it.
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    bool MultipleLines() const { return FMultipleLines; }
    void SetMultipleLines(bool value) { widgets::SetShown(this, FMultipleLines, value); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value) { widgets::SetShown(this, FWordWrap, value); }
    // Vertical placement of the caption.
    zbHorzAlign HorzAlign() const { return FHorzAlign; }
    void SetHorzAlign(zbHorzAlign value) { widgets::SetShown(this, FHorzAlign, value); }
    TzcFanceDefLook DefaultLook() const { return FDefaultLook; }
    void SetDefaultLook(TzcFanceDefLook value) { widgets::SetShown(this, FDefaultLook, value); }
    sbType Shape() const { return FShape; }
    void SetShape(sbType value);
    vcl::TColor HighLightColor() const { return FHighLightColor; }
    void SetHigh(vcl::TColor value) { widgets::SetShown(this, FHighLightColor, value); }
    vcl::TColor ShadowColor() const { return FShadowColor; }
    void SetShadow(vcl::TColor value) { widgets::SetShown(this, FShadowColor, value); }
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool value) { widgets::SetShown(this, FShowFocus, value); }
    vcl::TColor Color() const { return FColor; }
    void SetColor(vcl::TColor value) { widgets::SetShown(this, FColor, value); }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString &value);
    vcl::TColor FontColor() const { return FFontColor; }
    void SetFontColor(vcl::TColor value) { widgets::SetShown(this, FFontColor, value); }
    // Opened by a right click; not owned.
    QMenu *PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu *menu) { FPopupMenu = menu; }

    // Region source of sbOwnerDraw; the shape is cut again.
    void SetOnGetRegion(TsbGetRegEvent handler);
    // Painter of sbOwnerDraw; without one it paints as a rectangle.
    void SetOnOwnerDraw(TsbShapeDrawEvent handler);
    // Holds `region` in place of the shape's until the next paint, which
    // asks for the shape's region again; the window keeps the shape it has.
    void SetRgn(const QRegion &region) { FRgn = region; }
    const QRegion &Rgn() const { return FRgn; }
    // Whether `p` lies in the window's shape.
    bool HitTest(QPoint p) const { return FShapeRgn.contains(p); }

    bool Active() const { return FActive; }
    bool CanFocus() const { return isVisible() && isEnabled(); }

    // Raises the button, hands ModalResult to the dialog, then OnClick.
    void Click() override;

Q_SIGNALS:
    void OnDblClick();

protected:
    // The shape's region for a control width x height.
    virtual QRegion RgnFromShape(int Width, int Height);
    // The caption layer between face and edge: caption, pressed shift,
    // embossed when disabled, focus rectangle.
    virtual void PaintLook(widgets::TCanvas &canvas);
    virtual void Paint();
    // A stand-in: the dialog dispatch of this library needs no window style.
    virtual void SetButtonStyle(bool ADefault);

    // Face, PaintLook, then the edge, on the paint canvas.
    void DrawEdge(const widgets::ShapeStrokes &strokes) override;
    QSize EdgeSize() const override { return size(); }
    widgets::ShapeVariant EdgeVariant() const override { return widgets::ShapeVariant::Windowed; }

    void CMFocusChanged(QWidget *focused);
    void CMMouseEnter() override { Q_EMIT OnMouseEnter(); }
    void CMMouseLeave() override { Q_EMIT OnMouseLeave(); }
    void WmKeyDown() override;
    void WmKeyUp() override;

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    void ApplyShape();
    // Cuts the window to the shape's region once the current event is over.
    void ReshapeLater();
    void Press(bool click);

    TzcTextSize FTextSize{7, 7, 36, 36};
    widgets::TAlignment FAlignment = widgets::taCenter;
    bool FDefault = false;
    bool FActive = false;
    bool FCancel = false;
    int FModalResult = 0;
    bool FMultipleLines = false;
    bool FWordWrap = false;
    zbHorzAlign FHorzAlign = zbha_Center;
    TzcFanceDefLook FDefaultLook = dlfBold;
    sbType FShape = sbRectangle;
    QRegion FRgn;
    // The region the window is cut to.
    QRegion FShapeRgn;
    bool FReshapePending = false;
    TsbGetRegEvent FOnGetRegion;
    TsbShapeDrawEvent FOnOwnerDraw;
    vcl::TColor FHighLightColor = vcl::clBtnHighlight;
    vcl::TColor FShadowColor = vcl::clBtnShadow;
    bool FShowFocus = true;

    vcl::TColor FColor = vcl::clBtnFace;
    QString FCaption;
    vcl::TColor FFontColor = vcl::clWindowText;
    QMenu *FPopupMenu = nullptr;
    widgets::ButtonShortcuts FKeys{this};
    // The default-button look follows the focus among the window's shape buttons.
    widgets::FormFocusWatch FFocusWatch{this, [this](QWidget *now) { CMFocusChanged(now); }};
};
