// The event plumbing of the push buttons, whatever their widget base: the
// pointer's entering and leaving, the space bar's first press and release,
// and Return or Enter while focused. Each button answers the steps in which
// it differs.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include "widgets/ButtonPress.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QWidget>

namespace widgets {

class TCanvas;

// What every owner-drawn push button reports and holds: OnClick, OnPaint and
// the mouse, the pressed state, and its canvas while it paints.
class PushButtonBase : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(PushButtonBase)

public:
    bool Down() const { return FPush.down; }
    bool Tracking() const { return FPush.tracking; }

    // The control's canvas while it paints and OnPaint is emitted, else null.
    TCanvas *Canvas() const { return FCanvas; }

Q_SIGNALS:
    void OnClick();
    // After every paint, the face already on the control.
    void OnPaint();
    void OnMouseEnter();
    void OnMouseLeave();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    explicit PushButtonBase(QWidget *parent) : QWidget(parent) {}

    // FDown and FTracking.
    PushTracker FPush;
    TCanvas *FCanvas = nullptr;
};

template <class Base> class HoverEvents : public Base
{
public:
    using Base::Base;

protected:
    virtual void CMMouseEnter() = 0;
    virtual void CMMouseLeave() = 0;

    void enterEvent(QEnterEvent *) override { CMMouseEnter(); }
    void leaveEvent(QEvent *) override { CMMouseLeave(); }
};

template <class Base> class PushKeys : public Base
{
public:
    using Base::Base;

    // Over a base that already has Click this only restates it, which clang
    // would ask to be marked override; over one that has none it declares it.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Winconsistent-missing-override"
#endif
    virtual void Click() = 0;
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

protected:
    // The space bar pressed and let go; held keys repeat, only the first counts.
    virtual void WmKeyDown() = 0;
    virtual void WmKeyUp() = 0;

    void keyPressEvent(QKeyEvent *e) override
    {
        switch (e->key()) {
        case Qt::Key_Space:
            if (!e->isAutoRepeat())
                WmKeyDown();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (this->hasFocus() && this->isVisible() && this->isEnabled()) {
                Click();
                return;
            }
            break;
        default:
            break;
        }
        Base::keyPressEvent(e);
    }

    void keyReleaseEvent(QKeyEvent *e) override
    {
        if (e->key() != Qt::Key_Space) {
            Base::keyReleaseEvent(e);
            return;
        }
        if (!e->isAutoRepeat())
            WmKeyUp();
    }
};

// A dialog push button: both of the above.
template <class Base> using PushButtonEvents = PushKeys<HoverEvents<Base>>;

} // namespace widgets
