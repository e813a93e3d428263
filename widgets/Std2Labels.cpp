#include "widgets/Std2Labels.h"

#include "platform/win/Shell.h"

#include <QEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <cmath>
#include <numbers>

using widgets::TCanvas;
using widgets::TRect;

namespace widgets {

QPoint AngleTextOrigin(int cx, int cy, int tw, int th, double cosA, double sinA)
{
    const auto t = [](double v) { return int(std::trunc(v)); };
    return {cx - t(tw / 2.0 * cosA) - t(th / 2.0 * sinA),
            cy + t(tw / 2.0 * sinA) - t(th / 2.0 * cosA)};
}

QPolygon AngleTextBackground(int cx, int cy, int tw, int th, double cosA, double sinA)
{
    const auto t = [](double v) { return int(std::trunc(v)); };
    const int wc = t(tw / 2.0 * cosA), ws = t(tw / 2.0 * sinA);
    const int hc = t(th / 2.0 * cosA), hs = t(th / 2.0 * sinA);
    return QPolygon({QPoint(cx - wc - hs, cy + ws - hc), QPoint(cx + wc - hs, cy - ws - hc),
                     QPoint(cx + wc + hs, cy - ws + hc), QPoint(cx - wc + hs, cy + ws + hc)});
}

std::vector<TTextCopy> EffectCopies(const T3DTextLook &look)
{
    if (!look.Use3D)
        return {};
    if (look.UseDropShadow)
        return {{QPoint(look.DropShadowSize, look.DropShadowSize), look.ShadowColor}};
    return {{QPoint(-1, -1), look.Raised ? look.HighlightColor : look.ShadowColor},
            {QPoint(1, 1), look.Raised ? look.ShadowColor : look.HighlightColor}};
}

} // namespace widgets

TzLabelBase::TzLabelBase(QWidget *parent) : QWidget(parent) {}

void TzLabelBase::SetCaption(const QString &value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    update();
    TextChanged();
}

void TzLabelBase::SetAlignment(widgets::TAlignment value)
{
    if (value == FAlignment)
        return;
    FAlignment = value;
    update();
}

void TzLabelBase::SetLayout(TTextLayout value)
{
    if (value == FLayout)
        return;
    FLayout = value;
    update();
}

void TzLabelBase::SetAutoSize(bool value)
{
    FAutoSize = value;
}

void TzLabelBase::SetWordWrap(bool value)
{
    if (value == FWordWrap)
        return;
    FWordWrap = value;
    update();
}

void TzLabelBase::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    update();
}

void TzLabelBase::SetShowAccelChar(bool value)
{
    if (value == FShowAccelChar)
        return;
    FShowAccelChar = value;
    update();
}

void TzLabelBase::SetColor(vcl::TColor value)
{
    if (value == FColor && !FParentColor)
        return;
    FColor = value;
    FParentColor = false;
    update();
}

void TzLabelBase::SetFontColor(vcl::TColor value)
{
    if (value == FFontColor)
        return;
    FFontColor = value;
    update();
}

vcl::TColor TzLabelBase::TextColor() const
{
    return isEnabled() ? FFontColor : vcl::clGrayText;
}

void TzLabelBase::Click()
{
    Q_EMIT OnClick();
}

void TzLabelBase::paintEvent(QPaintEvent *)
{
    TCanvas canvas(this);
    canvas.Font = widgets::TFont(font(), TextColor());
    Paint(canvas);
}

void TzLabelBase::mousePressEvent(QMouseEvent *e)
{
    FPressed = e->button() == Qt::LeftButton;
    const QPoint p = e->position().toPoint();
    Q_EMIT OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
}

void TzLabelBase::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton && FPressed && rect().contains(p))
        Click();
    FPressed = false;
    Q_EMIT OnMouseUp(e->button(), e->modifiers(), p.x(), p.y());
}

void TzLabelBase::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        Q_EMIT OnDblClick();
}

void TzLabelBase::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    Q_EMIT OnMouseMove(e->modifiers(), p.x(), p.y());
}

void TzLabelBase::enterEvent(QEnterEvent *e)
{
    QWidget::enterEvent(e);
    Q_EMIT OnMouseEnter();
}

void TzLabelBase::leaveEvent(QEvent *e)
{
    QWidget::leaveEvent(e);
    Q_EMIT OnMouseLeave();
}

void TzLabelBase::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        TextChanged();
}

TzBigLabel::TzBigLabel(QWidget *parent) : TzLabelBase(parent) {}

void TzBigLabel::SetAutoSize(bool value)
{
    if (value == AutoSize())
        return;
    TzLabelBase::SetAutoSize(value);
    AdjustBounds();
}

void TzBigLabel::SetWordWrap(bool value)
{
    if (value == WordWrap())
        return;
    TzLabelBase::SetWordWrap(value);
    AdjustBounds();
}

void TzBigLabel::TextChanged()
{
    AdjustBounds();
}

QString TzBigLabel::DrawnText(unsigned flags) const
{
    // An empty caption (or a lone accelerator mark) still takes a line.
    if ((flags & dtCalcRect) &&
        (Caption().isEmpty() || (ShowAccelChar() && Caption() == QStringLiteral("&"))))
        return QStringLiteral(" ");
    return Caption();
}

unsigned TzBigLabel::CanvasFlags(unsigned flags) const
{
    flags &= ~(dtCalcRect | dtExpandTabs);
    if (!ShowAccelChar())
        flags |= widgets::dtNoPrefix;
    return flags;
}

void TzBigLabel::DoDrawText(TCanvas &canvas, TRect &rect, unsigned flags)
{
    canvas.Font = widgets::TFont(font(), TextColor());
    if (flags & dtCalcRect)
        rect = canvas.CalcTextRect(DrawnText(flags), rect, CanvasFlags(flags));
    else
        canvas.DrawText(DrawnText(flags), rect, CanvasFlags(flags));
}

void TzBigLabel::AdjustBounds()
{
    if (!AutoSize())
        return;
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(&scratch);
    TRect r{0, 0, width(), height()};
    const unsigned wrap = (Caption().size() >= 256 || WordWrap()) ? widgets::dtWordBreak : 0u;
    DoDrawText(canvas, r, wrap | dtExpandTabs | dtCalcRect);
    const int left = x() + (Alignment() == widgets::taRightJustify ? width() - r.Right : 0);
    setGeometry(left, y(), r.Right, r.Bottom);
}

void TzBigLabel::Paint(TCanvas &canvas)
{
    TRect r{0, 0, width(), height()};
    if (FillsBackground()) {
        canvas.Brush.Color = Color();
        canvas.FillRect(r);
    }
    canvas.Brush.Style = widgets::bsClear;
    unsigned flags = (WordWrap() ? widgets::dtWordBreak : 0u) | dtExpandTabs;
    if (Alignment() == widgets::taRightJustify)
        flags |= widgets::dtRight;
    else if (Alignment() == widgets::taCenter)
        flags |= widgets::dtCenter;
    if (Layout() != tlTop) {
        TRect measured = r;
        DoDrawText(canvas, measured, flags | dtCalcRect);
        const int room = r.Height() - measured.Bottom;
        const int dy = Layout() == tlBottom ? room : room / 2;
        r = r.Offset(0, dy);
    }
    DoDrawText(canvas, r, flags);
}

Tz3DLabel::Tz3DLabel(QWidget *parent) : T3DTextLabel<TzBigLabel>(parent) {}

void Tz3DLabel::DoDrawText(TCanvas &canvas, TRect &rect, unsigned flags)
{
    if (flags & dtCalcRect) {
        TzBigLabel::DoDrawText(canvas, rect, flags);
        return;
    }
    const QString text = DrawnText(flags);
    const unsigned f = CanvasFlags(flags);
    canvas.Font = widgets::TFont(font(), TextColor());
    for (const widgets::TTextCopy &copy : widgets::EffectCopies(F3D)) {
        canvas.Font.Color = copy.Color;
        canvas.DrawText(text, rect.Offset(copy.Offset.x(), copy.Offset.y()), f);
    }
    canvas.Font.Color = TextColor();
    canvas.DrawText(text, rect, f);
}

TzcURLLabel::TzcURLLabel(QWidget *parent) : Tz3DLabel(parent)
{
    QFont f = font();
    f.setFamily(QStringLiteral("Arial"));
    f.setPixelSize(16);
    f.setUnderline(true);
    setFont(f);
    SetFontColor(vcl::clGreen);
    setCursor(Qt::PointingHandCursor);
    SetUse3D(false);
}

void TzcURLLabel::Click()
{
    Tz3DLabel::Click();
    if (!FURL.isEmpty())
        FLastClickOK = win::ShellOpen(FURL);
}

void TzcURLLabel::TextChanged()
{
    Tz3DLabel::TextChanged();
    FKeys.SetCaption(Caption());
}

bool TzcURLLabel::event(QEvent *e)
{
    if (FKeys.Match(e) == widgets::ButtonShortcuts::Accelerator) {
        if (isEnabled())
            Click();
        return true;
    }
    return Tz3DLabel::event(e);
}

TzAngleLabel::TzAngleLabel(QWidget *parent) : T3DTextLabel<TzLabelBase>(parent)
{
    F3D.Use3D = false;
    SetTransparent(true);
    resizeToCaption();
}

void TzAngleLabel::SetAngle(int value)
{
    value = ((value % 360) + 360) % 360;
    if (value == FAngle)
        return;
    FAngle = value;
    const double a = FAngle * std::numbers::pi / 180.0;
    FCos = std::cos(a);
    FSin = std::sin(a);
    resizeToCaption();
    // A label not yet on a parent has nothing to invalidate but itself.
    if (QWidget *p = parentWidget())
        p->update(geometry());
    update();
}

void TzAngleLabel::resizeToCaption()
{
    const int side = fontMetrics().horizontalAdvance(Caption()) + 16;
    resize(side, side);
}

void TzAngleLabel::TextChanged()
{
    resizeToCaption();
}

void TzAngleLabel::Paint(TCanvas &canvas)
{
    const int cx = width() / 2, cy = height() / 2;
    const QFontMetrics fm(font());
    int tw = fm.horizontalAdvance(Caption());
    int th = fm.height();
    const QPoint at = widgets::AngleTextOrigin(cx, cy, tw, th, FCos, FSin);
    QPainter &p = canvas.Painter();
    if (FillsBackground()) {
        p.setPen(vcl::ToQColor(Color()));
        p.setBrush(vcl::ToQColor(Color()));
        p.drawPolygon(widgets::AngleTextBackground(cx, cy, tw + 7, th + 5, FCos, FSin));
    }
    p.setFont(font());
    // The window system turns text counter-clockwise about its top-left
    // corner; Qt turns clockwise and writes on the baseline.
    const auto text = [&](QPoint origin, vcl::TColor color) {
        p.save();
        p.translate(origin);
        p.rotate(-FAngle);
        p.setPen(vcl::ToQColor(color));
        p.drawText(QPoint(0, fm.ascent()), Caption());
        p.restore();
    };
    for (const widgets::TTextCopy &copy : widgets::EffectCopies(F3D))
        text(at + copy.Offset, copy.Color);
    text(at, TextColor());
    Q_EMIT OnPaint();
}

TzMouseSpot::TzMouseSpot(QWidget *parent) : TzLabelBase(parent)
{
    SetAutoSize(false);
    SetTransparent(true);
    resize(20, 20);
}

void TzMouseSpot::Paint(TCanvas &)
{
    Q_EMIT OnParentPaint();
}
