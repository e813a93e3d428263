#include "tools/CalibrationUnit.h"

#include "link/DeviceCommands.h"
#include "main/MainUnit.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Numbers.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

using namespace calibration;
using namespace devlink;

calibration::Ratios RatioTable{};
std::uint8_t CurrentChannel = 1;
TCalibrationForm *CalibrationForm = nullptr;

namespace {

constexpr int RefreshMs = 100;

std::size_t row(int channel)
{
    return static_cast<std::size_t>(channel - 1);
}

QString ratioErrorText(RatioError error, int channel)
{
    const QString n = QString::number(channel);
    switch (error) {
    case RatioError::NoCurrent:
        return "Enter the current measured on channel " + n + " in amperes.";
    case RatioError::NotRead:
        return "Channel " + n + " has not been read from the unit yet.";
    case RatioError::NoAdSignal:
        return "The A/D value of channel " + n +
               " equals its offset: there is no current to calculate a ratio from.";
    case RatioError::None:
        break;
    }
    return {};
}

} // namespace

TCalibrationForm::TCalibrationForm(QWidget *owner, Sender send)
    : QDialog(owner), send_(std::move(send))
{
    if (!send_)
        send_ = SendToMainForm;
    setupUi(this);
    TimerRefres = new QTimer(this);
    TimerRefres->setObjectName("TimerRefres");
    TimerRefres->setInterval(RefreshMs);
    RatioConfirmTimer = new QTimer(this);
    RatioConfirmTimer->setSingleShot(true);
    RatioConfirmTimer->setInterval(ConfirmMs);
    OffsetConfirmTimer = new QTimer(this);
    OffsetConfirmTimer->setSingleShot(true);
    OffsetConfirmTimer->setInterval(ConfirmMs);
    ReadTimeoutTimer = new QTimer(this);
    ReadTimeoutTimer->setSingleShot(true);
    ReadTimeoutTimer->setInterval(ReadTimeoutMs);
    connect(TimerRefres, &QTimer::timeout, this, &TCalibrationForm::TimerRefresTimer);
    connect(RatioConfirmTimer, &QTimer::timeout, this, &TCalibrationForm::RatioConfirmTimeout);
    connect(OffsetConfirmTimer, &QTimer::timeout, this, &TCalibrationForm::OffsetConfirmTimeout);
    connect(ReadTimeoutTimer, &QTimer::timeout, this, &TCalibrationForm::ReadTimeout);
    ModeTimeoutTimer = new QTimer(this);
    ModeTimeoutTimer->setSingleShot(true);
    ModeTimeoutTimer->setInterval(ReadTimeoutMs);
    connect(ModeTimeoutTimer, &QTimer::timeout, this, &TCalibrationForm::ModeTimeout);
    connect(CheckBoxOffset, &QCheckBox::clicked, this, &TCalibrationForm::CheckBoxOffsetClick);
    connect(CheckBoxRation, &QCheckBox::clicked, this, &TCalibrationForm::CheckBoxRationClick);
    connect(ChannelUpdateBtn, &QPushButton::clicked, this,
            &TCalibrationForm::ChannelUpdateBtnClick);
    connect(ChannelDownBtn, &QPushButton::clicked, this, &TCalibrationForm::ChannelDownBtnClick);
    connect(ChannelUpBtn, &QPushButton::clicked, this, &TCalibrationForm::ChannelUpBtnClick);
    connect(BtnUpload_AD_Offset, &QPushButton::clicked, this,
            &TCalibrationForm::BtnUpload_AD_OffsetClick);
    connect(BtnStoreRation, &QPushButton::clicked, this, &TCalibrationForm::BtnStoreRationClick);
    connect(BtnOK, &QPushButton::clicked, this, &TCalibrationForm::BtnOKClick);
    for (int n = 1; n <= Channels; ++n)
        connect(Btn_NewRation[row(n)], &QPushButton::clicked, this,
                [this, n] { Btn_NewRationClick(n); });
    FormCreate();
    unitSwitches_ = {CheckBoxOffset->isChecked(), CheckBoxRation->isChecked(),
                     CalibrateChannelEdit->text()};
}

TCalibrationForm::~TCalibrationForm()
{
    if (ToolWindows.Calibration.handler == this)
        ToolWindows.Calibration = {};
    if (CalibrationForm == this)
        CalibrationForm = nullptr;
}

void TCalibrationForm::FormCreate()
{
    RatioTable = {};
    CurrentChannel = 1;
    const DeviceFrame f = ModeRequest(ModeCalibration);
    // A lost confirmation costs one wait, never the poll it starts.
    AwaitingMode = true;
    ModeTimeoutTimer->start();
    send_(f.data(), f.length());
}

void TCalibrationForm::ModeTimeout()
{
    ModeTimeoutTimer->stop();
    if (!AwaitingMode)
        return;
    const DeviceFrame f = ModeRequest(ModeCalibration);
    ModeTimeoutTimer->start();
    send_(f.data(), f.length());
}

void TCalibrationForm::FormShow()
{
    UploadADoffsetOKlabel->hide();
    StoreCalibrationOKlabel->hide();
}

void TCalibrationForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TCalibrationForm::HandleFrame(const std::uint8_t *frame, std::size_t count)
{
    if (!IsValidFrame(frame, count) || frame[FrameNodeAt] != NodeApplication)
        return;
    switch (frame[FrameCommandAt]) {
    case MODE_CFM:
        AwaitingMode = false;
        ModeTimeoutTimer->stop();
        vcl::ShowMessageLater("Tessaron in Calibration mode", this);
        // The poll starts over from here: a pause already running is dropped,
        // so that the poll never runs twice.
        TimerRefres->stop();
        RequestChannel(CurrentChannel);
        break;
    case CAL_RATIO_WRITE_CFM: {
        if (AwaitedRatioChannel == 0)
            break; // nothing of ours is waiting: a late or foreign answer
        const int channel = frame[FrameLengthAt] > FrameDataAt ? frame[FrameDataAt] : 0;
        // Only the confirmation of the write awaited moves the ratios on; a
        // repeated or foreign one would skip a write. The time-out reports a
        // write that stays unconfirmed.
        if (channel != AwaitedRatioChannel)
            break;
        RatioConfirmTimer->stop();
        AwaitedRatioChannel = 0;
        SendNextRatio(channel);
        break;
    }
    case CAL_CHANNEL_READ_CFM: {
        const auto reading = DecodeChannelReading(frame, count);
        if (reading)
            ShowReading(*reading);
        // A reading answers the request awaited whatever channel it names, so
        // a damaged channel number does not stop the poll. One that comes
        // while none is awaited (a repeat, or the second answer to a
        // request made again after its time-out) would skip a channel: it is
        // only shown.
        if (AwaitedReadChannel == 0)
            break;
        ReadTimeoutTimer->stop();
        AwaitedReadChannel = 0;
        CurrentChannel = CurrentChannel >= Channels ? 1 : CurrentChannel + 1;
        TimerRefres->start();
        break;
    }
    case CAL_OFFSET_STORE_CFM:
        OffsetConfirmTimer->stop();
        UploadADoffsetOKlabel->show();
        break;
    default:
        break;
    }
}

void TCalibrationForm::ShowReading(const ChannelReading &reading)
{
    const std::size_t i = row(reading.channel);
    Label_AD_Offset[i]->setText(OffsetText(reading.adOffset));
    Label_Ratio[i]->setText(RatioText(reading.ratio));
    Label_Amp_ch[i]->setText(CurrentText(reading.currentTenths));
    Label_AD[i]->setText(AdText(reading.adValue));
    activity_[i] ^= 1;
    ChannelUpdateLabel[i]->setText(activity_[i] ? " " : "*");
}

void TCalibrationForm::RequestChannel(std::uint8_t channel)
{
    const DeviceFrame f = ChannelReadRequest(channel);
    AwaitedReadChannel = channel;
    ReadTimeoutTimer->start();
    send_(f.data(), f.length());
}

void TCalibrationForm::ReadTimeout()
{
    ReadTimeoutTimer->stop();
    if (AwaitedReadChannel != 0)
        RequestChannel(static_cast<std::uint8_t>(AwaitedReadChannel));
}

void TCalibrationForm::TimerRefresTimer()
{
    TimerRefres->stop();
    int only = 0;
    if (vcl::StrToIntStrict(CalibrateChannelEdit->text(), only) && IsChannel(only))
        RequestChannel(static_cast<std::uint8_t>(only));
    else
        RequestChannel(CurrentChannel);
}

int TCalibrationForm::ChannelEditNumber() const
{
    // The unit takes one byte.
    return std::clamp(vcl::StrToIntDef(CalibrateChannelEdit->text(), 0), 0, MaxSwitchNumber);
}

void TCalibrationForm::SendSwitches()
{
    const int number = ChannelEditNumber();
    CalibrateChannelEdit->setText(QString::number(number));
    const DeviceFrame f = SwitchesRequest(CheckBoxOffset->isChecked(), CheckBoxRation->isChecked(),
                                          static_cast<std::uint8_t>(number));
    // Nothing answers the switches: unsent, they would pass for the unit's,
    // so the window shows the unit's again.
    const TxOutcome sent = send_(f.data(), f.length());
    if (sent) {
        unitSwitches_ = {CheckBoxOffset->isChecked(), CheckBoxRation->isChecked(),
                         CalibrateChannelEdit->text()};
        return;
    }
    const QSignalBlocker offset(CheckBoxOffset), ratio(CheckBoxRation);
    CheckBoxOffset->setChecked(unitSwitches_.offset);
    CheckBoxRation->setChecked(unitSwitches_.ratio);
    CalibrateChannelEdit->setText(unitSwitches_.number);
    vcl::ShowMessage("The switches were not sent to the unit: " + RefusalClause(sent) + ".", this);
}

void TCalibrationForm::CheckBoxOffsetClick()
{
    SendSwitches();
}

void TCalibrationForm::CheckBoxRationClick()
{
    SendSwitches();
}

void TCalibrationForm::ChannelUpdateBtnClick()
{
    SendSwitches();
}

void TCalibrationForm::ChannelDownBtnClick()
{
    const int number = ChannelEditNumber();
    CalibrateChannelEdit->setText(QString::number(number > 0 ? number - 1 : number));
    SendSwitches();
}

void TCalibrationForm::ChannelUpBtnClick()
{
    const int number = ChannelEditNumber();
    CalibrateChannelEdit->setText(QString::number(number < MaxSwitchChannel ? number + 1 : number));
    SendSwitches();
}

void TCalibrationForm::BtnUpload_AD_OffsetClick()
{
    const DeviceFrame f = OffsetStoreRequest();
    send_(f.data(), f.length());
    UploadADoffsetOKlabel->hide();
    OffsetConfirmTimer->start();
}

void TCalibrationForm::OffsetConfirmTimeout()
{
    vcl::PostMessageBox("The unit did not confirm the A/D offsets. They may not be stored.",
                        "Calibration", vcl::MsgType::Error, vcl::MsgButton::Ok, this);
}

void TCalibrationForm::Btn_NewRationClick(int channel)
{
    if (!IsChannel(channel))
        return;
    const std::size_t i = row(channel);
    const RatioResult r =
        NewRatio(Edit_Current[i]->text(), Label_AD[i]->text(), Label_AD_Offset[i]->text());
    if (!r.isValid()) {
        vcl::MessageDlg(ratioErrorText(r.error, channel), vcl::MsgType::Warning, vcl::MsgButton::Ok,
                        this);
        return;
    }
    EditNewRation[i]->setText(QString::number(r.ratio));
}

void TCalibrationForm::BtnStoreRationClick()
{
    StoreCalibrationOKlabel->hide();
    // Every typed ratio is checked before the first one goes out, so that a
    // mistake never leaves the unit with half the new ratios.
    calibration::Ratios table{};
    for (int n = 1; n <= Channels; ++n) {
        const std::optional<int> ratio = StoredRatio(EditNewRation[row(n)]->text());
        if (!ratio) {
            vcl::MessageDlg("The new ratio of channel " + QString::number(n) +
                                " must be a whole number from 0 to " +
                                QString::number(MaxStoredRatio) + ". Nothing was stored.",
                            vcl::MsgType::Warning, vcl::MsgButton::Ok, this);
            return;
        }
        table[row(n)] = *ratio;
    }
    RatioConfirmTimer->stop();
    AwaitedRatioChannel = 0;
    RatioTable = table;
    SendNextRatio(0);
}

void TCalibrationForm::SendNextRatio(int after)
{
    const int channel = NextRatioChannel(RatioTable, after);
    if (channel == 0) {
        StoreCalibrationOKlabel->show();
        return;
    }
    const auto ratio = static_cast<std::uint16_t>(RatioTable[row(channel)] & 0xFFFF);
    const DeviceFrame f = RatioWriteRequest(static_cast<std::uint8_t>(channel), ratio);
    AwaitedRatioChannel = channel;
    RatioConfirmTimer->start();
    send_(f.data(), f.length());
}

void TCalibrationForm::RatioConfirmTimeout()
{
    RatioWriteFailed("The unit did not confirm the ratio of channel " +
                     QString::number(AwaitedRatioChannel) + ". The ratios were not all stored.");
}

void TCalibrationForm::RatioWriteFailed(const QString &text)
{
    RatioConfirmTimer->stop();
    AwaitedRatioChannel = 0;
    RatioTable = {};
    vcl::PostMessageBox(text, "Calibration", vcl::MsgType::Error, vcl::MsgButton::Ok, this);
}

void TCalibrationForm::BtnOKClick()
{
    // The unit stays in the mode it is in: closing sends nothing.
    accept();
}

void LaunchCalibration(QWidget *owner)
{
    auto *form = new TCalibrationForm(owner);
    CalibrationForm = form;
    ToolWindows.Calibration = {form, form};
    form->exec();
    ToolWindows.Calibration = {};
    CalibrationForm = nullptr;
    delete form;
}
