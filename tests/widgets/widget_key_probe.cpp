// A test-only program that shows two controls of every class with a caption
// accelerator, each class with a letter of its own that both hold, a menu
// bar with the menu "&Other" and a button "&Over", and a tool window the
// form owns with a button "&Oil", for keys typed through a real X server and
// its window manager.
//   widget_key_probe    waits for the window manager, prints "ready" once
//                       its window has the focus (on a push button); then
//                       "<class> acted" for every action of the first
//                       control of a class, "<class> second acted" for the
//                       second, "menu" once the menu is open with the
//                       keyboard, "closed" once it has closed and the form
//                       has the keyboard again, "Over acted" for
//                       the button "&Over", "Oil acted" for "&Oil", and
//                       "mark" for F12 in any window (F11 gives the focus
//                       back to the push button with the radio buttons
//                       unchecked and answers "back"); reads lines from its
//                       input: "focus edit", "focus button" on the form,
//                       "focus combo", "focus list", "focus tool edit",
//                       "focus tool button" in the tool window (each answered
//                       "focused" once its window is active and the control
//                       has the focus), "text" (answered "text=" and the
//                       form's text field's text), "tool" (answered
//                       "combo=", "list=" and "edit=" with the tool window's
//                       current items and text), "menu disabled", "menu
//                       hidden" and "menu shown" (the menu "&Other" so,
//                       answered "changed") and "quit".
#include "widgets/Std2BitmapButtons.h"
#include "widgets/Std2Labels.h"
#include "widgets/Std2ShapeBtns.h"
#include "widgets/zAnimate.h"
#include "widgets/zAnimateColorBtns.h"
#include "widgets/zAnimateNWColorBtns.h"
#include "widgets/zAnimateShapeBtn.h"

#include "app/XSession.h"
#include "tests/widgets/ProbeInput.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <utility>

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

template <class Btn> void add(QWidget &form, const QString &name, QChar letter)
{
    auto *b = new Btn(&form);
    b->SetCaption(QStringLiteral("&") + letter);
    place(b);
    const QString line = name + QStringLiteral(" acted");
    QObject::connect(b, &Btn::OnClick, b, [line] { say(line); });
}

// One control of every class, named with `suffix` in what it says.
void addAll(QWidget &form, const QString &suffix)
{
    add<TzColorBtn>(form, QStringLiteral("TzColorBtn") + suffix, u'a');
    add<TzGradBtn>(form, QStringLiteral("TzGradBtn") + suffix, u'b');
    add<TzBitColBtn>(form, QStringLiteral("TzBitColBtn") + suffix, u'c');
    add<TzIconColBtn>(form, QStringLiteral("TzIconColBtn") + suffix, u'd');
    add<TzNWColorBtn>(form, QStringLiteral("TzNWColorBtn") + suffix, u'e');
    add<TzNWBitColBtn>(form, QStringLiteral("TzNWBitColBtn") + suffix, u'f');
    add<TzNWIconColBtn>(form, QStringLiteral("TzNWIconColBtn") + suffix, u'g');
    add<TzcShapeColorBtn>(form, QStringLiteral("TzcShapeColorBtn") + suffix, u'h');
    add<TzcShapeGradBtn>(form, QStringLiteral("TzcShapeGradBtn") + suffix, u'i');
    add<TzcFancyButton>(form, QStringLiteral("TzcFancyButton") + suffix, u'j');
    add<TzcFancyCheckBox>(form, QStringLiteral("TzcFancyCheckBox") + suffix, u'k');
    {
        // Checked once it takes the focus; F11 unchecks it again.
        auto *radio = new TzcFancyRadioButton(&form);
        radio->SetCaption(QStringLiteral("&l"));
        place(radio);
        const QString line =
            QStringLiteral("TzcFancyRadioButton") + suffix + QStringLiteral(" acted");
        QObject::connect(radio, &TzcFancyRadioButton::OnClick, radio, [line] { say(line); });
    }
    {
        auto *label = new TzcURLLabel(&form);
        label->SetURL(QString());
        label->SetCaption(QStringLiteral("&m"));
        place(label);
        const QString line = QStringLiteral("TzcURLLabel") + suffix + QStringLiteral(" acted");
        QObject::connect(label, &TzcURLLabel::OnClick, label, [line] { say(line); });
    }
    {
        auto *shape = new TzShapeBtn(&form);
        shape->SetAcceleratorKey(u'n');
        place(shape);
        const QString line = QStringLiteral("TzShapeBtn") + suffix + QStringLiteral(" acted");
        QObject::connect(shape, &TzShapeBtn::OnClick, shape, [line] { say(line); });
    }
}

// Hands every key pressed in the application to `pressed`, which says
// whether it took it.
class KeyWatch : public QObject
{
public:
    explicit KeyWatch(std::function<bool(int)> pressed) : m_pressed(std::move(pressed)) {}

    bool eventFilter(QObject *, QEvent *e) override
    {
        return e->type() == QEvent::KeyPress && m_pressed(static_cast<QKeyEvent *>(e)->key());
    }

private:
    std::function<bool(int)> m_pressed;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (!xtest::AwaitWindowManager())
        return 1;
    QWidget form;
    form.resize(520, 240);
    auto *push = new QPushButton(QStringLiteral("OK"), &form);
    // The second of each class comes after the first in tab order.
    addAll(form, QString());
    addAll(form, QStringLiteral(" second"));
    auto *edit = new QLineEdit(&form);
    edit->setGeometry(10, 190, 200, 24);
    push->setGeometry(220, 190, 60, 24);
    auto *menus = new QMenuBar(&form);
    menus->setGeometry(290, 190, 100, 24);
    QMenu *other = menus->addMenu(QStringLiteral("&Other"));
    other->addAction(QStringLiteral("Nothing"));
    // "menu" once the menu is on the screen with the keyboard (its window is
    // the focus window: the server has granted its grab), "closed" once it is
    // gone and the form has the keyboard back. A key typed sooner can reach
    // the server before the grab: Qt then takes the grab's late focus as the
    // closed menu's, makes that the active window and drops the keys after.
    enum { Still, Opening, Closing } menuMoving = Still;
    QObject::connect(other, &QMenu::aboutToShow, other, [&] { menuMoving = Opening; });
    QObject::connect(other, &QMenu::aboutToHide, other, [&] { menuMoving = Closing; });
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, other, [&](QWindow *now) {
        if (menuMoving == Opening && now && now == other->windowHandle())
            say(QStringLiteral("menu"));
        else if (menuMoving == Closing && now && now == form.windowHandle())
            say(QStringLiteral("closed"));
        else
            return;
        menuMoving = Still;
    });
    auto *over = new TzColorBtn(&form);
    over->SetCaption(QStringLiteral("&Over"));
    over->setGeometry(400, 190, 60, 24);
    QObject::connect(over, &TzColorBtn::OnClick, over, [] { say(QStringLiteral("Over acted")); });

    QWidget tool(&form, Qt::Tool);
    tool.setGeometry(10, 260, 300, 150);
    const QStringList items{QStringLiteral("apple"), QStringLiteral("hello"),
                            QStringLiteral("zebra")};
    auto *combo = new QComboBox(&tool);
    combo->addItems(items);
    combo->setGeometry(10, 10, 120, 24);
    auto *list = new QListWidget(&tool);
    list->addItems(items);
    list->setCurrentRow(0);
    list->setGeometry(140, 10, 120, 80);
    auto *toolEdit = new QLineEdit(&tool);
    toolEdit->setGeometry(10, 100, 120, 24);
    auto *toolPush = new QPushButton(QStringLiteral("Close"), &tool);
    toolPush->setGeometry(140, 100, 60, 24);
    auto *oil = new TzColorBtn(&tool);
    oil->SetCaption(QStringLiteral("&Oil"));
    oil->setGeometry(210, 100, 60, 24);
    QObject::connect(oil, &TzColorBtn::OnClick, oil, [] { say(QStringLiteral("Oil acted")); });

    // F11 gives the focus back to the push button with every radio button
    // unchecked, so that the next accelerator moves the focus anew; F12 marks
    // the end of what the test typed. Neither is a shortcut, which would
    // reset Qt's turn among the holders of a shared key.
    KeyWatch keys([&](int key) {
        if (key == Qt::Key_F11) {
            const auto radios = form.findChildren<TzcFancyRadioButton *>();
            for (TzcFancyRadioButton *radio : radios)
                radio->SetChecked(false);
            push->setFocus();
            say(QStringLiteral("back"));
        } else if (key == Qt::Key_F12) {
            say(QStringLiteral("mark"));
        }
        return key == Qt::Key_F11 || key == Qt::Key_F12;
    });
    app.installEventFilter(&keys);

    // Gives the focus to `target` and says `answer` once its window is the
    // active one and the focus is there.
    QPointer<QWidget> awaited;
    QString answer;
    QTimer awaiting;
    const auto arrived = [&] {
        if (awaited && (QApplication::activeWindow() != awaited->window() ||
                        QApplication::focusWidget() != awaited))
            return;
        awaiting.stop();
        say(answer);
    };
    QObject::connect(&awaiting, &QTimer::timeout, &form, arrived);
    const auto await = [&](QWidget *target, const QString &reply) {
        awaited = target;
        answer = reply;
        target->window()->show();
        target->window()->activateWindow();
        target->setFocus();
        awaiting.start(10);
        arrived();
    };
    await(push, QStringLiteral("ready"));

    OnInputLines(&form, [&](const QByteArray &line) {
        const QByteArray &command = line;
        const std::pair<const char *, QWidget *> targets[] = {
            {"focus edit", edit},          {"focus button", push},
            {"focus combo", combo},        {"focus list", list},
            {"focus tool edit", toolEdit}, {"focus tool button", toolPush}};
        const auto target = std::find_if(std::begin(targets), std::end(targets),
                                         [&](const auto &t) { return command == t.first; });
        if (target != std::end(targets)) {
            await(target->second, QStringLiteral("focused"));
        } else if (command == "text") {
            say(QStringLiteral("text=") + edit->text());
        } else if (command == "tool") {
            say(QStringLiteral("combo=") + combo->currentText());
            say(QStringLiteral("list=") +
                (list->currentItem() ? list->currentItem()->text() : QString()));
            say(QStringLiteral("edit=") + toolEdit->text());
        } else if (command.startsWith("menu ")) {
            other->menuAction()->setEnabled(command != "menu disabled");
            other->menuAction()->setVisible(command != "menu hidden");
            say(QStringLiteral("changed"));
        } else if (command == "quit") {
            QCoreApplication::quit();
        }
    });
    return app.exec();
}
