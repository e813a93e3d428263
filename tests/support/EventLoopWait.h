// Waiting on the event loop for a condition without spinning a core: the
// loop sleeps until an event comes, and a short timer wakes it to look again
// at state another thread changes without posting an event. Main thread only.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace testsupport {

// Runs the event loop until `done` holds or `ms` pass; false on the bound.
inline bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    QTimer wake;
    wake.start(5);
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        // Then what those events set going (a zero timer, a posted call), as
        // before a sleep.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace testsupport
