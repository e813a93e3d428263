#include "forms/FormControls.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QWheelEvent>

QPushButton *formButton(QWidget *parent, const char *name, const char *caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

namespace {

// The scroll area the control sits in now; a control may be moved to
// another page after it was built.
QScrollArea *enclosingArea(const QWidget *control)
{
    for (QWidget *w = control->parentWidget(); w; w = w->parentWidget())
        if (auto *area = qobject_cast<QScrollArea *>(w))
            return area;
    return nullptr;
}

// Hands the wheel of a control without the focus to the page's scroll area.
class PageWheel : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        const auto *control = qobject_cast<QWidget *>(watched);
        QScrollArea *area = control ? enclosingArea(control) : nullptr;
        if (!area || control->hasFocus())
            return false;
        const auto *wheel = static_cast<QWheelEvent *>(event);
        QWidget *viewport = area->viewport();
        QWheelEvent forwarded(viewport->mapFromGlobal(wheel->globalPosition()),
                              wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(),
                              wheel->buttons(), wheel->modifiers(), wheel->phase(),
                              wheel->inverted(), wheel->source());
        QCoreApplication::sendEvent(viewport, &forwarded);
        return true;
    }
};

} // namespace

void WheelScrollsPage(QScrollArea *area)
{
    if (!area || !area->widget())
        return;
    auto *filter = new PageWheel(area);
    const QList<QWidget *> controls = area->widget()->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        const bool wheelTaker =
            qobject_cast<QComboBox *>(control) || qobject_cast<QAbstractSpinBox *>(control);
        if (!wheelTaker && !qobject_cast<QLineEdit *>(control))
            continue;
        // The wheel over a control must scroll, not first make it the focus.
        if (wheelTaker && control->focusPolicy() == Qt::WheelFocus)
            control->setFocusPolicy(Qt::StrongFocus);
        control->installEventFilter(filter);
    }
}
