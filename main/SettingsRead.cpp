// The read of all settings: the version check, the wait dialog and the chain
// of requests, each answer stored and followed by the next request.
#include "main/MainUnit.h"

#include "config/SettingsRead.h"
#include "config/Settingsunit.h"
#include "config/Transfer.h"
#include "config/UnitVersion.h"
#include "config/WaitUnit.h"
#include "forms/ConfigPagesUi.h"
#include "link/DeviceCommands.h"
#include "main/ToolWindows.h"
#include "platform/vcl/Dialogs.h"

#include <QComboBox>

using namespace devlink;

namespace {

constexpr std::uint32_t CanMonitorStopMs = 200;
constexpr std::uint8_t AllItems = 0xFF;

// Hands the frames the main window receives to the version check.
class VersionFrames final : public TFrameHandler
{
public:
    explicit VersionFrames(TVersionForm &form) : form_(form) {}
    void HandleFrame(const std::uint8_t *frame, std::size_t count) override
    {
        form_.HandleFrame(frame, count);
    }

private:
    TVersionForm &form_;
};

} // namespace

bool TMainForm::TransferRunning() const
{
    return TransferBusy || ToolWindows.Version.open();
}

void TMainForm::BtnLoadClick()
{
    if (!MasterAccess && !ReadWriteAccess && !ReadOnlyAccess)
        return;
    // No transfer inside another: the automatic read comes back later by itself.
    if (TransferRunning() || !UpdateForm)
        return;
    if (Connected != 1 || FirmwareWindowOpen) {
        vcl::ShowMessage("Is not connected to target, please connect USB", this);
        return;
    }
    if (Config.CANmonitorEnableComboBox->currentIndex() != 0) {
        SwitchCanMonitorOff();
        if (Wait)
            Wait(CanMonitorStopMs);
    }
    if (!RunVersionCheck())
        return;

    readComplete_ = false;
    TransferItem = 0;
    TransferState = tsReading;
    TransferBusy = 1;
    UpdateForm->ShowModal([this] { SendTransferRequest(INPUT_CONFIG_READ_REQ, {AllItems}); });
    TransferBusy = 0;
    awaitedReply_ = 0;
    if (readComplete_) {
        ReadFromDevice = 1;
        SettingsModified = 0;
    } else {
        // Cancelled or timed out: the read is over, and an answer that comes
        // late must not start its chain again.
        TransferState = tsIdle;
        TransferItem = 0;
    }
}

bool TMainForm::RunVersionCheck()
{
    TVersionForm form(this);
    VersionFrames frames(form);
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
    Config.CANmonitorEnableComboBox->setCurrentIndex(0);
    if (Connected != 1 || FirmwareWindowOpen)
        return;
    // The selector travels as a fifth byte outside Length and the checksum.
    DeviceFrame frame(NodeApplication, CAN_MONITOR_REQ, 4);
    frame.set(FrameDataAt, 0).finish();
    SendFrame(frame.data(), 5);
}

// ---- the chain -------------------------------------------------------------

void TMainForm::SendTransferFrame(const DeviceFrame &frame)
{
    awaitedReply_ = ReplyCode(frame[FrameNodeAt], frame[FrameCommandAt]);
    SendFrame(frame.data(), frame.length());
}

void TMainForm::SendTransferRequest(std::uint8_t command, std::initializer_list<std::uint8_t> data)
{
    DeviceFrame frame(NodeApplication, command, static_cast<std::uint8_t>(4 + data.size()));
    std::size_t at = FrameDataAt;
    for (std::uint8_t b : data)
        frame.set(at++, b);
    frame.finish();
    SendTransferFrame(frame);
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

void TMainForm::EndRead()
{
    TransferItem = 0;
    TransferState = tsIdle;
    awaitedReply_ = 0;
    readComplete_ = true;
    if (UpdateForm)
        UpdateForm->FormDeactivate();
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

    switch (block.code()) {
    case INPUT_CONFIG_READ_CFM:
        if (StoreInputConfig(block) == TConfigPagesUi::InputCount)
            SendTransferRequest(OUTPUT_CONFIG_READ_REQ, {AllItems});
        break;
    case OUTPUT_CONFIG_READ_CFM:
        if (StoreOutputConfig(block) == TConfigPagesUi::OutputCount)
            SendTransferRequest(LOW_BATTERY_READ_REQ);
        break;
    case LOW_BATTERY_READ_CFM:
        StoreLowBattery(block);
        SendTransferRequest(CAN_SETUP_READ_REQ);
        TransferState = tsCanSetupRequested;
        break;
    case CAN_SETUP_READ_CFM:
        StoreCanSetup(block);
        TransferState = tsRequestCanInputs;
        RequestTransferItem(0);
        break;
    case CAN_INPUT_READ_CFM:
        StoreCanInput(block);
        if (item + 1 < CanInputCount) {
            RequestTransferItem(item + 1);
        } else {
            TransferState = tsRequestCanInputEnable;
            TransferStep();
        }
        break;
    case CAN_INPUT_ENABLE_READ_CFM:
        StoreCanInputEnable(block);
        TransferState = tsRequestBoxName;
        RequestTransferItem(0);
        break;
    case BOX_NAME_READ_CFM:
        StoreBoxName(block);
        TransferState = tsRequestVirtualInputs;
        RequestTransferItem(0);
        break;
    case VIRTUAL_INPUT_READ_CFM:
        StoreVirtualInput(block);
        if (item + 1 < VirtualInputCount) {
            RequestTransferItem(item + 1);
        } else {
            TransferState = tsRequestStartKill;
            RequestTransferItem(0);
        }
        break;
    case START_KILL_READ_CFM:
        StoreStartKill(block);
        TransferState = tsRequestFlash;
        RequestTransferItem(0);
        break;
    case FLASH_READ_CFM:
        StoreFlash(block);
        if (item + 1 < FlashCount) {
            RequestTransferItem(item + 1);
        } else {
            TransferState = tsRequestWiper;
            RequestTransferItem(0);
        }
        break;
    case WIPER_READ_CFM:
        StoreWiper(block);
        TransferState = tsRequestSequences;
        RequestTransferItem(0);
        break;
    case SEQUENCE_READ_CFM:
        StoreSequences(block);
        TransferState = tsRequestPwm;
        RequestTransferItem(0);
        break;
    case PWM_CONFIG_READ_CFM:
        StorePwm(block);
        TransferState = tsRequestCanExport1;
        RequestTransferItem(0);
        break;
    case CAN_EXPORT1_READ_CFM:
        StoreCanExport1(block);
        TransferState = tsRequestCanExports;
        RequestTransferItem(0);
        break;
    case CAN_EXPORT_READ_CFM:
        StoreCanExport(block);
        if (item == 0 || item == 1)
            RequestTransferItem(item + 1);
        else
            EndRead();
        break;
    default:
        break;
    }
}
