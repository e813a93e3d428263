// Timers and the program runner of the Std2 widget unit.
#pragma once

#include "widgets/Events.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>

enum TThreadPriority : std::uint8_t {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// A value outside its allowed range.
class ERangeError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Calls OnTimer every Interval milliseconds on its owner's thread, counting
// each interval from the end of the previous call, while Interval is not 0,
// Enabled is set and OnTimer is assigned. Priority is kept for the form's
// sake; the ticks come from the owner's event loop, so no thread is ever
// suspended and none outlives the timer.
//
// Thread contract: the thread the timer was created on only.
class TzcTimer : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcTimer)

public:
    explicit TzcTimer(QObject *owner = nullptr);
    ~TzcTimer() override;

    TThreadPriority Priority() const { return m_priority; }
    void Setpriority(TThreadPriority value);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return m_interval; }
    void SetInterval(std::uint32_t value);
    const TNotifyEvent &OnTimer() const { return m_onTimer; }
    void SetOnTimer(TNotifyEvent value);

    // Whether a tick is scheduled.
    bool Running() const { return m_timer.isActive(); }
    // What a due tick does: Timer(), then the next interval. The tests call
    // it in place of waiting.
    void TimerTick();

protected:
    virtual void Timer();

private:
    void UpdateTimer();

    TThreadPriority m_priority = tpNormal;
    bool m_enabled = true;
    std::uint32_t m_interval = 1000;
    TNotifyEvent m_onTimer;
    QTimer m_timer;
    // Cleared by the destructor, so a tick whose handler destroyed the timer
    // does not schedule again.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// A periodic multimedia timer, running from construction to destruction;
// Enabled only decides whether its ticks reach OnTimer.
//
// Thread contract: the properties are set on the owner's thread; OnTimer
// runs on the multimedia timer thread, concurrently with it, and does its
// own synchronisation. Enabled and OnTimer are read there under a lock, and
// the destructor waits for a running tick, so no tick reaches a destroyed
// timer. A subclass overriding Timer() must stop ticks in its own
// destructor (call StopTicks()).
class TzcMMTimer : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcMMTimer)

public:
    // Raises ERangeError "%d is not within the valid range" (with the
    // Resolution) when the system refuses the timer.
    explicit TzcMMTimer(QObject *owner = nullptr);
    ~TzcMMTimer() override;

    bool Enabled() const { return m_enabled.load(); }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return m_interval; }
    void SetInterval(std::uint32_t value);
    std::uint32_t Resolution() const { return m_resolution; }
    void SetResolution(std::uint32_t value);
    TNotifyEvent OnTimer() const;
    void SetOnTimer(TNotifyEvent value);

    // The system timer's id (0 when none runs).
    std::uint32_t TimerId() const { return m_id; }
    void StopTicks();

protected:
    virtual void Timer();

private:
    static void MMTimerProc(std::uint32_t id, std::uint32_t msg, std::uintptr_t user,
                            std::uintptr_t, std::uintptr_t);
    void restart();

    std::atomic<bool> m_enabled{true};
    std::uint32_t m_interval = 1000;
    std::uint32_t m_resolution = 10;
    std::uint32_t m_id = 0;
    mutable std::mutex m_eventMutex; // guards m_onTimer
    TNotifyEvent m_onTimer;
};

// How the started program's window is shown (the system's show commands).
enum TzcRunShow : std::uint8_t {
    zrs_HIDE = 0,
    zrs_SHOWNORMAL = 1,
    zrs_SHOWMINIMIZED = 2,
    zrs_SHOWMAXIMIZED = 3,
    zrs_SHOWNOACTIVATE = 4,
    zrs_SHOW = 5,
    zrs_MINIMIZE = 6,
    zrs_SHOWMINNOACTIVE = 7,
    zrs_SHOWNA = 8,
    zrs_RESTORE = 9,
    zrs_SHOWDEFAULT = 10
};

enum TzcRunError : std::uint8_t {
    zre_OK = 0,
    zre_MemoryError = 1,
    zre_FileNotFound = 2,
    zre_PathNotFound = 3,
    zre_TaskError = 4,
    zre_WrongOpSystem = 5,
    zre_WrongFileFormat = 6,
    zre_networkerror = 7,
    zre_FileError = 8,
    zre_UnknownError = 9
};

using TzcError =
    std::function<void(QObject *Sender, TzcRunError Error, std::int32_t RealErrorCode)>;

// The runner's class of a system error code of a failed start.
TzcRunError RunErrorFromSystemError(std::uint32_t systemError);

// Starts a command line as a new process and, with Wait, waits for it: the
// soft wait keeps the caller's event loop running (re-entrant calls are
// possible), the hard wait blocks. A failed start is reported through
// LastResultCode, SavedErrorCode() and OnError. Visiblility is kept for the
// form's sake: programs here have no show command.
//
// Thread contract: the thread the runner was created on only.
class TzcRunProg : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcRunProg)

public:
    explicit TzcRunProg(QObject *owner = nullptr);
    ~TzcRunProg() override;

    TzcRunError LastResultCode() const { return m_lastResultCode; }
    const QString &CmdLine() const { return m_cmdLine; }
    void SetCmdLine(const QString &value);
    // The exit code of the last waited-for program; 259 (still active)
    // while the soft wait runs, 0 without a wait.
    std::int32_t ReturnCode() const { return m_returnCode; }
    TzcRunShow Visiblility() const { return m_visibility; }
    void SetVisi(TzcRunShow value) { m_visibility = value; }
    bool Wait() const { return m_wait; }
    void SetWait(bool value) { m_wait = value; }
    bool HardWait() const { return m_hardWait; }
    void SetHardWait(bool value) { m_hardWait = value; }

    TzcError OnError;
    TNotifyEvent OnBeforeRun;
    TNotifyEvent OnBeforeWait;
    TNotifyEvent OnFinish;
    // Whether the application is ending, which ends a soft wait early; by
    // default when the application object is gone or closing down.
    std::function<bool()> ApplicationTerminated;

    virtual void Run();
    virtual void RunThis(const QString &cmd);
    // The system error code of the last failed start; 0 after a good one.
    virtual std::uint32_t SavedErrorCode() const { return m_savedError; }

private:
    void softWait(int pid);

    TzcRunError m_lastResultCode = zre_OK;
    QString m_cmdLine;
    std::int32_t m_returnCode = 0;
    TzcRunShow m_visibility = zrs_SHOWNORMAL;
    bool m_wait = true;
    std::uint32_t m_savedError = 0;
    bool m_hardWait = false;
};
