#include "widgets/Std2Splash.h"

#include "platform/win/SystemTime.h"
#include "widgets/Canvas.h"
#include "widgets/MystdForms.h"
#include "widgets/Std2WindowShape.h"
#include "widgets/zAnimateBitmapControls.h"
#include "widgets/zAnimateFastBmp.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace widgets {

TSplashLayout SplashLayout(int w, int h, int sw, int sh, const TSplashSizing &s)
{
    TSplashLayout l;
    l.Width = w + 4 + s.AddWidth;
    l.Height = h + 4 + s.AddHeight;
    if (s.Shape == ssCircle)
        l.Width = l.Height = std::max(l.Width, l.Height);
    if (s.AdjustforFrame && s.DrawFrame) {
        l.Width += 2 * (s.FrameThickness + s.FrameMargin);
        l.Height += 2 * (s.FrameThickness + s.FrameMargin);
        if (s.Shape == ssCircle)
            l.Width = l.Height = std::max(l.Width, l.Height);
    }
    if (l.Width < sw && l.Height < sh) {
        l.XOffset = (l.Width - w) / 2;
        l.YOffset = (l.Height - h) / 2;
    }
    l.Width = std::min(l.Width, sw);
    l.Height = std::min(l.Height, sh);
    l.Left = (sw - l.Width) / 2;
    l.Top = (sh - l.Height) / 2;
    return l;
}

QRegion SplashRegion(const TSplashLayout &l, zSplashStyleType shape)
{
    const QRect r(l.Left, l.Top, l.Width, l.Height);
    return shape == ssZRectangle ? QRegion(r) : QRegion(r, QRegion::Ellipse);
}

bool BottomLeftColor(const QImage &bitmap, vcl::TColor &color)
{
    if (bitmap.width() <= 0 || bitmap.height() <= 0)
        return false;
    color = vcl::FromQColor(QColor(bitmap.pixel(0, bitmap.height() - 1)));
    return true;
}

} // namespace widgets

namespace {

using widgets::TCanvas;

// The window system's arc: on the ellipse in the box (right and bottom
// excluded), counter-clockwise from the ray through `from` to the ray
// through `to`.
void Arc(TCanvas &canvas, int left, int top, int right, int bottom, QPoint from, QPoint to)
{
    const QRectF box(left, top, right - left - 1, bottom - top - 1);
    if (box.width() <= 0 || box.height() <= 0)
        return;
    const QPointF c = box.center();
    const double rx = box.width() / 2, ry = box.height() / 2;
    // Qt measures its angles on the circle the ellipse is stretched from.
    auto angle = [&](QPoint p) {
        return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / std::numbers::pi;
    };
    const double start = angle(from);
    double span = angle(to) - start;
    while (span <= 0)
        span += 360;
    QPainter &p = canvas.Painter();
    p.save();
    p.setPen(QPen(vcl::ToQColor(canvas.Pen.Color), canvas.Pen.Width));
    p.setBrush(Qt::NoBrush);
    p.drawArc(box, int(std::lround(start * 16)), int(std::lround(span * 16)));
    p.restore();
}

// A rectangle or ellipse outline of the pen's width centred on the box's
// edge, with nothing filled.
void Outline(TCanvas &canvas, const QRect &box, bool ellipse, vcl::TColor color, int width)
{
    QPainter &p = canvas.Painter();
    p.save();
    p.setPen(QPen(vcl::ToQColor(color), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF r(box.left(), box.top(), box.width() - 1, box.height() - 1);
    if (ellipse)
        p.drawEllipse(r);
    else
        p.drawRect(r);
    p.restore();
}

void Line3(TCanvas &canvas, vcl::TColor color, QPoint a, QPoint b, QPoint c)
{
    canvas.Pen.Color = color;
    canvas.MoveTo(a.x(), a.y());
    canvas.LineTo(b.x(), b.y());
    canvas.LineTo(c.x(), c.y());
}

} // namespace

// The frameless, shaped, always-on-top window that shows the splash.
class TzSplashWindow : public QWidget
{
public:
    TzSplashWindow(const QImage &image, const QRegion &shape, const QPoint &at)
        : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
          m_image(image)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setGeometry(QRect(at, image.size()));
        widgets::SetWindowMask(*this, shape);
    }

    const QImage &Image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.drawImage(0, 0, m_image);
    }

private:
    QImage m_image;
};

TzSplashForm::TzSplashForm(QObject *owner) : QObject(owner)
{
    Delay = [](std::uint32_t ms) { win::Sleep(ms); };
    m_form = widgets::FindForm(this);
    m_form->installEventFilter(this);
}

TzSplashForm::~TzSplashForm()
{
    // A splash whose form never painted would otherwise stay on screen.
    m_window.reset();
}

QWidget *TzSplashForm::SplashWindow() const
{
    return m_window.get();
}

void TzSplashForm::Loaded()
{
    if (OnCreate)
        OnCreate(this);
    MakeSplash();
    DoSplash();
}

void TzSplashForm::SetBitMap(const QImage &bitmap)
{
    m_bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    m_picture = m_bitmap;
    vcl::TColor c;
    if (m_autoBackColor && widgets::BottomLeftColor(m_bitmap, c))
        m_transparentColor = c;
}

void TzSplashForm::SetPicture(const QImage &picture)
{
    if (picture.isNull())
        return;
    QImage bitmap(picture.size(), QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    QPainter(&bitmap).drawImage(0, 0, picture);
    SetBitMap(bitmap);
}

void TzSplashForm::SetAuto(bool value)
{
    m_autoBackColor = value;
    vcl::TColor c;
    if (value && widgets::BottomLeftColor(m_bitmap, c))
        m_transparentColor = c;
}

void TzSplashForm::SetTransparentColor(vcl::TColor value)
{
    if (value == m_transparentColor)
        return;
    m_autoBackColor = false;
    m_transparentColor = value;
}

void TzSplashForm::MakeSplash()
{
    if (OnBeforeShow)
        OnBeforeShow(this);
    QSize screen(640, 480);
    if (const QScreen *s = QGuiApplication::primaryScreen())
        screen = s->geometry().size();
    m_layout = widgets::SplashLayout(m_bitmap.width(), m_bitmap.height(), screen.width(),
                                     screen.height(), m_sizing);
    m_region = widgets::SplashRegion(m_layout, m_sizing.Shape);
    m_done = false;
    if (OnShow)
        OnShow(this);
}

QRegion TzSplashForm::PaintSplash(widgets::TCanvas &canvas) const
{
    const int L = m_layout.Left, T = m_layout.Top, Wd = m_layout.Width, Ht = m_layout.Height;
    const bool picture = m_bitmap.width() > 0 && m_bitmap.height() > 0;
    const int x = L + m_layout.XOffset, y = T + m_layout.YOffset;
    vcl::TColor transparent = m_transparentColor;
    if (picture && m_autoBackColor)
        widgets::BottomLeftColor(m_bitmap, transparent);
    // Unfilled, the screen shows through where the picture has its key
    // colour; filled, the splash colour does. A window the X server cannot
    // take so cut is filled instead.
    QRegion shape = m_region;
    bool fill = m_fill;
    if (picture && static_cast<std::int32_t>(transparent) >= 0 && m_realTransparent && !m_fill) {
        const QImage mask =
            m_bitmap.createMaskFromColor(vcl::ToQColor(transparent).rgb(), Qt::MaskOutColor);
        shape -= QRegion(QBitmap::fromImage(mask)).translated(x, y);
        if (!widgets::ServerTakesWindowShape(shape)) {
            shape = m_region;
            fill = true;
        }
    }
    QPainter &painter = canvas.Painter();
    painter.save();
    painter.setClipRegion(m_region);
    canvas.Brush = {m_color, widgets::bsSolid};
    canvas.Pen = {m_color, 1, widgets::psSolid};
    if (fill)
        canvas.FillRect({L, T, L + Wd, T + Ht});
    canvas.Brush.Style = widgets::bsClear;
    canvas.Pen.Color = m_highlightColor;
    const int h = m_sizing.FrameThickness / 2, m = m_sizing.FrameMargin;
    const QRect frame(QPoint(L + m + h, T + m + h), QPoint(L + Wd - m - h - 1, T + Ht - m - h - 1));
    if (m_sizing.Shape == ssZRectangle) {
        if (m_use3D) {
            Line3(canvas, m_highlightColor, {L + 1, T + Ht - 1}, {L + 1, T + 1}, {L + Wd, T + 1});
            Line3(canvas, m_shadowColor, {L + Wd - 2, T + 1}, {L + Wd - 2, T + Ht - 2},
                  {L, T + Ht - 2});
            Line3(canvas, vcl::clBlack, {L + 1, T + Ht - 1}, {L + Wd - 1, T + Ht - 1},
                  {L + Wd - 1, T});
        }
        if (m_sizing.DrawFrame)
            Outline(canvas, frame, false, m_frameColor, m_sizing.FrameThickness);
    } else {
        const int k = Ht / 3 + Ht / 2;
        if (m_use3D) {
            canvas.Pen.Color = m_highlightColor;
            Arc(canvas, L + 1, T + 1, L + Wd - 2, T + Ht - 2, {L + Wd - 1, T + 1}, {L + 1, T + k});
        }
        canvas.Pen.Color = m_shadowColor;
        Arc(canvas, L + 1, T + 1, L + Wd - 2, T + Ht - 2, {L + 1, T + k}, {L + Wd - 1, T + 1});
        canvas.Pen.Color = vcl::clBlack;
        Arc(canvas, L, T, L + Wd - 1, T + Ht - 1, {L, T + k}, {L + Wd - 1, T + 1});
        if (m_sizing.DrawFrame)
            Outline(canvas, frame, true, m_frameColor, m_sizing.FrameThickness);
    }

    if (picture) {
        if (static_cast<std::int32_t>(transparent) < 0) {
            canvas.Draw(x, y, m_bitmap);
        } else if (m_realTransparent) {
            widgets::TransparentBlt(canvas, m_bitmap, x, y, transparent);
        } else {
            QImage copy = m_bitmap;
            const QRgb key = vcl::ToQColor(transparent).rgb() | 0xFF000000u;
            const QRgb fill = vcl::ToQColor(m_color).rgb() | 0xFF000000u;
            for (int row = 0; row < copy.height(); ++row) {
                auto *line = reinterpret_cast<QRgb *>(copy.scanLine(row));
                for (int col = 0; col < copy.width(); ++col)
                    if ((line[col] | 0xFF000000u) == key)
                        line[col] = fill;
            }
            canvas.Draw(x, y, copy);
        }
    }
    painter.restore();
    return shape;
}

void TzSplashForm::DoSplash()
{
    TzDesktop desktop;
    const QRegion shape = PaintSplash(desktop);
    const QRect r(m_layout.Left, m_layout.Top, m_layout.Width, m_layout.Height);
    QPoint origin;
    if (const QScreen *s = QGuiApplication::primaryScreen())
        origin = s->geometry().topLeft();
    m_window = std::make_unique<TzSplashWindow>(
        desktop.Image().copy(r), shape.translated(-r.topLeft()), origin + r.topLeft());
    m_window->show();
    m_window->raise();
    m_window->repaint();
}

void TzSplashForm::DoRemove()
{
    m_window.reset();
    m_region = QRegion();
}

bool TzSplashForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form && event->type() == QEvent::Paint && !m_done) {
        m_done = true;
        // After the form's paint, never inside it.
        QMetaObject::invokeMethod(this, &TzSplashForm::afterFirstPaint, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void TzSplashForm::afterFirstPaint()
{
    // The events run here may close the form and free this component.
    const QPointer<TzSplashForm> self(this);
    QCoreApplication::processEvents();
    if (!self)
        return;
    // Drawn again, so that it lies above the freshly painted form.
    if (m_moveSplashUp)
        DoSplash();
    QCoreApplication::processEvents();
    if (!self)
        return;
    if (OnBeforeDelay)
        OnBeforeDelay(this);
    if (Delay)
        Delay(m_mainFormDelay);
    if (OnBeforeClose)
        OnBeforeClose(this);
    DoRemove();
    if (OnAfterClose)
        OnAfterClose(this);
}
