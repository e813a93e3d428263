// Size limits of a form in the Std2 widget unit.
#pragma once

#include "widgets/Canvas.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QRect>

#include <cstdint>
#include <functional>

namespace widgets {

struct TMinMaxValues
{
    std::int32_t MinDragWidth = 0;
    std::int32_t MinDragHeight = 0;
    std::int32_t MaxWidth = 600;
    std::int32_t MaxHeight = 400;
    std::int32_t MaxDragWidth = 600;
    std::int32_t MaxDragHeight = 400;
    std::int32_t MaxLeft = 0;
    std::int32_t MaxTop = 0;
    friend bool operator==(const TMinMaxValues &, const TMinMaxValues &) = default;
};

// The maximum sizes raised to the minimum ones, the tracking maxima to the
// maxima.
void RaiseLimits(TMinMaxValues &v);
// A form's geometry within the limits: cut to the tracking maxima, or when
// maximised placed at the maximised position and cut to the maxima; then
// raised to the minima.
QRect LimitFormGeometry(QRect geometry, bool maximised, const TMinMaxValues &v);
// The limits that leave the task bar (`bar`, in the window system's
// rectangle, reaching up to 2 pixels past the screen) free on a screen of
// the given size.
void LeaveTaskBarFree(TMinMaxValues &v, int screenWidth, int screenHeight, const TRect &bar);
// The task bar as the window system would give it for a screen whose work
// area is `available`; false when the work area is the whole screen.
bool TaskBarRect(const QRect &screen, const QRect &available, TRect &bar);

} // namespace widgets

using TAskSize =
    std::function<void(QObject *Sender, std::int32_t &MinDragWidth, std::int32_t &MinDragHeight,
                       std::int32_t &MaxWidth, std::int32_t &MaxHeight, std::int32_t &MaxDragWidth,
                       std::int32_t &MaxDragHeight, std::int32_t &Maxleft, std::int32_t &MaxTop)>;

// Limits its form's size: the minimum and the maximum tracking size become
// the form's minimum and maximum size whenever the limits are set and when
// the form is shown. The maximised size and position have no counterpart in
// the window systems here (the window manager places a maximised window),
// so they only cut the form's geometry in SetSize().
//
// Thread contract: main thread only.
class TzMinMax : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzMinMax)

public:
    // Raises EComponentError "NoForm" when no form owns the component.
    explicit TzMinMax(QObject *owner);
    ~TzMinMax() override;

    // Called by the form builder once the form is complete: from here on
    // the form follows the limits.
    void Loaded();
    virtual void SetSize();

    const widgets::TMinMaxValues &Values() const { return m_values; }
    void SetMinDragWidth(std::int32_t v) { set(m_values.MinDragWidth, v); }
    void SetMinDragHeight(std::int32_t v) { set(m_values.MinDragHeight, v); }
    void SetMaxWidth(std::int32_t v) { set(m_values.MaxWidth, v); }
    void SetMaxHeight(std::int32_t v) { set(m_values.MaxHeight, v); }
    void SetMaxDragWidth(std::int32_t v) { set(m_values.MaxDragWidth, v); }
    void SetMaxDragHeight(std::int32_t v) { set(m_values.MaxDragHeight, v); }
    void SetMaxLeft(std::int32_t v) { set(m_values.MaxLeft, v); }
    void SetMaxTop(std::int32_t v) { set(m_values.MaxTop, v); }
    bool UseDefaultSize() const { return m_useDefaultSize; }
    void SetUseDefault(bool value);
    bool AutoTaskBarAjust() const { return m_autoTaskBar; }
    void SetAuto(bool value);
    // Kept for the form's sake: every top-level window here has its
    // task-bar button.
    bool ShowOnStatusBar() const { return m_showOnStatusBar; }
    void SetTB(bool value) { m_showOnStatusBar = value; }

    TAskSize OnSizeChange;

    // What the form is told: the eight values after the task bar and
    // OnSizeChange, for a screen and its work area.
    widgets::TMinMaxValues Answer(const QRect &screen, const QRect &available);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void set(std::int32_t &field, std::int32_t value);
    void apply();

    bool m_autoTaskBar = false;
    widgets::TMinMaxValues m_values;
    bool m_useDefaultSize = false;
    bool m_hooked = false;
    QPointer<QWidget> m_form;
    bool m_showOnStatusBar = false;
};
