#include "widgets/Std2Timers.h"

#include "platform/win/MMTimer.h"
#include "platform/win/Process.h"

#include <QCoreApplication>
#include <QEventLoop>

TzcTimer::TzcTimer(QObject *owner) : QObject(owner)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TzcTimer::TimerTick);
}

TzcTimer::~TzcTimer()
{
    *m_alive = false;
    m_timer.stop();
}

void TzcTimer::Setpriority(TThreadPriority value)
{
    if (value == m_priority)
        return;
    m_priority = value;
    UpdateTimer();
}

void TzcTimer::SetEnabled(bool value)
{
    if (value == m_enabled)
        return;
    m_enabled = value;
    UpdateTimer();
}

void TzcTimer::SetInterval(std::uint32_t value)
{
    if (value == m_interval)
        return;
    m_interval = value;
    UpdateTimer();
}

void TzcTimer::SetOnTimer(TNotifyEvent value)
{
    m_onTimer = std::move(value);
    UpdateTimer();
}

void TzcTimer::UpdateTimer()
{
    m_timer.stop();
    if (m_interval != 0 && m_enabled && m_onTimer)
        m_timer.start(static_cast<int>(std::min<std::uint32_t>(m_interval, INT32_MAX)));
}

void TzcTimer::TimerTick()
{
    const std::shared_ptr<bool> alive = m_alive;
    Timer();
    if (!*alive || m_timer.isActive())
        return; // destroyed, or rescheduled by a property change
    UpdateTimer();
}

void TzcTimer::Timer()
{
    if (m_onTimer) {
        const TNotifyEvent handler = m_onTimer; // the handler may replace itself
        handler(this);
    }
}

TzcMMTimer::TzcMMTimer(QObject *owner) : QObject(owner)
{
    restart();
}

TzcMMTimer::~TzcMMTimer()
{
    StopTicks();
}

void TzcMMTimer::StopTicks()
{
    if (m_id != 0) {
        win::timeKillEvent(m_id);
        m_id = 0;
    }
}

void TzcMMTimer::restart()
{
    StopTicks();
    m_id = win::timeSetEvent(m_interval, m_resolution, &TzcMMTimer::MMTimerProc,
                             reinterpret_cast<std::uintptr_t>(this), win::TIME_PERIODIC);
    if (m_id == 0)
        throw ERangeError(QStringLiteral("%1 is not within the valid range")
                              .arg(static_cast<std::int32_t>(m_resolution))
                              .toStdString());
}

void TzcMMTimer::SetEnabled(bool value)
{
    m_enabled.store(value);
}

void TzcMMTimer::SetInterval(std::uint32_t value)
{
    if (value == m_interval)
        return;
    StopTicks();
    m_interval = value;
    restart();
}

void TzcMMTimer::SetResolution(std::uint32_t value)
{
    if (value == m_resolution)
        return;
    StopTicks();
    m_resolution = value;
    restart();
}

TNotifyEvent TzcMMTimer::OnTimer() const
{
    std::lock_guard lock(m_eventMutex);
    return m_onTimer;
}

void TzcMMTimer::SetOnTimer(TNotifyEvent value)
{
    std::lock_guard lock(m_eventMutex);
    m_onTimer = std::move(value);
}

void TzcMMTimer::Timer()
{
    if (!m_enabled.load())
        return;
    const TNotifyEvent handler = OnTimer();
    if (handler)
        handler(this);
}

void TzcMMTimer::MMTimerProc(std::uint32_t, std::uint32_t, std::uintptr_t user, std::uintptr_t,
                             std::uintptr_t)
{
    try {
        reinterpret_cast<TzcMMTimer *>(user)->Timer();
    } catch (...) {
        // A handler's error must not end the timer thread.
    }
}

TzcRunError RunErrorFromSystemError(std::uint32_t e)
{
    if (e == 0)
        return zre_OK;
    if (e <= 2)
        return zre_FileNotFound;
    if (e == 3)
        return zre_PathNotFound;
    if (e == 4)
        return zre_FileError;
    if (e == 5)
        return zre_networkerror;
    if (e <= 14)
        return zre_MemoryError;
    if (e <= 31)
        return zre_FileError;
    if (e <= 36)
        return zre_networkerror;
    if (e == 37)
        return zre_UnknownError;
    if (e <= 52)
        return zre_FileError;
    if (e <= 55)
        return zre_networkerror;
    return zre_UnknownError;
}

TzcRunProg::TzcRunProg(QObject *owner) : QObject(owner)
{
    ApplicationTerminated = [] {
        return QCoreApplication::instance() == nullptr || QCoreApplication::closingDown();
    };
}

TzcRunProg::~TzcRunProg() = default;

void TzcRunProg::SetCmdLine(const QString &value)
{
    m_cmdLine = value;
}

void TzcRunProg::Run()
{
    RunThis(m_cmdLine);
}

void TzcRunProg::RunThis(const QString &cmd)
{
    m_returnCode = 0;
    if (OnBeforeRun)
        OnBeforeRun(this);
    pid_t pid = 0;
    const std::uint32_t error = win::CreateProcess(cmd.toLocal8Bit().toStdString(), pid);
    if (error != 0) {
        m_savedError = error;
        m_lastResultCode = RunErrorFromSystemError(error);
        if (OnError)
            OnError(this, m_lastResultCode, static_cast<std::int32_t>(error));
        return;
    }
    if (m_wait) {
        if (OnBeforeWait)
            OnBeforeWait(this);
        if (m_hardWait) {
            std::int32_t code = 0;
            if (!win::WaitForProcess(pid, code))
                code = -1; // cannot be waited for: never report success
            m_returnCode = code;
        } else {
            softWait(pid);
        }
        if (OnFinish)
            OnFinish(this);
    } else {
        win::ReapInBackground(pid);
    }
    m_lastResultCode = zre_OK;
    m_savedError = 0;
}

void TzcRunProg::softWait(int pid)
{
    m_returnCode = static_cast<std::int32_t>(win::STILL_ACTIVE);
    for (;;) {
        if (ApplicationTerminated && ApplicationTerminated()) {
            win::ReapInBackground(pid);
            return;
        }
        std::int32_t code = 0;
        const win::ProcessState state = win::PollProcess(pid, code);
        if (state == win::ProcessState::Exited) {
            m_returnCode = code;
            return;
        }
        if (state == win::ProcessState::Failed) {
            m_returnCode = -1;
            return;
        }
        // Keep the caller's events flowing without spinning: at most 10 ms
        // of waiting before the next look at the child.
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
}
