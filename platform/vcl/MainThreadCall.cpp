#include "platform/vcl/MainThreadCall.h"

#include <QMetaObject>
#include <QThread>

namespace vcl {

MainThreadCall::MainThreadCall(QObject *context) : context_(context) {}

MainThreadCall::~MainThreadCall()
{
    Shutdown();
}

bool MainThreadCall::Run(std::function<void()> fn)
{
    if (QThread::currentThread() == context_->thread()) {
        fn();
        return true;
    }
    auto state = state_;
    auto ticket = std::make_shared<bool>(false); // true once fn has run
    {
        std::lock_guard lock(state->mutex);
        if (state->shutdown)
            return false;
    }
    QMetaObject::invokeMethod(
        context_,
        [state, ticket, fn = std::move(fn)] {
            {
                std::lock_guard lock(state->mutex);
                if (state->shutdown)
                    return;
            }
            // The worker goes on even when fn throws on its way to the
            // application's handler.
            struct Done
            {
                State &state;
                bool &ticket;
                ~Done()
                {
                    {
                        std::lock_guard lock(state.mutex);
                        ticket = true;
                    }
                    // Told after the lock is let go: the worker wakes to a
                    // free mutex instead of waking, blocking on it and
                    // waking once more. The lambda's copy keeps `state` alive.
                    state.done.notify_all();
                }
            } done{*state, *ticket};
            fn();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(state->mutex);
    state->done.wait(lock, [&] { return *ticket || state->shutdown; });
    return *ticket;
}

void MainThreadCall::Shutdown()
{
    std::lock_guard lock(state_->mutex);
    state_->shutdown = true;
    state_->done.notify_all();
}

void MainThreadCall::Restart()
{
    std::lock_guard lock(state_->mutex);
    state_->shutdown = false;
}

} // namespace vcl
