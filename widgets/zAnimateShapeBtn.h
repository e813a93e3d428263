// The windowless shape button of the zAnimate unit: a shape with the
// two-pixel edge drawn over its parent, clickable only inside the shape,
// optionally invisible, with a one-character accelerator.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include "widgets/ButtonEvents.h"
#include "widgets/ButtonPress.h"
#include "widgets/ButtonProperty.h"
#include "widgets/ButtonShortcuts.h"
#include "widgets/Canvas.h"
#include "widgets/Std2Shapes.h"

#include <QChar>
#include <QRegion>
#include <QString>
#include <QWidget>

// Takes no focus; presses outside the shape go to the parent. Its region
// leaves out the last column and row, where the dark edge lies, and is built
// again at every paint.
class TzShapeBtn : public widgets::PushButtonBase, protected widgets::ShapeEdgeRoutines
{
    Q_OBJECT
    Q_DISABLE_COPY(TzShapeBtn)

public:
    explicit TzShapeBtn(QWidget *parent = nullptr);

    // Also sets the accelerator: "+" for sbPlus, "-" for sbMinus, none else.
    sbType Shape() const { return FShape; }
    void SetShape(sbType value);
    // A space means none.
    QChar AcceleratorKey() const;
    void SetAcceleratorKey(QChar value);
    vcl::TColor HighLightColor() const { return FHighLightColor; }
    void SetHigh(vcl::TColor value) { widgets::SetShown(this, FHighLightColor, value); }
    vcl::TColor ShadowColor() const { return FShadowColor; }
    void SetShadow(vcl::TColor value) { widgets::SetShown(this, FShadowColor, value); }
    // Nothing is drawn; the shape still clicks.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value) { widgets::SetShown(this, FTransparent, value); }
    // The face; button face until written.
    vcl::TColor GetColor() const { return FColor; }
    void SetColor(vcl::TColor value) { widgets::SetShown(this, FColor, value); }

    void SetOnGetRegion(TsbGetRegEvent handler);
    void SetOnOwnerDraw(TsbDrawEvent handler);
    // Takes `region` as the shape until the next paint builds it again.
    void SetRgn(const QRegion &region) { FRgn = region; }
    const QRegion &Rgn() const { return FRgn; }

    // OnClick, only while pressed.
    virtual void Click();

protected:
    virtual QRegion RgnFromShape();
    virtual void Paint();

    // The face over the region, then the edge.
    void DrawEdge(const widgets::ShapeStrokes &strokes) override;
    QSize EdgeSize() const override { return size(); }
    widgets::ShapeVariant EdgeVariant() const override
    {
        return widgets::ShapeVariant::Windowless;
    }

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void SetAccelText(const QString &text);
    // Enter and leave follow the shape, as the parent routes the mouse.
    void SetMouseInShape(bool inside);

    sbType FShape = sbRectangle;
    QRegion FRgn;
    TsbGetRegEvent FOnGetRegion;
    TsbDrawEvent FOnOwnerDraw;
    vcl::TColor FHighLightColor = vcl::clBtnHighlight;
    vcl::TColor FShadowColor = vcl::clBtnShadow;
    // Empty, or "&" and the accelerator character.
    QString FAccelText;
    bool FTransparent = false;
    bool FMouseInShape = false;

    vcl::TColor FColor = vcl::clBtnFace;
    widgets::ButtonShortcuts FKeys{this};
};
