// The "General" page: live view of the unit and manual switching of outputs.
#include "main/MainUnit.h"

#include "link/DeviceCommands.h"
#include "main/LiveStatus.h"
#include "platform/vcl/Colors.h"
#include "widgets/zAnimate.h"

#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QThread>

using namespace devlink;

namespace {

void SetLabel(QLabel *label, const QString &text, vcl::TColor colour)
{
    label->setText(text);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, vcl::ToQColor(colour));
    label->setPalette(p);
}

ChannelStatus StatusOf(const std::uint8_t *frame)
{
    return {frame[5] == 0xF0, frame[6], static_cast<std::uint16_t>(frame[7] << 8 | frame[8]),
            frame[9] != 0};
}

} // namespace

void TMainForm::ShowInputState(QLabel *label, bool active)
{
    SetLabel(label, active ? "On" : "Off", active ? LiveGreen : vcl::clBtnFace);
}

void TMainForm::ShowHighPowerStatus(TzColorBtn *button, QLabel *label, const std::uint8_t *frame)
{
    const ChannelView v = HighPowerView(StatusOf(frame));
    SetLabel(label, v.labelText, v.labelColour);
    button->SetCaption(v.caption);
    button->SetColor(v.buttonColour);
}

void TMainForm::ShowLowPowerStatus(TzColorBtn *button, const std::uint8_t *frame)
{
    const ChannelView v = LowPowerView(StatusOf(frame));
    button->SetCaption(v.caption);
    button->SetColor(v.buttonColour);
}

void TMainForm::ResetChannelButton(TzColorBtn *button)
{
    button->SetColor(vcl::clBtnFace);
    button->SetCaption("Off");
}

void TMainForm::ClearLiveView()
{
    for (QLabel *l : {General.lblCurrentSum, General.lblVbat, General.lblTemp, General.lblErrors})
        l->setText("--");
    for (int ch = 1; ch <= TGeneralPageUi::HighPowerChannels; ++ch)
        SetLabel(General.ChannelStates[static_cast<std::size_t>(ch)], "--", LiveWhite);
    for (int ch = 1; ch <= TGeneralPageUi::Channels; ++ch)
        ResetChannelButton(General.ChannelButtons[static_cast<std::size_t>(ch)]);
    for (int i = 1; i <= TGeneralPageUi::Inputs; ++i)
        ShowInputState(General.InputStates[static_cast<std::size_t>(i)], false);
    for (int i = 1; i <= TGeneralPageUi::CanInputs; ++i)
        ShowInputState(General.CanInputStates[static_cast<std::size_t>(i)], false);
}

void TMainForm::HandleBoxStatus(const std::uint8_t *frame)
{
    General.lblCurrentSum->setText(FormatTenthsUnit(frame[6] << 8 | frame[7], "A"));
    General.lblVbat->setText(FormatTenthsUnit(frame[8], "V"));
    General.lblTemp->setText(QStringLiteral("%1 \u00B0C").arg(frame[9]));
    General.lblErrors->setText(QString::number(frame[4] + frame[5]));
}

void TMainForm::HandleInputStatus(const std::uint8_t *frame)
{
    for (int i = 1; i <= TGeneralPageUi::Inputs; ++i) {
        const int bit = i - 1;
        ShowInputState(General.InputStates[static_cast<std::size_t>(i)],
                       frame[4 + bit / 8] & (1 << (bit % 8)));
    }
    for (int i = 1; i <= TGeneralPageUi::CanInputs; ++i) {
        const int bit = i - 1;
        ShowInputState(General.CanInputStates[static_cast<std::size_t>(i)],
                       frame[6 + bit / 8] & (1 << (bit % 8)));
    }
}

void TMainForm::HandleChannelStatus(const std::uint8_t *frame)
{
    const int ch = frame[4];
    if (ch < 1 || ch > TGeneralPageUi::Channels)
        return;
    TzColorBtn *button = General.ChannelButtons[static_cast<std::size_t>(ch)];
    if (ch <= TGeneralPageUi::HighPowerChannels)
        ShowHighPowerStatus(button, General.ChannelStates[static_cast<std::size_t>(ch)], frame);
    else
        ShowLowPowerStatus(button, frame);
}

// ---- manual control ----------------------------------------------------------

void TMainForm::RadioButtonAutoClick()
{
    if (Connected == 1)
        SendRequest(NodeApplication, MODE_REQ, {0});
    ManualMode = 0;
    for (int ch = 1; ch <= TGeneralPageUi::Channels; ++ch)
        General.ChannelButtons[static_cast<std::size_t>(ch)]->setEnabled(false);
}

void TMainForm::RadioButtonManuelClick()
{
    if (Connected == 1)
        SendRequest(NodeApplication, MODE_REQ, {1});
    ManualMode = 1;
    for (int ch = 1; ch <= TGeneralPageUi::Channels; ++ch)
        General.ChannelButtons[static_cast<std::size_t>(ch)]->setEnabled(true);
}

void TMainForm::SendChannelOn(std::uint8_t channel)
{
    if (ManualMode && Connected == 1)
        SendRequest(NodeApplication, CHANNEL_SWITCH_REQ,
                    {channel, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
}

void TMainForm::SendChannelOff(std::uint8_t channel)
{
    if (ManualMode && Connected == 1)
        SendRequest(NodeApplication, CHANNEL_SWITCH_REQ,
                    {channel, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
}

bool TMainForm::IsCaptionOn(const TzColorBtn *button)
{
    return button->Caption() == "On";
}

void TMainForm::ChannelButtonClick(TzColorBtn *button)
{
    QString name = button->objectName();
    qsizetype digits = 0;
    while (digits < name.size() && name.at(name.size() - 1 - digits).isDigit())
        ++digits;
    const int channel = name.right(digits).toInt();
    if (channel < 1 || channel > TGeneralPageUi::Channels)
        return;
    if (IsCaptionOn(button))
        SendChannelOff(static_cast<std::uint8_t>(channel));
    else
        SendChannelOn(static_cast<std::uint8_t>(channel));
}
