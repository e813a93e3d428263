// The shell's notification-area icon (the system tray) over QSystemTrayIcon.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QSystemTrayIcon;

namespace win {

// Mouse messages of a notification-area icon, with the window system's values.
enum TrayMouseMessage : unsigned {
    WM_MOUSEMOVE = 0x200,
    WM_LBUTTONDOWN = 0x201,
    WM_LBUTTONUP = 0x202,
    WM_LBUTTONDBLCLK = 0x203,
    WM_RBUTTONDOWN = 0x204,
    WM_RBUTTONUP = 0x205,
    WM_RBUTTONDBLCLK = 0x206,
    WM_MBUTTONDOWN = 0x207,
    WM_MBUTTONUP = 0x208,
    WM_MBUTTONDBLCLK = 0x209,
};

// One icon in the notification area. Desktops report clicks, not presses:
// a left, right or middle click arrives as its button-down then button-up
// message, a double click as WM_LBUTTONDBLCLK; moves and right or middle
// double clicks never arrive.
//
// Thread contract: main thread only.
class NotifyIcon
{
public:
    NotifyIcon();
    ~NotifyIcon();
    NotifyIcon(const NotifyIcon &) = delete;
    NotifyIcon &operator=(const NotifyIcon &) = delete;

    // Whether the desktop has a notification area at all.
    static bool Available();

    // NIM_ADD: false when there is no notification area.
    bool Add(const QIcon &icon, const QString &tip);
    // NIM_MODIFY: icon and tip of a shown icon.
    void Modify(const QIcon &icon, const QString &tip);
    // NIM_DELETE.
    void Delete();
    bool Shown() const;

    std::function<void(TrayMouseMessage)> OnMouse;

private:
    std::unique_ptr<QSystemTrayIcon> m_tray;
};

} // namespace win
