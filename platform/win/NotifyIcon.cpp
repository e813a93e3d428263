#include "platform/win/NotifyIcon.h"

#include <QSystemTrayIcon>

namespace win {

NotifyIcon::NotifyIcon() : m_tray(std::make_unique<QSystemTrayIcon>())
{
    QObject::connect(m_tray.get(), &QSystemTrayIcon::activated, m_tray.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (!OnMouse)
                             return;
                         switch (reason) {
                         case QSystemTrayIcon::Trigger:
                             OnMouse(WM_LBUTTONDOWN);
                             OnMouse(WM_LBUTTONUP);
                             break;
                         case QSystemTrayIcon::DoubleClick:
                             OnMouse(WM_LBUTTONDBLCLK);
                             break;
                         case QSystemTrayIcon::Context:
                             OnMouse(WM_RBUTTONDOWN);
                             OnMouse(WM_RBUTTONUP);
                             break;
                         case QSystemTrayIcon::MiddleClick:
                             OnMouse(WM_MBUTTONDOWN);
                             OnMouse(WM_MBUTTONUP);
                             break;
                         case QSystemTrayIcon::Unknown:
                             break;
                         }
                     });
}

NotifyIcon::~NotifyIcon() = default;

bool NotifyIcon::Available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool NotifyIcon::Add(const QIcon &icon, const QString &tip)
{
    m_tray->setIcon(icon);
    m_tray->setToolTip(tip);
    if (!Available())
        return false;
    m_tray->show();
    return true;
}

void NotifyIcon::Modify(const QIcon &icon, const QString &tip)
{
    m_tray->setIcon(icon);
    m_tray->setToolTip(tip);
}

void NotifyIcon::Delete()
{
    m_tray->hide();
}

bool NotifyIcon::Shown() const
{
    return m_tray->isVisible();
}

} // namespace win
