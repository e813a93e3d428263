#include "app/Application.h"

#include "platform/vcl/Dialogs.h"

#include <exception>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowException(QStringLiteral("Unexpected error"));
    }
    return false;
}

void TApplication::ShowException(const QString &message)
{
    vcl::PostMessageBox(message.isEmpty() ? QStringLiteral("Unexpected error") : message,
                        applicationName(), vcl::MsgType::Error, vcl::MsgButton::Ok);
}
