// The application object: an exception that leaves an event handler is
// shown in a box and the message loop goes on.
#include "app/Application.h"

#include "platform/vcl/MainThreadCall.h"
#include "platform/vcl/TestDialogs.h"

#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <stdexcept>

namespace {

[[noreturn]] void throwRuntime()
{
    throw std::runtime_error("Invalid HEX record in line 7");
}

} // namespace

TEST(Application, ExceptionFromAHandlerIsShownAndTheLoopGoesOn)
{
    const struct
    {
        const char *how;
        std::function<void(QObject &context)> start;
        QString shown;
    } cases[] = {
        {"timer slot",
         [](QObject &context) { QTimer::singleShot(0, &context, [] { throwRuntime(); }); },
         "Invalid HEX record in line 7"},
        {"posted call",
         [](QObject &context) {
             QMetaObject::invokeMethod(&context, [] { throw 42; }, Qt::QueuedConnection);
         },
         "Unexpected error"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        vcl::ScriptedDialogs dialogs;
        QObject context;
        c.start(context);
        bool after = false;
        QTimer::singleShot(0, &context, [&] { after = true; });
        vcl::ScriptedDialogs::deliverPosted();
        EXPECT_TRUE(after) << "the loop went on";
        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_EQ(dialogs.last().text, c.shown);
        EXPECT_EQ(dialogs.last().type, vcl::MsgType::Error);
        EXPECT_EQ(dialogs.last().caption, "QM5230 Tessaron");
    }
}

// A hand-over from the worker that throws still lets the worker go on.
TEST(Application, ThrowingHandOverReleasesTheWorker)
{
    vcl::ScriptedDialogs dialogs;
    QObject context;
    vcl::MainThreadCall call(&context);
    bool returned = false, ran = false;
    QThread *worker = QThread::create([&] {
        ran = call.Run([] { throwRuntime(); });
        returned = true;
    });
    worker->start();
    QTimer wake; // the loop sleeps until the hand-over or this wakes it
    wake.start(20);
    while (!worker->isFinished())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    worker->wait();
    delete worker;
    EXPECT_TRUE(returned);
    EXPECT_TRUE(ran);
    vcl::ScriptedDialogs::deliverPosted();
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().text, "Invalid HEX record in line 7");
}

// An exception that leaves the start-up is shown in the same error box as
// one from a handler, at once, since no message loop runs to show it later.
TEST(Application, ExceptionFromTheStartUpIsShownInTheErrorBox)
{
    const struct
    {
        const char *how;
        std::function<int()> run;
        int result;
        QString shown; // empty: no box
    } cases[] = {
        {"runs to its end", [] { return 0; }, 0, {}},
        {"standard exception", []() -> int { throwRuntime(); }, 1, "Invalid HEX record in line 7"},
        {"anything else", []() -> int { throw 42; }, 1, "Unexpected error"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        vcl::ScriptedDialogs dialogs;
        EXPECT_EQ(TApplication::Run(c.run), c.result);
        if (c.shown.isEmpty()) {
            EXPECT_EQ(dialogs.count(), 0);
            continue;
        }
        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_EQ(dialogs.last().text, c.shown);
        EXPECT_EQ(dialogs.last().type, vcl::MsgType::Error);
        EXPECT_EQ(dialogs.last().caption, "QM5230 Tessaron");
    }
}

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TApplication app(argc, argv);
    TApplication::setApplicationName("QM5230 Tessaron");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
