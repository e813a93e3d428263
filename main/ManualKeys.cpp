// The main window's keys: F8 reads, F9 uploads and the keypad "/" switches
// all 34 outputs in manual mode, whichever control has the focus.
#include "main/MainUnit.h"

#include <QKeyEvent>
#include <QTimer>
#include <QWindow>

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
    if (!KeypadTimer->isActive()) {
        keypadChannel_ = 0;
        KeypadTimer->start();
    }
}

bool TMainForm::KeypadBusy() const
{
    return !keypadSteps_.empty() || KeypadFramesWait();
}

bool TMainForm::KeypadFramesWait() const
{
    return Usb && Usb->Waiting(keypadFirstFrame_, keypadLastFrame_);
}

void TMainForm::StopKeypadRun(bool framesDropped)
{
    // The outputs switched so far stay as they are; the next press repeats
    // the same run, since this one did not reach every output.
    if (framesDropped && keypadRunCounted_ && KeypadFramesWait())
        KeypadSwitchAllOn = KeypadSwitchAllOn ? 0 : 1;
    KeypadTimer->stop();
    keypadSteps_.clear();
    keypadChannel_ = 0;
    keypadRunCounted_ = false;
}

void TMainForm::KeypadTimerTimer()
{
    // Frames queued on a link that is not open never reach the unit.
    const bool linkOpen = Usb && Usb->linkState() == devlink::LinkOpen && LinkUp == 1;
    if (keypadSteps_.empty() || LinkTakenFromManualSwitching() || !linkOpen) {
        StopKeypadRun(!linkOpen);
        return;
    }
    if (keypadChannel_ == 0) {
        // The queue writes its lowest used slot first: a frame of the step
        // before, left in a higher slot behind the status poll, would reach
        // the unit after this step's first frames and switch an output
        // against the last press or click. This step waits until none is left.
        if (KeypadFramesWait())
            return;
        keypadFirstFrame_ = keypadLastFrame_ = 0;
        keypadRunCounted_ = false;
    }
    KeypadStep step = keypadSteps_.front();
    const bool run = step.channel == 0;
    if (run)
        step = {static_cast<std::uint8_t>(keypadChannel_ + 1),
                std::uint8_t(KeypadSwitchAllOn == 1 ? 0xF0 : 0x0F)};
    const std::uint64_t number = SendChannelSwitch(step.channel, step.how);
    if (number == 0) {
        // A full queue takes the frame on a later tick; a frame refused for
        // any other reason would be refused again.
        if (!Usb->QueueFull())
            StopKeypadRun();
        return;
    }
    if (keypadFirstFrame_ == 0)
        keypadFirstFrame_ = number;
    keypadLastFrame_ = number;
    if (run && ++keypadChannel_ < TGeneralPageUi::Channels)
        return;
    if (run) {
        KeypadSwitchAllOn = KeypadSwitchAllOn ? 0 : 1;
        keypadRunCounted_ = true;
    }
    keypadChannel_ = 0;
    keypadSteps_.pop_front();
    if (keypadSteps_.empty())
        KeypadTimer->stop();
}
