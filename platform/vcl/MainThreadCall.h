// The hand-over from a worker thread to the main thread: the worker asks
// the main thread to run a function and waits until it has run, so that
// everything the function does (frame dispatch, frames it queues) is
// finished before the worker goes on.
//
// Thread contract: Run() may be called from any thread; called on the main
// thread it runs the function at once. Shutdown() is called on the main
// thread; from then on every waiting and every later Run() returns false
// without running the function, so a worker can always be joined. The
// mutex guards the pending calls' state only and is never held while the
// function runs or while the worker sleeps in the wait (the condition
// variable releases it).
//
// No function run through Run() may start a modal loop (a dialog's exec, a
// nested event loop): the worker waits for the function to return, so every
// hand-over queued behind it would wait as long as the dialog stays open.
// Such a dialog opens from a zero timer instead (vcl::PostMessageBox).
#pragma once

#include <QObject>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace vcl {

class MainThreadCall
{
public:
    // `context` lives in the main thread; the calls are queued to it.
    explicit MainThreadCall(QObject *context);
    ~MainThreadCall();
    MainThreadCall(const MainThreadCall &) = delete;
    MainThreadCall &operator=(const MainThreadCall &) = delete;

    // Runs `fn` on the main thread and waits for it. False when the hand-over
    // was shut down before `fn` ran.
    bool Run(std::function<void()> fn);

    // Ends every wait; later Run() calls return false at once.
    void Shutdown();
    // Allows hand-overs again (a new session after a shutdown in tests).
    void Restart();

private:
    struct State
    {
        std::mutex mutex;
        std::condition_variable done;
        bool shutdown = false;
    };
    QObject *context_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace vcl
