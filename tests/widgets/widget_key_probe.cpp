// A test-only program that shows one control of every class with a caption
// accelerator, each with a letter of its own, for keys typed through a real
// X server.
//   widget_key_probe    prints "ready" once its window has the focus (on a
//                       push button); then "<class> acted" for every action
//                       of a control; reads lines from its input:
//                       "focus edit", "focus button" (answered "focused"),
//                       "text" (answered "text=" and the text field's text)
//                       and "quit".
#include "widgets/Std2BitmapButtons.h"
#include "widgets/Std2Labels.h"
#include "widgets/Std2ShapeBtns.h"
#include "widgets/zAnimate.h"
#include "widgets/zAnimateColorBtns.h"
#include "widgets/zAnimateNWColorBtns.h"
#include "widgets/zAnimateShapeBtn.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

int column = 0;

void place(QWidget *w)
{
    w->setGeometry(10 + (column % 7) * 70, 10 + (column / 7) * 40, 60, 30);
    ++column;
}

template <class Btn> void add(QWidget &form, const char *name, QChar letter)
{
    auto *b = new Btn(&form);
    b->SetCaption(QStringLiteral("&") + letter);
    place(b);
    const QString line = QString::fromLatin1(name) + QStringLiteral(" acted");
    QObject::connect(b, &Btn::OnClick, b, [line] { say(line); });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget form;
    form.resize(520, 200);
    add<TzColorBtn>(form, "TzColorBtn", u'a');
    add<TzGradBtn>(form, "TzGradBtn", u'b');
    add<TzBitColBtn>(form, "TzBitColBtn", u'c');
    add<TzIconColBtn>(form, "TzIconColBtn", u'd');
    add<TzNWColorBtn>(form, "TzNWColorBtn", u'e');
    add<TzNWBitColBtn>(form, "TzNWBitColBtn", u'f');
    add<TzNWIconColBtn>(form, "TzNWIconColBtn", u'g');
    add<TzcShapeColorBtn>(form, "TzcShapeColorBtn", u'h');
    add<TzcShapeGradBtn>(form, "TzcShapeGradBtn", u'i');
    add<TzcFancyButton>(form, "TzcFancyButton", u'j');
    add<TzcFancyCheckBox>(form, "TzcFancyCheckBox", u'k');
    auto *push = new QPushButton(QStringLiteral("OK"), &form);
    {
        auto *radio = new TzcFancyRadioButton(&form);
        radio->SetCaption(QStringLiteral("&l"));
        place(radio);
        // Checked once it takes the focus; unchecked again and the focus
        // given back, so that the next accelerator moves the focus anew.
        QObject::connect(radio, &TzcFancyRadioButton::OnClick, radio, [radio, push] {
            say(QStringLiteral("TzcFancyRadioButton acted"));
            QTimer::singleShot(0, radio, [radio, push] {
                radio->SetChecked(false);
                push->setFocus();
            });
        });
    }
    {
        auto *label = new TzcURLLabel(&form);
        label->SetURL(QString());
        label->SetCaption(QStringLiteral("&m"));
        place(label);
        QObject::connect(label, &TzcURLLabel::OnClick, label,
                         [] { say(QStringLiteral("TzcURLLabel acted")); });
    }
    {
        auto *shape = new TzShapeBtn(&form);
        shape->SetAcceleratorKey(u'n');
        place(shape);
        QObject::connect(shape, &TzShapeBtn::OnClick, shape,
                         [] { say(QStringLiteral("TzShapeBtn acted")); });
    }
    auto *edit = new QLineEdit(&form);
    edit->setGeometry(10, 150, 200, 24);
    push->setGeometry(220, 150, 60, 24);

    form.show();
    form.activateWindow();
    push->setFocus();
    auto *ready = new QTimer(&form);
    QObject::connect(ready, &QTimer::timeout, &form, [&form, push, ready] {
        if (QGuiApplication::focusWindow() != form.windowHandle() || !push->hasFocus())
            return;
        ready->stop();
        say(QStringLiteral("ready"));
    });
    ready->start(20);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &form, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray command = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (command == "focus edit" || command == "focus button") {
                QWidget *target = command == "focus edit" ? static_cast<QWidget *>(edit) : push;
                target->setFocus();
                say(QStringLiteral("focused"));
            } else if (command == "text") {
                say(QStringLiteral("text=") + edit->text());
            } else if (command == "quit") {
                QCoreApplication::quit();
            }
        }
    });
    return app.exec();
}
