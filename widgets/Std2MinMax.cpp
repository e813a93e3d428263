#include "widgets/Std2MinMax.h"

#include "widgets/MystdForms.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace widgets {

void RaiseLimits(TMinMaxValues &v)
{
    v.MaxWidth = std::max(v.MaxWidth, v.MinDragWidth);
    v.MaxHeight = std::max(v.MaxHeight, v.MinDragHeight);
    v.MaxDragWidth = std::max(v.MaxDragWidth, v.MaxWidth);
    v.MaxDragHeight = std::max(v.MaxDragHeight, v.MaxHeight);
}

QRect LimitFormGeometry(QRect g, bool maximised, const TMinMaxValues &v)
{
    if (!maximised) {
        g.setWidth(std::min(g.width(), v.MaxDragWidth));
        g.setHeight(std::min(g.height(), v.MaxDragHeight));
    } else {
        g.moveTo(v.MaxLeft, v.MaxTop);
        g.setWidth(std::min(g.width(), v.MaxWidth));
        g.setHeight(std::min(g.height(), v.MaxHeight));
    }
    g.setWidth(std::max(g.width(), v.MinDragWidth));
    g.setHeight(std::max(g.height(), v.MinDragHeight));
    return g;
}

void LeaveTaskBarFree(TMinMaxValues &v, int screenWidth, int screenHeight, const TRect &r)
{
    const int sw = screenWidth + 1, sh = screenHeight + 1;
    v.MaxLeft = 0;
    v.MaxTop = 0;
    v.MaxDragWidth = sw - 1;
    v.MaxDragHeight = sh - 1;
    if (r.Left >= 2) {
        v.MaxDragWidth = sw - (r.Right - r.Left - 1);
    } else if (r.Top >= 2) {
        v.MaxDragHeight = sh - (r.Bottom - r.Top - 1);
    } else if (sw - 2 > r.Right) {
        v.MaxLeft = r.Right;
        v.MaxDragWidth = sw - r.Right;
    } else {
        v.MaxTop = r.Bottom;
        v.MaxDragHeight = sh - r.Bottom;
    }
}

bool TaskBarRect(const QRect &screen, const QRect &available, TRect &bar)
{
    const int w = screen.width(), h = screen.height();
    const QRect a = available.translated(-screen.topLeft());
    // The window system's bar reaches 2 pixels past the screen's edges.
    if (a.right() + 1 < w)
        bar = {a.right() + 1, -2, w + 2, h + 2};
    else if (a.bottom() + 1 < h)
        bar = {-2, a.bottom() + 1, w + 2, h + 2};
    else if (a.left() > 0)
        bar = {-2, -2, a.left(), h + 2};
    else if (a.top() > 0)
        bar = {-2, -2, w + 2, a.top()};
    else
        return false;
    return true;
}

} // namespace widgets

TzMinMax::TzMinMax(QObject *owner) : QObject(owner)
{
    m_form = widgets::FindForm(this);
    SetSize();
}

TzMinMax::~TzMinMax() = default;

void TzMinMax::Loaded()
{
    if (!m_form || m_hooked)
        return;
    m_form->installEventFilter(this);
    m_hooked = true;
    apply();
}

void TzMinMax::SetSize()
{
    if (m_useDefaultSize || !m_form)
        return;
    widgets::RaiseLimits(m_values);
    const QRect now = m_form->geometry();
    const QRect limited = widgets::LimitFormGeometry(now, m_form->isMaximized(), m_values);
    if (limited != now)
        m_form->setGeometry(limited);
}

void TzMinMax::set(std::int32_t &field, std::int32_t value)
{
    field = value;
    SetSize();
    apply();
}

void TzMinMax::SetUseDefault(bool value)
{
    m_useDefaultSize = value;
    SetSize();
    apply();
}

void TzMinMax::SetAuto(bool value)
{
    m_autoTaskBar = value;
    if (m_form && m_form->isMaximized()) {
        m_form->showNormal();
        m_form->showMaximized();
    }
    apply();
}

widgets::TMinMaxValues TzMinMax::Answer(const QRect &screen, const QRect &available)
{
    if (m_useDefaultSize) {
        // The system's own limits: no minimum, the work area at most.
        m_values.MinDragWidth = 0;
        m_values.MinDragHeight = 0;
        m_values.MaxWidth = available.width();
        m_values.MaxHeight = available.height();
        m_values.MaxDragWidth = available.width();
        m_values.MaxDragHeight = available.height();
        m_values.MaxLeft = available.left();
        m_values.MaxTop = available.top();
    }
    widgets::TMinMaxValues w = m_values;
    widgets::TRect bar;
    if (m_autoTaskBar && widgets::TaskBarRect(screen, available, bar))
        widgets::LeaveTaskBarFree(w, screen.width(), screen.height(), bar);
    if (OnSizeChange)
        OnSizeChange(this, w.MinDragWidth, w.MinDragHeight, w.MaxWidth, w.MaxHeight, w.MaxDragWidth,
                     w.MaxDragHeight, w.MaxLeft, w.MaxTop);
    return w;
}

void TzMinMax::apply()
{
    if (!m_hooked || !m_form)
        return;
    QRect screen(0, 0, 640, 480), available = screen;
    if (const QScreen *s = m_form->screen() ? m_form->screen() : QGuiApplication::primaryScreen()) {
        screen = s->geometry();
        available = s->availableGeometry();
    }
    const widgets::TMinMaxValues w = Answer(screen, available);
    const int minW = std::clamp(w.MinDragWidth, 0, QWIDGETSIZE_MAX);
    const int minH = std::clamp(w.MinDragHeight, 0, QWIDGETSIZE_MAX);
    m_form->setMinimumSize(minW, minH);
    m_form->setMaximumSize(std::clamp(w.MaxDragWidth, minW, QWIDGETSIZE_MAX),
                           std::clamp(w.MaxDragHeight, minH, QWIDGETSIZE_MAX));
}

bool TzMinMax::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form && event->type() == QEvent::Show)
        apply();
    return QObject::eventFilter(watched, event);
}
