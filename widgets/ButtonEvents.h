// The event plumbing of the push buttons, whatever their widget base: the
// pointer's entering and leaving, the space bar's first press and release,
// and Return or Enter while focused. Each button answers the steps in which
// it differs.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include <QEnterEvent>
#include <QKeyEvent>

namespace widgets {

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

    virtual void Click() = 0;

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
