// Labels of the widget library: a label that shows any length of caption, a
// raised or sunken one, a link, a rotated one, and an invisible hot spot.
#pragma once

#include "widgets/ButtonShortcuts.h"
#include "widgets/Canvas.h"

#include <QWidget>

#include <cstdint>
#include <vector>

enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };

namespace widgets {

// Where TzAngleLabel puts the top-left corner of its rotated caption so that
// it turns about the centre (cx, cy); each product truncated toward zero.
QPoint AngleTextOrigin(int cx, int cy, int tw, int th, double cosA, double sinA);
// The caption's background, tw and th already grown.
QPolygon AngleTextBackground(int cx, int cy, int tw, int th, double cosA, double sinA);

// Raised or sunken text (a highlight and a shadow copy one pixel apart), or
// a drop shadow; either only while Use3D is set.
struct T3DTextLook
{
    bool Raised = true;
    bool Use3D = true;
    vcl::TColor HighlightColor = vcl::clBtnHighlight;
    vcl::TColor ShadowColor = vcl::clBtnShadow;
    bool UseDropShadow = false;
    int DropShadowSize = 2;
};
struct TTextCopy
{
    QPoint Offset;
    vcl::TColor Color;
};
// The copies drawn under the caption, in drawing order.
std::vector<TTextCopy> EffectCopies(const T3DTextLook &look);

} // namespace widgets

// What every label shares: caption, placement, colours and the mouse events.
// Labels are windowless in spirit: they fill nothing unless they have a
// colour of their own and are not transparent.
//
// Thread contract: main thread only, like every widget.
class TzLabelBase : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(TzLabelBase)

public:
    explicit TzLabelBase(QWidget *parent = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString &value);
    widgets::TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(widgets::TAlignment value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout value);
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool value);
    bool WordWrap() const { return FWordWrap; }
    virtual void SetWordWrap(bool value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool value);
    // Until written the parent's colour shows through.
    vcl::TColor Color() const { return FColor; }
    void SetColor(vcl::TColor value);
    vcl::TColor FontColor() const { return FFontColor; }
    void SetFontColor(vcl::TColor value);

    virtual void Click();

Q_SIGNALS:
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    // After the caption or the font changed.
    virtual void TextChanged() {}
    virtual void Paint(widgets::TCanvas &canvas) = 0;
    // The caption's colour: the font's, grey while disabled.
    vcl::TColor TextColor() const;
    bool FillsBackground() const { return !FTransparent && !FParentColor; }

    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    QString FCaption;
    widgets::TAlignment FAlignment = widgets::taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FAutoSize = true;
    bool FWordWrap = false;
    bool FTransparent = false;
    bool FShowAccelChar = true;
    bool FParentColor = true;
    vcl::TColor FColor = vcl::clBtnFace;
    vcl::TColor FFontColor = vcl::clWindowText;
    bool FPressed = false;
};

// The 3-D settings of a label; each writer repaints when the value changes.
template <class Base> class T3DTextLabel : public Base
{
public:
    using Base::Base;

    bool Raised() const { return F3D.Raised; }
    void SetRaised(bool value) { set(F3D.Raised, value); }
    bool Use3D() const { return F3D.Use3D; }
    void SetUse3D(bool value) { set(F3D.Use3D, value); }
    vcl::TColor HighlightColor() const { return F3D.HighlightColor; }
    void SetHighlightColor(vcl::TColor value) { set(F3D.HighlightColor, value); }
    vcl::TColor ShadowColor() const { return F3D.ShadowColor; }
    void SetShadowColor(vcl::TColor value) { set(F3D.ShadowColor, value); }
    bool UseDropShadow() const { return F3D.UseDropShadow; }
    void SetUseDropShadow(bool value) { set(F3D.UseDropShadow, value); }
    int DropShadowSize() const { return F3D.DropShadowSize; }
    void SetDropShadowSize(int value) { set(F3D.DropShadowSize, value); }

protected:
    widgets::T3DTextLook F3D;

private:
    template <typename T> void set(T &field, T value)
    {
        if (field == value)
            return;
        field = value;
        this->update();
    }
};

// Draws the whole caption however long, and sizes itself to it when
// AutoSize is set: a caption of 256 characters or more is measured with word
// breaking whatever WordWrap says (drawing still follows WordWrap).
class TzBigLabel : public TzLabelBase
{
    Q_OBJECT
    Q_DISABLE_COPY(TzBigLabel)

public:
    // Window-system text flags beyond the canvas's own.
    static constexpr unsigned dtExpandTabs = 0x40;
    static constexpr unsigned dtCalcRect = 0x400;

    explicit TzBigLabel(QWidget *parent = nullptr);

    void SetAutoSize(bool value) override;
    void SetWordWrap(bool value) override;
    void AdjustBounds();

protected:
    // With dtCalcRect, `rect` becomes the rectangle the text takes.
    virtual void DoDrawText(widgets::TCanvas &canvas, widgets::TRect &rect, unsigned flags);
    void Paint(widgets::TCanvas &canvas) override;
    void TextChanged() override;
    // The caption as drawn, and with dtCalcRect as measured.
    QString DrawnText(unsigned flags) const;
    unsigned CanvasFlags(unsigned flags) const;
};

// Text raised or sunken or with a drop shadow (see T3DTextLook).
class Tz3DLabel : public T3DTextLabel<TzBigLabel>
{
    Q_OBJECT
    Q_DISABLE_COPY(Tz3DLabel)

public:
    explicit Tz3DLabel(QWidget *parent = nullptr);

protected:
    void DoDrawText(widgets::TCanvas &canvas, widgets::TRect &rect, unsigned flags) override;
};

// A link: a click (or the caption's accelerator while enabled) opens URL
// with the desktop's handler for it.
class TzcURLLabel : public Tz3DLabel
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcURLLabel)

public:
    explicit TzcURLLabel(QWidget *parent = nullptr);

    QString URL() const { return FURL; }
    void SetURL(const QString &value) { FURL = value; }
    // Whether the last opening succeeded.
    bool LastClickOK() const { return FLastClickOK; }

    void Click() override;

protected:
    void TextChanged() override;
    bool event(QEvent *e) override;

private:
    QString FURL = QStringLiteral("https://www.example.com/");
    bool FLastClickOK = true;
    widgets::ButtonShortcuts FKeys{this};
};

// The caption turned by Angle degrees counter-clockwise about the centre of a
// square of side caption width + 16.
class TzAngleLabel : public T3DTextLabel<TzLabelBase>
{
    Q_OBJECT
    Q_DISABLE_COPY(TzAngleLabel)

public:
    explicit TzAngleLabel(QWidget *parent = nullptr);

    int Angle() const { return FAngle; }
    // Any whole number; kept as 0..359.
    void SetAngle(int value);

Q_SIGNALS:
    void OnPaint();

protected:
    void Paint(widgets::TCanvas &canvas) override;
    void TextChanged() override;

private:
    void resizeToCaption();

    int FAngle = 0;
    double FCos = 1;
    double FSin = 0;
};

// An invisible 20 x 20 spot that only reports the mouse; OnParentPaint lets
// the owner draw something there.
class TzMouseSpot : public TzLabelBase
{
    Q_OBJECT
    Q_DISABLE_COPY(TzMouseSpot)

public:
    explicit TzMouseSpot(QWidget *parent = nullptr);

Q_SIGNALS:
    void OnParentPaint();

protected:
    void Paint(widgets::TCanvas &canvas) override;
};
