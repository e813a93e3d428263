// The start every transfer shares, and the read of all settings: the wait
// dialog and the chain of requests, each answer stored and followed by the
// next request, a block that does not come asked for again.
#include "main/MainUnit.h"

#include "config/SettingsRead.h"
#include "config/SettingsWrite.h"
#include "config/Settingsunit.h"
#include "config/Transfer.h"
#include "config/UnitVersion.h"
#include "config/WaitUnit.h"
#include "forms/ConfigPagesUi.h"
#include "link/DeviceCommands.h"
#include "main/ToolWindows.h"
#include "platform/vcl/Dialogs.h"

#include <QComboBox>
#include <QStringList>
#include <QTimer>

using namespace devlink;

namespace {

constexpr std::uint32_t CanMonitorStopMs = 200;
constexpr std::uint8_t AllItems = 0xFF;

} // namespace

bool TMainForm::TransferRunning() const
{
    return TransferBusy || ToolWindows.Version.open();
}

bool TMainForm::StartTransfer(TransferKind kind)
{
    const bool allowed =
        MasterAccess || ReadWriteAccess || (kind == TransferKind::Read && ReadOnlyAccess);
    if (!allowed)
        return false;
    // No transfer inside another: the automatic read comes back later by itself.
    if (TransferRunning() || !UpdateForm)
        return false;
    if (Connected != 1 || FirmwareWindowOpen) {
        vcl::ShowMessage("Is not connected to target, please connect USB", this);
        return false;
    }
    // The transfer's frames go out from here on; no switching frame may come between them.
    StopKeypadRun();
    if (kind == TransferKind::Upload) {
        // Every block is built once before anything goes out, so that an entry
        // that cannot go on the wire stops the upload here and not half-way.
        if (const QString error = CheckUploadBlocks(); !error.isEmpty()) {
            vcl::ShowMessage("Nothing was uploaded.\n\n" + error, this);
            return false;
        }
    }
    if (Config.CANmonitorEnableComboBox->currentIndex() != 0) {
        SwitchCanMonitorOff();
        if (Wait)
            Wait(CanMonitorStopMs);
    }
    if (kind == TransferKind::FactoryReset)
        return vcl::MessageDlg("This will reset the tessaron to factory settings?",
                               vcl::MsgType::Confirmation, vcl::MsgButton::Yes | vcl::MsgButton::No,
                               this) == vcl::MsgButton::Yes;
    return RunVersionCheck();
}

void TMainForm::BtnLoadClick()
{
    if (!StartTransfer(TransferKind::Read))
        return;

    readComplete_ = false;
    readIncomplete_ = false;
    readProgress_.reset();
    if (!readAnswerTimer_) {
        readAnswerTimer_ = new QTimer(this);
        readAnswerTimer_->setSingleShot(true);
        connect(readAnswerTimer_, &QTimer::timeout, this, &TMainForm::ReadAnswerTimeout);
    }
    TransferItem = 0;
    TransferState = tsReading;
    TransferBusy = 1;
    readRunning_ = true;
    UpdateForm->ShowModal([this] { AskReadBlock(ReadPart::Inputs, 0); });
    readRunning_ = false;
    readAnswerTimer_->stop();
    TransferBusy = 0;
    awaitedReply_ = 0;
    if (readComplete_) {
        ReadFromDevice = 1;
        SettingsModified = 0;
        return;
    }
    // Cancelled, timed out or short of blocks: the read is over, and an
    // answer that comes late must not start its chain again.
    TransferState = tsIdle;
    TransferItem = 0;
    if (readIncomplete_)
        vcl::ShowMessage(MissingBlocksText(readProgress_.missing()), this);
}

bool TMainForm::RunVersionCheck()
{
    TVersionForm form(this);
    FramesTo<TVersionForm> frames(form);
    ToolWindows.Version = {&form, &frames};
    form.ShowModal();
    ToolWindows.Version = {};

    if (form.ClosedByUser)
        return false;
    if (form.VersionAccepted)
        return true;
    vcl::ShowMessage(form.TimedOut ? "Timeout for software version"
                                   : "Wrong software version in target, use other program",
                     this);
    return false;
}

void TMainForm::CancelTransfer()
{
    TransferState = tsIdle;
    awaitedReply_ = 0;
    if (UpdateForm)
        UpdateForm->FormDeactivate();
}

void TMainForm::SwitchCanMonitorOff()
{
    // A unit that did not get the "Off" goes on monitoring, and the selector
    // keeps saying so; the next switch-off tries again.
    if (Connected == 1 && !FirmwareWindowOpen && !SendCanMonitorChoice(0))
        return;
    Config.CANmonitorEnableComboBox->setCurrentIndex(0);
    canMonitorChoice_ = 0;
}

// ---- the chain -------------------------------------------------------------

void TMainForm::SendTransferFrame(const DeviceFrame &frame)
{
    awaitedReply_ = ReplyCode(frame[FrameNodeAt], frame[FrameCommandAt]);
    SendFrame(frame.data(), frame.length());
}

void TMainForm::SendTransferRequest(std::uint8_t command, std::initializer_list<std::uint8_t> data)
{
    SendTransferFrame(TransferRequestFrame(command, data));
}

void TMainForm::TransferStep()
{
    switch (TransferState) {
    case tsSendInputs:
    case tsSendOutputs:
    case tsSendStartKill:
    case tsSendCanInputs:
    case tsSendCanInputEnable:
    case tsSendBoxName:
    case tsSendVirtualInputs:
    case tsSendFlash:
    case tsSendWiper:
    case tsSendSequences:
    case tsSendPwm:
    case tsSendCanExport1:
    case tsSendCanExports:
        UploadStep();
        break;
    default:
        if (const auto frame = ReadRequestFrame(TransferState, TransferItem))
            SendTransferFrame(*frame);
        break;
    }
}

void TMainForm::RequestTransferItem(int item)
{
    TransferItem = static_cast<std::uint8_t>(item);
    TransferStep();
}

QString
TMainForm::MissingBlocksText(const std::vector<std::pair<ReadPart, std::vector<int>>> &missing)
{
    struct Naming
    {
        const char *one;
        const char *many; // null for a part of one block
        int first;        // the number of block 0
    };
    static constexpr Naming Names[ReadPartCount] = {
        {"input", "inputs", 1},
        {"output", "outputs", 1},
        {"low battery", nullptr, 0},
        {"CAN setup", nullptr, 0},
        {"CAN input", "CAN inputs", 1},
        {"CAN input enable", nullptr, 0},
        {"unit name", nullptr, 0},
        {"virtual input", "virtual inputs", 1},
        {"start and kill buttons", nullptr, 0},
        {"flash function", "flash functions", 1},
        {"wiper", nullptr, 0},
        {"sequences", nullptr, 0},
        {"PWM", nullptr, 0},
        {"CAN export 1", nullptr, 0},
        {"CAN export", "CAN exports", 2},
    };
    QStringList parts;
    for (const auto &[part, blocks] : missing) {
        const Naming &n = Names[static_cast<std::size_t>(part)];
        if (!n.many) {
            parts << QString::fromLatin1(n.one);
            continue;
        }
        // Runs of three or more numbers as "a to b".
        QStringList numbers;
        for (std::size_t i = 0; i < blocks.size();) {
            std::size_t j = i;
            while (j + 1 < blocks.size() && blocks[j + 1] == blocks[j] + 1)
                ++j;
            const int a = blocks[i] + n.first, b = blocks[j] + n.first;
            if (j >= i + 2)
                numbers << QStringLiteral("%1 to %2").arg(a).arg(b);
            else
                for (std::size_t k = i; k <= j; ++k)
                    numbers << QString::number(blocks[k] + n.first);
            i = j + 1;
        }
        parts << QStringLiteral("%1 %2").arg(QLatin1String(blocks.size() == 1 ? n.one : n.many),
                                             numbers.join(QStringLiteral(", ")));
    }
    return QStringLiteral("The read did not complete: the unit did not send %1.\n\n"
                          "The pages keep their earlier values there. Read the settings again.")
        .arg(parts.join(QStringLiteral("; ")));
}

void TMainForm::AskReadBlock(ReadPart part, int block)
{
    // A block asked for as often as it may be ends the read as not completed.
    if (!readProgress_.ask(part, block)) {
        EndRead();
        return;
    }
    static constexpr TTransferState States[ReadPartCount] = {
        tsReading,          tsReading,
        tsReading,          tsCanSetupRequested,
        tsRequestCanInputs, tsRequestCanInputEnable,
        tsRequestBoxName,   tsRequestVirtualInputs,
        tsRequestStartKill, tsRequestFlash,
        tsRequestWiper,     tsRequestSequences,
        tsRequestPwm,       tsRequestCanExport1,
        tsRequestCanExports};
    readPart_ = part;
    readBlock_ = block;
    TransferState = States[static_cast<std::size_t>(part)];
    switch (part) {
    case ReadPart::Inputs:
        SendTransferRequest(INPUT_CONFIG_READ_REQ, {AllItems});
        break;
    case ReadPart::Outputs:
        SendTransferRequest(OUTPUT_CONFIG_READ_REQ, {AllItems});
        break;
    case ReadPart::LowBattery:
        SendTransferRequest(LOW_BATTERY_READ_REQ);
        break;
    case ReadPart::CanSetup:
        SendTransferRequest(CAN_SETUP_READ_REQ);
        break;
    default:
        RequestTransferItem(block);
        break;
    }
    if (readAnswerTimer_)
        readAnswerTimer_->start(ReadAnswerTimeoutMs);
}

void TMainForm::ReadPartDone(ReadPart part, int after)
{
    if (const auto next = readProgress_.nextMissing(part, after)) {
        AskReadBlock(part, *next);
        return;
    }
    if (part == ReadPart::CanExports) {
        EndRead();
        return;
    }
    AskReadBlock(static_cast<ReadPart>(static_cast<int>(part) + 1), 0);
}

void TMainForm::ReadNumberedBlock(ReadPart part, int item, bool stored)
{
    if (stored)
        readProgress_.store(part, item);
    // A block of the part that was not the one asked for (a repeated, late
    // or misnumbered answer) is kept, but moves nothing on.
    if (item < ReadProgress::blocks(part) && item != readBlock_)
        return;
    ReadPartDone(part, item);
}

void TMainForm::ReadAnswerTimeout()
{
    if (!readRunning_ || !TransferBusy || awaitedReply_ == 0)
        return;
    AskReadBlock(readPart_, readBlock_);
}

void TMainForm::EndRead()
{
    if (readAnswerTimer_)
        readAnswerTimer_->stop();
    TransferItem = 0;
    TransferState = tsIdle;
    awaitedReply_ = 0;
    readComplete_ = readProgress_.complete();
    readIncomplete_ = !readComplete_;
    if (UpdateForm)
        UpdateForm->FormDeactivate();
    if (readComplete_)
        RefreshPending = 1;
}

void TMainForm::HandleReadEvent(const std::uint8_t *frame, std::size_t count)
{
    const ReadBlock block(frame, count);
    // Only the answer to the running read's last request counts; a block too
    // short for its layout is no answer.
    if (!TransferBusy || block.code() != awaitedReply_ || !block.has(ReadBlockLength(block.code())))
        return;
    // Item numbers are taken from the answer; ints, so that 255 + 1 does not wrap to 0.
    const int item = block.at(FrameDataAt);
    const auto single = [this](ReadPart part, bool stored) {
        if (stored)
            readProgress_.store(part, 0);
        ReadPartDone(part, 0);
    };

    switch (block.code()) {
    case INPUT_CONFIG_READ_CFM:
        // The blocks of one request: each one keeps the request alive.
        if (const int input = StoreInputConfig(block)) {
            readProgress_.store(ReadPart::Inputs, input - 1);
            if (readAnswerTimer_)
                readAnswerTimer_->start(ReadAnswerTimeoutMs);
            if (input == TConfigPagesUi::InputCount)
                ReadPartDone(ReadPart::Inputs, input - 1);
        }
        break;
    case OUTPUT_CONFIG_READ_CFM:
        if (const int channel = StoreOutputConfig(block)) {
            readProgress_.store(ReadPart::Outputs, channel - 1);
            if (readAnswerTimer_)
                readAnswerTimer_->start(ReadAnswerTimeoutMs);
            if (channel == TConfigPagesUi::OutputCount)
                ReadPartDone(ReadPart::Outputs, channel - 1);
        }
        break;
    case LOW_BATTERY_READ_CFM:
        single(ReadPart::LowBattery, StoreLowBattery(block));
        break;
    case CAN_SETUP_READ_CFM:
        single(ReadPart::CanSetup, StoreCanSetup(block));
        break;
    case CAN_INPUT_READ_CFM:
        ReadNumberedBlock(ReadPart::CanInputs, item, StoreCanInput(block));
        break;
    case CAN_INPUT_ENABLE_READ_CFM:
        single(ReadPart::CanInputEnable, StoreCanInputEnable(block));
        break;
    case BOX_NAME_READ_CFM:
        single(ReadPart::BoxName, StoreBoxName(block));
        break;
    case VIRTUAL_INPUT_READ_CFM:
        ReadNumberedBlock(ReadPart::VirtualInputs, item, StoreVirtualInput(block));
        break;
    case START_KILL_READ_CFM:
        single(ReadPart::StartKill, StoreStartKill(block));
        break;
    case FLASH_READ_CFM:
        ReadNumberedBlock(ReadPart::Flash, item, StoreFlash(block));
        break;
    case WIPER_READ_CFM:
        single(ReadPart::Wiper, StoreWiper(block));
        break;
    case SEQUENCE_READ_CFM:
        // The type labels follow each type at once, not only at the refresh.
        single(ReadPart::Sequences, StoreSequences(block, [this](QComboBox *type) {
                   SequenceTypeComboBoxChange(type);
               }));
        break;
    case PWM_CONFIG_READ_CFM:
        single(ReadPart::Pwm, StorePwm(block));
        break;
    case CAN_EXPORT1_READ_CFM:
        single(ReadPart::CanExport1, StoreCanExport1(block));
        break;
    case CAN_EXPORT_READ_CFM:
        // An export beyond the last ends the read at once.
        if (item >= ReadProgress::blocks(ReadPart::CanExports))
            EndRead();
        else
            ReadNumberedBlock(ReadPart::CanExports, item, StoreCanExport(block));
        break;
    default:
        break;
    }
}
