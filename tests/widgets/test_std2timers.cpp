// The timer components and the program runner.
#include "widgets/Std2Timers.h"

#include "platform/win/MMTimer.h"
#include "platform/win/Process.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Waits (at most 30 s, for a loaded machine) until `done`, running the
// event loop when `events` is set.
bool waitUntil(const std::function<bool()> &done, bool events = false)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        if (events)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        else
            std::this_thread::yield();
    }
    return done();
}

TEST(TzcTimer, RunsOnlyWithIntervalEnabledAndHandler)
{
    TzcTimer timer;
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Priority(), tpNormal);
    EXPECT_FALSE(timer.Running());
    int ticks = 0;
    timer.SetOnTimer([&](QObject *sender) {
        EXPECT_EQ(sender, &timer);
        ++ticks;
    });
    EXPECT_TRUE(timer.Running());
    timer.TimerTick();
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(timer.Running()) << "the next interval is scheduled";
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Running());
    timer.SetInterval(5);
    EXPECT_TRUE(timer.Running());
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Running());
    timer.SetEnabled(true);
    timer.SetOnTimer({});
    EXPECT_FALSE(timer.Running());
}

TEST(TzcTimer, HandlerMayStopOrDestroyItsTimer)
{
    TzcTimer stopping;
    stopping.SetOnTimer([&](QObject *) { stopping.SetOnTimer({}); });
    stopping.TimerTick();
    EXPECT_FALSE(stopping.Running());

    auto *destroyed = new TzcTimer;
    destroyed->SetOnTimer([&](QObject *) { delete destroyed; });
    destroyed->TimerTick(); // no use of the freed timer (AddressSanitizer)
}

TEST(TzcTimer, TicksFromTheEventLoop)
{
    TzcTimer timer;
    timer.SetInterval(1);
    int ticks = 0;
    timer.SetOnTimer([&](QObject *) { ++ticks; });
    EXPECT_TRUE(waitUntil([&] { return ticks >= 3; }, true));
}

// A timer whose Timer() the test may call without waiting for a tick.
class ProbeMMTimer : public TzcMMTimer
{
public:
    using TzcMMTimer::Timer;
};

TEST(TzcMMTimer, EnabledOnlyGatesTheHandler)
{
    ProbeMMTimer timer;
    timer.SetInterval(win::TIME_MAXPERIOD); // no real tick during the test
    EXPECT_NE(timer.TimerId(), 0u);
    int calls = 0;
    timer.SetOnTimer([&](QObject *) { ++calls; });
    timer.Timer();
    EXPECT_EQ(calls, 1);
    timer.SetEnabled(false);
    timer.Timer();
    EXPECT_EQ(calls, 1);
    EXPECT_NE(timer.TimerId(), 0u) << "the system timer keeps running";
}

TEST(TzcMMTimer, SameValueDoesNotRestartAndBadValueRaises)
{
    TzcMMTimer timer;
    EXPECT_EQ(timer.Resolution(), 10u);
    const auto id = timer.TimerId();
    timer.SetInterval(1000);
    timer.SetResolution(10);
    EXPECT_EQ(timer.TimerId(), id);
    timer.SetInterval(2000);
    EXPECT_NE(timer.TimerId(), id);
    try {
        timer.SetInterval(0);
        ADD_FAILURE() << "no error";
    } catch (const ERangeError &e) {
        EXPECT_STREQ(e.what(), "10 is not within the valid range");
    }
    EXPECT_EQ(timer.TimerId(), 0u) << "no timer left running";
}

TEST(TzcMMTimer, HandlerErrorsAreDiscarded)
{
    std::atomic<int> calls{0};
    TzcMMTimer timer;
    timer.SetOnTimer([&](QObject *) {
        calls.fetch_add(1);
        throw std::runtime_error("handler");
    });
    timer.SetInterval(1);
    EXPECT_TRUE(waitUntil([&] { return calls.load() >= 3; }));
}

// Timers started and destroyed in a loop: once its destructor has returned,
// a timer's handler never runs again.
TEST(TzcMMTimer, NoTickAfterDestruction)
{
    struct Watch
    {
        std::atomic<bool> destroyed{false};
        std::atomic<int> late{0};
    };
    std::vector<std::unique_ptr<Watch>> watches;
    for (int i = 0; i < 200; ++i) {
        watches.push_back(std::make_unique<Watch>());
        Watch *watch = watches.back().get();
        auto timer = std::make_unique<TzcMMTimer>();
        timer->SetOnTimer([watch](QObject *) {
            if (watch->destroyed.load())
                watch->late.fetch_add(1);
        });
        timer->SetInterval(1 + i % 2);
        if (i % 3 == 0)
            std::this_thread::yield();
        timer.reset();
        watch->destroyed.store(true);
    }
    // One more timer's ticks show the timer thread has moved on.
    std::atomic<int> after{0};
    {
        TzcMMTimer last;
        last.SetOnTimer([&](QObject *) { after.fetch_add(1); });
        last.SetInterval(1);
        EXPECT_TRUE(waitUntil([&] { return after.load() >= 3; }));
    }
    for (const auto &watch : watches)
        EXPECT_EQ(watch->late.load(), 0);
}

TEST(TzcMMTimer, DestructorWaitsForARunningTick)
{
    std::mutex m;
    std::condition_variable cv;
    bool entered = false, release = false;
    std::atomic<bool> returned{false};
    auto *timer = new TzcMMTimer;
    timer->SetOnTimer([&](QObject *) {
        std::unique_lock lock(m);
        if (entered)
            return;
        entered = true;
        cv.notify_all();
        cv.wait(lock, [&] { return release; });
        returned.store(true);
    });
    timer->SetInterval(1);
    {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return entered; });
    }
    std::atomic<bool> returnedBeforeDelete{false};
    std::thread destroyer([&] {
        delete timer;
        returnedBeforeDelete.store(returned.load());
    });
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    destroyer.join();
    EXPECT_TRUE(returnedBeforeDelete.load());
}

TEST(TzcRunProg, SystemErrorClasses)
{
    const struct
    {
        std::uint32_t error;
        TzcRunError result;
    } cases[] = {{0, zre_OK},
                 {1, zre_FileNotFound},
                 {2, zre_FileNotFound},
                 {3, zre_PathNotFound},
                 {4, zre_FileError},
                 {5, zre_networkerror},
                 {6, zre_MemoryError},
                 {14, zre_MemoryError},
                 {15, zre_FileError},
                 {31, zre_FileError},
                 {32, zre_networkerror},
                 {36, zre_networkerror},
                 {37, zre_UnknownError},
                 {38, zre_FileError},
                 {52, zre_FileError},
                 {53, zre_networkerror},
                 {55, zre_networkerror},
                 {56, zre_UnknownError},
                 {193, zre_UnknownError}};
    for (const auto &c : cases)
        EXPECT_EQ(RunErrorFromSystemError(c.error), c.result) << c.error;
}

struct RunCase
{
    const char *what;
    const char *commandLine;
    bool wait;
    bool hardWait;
    std::int32_t returnCode;
    TzcRunError result;
    std::uint32_t savedError;
    const char *events; // B before run, W before wait, F finish, E error
};

const RunCase kRuns[] = {
    {"soft wait", "/bin/sh -c \"exit 3\"", true, false, 3, zre_OK, 0, "BWF"},
    {"hard wait reads the code", "/bin/sh -c \"exit 3\"", true, true, 3, zre_OK, 0, "BWF"},
    {"exit code 259 ends the wait", "sh -c \"exit 259\"", true, false, 3, zre_OK, 0, "BWF"},
    {"killed child", "sh -c \"kill -9 $$\"", true, false, 137, zre_OK, 0, "BWF"},
    {"no wait", "sh -c \"exit 5\"", false, false, 0, zre_OK, 0, "B"},
    {"missing program", "/nonexistent/qm5230-prog a", true, false, 0, zre_FileNotFound, 2, "BE"},
    {"not executable", "/dev/null", true, false, 0, zre_networkerror, 5, "BE"},
};

class RunProg : public testing::TestWithParam<RunCase>
{
};

TEST_P(RunProg, ResultsAndEvents)
{
    const RunCase &c = GetParam();
    TzcRunProg runner;
    EXPECT_EQ(runner.Visiblility(), zrs_SHOWNORMAL);
    runner.SetCmdLine(QString::fromLatin1(c.commandLine));
    runner.SetWait(c.wait);
    runner.SetHardWait(c.hardWait);
    std::string events;
    runner.OnBeforeRun = [&](QObject *) { events += 'B'; };
    runner.OnBeforeWait = [&](QObject *) { events += 'W'; };
    runner.OnFinish = [&](QObject *) { events += 'F'; };
    runner.OnError = [&](QObject *, TzcRunError error, std::int32_t code) {
        events += 'E';
        EXPECT_EQ(error, c.result);
        EXPECT_EQ(code, std::int32_t(c.savedError));
    };
    runner.Run();
    EXPECT_EQ(events, c.events) << c.what;
    EXPECT_EQ(runner.ReturnCode(), c.returnCode) << c.what;
    EXPECT_EQ(runner.LastResultCode(), c.result) << c.what;
    EXPECT_EQ(runner.SavedErrorCode(), c.savedError) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Children, RunProg, testing::ValuesIn(kRuns));

// The soft wait lets the caller's events run: the child waits for a file
// that only a queued call of the caller creates.
TEST(TzcRunProg, SoftWaitRunsTheEventLoop)
{
    const auto flag =
        std::filesystem::temp_directory_path() / ("qm5230-runprog-" + std::to_string(::getpid()));
    std::filesystem::remove(flag);
    TzcRunProg runner;
    bool ranDuringWait = false;
    runner.OnBeforeWait = [&](QObject *) {
        QTimer::singleShot(0, &runner, [&] {
            ranDuringWait = true;
            std::FILE *f = std::fopen(flag.c_str(), "w");
            if (f)
                std::fclose(f);
        });
    };
    runner.RunThis(QString::fromStdString("sh -c \"while [ ! -e '" + flag.string() +
                                          "' ]; do sleep 0.01; done; exit 4\""));
    EXPECT_TRUE(ranDuringWait);
    EXPECT_EQ(runner.ReturnCode(), 4);
    std::filesystem::remove(flag);
}

TEST(TzcRunProg, EndingApplicationEndsTheSoftWait)
{
    TzcRunProg runner;
    runner.ApplicationTerminated = [] { return true; };
    runner.RunThis("sh -c \"exit 0\"");
    EXPECT_EQ(runner.ReturnCode(), std::int32_t(win::STILL_ACTIVE));
    EXPECT_EQ(runner.LastResultCode(), zre_OK);
}

} // namespace
