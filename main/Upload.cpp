// The upload of all settings, block by block, each block sent when the unit
// has acknowledged the one before; the factory reset; the reboot question.
#include "main/MainUnit.h"

#include "config/SettingsRead.h"
#include "config/SettingsWrite.h"
#include "config/Settingsunit.h"
#include "config/Transfer.h"
#include "config/WaitUnit.h"
#include "forms/ConfigPagesUi.h"
#include "link/DeviceCommands.h"
#include "platform/vcl/Dialogs.h"

#include <QComboBox>

using namespace devlink;

namespace {

using Ui = TConfigPagesUi;

constexpr int NoItem = -1;

} // namespace

void TMainForm::BtnSaveClick()
{
    // F9 or the menu leaves the focus in an edit that may hold a refresh
    // time typed below its minimum.
    HoldRefreshTimes();
    if (!StartTransfer(TransferKind::Upload))
        return;

    uploadComplete_ = false;
    uploadError_.clear();
    TransferBusy = 1;
    UpdateForm->ShowModal([this] {
        TransferItem = 1;
        TransferState = tsSendInputs;
        SendUploadBlock(BuildInputConfig(1), NoItem);
    });
    awaitedReply_ = 0;
    awaitedItem_ = NoItem;
    if (uploadComplete_) {
        SettingsModified = 0;
    } else {
        // Cancelled, timed out or stopped: the unit holds part of the new
        // settings, and an answer that comes late must not go on with the chain.
        TransferState = tsIdle;
        TransferItem = 0;
        QString text = "The upload did not complete: the unit holds only part of these "
                       "settings. Upload them again before the unit is rebooted.";
        if (!uploadError_.isEmpty())
            text += "\n\n" + uploadError_;
        vcl::ShowMessage(text, this);
    }
    // However the upload ended, the unit takes what it holds only after a
    // reboot; after one that did not complete Enter must not reboot it on
    // part of the settings.
    const vcl::MsgButton rebootDefault = uploadComplete_ ? vcl::MsgButton::Yes : vcl::MsgButton::No;
    if (vcl::MessageDlg("Reboot Target to use new settings?", vcl::MsgType::Confirmation,
                        vcl::MsgButton::Yes | vcl::MsgButton::No, this,
                        rebootDefault) == vcl::MsgButton::Yes) {
        const DeviceFrame reboot = TransferRequestFrame(REBOOT_REQ);
        SendFrame(reboot.data(), reboot.length());
    }
    TransferBusy = 0;
}

void TMainForm::BtnDefaultValueClick()
{
    if (!StartTransfer(TransferKind::FactoryReset))
        return;

    TransferBusy = 1;
    UpdateForm->ShowModal([this] { SendTransferRequest(FACTORY_RESET_REQ); });
    awaitedReply_ = 0;
    TransferBusy = 0;
    // Whatever became of the reset, the pages show what the unit holds now.
    BtnLoadClick();
}

void TMainForm::UploadStep()
{
    switch (TransferState) {
    case tsSendInputs:
        if (TransferItem < Ui::InputCount) {
            ++TransferItem;
            SendUploadBlock(BuildInputConfig(TransferItem), NoItem);
        } else {
            TransferItem = 1;
            TransferState = tsSendOutputs;
            SendUploadBlock(BuildOutputConfig(1), NoItem);
        }
        break;
    case tsSendOutputs:
        if (TransferItem < Ui::OutputCount) {
            ++TransferItem;
            SendUploadBlock(BuildOutputConfig(TransferItem), NoItem);
        } else {
            TransferState = tsLowBatterySent;
            SendUploadBlock(BuildLowBattery(), NoItem);
        }
        break;
    case tsSendStartKill:
        SendUploadBlock(BuildStartKill(), NoItem);
        break;
    case tsSendCanInputs:
        SendUploadBlock(BuildCanInput(TransferItem), TransferItem);
        break;
    case tsSendCanInputEnable:
        SendUploadBlock(BuildCanInputEnable(), NoItem);
        break;
    case tsSendBoxName:
        SendUploadBlock(BuildBoxName(), NoItem);
        break;
    case tsSendVirtualInputs:
        SendUploadBlock(BuildVirtualInput(TransferItem), TransferItem);
        break;
    case tsSendFlash:
        SendUploadBlock(BuildFlash(TransferItem), TransferItem);
        break;
    case tsSendWiper:
        SendUploadBlock(BuildWiper(), NoItem);
        break;
    case tsSendSequences:
        SendUploadBlock(BuildSequences(), NoItem);
        break;
    case tsSendPwm:
        SendUploadBlock(BuildPwm(), NoItem);
        break;
    case tsSendCanExport1:
        SendUploadBlock(BuildCanExport1(), NoItem);
        break;
    case tsSendCanExports:
        SendUploadBlock(BuildCanExport(TransferItem), TransferItem);
        break;
    default:
        break;
    }
}

void TMainForm::SendUploadBlock(const WriteBlock &block, int item)
{
    if (!block.isValid()) {
        // Checked before the start, so only a page changed under the upload
        // gets here: end it as not done; the user is told once it has closed.
        StopUpload(block.error);
        return;
    }
    awaitedItem_ = item;
    SendTransferFrame(*block.frame);
}

void TMainForm::StopUpload(const QString &why)
{
    uploadError_ = why;
    TransferState = tsIdle;
    TransferItem = 0;
    awaitedReply_ = 0;
    awaitedItem_ = NoItem;
    if (UpdateForm)
        UpdateForm->FormDeactivate();
}

void TMainForm::EndUpload()
{
    TransferItem = 0;
    TransferState = tsIdle;
    awaitedReply_ = 0;
    awaitedItem_ = NoItem;
    uploadComplete_ = true;
    if (UpdateForm)
        UpdateForm->FormDeactivate();
    RefreshPending = 1;
}

void TMainForm::HandleUploadAck(const std::uint8_t *frame, std::size_t count)
{
    const ReadBlock ack(frame, count);
    // Only the acknowledgement of the request last sent counts, and for the
    // numbered blocks only with that request's number.
    if (!TransferBusy || ack.code() != awaitedReply_)
        return;
    const int item = ack.at(FrameDataAt);
    const bool numbered = ack.has(FrameDataAt + 1);
    // A flash record beyond the table asks for the awaited one again; an
    // export beyond the last ends the upload, which then did not complete.
    if (ack.code() == FLASH_WRITE_CFM && numbered && item >= FlashCount) {
        TransferStep();
        return;
    }
    if (ack.code() == CAN_EXPORT_WRITE_CFM && numbered && item > 2) {
        StopUpload(QStringLiteral("The unit confirmed CAN export %1, which does not exist.")
                       .arg(item + 2));
        return;
    }
    if (awaitedItem_ != NoItem && (!numbered || item != awaitedItem_))
        return;

    switch (ack.code()) {
    case INPUT_CONFIG_WRITE_CFM:
    case OUTPUT_CONFIG_WRITE_CFM:
        TransferStep();
        break;
    case LOW_BATTERY_WRITE_CFM:
        TransferState = tsCanSetupSent;
        SendUploadBlock(BuildCanSetup(), NoItem);
        break;
    case CAN_SETUP_WRITE_CFM:
        TransferItem = 0;
        TransferState = tsSendStartKill;
        TransferStep();
        break;
    case START_KILL_WRITE_CFM:
        TransferItem = 0;
        TransferState = tsSendCanInputs;
        TransferStep();
        break;
    case CAN_INPUT_WRITE_CFM:
        if (item + 1 < CanInputCount) {
            TransferItem = static_cast<std::uint8_t>(item + 1);
        } else {
            TransferItem = 0;
            TransferState = tsSendCanInputEnable;
        }
        TransferStep();
        break;
    case CAN_INPUT_ENABLE_WRITE_CFM:
        TransferState = tsSendBoxName;
        TransferStep();
        break;
    case BOX_NAME_WRITE_CFM:
        TransferItem = 0;
        TransferState = tsSendVirtualInputs;
        TransferStep();
        break;
    case VIRTUAL_INPUT_WRITE_CFM:
        if (item + 1 < VirtualInputCount) {
            TransferItem = static_cast<std::uint8_t>(item + 1);
        } else {
            TransferItem = 0;
            TransferState = tsSendFlash;
        }
        TransferStep();
        break;
    case FLASH_WRITE_CFM:
        if (item + 1 < FlashCount) {
            TransferItem = static_cast<std::uint8_t>(item + 1);
        } else {
            TransferItem = 0;
            TransferState = tsSendWiper;
        }
        TransferStep();
        break;
    case WIPER_WRITE_CFM:
        TransferItem = 0;
        TransferState = tsSendSequences;
        TransferStep();
        break;
    case SEQUENCE_WRITE_CFM:
        TransferItem = 0;
        TransferState = tsSendPwm;
        TransferStep();
        break;
    case PWM_CONFIG_WRITE_CFM:
        TransferItem = 0;
        TransferState = tsSendCanExport1;
        TransferStep();
        break;
    case CAN_EXPORT1_WRITE_CFM:
        TransferItem = 0;
        TransferState = tsSendCanExports;
        TransferStep();
        break;
    case CAN_EXPORT_WRITE_CFM:
        if (item == 0 || item == 1) {
            TransferItem = static_cast<std::uint8_t>(item + 1);
            TransferStep();
        } else {
            EndUpload();
        }
        break;
    default:
        break;
    }
}

void TMainForm::HandleFactoryResetAck()
{
    if (!TransferBusy || awaitedReply_ != FACTORY_RESET_CFM)
        return;
    awaitedReply_ = 0;
    if (UpdateForm)
        UpdateForm->FormDeactivate();
}
