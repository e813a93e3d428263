// The main window's keys: F8 reads, F9 uploads and the keypad "/" switches
// all 34 outputs in manual mode, whichever control has the focus.
#include "main/MainUnit.h"

#include "platform/vcl/Dialogs.h"

#include <QKeyEvent>
#include <QStringList>
#include <QTimer>
#include <QWindow>

using namespace devlink;

void TMainForm::InstallKeyPreview()
{
    // The window sees each key before the control with the focus does.
    create();
    if (QWindow *window = windowHandle())
        window->installEventFilter(this);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle()) {
        switch (event->type()) {
        case QEvent::KeyPress:
            FormKeyDown(static_cast<QKeyEvent *>(event));
            break;
        case QEvent::KeyRelease:
            FormKeyUp(static_cast<QKeyEvent *>(event));
            break;
        case QEvent::FocusOut:
            // The key's release goes to the window that has the focus now.
            keypadKeyHeld_ = false;
            break;
        default:
            break;
        }
    }
    // The key goes on to the focused control as well (typed into an edit).
    return QMainWindow::eventFilter(watched, event);
}

namespace {

bool IsKeypadSlash(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Slash && (event->modifiers() & Qt::KeypadModifier);
}

} // namespace

bool TMainForm::KeypadKeyRepeated(const QKeyEvent *press) const
{
    if (press->isAutoRepeat() || keypadKeyHeld_)
        return true;
    // X repeats a held key as a release and a press of the same time, and
    // on a busy machine the toolkit often fails to mark them as repeats: a
    // press at the time of the last release is the key still held. A hand
    // cannot let go of a key and press it again within a millisecond.
    const std::uint64_t at = press->timestamp();
    return at != 0 && keypadReleasedAt_ != 0 && at >= keypadReleasedAt_ &&
           at - keypadReleasedAt_ <= 1;
}

void TMainForm::FormKeyUp(QKeyEvent *event)
{
    if (!IsKeypadSlash(event) || event->isAutoRepeat())
        return;
    keypadKeyHeld_ = false;
    keypadReleasedAt_ = event->timestamp();
}

void TMainForm::FormKeyDown(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_F8:
        BtnLoadClick();
        break;
    case Qt::Key_F9:
        BtnSaveClick();
        break;
    case Qt::Key_Slash: {
        // A key held down repeats its press, for as long as it is held;
        // only the press itself starts a run.
        if (!IsKeypadSlash(event))
            break;
        const bool repeated = KeypadKeyRepeated(event);
        keypadKeyHeld_ = true; // down until it is let go
        if (!repeated && ManualMode == 1)
            KeypadSwitchAll();
        break;
    }
    default:
        break;
    }
}

bool TMainForm::LinkTakenFromManualSwitching() const
{
    return FirmwareWindowOpen || TransferBusy;
}

void TMainForm::KeypadSwitchAll()
{
    if (LinkTakenFromManualSwitching())
        return;
    // A press during a run follows it, as a key typed while the window was
    // busy would: every press its run, in the order of the presses.
    QueueKeypadStep({});
}

void TMainForm::QueueKeypadStep(KeypadStep step)
{
    keypadSteps_.push_back(step);
    // A first frame waits its 25 ms too; a timer that runs already paces it.
    if (!KeypadTimer->isActive())
        KeypadTimer->start(KeypadPaceMs);
}

bool TMainForm::KeypadBusy() const
{
    return !keypadSteps_.empty();
}

void TMainForm::ResolveKeypadCount()
{
    if (keypadCountFrame_ == 0)
        return;
    const TxFate fate = Usb ? Usb->Fate(keypadCountFrame_) : TxFate::Dropped;
    if (fate == TxFate::Waiting)
        return;
    if (fate == TxFate::Written)
        KeypadSwitchAllOn = KeypadSwitchAllOn ? 0 : 1;
    keypadCountFrame_ = 0;
}

void TMainForm::StopKeypadRun(KeypadStop why)
{
    // The outputs switched so far stay as they are; the next press repeats
    // the same run, since this one did not reach every output.
    std::vector<KeypadStep> clicks;
    for (const KeypadStep &step : keypadSteps_)
        if (step.channel != 0)
            clicks.push_back(step);
    keypadSteps_.clear();
    keypadChannel_ = 0;
    // A run whose last frame was queued counts once that frame is written,
    // which the timer goes on looking for.
    ResolveKeypadCount();
    if (keypadCountFrame_ == 0)
        KeypadTimer->stop();
    else if (!KeypadTimer->isActive())
        KeypadTimer->start(KeypadPollMs);
    SendWaitingClicks(clicks, why);
}

void TMainForm::SendWaitingClicks(const std::vector<KeypadStep> &clicks, KeypadStop why)
{
    // In the window's old blocking run a click waited until the run ended
    // and went out before whatever came after it: so it does here, behind
    // the run's frames in the queue and ahead of the transfer's or tool's.
    QStringList unsent;
    TxOutcome refused{TxRefusal::LinkNotOpen};
    for (const KeypadStep &click : clicks) {
        const TxOutcome sent = why == KeypadStop::LinkTaken
                                   ? SendChannelSwitch(click.channel, click.how)
                                   : TxOutcome{TxRefusal::LinkNotOpen};
        if (!sent) {
            unsent.append(QString::number(click.channel));
            refused = sent;
        }
    }
    if (unsent.isEmpty())
        return;
    // Also reached from the worker's hand-overs: the box comes after them.
    vcl::ShowMessageLater(QStringLiteral("%1 %2 not switched: %3.")
                              .arg(unsent.size() == 1 ? "Output" : "Outputs",
                                   unsent.join(", ") + (unsent.size() == 1 ? " was" : " were"),
                                   RefusalClause(refused)),
                          this);
}

void TMainForm::KeypadTimerTimer()
{
    // Each path below that needs another tick asks for it, after its own wait.
    KeypadTimer->stop();
    ResolveKeypadCount();
    if (keypadSteps_.empty()) {
        if (keypadCountFrame_ != 0)
            KeypadTimer->start(KeypadPollMs);
        return;
    }
    // Frames offered to a link that is not open are refused.
    const bool linkOpen = DeviceOpen() && LinkUp == 1;
    if (LinkTakenFromManualSwitching() || !linkOpen) {
        StopKeypadRun(linkOpen ? KeypadStop::LinkTaken : KeypadStop::LinkChanged);
        return;
    }
    if (keypadLastFrame_ != 0) {
        // The frame before must have left, and the pause after it passed: a
        // stalled link must not send a run's frames back to back.
        const std::int64_t now = SteadyClockMs();
        switch (Usb->Fate(keypadLastFrame_)) {
        case TxFate::Waiting:
            KeypadTimer->start(KeypadPollMs);
            return;
        case TxFate::Written:
            if (keypadWrittenAt_ < 0)
                keypadWrittenAt_ = now;
            // Whole milliseconds: one more than the pace keeps it whole.
            if (now - keypadWrittenAt_ <= KeypadPaceMs) {
                KeypadTimer->start(static_cast<int>(KeypadPaceMs + 1 - (now - keypadWrittenAt_)));
                return;
            }
            break;
        case TxFate::Dropped:
            break;
        }
        keypadLastFrame_ = 0;
    }
    KeypadStep step = keypadSteps_.front();
    const bool run = step.channel == 0;
    if (run)
        step = {static_cast<std::uint8_t>(keypadChannel_ + 1),
                std::uint8_t(KeypadSwitchAllOn == 1 ? 0xF0 : 0x0F)};
    std::uint64_t number = 0;
    const TxOutcome sent = SendChannelSwitch(step.channel, step.how, &number);
    if (!sent) {
        // A full queue takes the frame on a later tick; a frame refused for
        // any other reason would be refused again.
        if (sent.refusal == TxRefusal::QueueFull)
            KeypadTimer->start(KeypadPaceMs);
        else
            StopKeypadRun(KeypadStop::LinkChanged);
        return;
    }
    keypadLastFrame_ = number;
    keypadWrittenAt_ = -1;
    KeypadTimer->start(KeypadPollMs);
    if (run && ++keypadChannel_ < TGeneralPageUi::Channels)
        return;
    if (run)
        keypadCountFrame_ = number;
    keypadChannel_ = 0;
    keypadSteps_.pop_front();
}
