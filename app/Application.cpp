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

namespace {

QString ExceptionText(const QString &message)
{
    return message.isEmpty() ? QStringLiteral("Unexpected error") : message;
}

} // namespace

void TApplication::ShowException(const QString &message)
{
    vcl::PostMessageBox(ExceptionText(message), applicationName(), vcl::MsgType::Error,
                        vcl::MsgButton::Ok);
}

void TApplication::ShowExceptionNow(const QString &message)
{
    vcl::MessageBox(ExceptionText(message), applicationName(), vcl::MsgType::Error,
                    vcl::MsgButton::Ok);
}

int TApplication::Run(const std::function<int()> &run)
{
    try {
        return run();
    } catch (const std::exception &e) {
        ShowExceptionNow(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowExceptionNow(QStringLiteral("Unexpected error"));
    }
    return 1;
}
