#include "tools/RuntimeErrorUnit.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/MainUnit.h"
#include "tools/ErrorLogEntry.h"
#include "tools/ToolLaunch.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

using namespace devlink;

std::uint8_t ErrorLogCount = 0;
TRunTimeErrorForm *RunTimeErrorForm = nullptr;

void SetRunTimeErrorForm(TRunTimeErrorForm *form)
{
    RunTimeErrorForm = form;
    ToolWindows.RunTimeError = {form, form};
}

void LaunchRunTimeErrorForm(QWidget *owner)
{
    // A window of its own, not the hidden one made at start-up; afterwards
    // no window receives the frames.
    RunToolWindow(owner, RunTimeErrorForm, ToolWindows.RunTimeError);
}

TRunTimeErrorForm::TRunTimeErrorForm(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    connect(BtnResetLog, &QPushButton::clicked, this, &TRunTimeErrorForm::BtnResetLogClick);
    connect(BtnResetSystemLog, &QPushButton::clicked, this,
            &TRunTimeErrorForm::BtnResetSystemLogClick);
    connect(BtnReboot, &QPushButton::clicked, this, &TRunTimeErrorForm::BtnRebootClick);
    connect(BtnOK, &QPushButton::clicked, this, &TRunTimeErrorForm::BtnOKClick);
}

TRunTimeErrorForm::~TRunTimeErrorForm()
{
    if (RunTimeErrorForm == this)
        SetRunTimeErrorForm(nullptr);
}

void TRunTimeErrorForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

void TRunTimeErrorForm::FormActivate()
{
    MemoErrorLog->clear();
    awaitedEntry_ = 0;
    countAwaited_ = Send("Error list count request", NodeSystem, ERROR_LOG_COUNT_REQ);
}

void TRunTimeErrorForm::RequestEntry(std::uint8_t index)
{
    // A request refused ends the read there, as a lost answer does, but says so.
    awaitedEntry_ = Send("Request of entry " + QString::number(index), NodeSystem,
                         ERROR_LOG_ENTRY_REQ, {index})
                        ? index
                        : 0;
}

void TRunTimeErrorForm::BtnResetLogClick()
{
    Send("Error log reset", NodeSystem, ERROR_LOG_RESET_REQ);
}

void TRunTimeErrorForm::BtnResetSystemLogClick()
{
    Send("System log reset", NodeApplication, SYSTEM_LOG_RESET_REQ);
}

void TRunTimeErrorForm::BtnRebootClick()
{
    Send("Reboot", NodeApplication, REBOOT_REQ);
}

void TRunTimeErrorForm::BtnOKClick()
{
    accept();
}

bool TRunTimeErrorForm::Send(const QString &what, std::uint8_t node, std::uint8_t command,
                             std::initializer_list<std::uint8_t> data)
{
    const TxOutcome sent =
        MainForm ? MainForm->SendRequest(node, command, data) : TxOutcome{TxRefusal::LinkNotOpen};
    if (!sent)
        AddLine(" " + what + " not sent: " + RefusalText(sent));
    return bool(sent);
}

void TRunTimeErrorForm::AddLine(const QString &line)
{
    MemoErrorLog->appendPlainText(line);
}

void TRunTimeErrorForm::HandleFrame(const std::uint8_t *frame, std::size_t count)
{
    if (!IsValidFrame(frame, count))
        return;
    const std::uint8_t length = frame[FrameLengthAt];
    const std::uint8_t command = frame[FrameCommandAt];
    if (frame[FrameNodeAt] == NodeApplication) {
        if (command == REBOOT_CFM)
            AddLine(" System reboot..");
        else if (command == SYSTEM_LOG_RESET_CFM)
            AddLine(" System log data reset..");
        return;
    }
    if (frame[FrameNodeAt] != NodeSystem)
        return;
    switch (command) {
    case ERROR_LOG_COUNT_CFM:
        if (length <= FrameDataAt)
            return; // no count in it
        AddLine(" Error list count " + QString::number(frame[FrameDataAt]));
        // A repeated count would start the read of the entries over.
        if (!countAwaited_)
            return;
        countAwaited_ = false;
        ErrorLogCount = frame[FrameDataAt];
        if (ErrorLogCount != 0)
            RequestEntry(1);
        break;
    case ERROR_LOG_ENTRY_CFM: {
        const auto entry = errorlog::DecodeEntry(frame, count);
        if (!entry)
            return;
        for (const std::string &line : errorlog::EntryLines(*entry))
            AddLine(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
        // Only the answer to the entry asked for continues the read, so a
        // stray or repeated answer cannot skip or repeat entries.
        if (entry->index == awaitedEntry_ && entry->index < ErrorLogCount)
            RequestEntry(static_cast<std::uint8_t>(entry->index + 1));
        else if (entry->index == awaitedEntry_)
            awaitedEntry_ = 0;
        break;
    }
    case ERROR_LOG_RESET_CFM:
        AddLine(" Error log reset..");
        break;
    default:
        break;
    }
}
