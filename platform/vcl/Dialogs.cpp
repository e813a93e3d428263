#include "platform/vcl/Dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace vcl {

namespace {

class MessageBoxProvider final : public DialogProvider
{
public:
    MsgButton show(QWidget *parent, MsgType type, const QString &caption, const QString &text,
                   MsgButtons buttons) override
    {
        QMessageBox box(icon(type), caption, text, QMessageBox::NoButton, parent);
        QMessageBox::StandardButtons standard;
        if (buttons.testFlag(MsgButton::Ok))
            standard |= QMessageBox::Ok;
        if (buttons.testFlag(MsgButton::Yes))
            standard |= QMessageBox::Yes;
        if (buttons.testFlag(MsgButton::No))
            standard |= QMessageBox::No;
        if (buttons.testFlag(MsgButton::Cancel))
            standard |= QMessageBox::Cancel;
        if (standard == QMessageBox::NoButton)
            standard = QMessageBox::Ok;
        box.setStandardButtons(standard);
        const MsgButton escape = escapeButton(buttons);
        box.setEscapeButton(toStandard(escape));
        box.exec();
        switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok:
            return MsgButton::Ok;
        case QMessageBox::Yes:
            return MsgButton::Yes;
        case QMessageBox::No:
            return MsgButton::No;
        case QMessageBox::Cancel:
            return MsgButton::Cancel;
        default:
            return escape;
        }
    }

private:
    static QMessageBox::Icon icon(MsgType type)
    {
        switch (type) {
        case MsgType::Information:
            return QMessageBox::Information;
        case MsgType::Warning:
            return QMessageBox::Warning;
        case MsgType::Error:
            return QMessageBox::Critical;
        case MsgType::Confirmation:
            return QMessageBox::Question;
        }
        return QMessageBox::NoIcon;
    }

    static MsgButton escapeButton(MsgButtons buttons)
    {
        if (buttons.testFlag(MsgButton::Cancel))
            return MsgButton::Cancel;
        if (buttons.testFlag(MsgButton::No))
            return MsgButton::No;
        if (buttons.testFlag(MsgButton::Ok) || buttons == MsgButtons())
            return MsgButton::Ok;
        return MsgButton::Yes;
    }

    static QMessageBox::StandardButton toStandard(MsgButton b)
    {
        switch (b) {
        case MsgButton::Ok:
            return QMessageBox::Ok;
        case MsgButton::Yes:
            return QMessageBox::Yes;
        case MsgButton::No:
            return QMessageBox::No;
        case MsgButton::Cancel:
            return QMessageBox::Cancel;
        case MsgButton::None:
            break;
        }
        return QMessageBox::NoButton;
    }
};

MessageBoxProvider defaultProvider;
DialogProvider *installed = nullptr; // main thread only

} // namespace

DialogProvider *setDialogProvider(DialogProvider *provider)
{
    return std::exchange(installed, provider);
}

DialogProvider &dialogProvider()
{
    return installed ? *installed : defaultProvider;
}

QString MsgTypeCaption(MsgType type)
{
    switch (type) {
    case MsgType::Information:
        return QStringLiteral("Information");
    case MsgType::Warning:
        return QStringLiteral("Warning");
    case MsgType::Error:
        return QStringLiteral("Error");
    case MsgType::Confirmation:
        return QStringLiteral("Confirmation");
    }
    return QString();
}

void ShowMessage(const QString &text, QWidget *parent)
{
    MessageBox(text, QGuiApplication::applicationDisplayName(), MsgType::Information, MsgButton::Ok,
               parent);
}

MsgButton MessageDlg(const QString &text, MsgType type, MsgButtons buttons, QWidget *parent)
{
    return MessageBox(text, MsgTypeCaption(type), type, buttons, parent);
}

MsgButton MessageBox(const QString &text, const QString &caption, MsgType type, MsgButtons buttons,
                     QWidget *parent)
{
    return dialogProvider().show(parent, type, caption, text, buttons);
}

void ShowMessageLater(const QString &text, QWidget *parent)
{
    PostMessageBox(text, QGuiApplication::applicationDisplayName(), MsgType::Information,
                   MsgButton::Ok, parent);
}

void PostMessageBox(const QString &text, const QString &caption, MsgType type, MsgButtons buttons,
                    QWidget *parent, std::function<void(MsgButton)> answered)
{
    QPointer<QWidget> guardedParent(parent);
    auto show = [text, caption, type, buttons, guardedParent, answered = std::move(answered)] {
        const MsgButton pressed = MessageBox(text, caption, type, buttons, guardedParent.data());
        if (answered)
            answered(pressed);
    };
    // Hop to the main thread, then show the box from a timer rather than from
    // the posted call itself: a modal loop running inside a posted event holds
    // back the events posted behind it, among them the worker thread's
    // hand-overs, and the link would stall while the box is open.
    QMetaObject::invokeMethod(
        qApp,
        [show = std::move(show)]() mutable {
            auto *timer = new QTimer(qApp);
            timer->setSingleShot(true);
            QObject::connect(timer, &QTimer::timeout, qApp, [timer, show = std::move(show)] {
                timer->deleteLater();
                show();
            });
            timer->start(0);
        },
        Qt::QueuedConnection);
}

} // namespace vcl
