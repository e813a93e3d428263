#include "platform/vcl/Dialogs.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QScreen>
#include <QSpacerItem>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace vcl {

namespace {

// The width a window frame takes beside its caption's text: a window icon
// and three buttons, each about a square a little higher than the text, and
// the gaps between them.
int CaptionRoom(const QFontMetrics &titleFont)
{
    return 5 * (titleFont.height() + 8);
}

class MessageBoxProvider final : public DialogProvider
{
public:
    MsgButton show(QWidget *parent, MsgType type, const QString &caption, const QString &text,
                   MsgButtons buttons, MsgButton defaultButton) override
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
        if (defaultButton != MsgButton::None && buttons.testFlag(defaultButton))
            box.setDefaultButton(toStandard(defaultButton));
        KeepCaptionWhole(box);
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
    // The box sizes itself to its text, and the window manager shortens a
    // caption that does not fit beside its buttons: the box is made as wide
    // as the caption in a bold title font and the frame's icon and buttons need.
    static void KeepCaptionWhole(QMessageBox &box)
    {
        auto *grid = qobject_cast<QGridLayout *>(box.layout());
        if (!grid)
            return;
        QFont font = QApplication::font("QMdiSubWindowTitleBar");
        font.setBold(true);
        const QFontMetrics metrics(font);
        int width = metrics.horizontalAdvance(box.windowTitle()) + CaptionRoom(metrics);
        if (const QScreen *screen = box.screen())
            width = std::min(width, screen->availableGeometry().width());
        const QMargins margins = grid->contentsMargins();
        grid->addItem(new QSpacerItem(width - margins.left() - margins.right(), 0,
                                      QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }

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

MsgButton MessageDlg(const QString &text, MsgType type, MsgButtons buttons, QWidget *parent,
                     MsgButton defaultButton)
{
    return MessageBox(text, MsgTypeCaption(type), type, buttons, parent, defaultButton);
}

MsgButton MessageBox(const QString &text, const QString &caption, MsgType type, MsgButtons buttons,
                     QWidget *parent, MsgButton defaultButton)
{
    return dialogProvider().show(parent, type, caption, text, buttons, defaultButton);
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
