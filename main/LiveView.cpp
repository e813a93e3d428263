// The "General" page: live view of the unit and manual switching of outputs.
#include "main/MainUnit.h"

#include "link/DeviceCommands.h"
#include "main/LiveStatus.h"
#include "platform/vcl/Colors.h"
#include "widgets/zAnimate.h"

#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QSet>
#include <QThread>
#include <QVariant>

using namespace devlink;

namespace {

const char *const LaidOutMinimum = "liveViewLaidOutMinimum";

// A label's new text asks its layout to look again, and a layout that looks
// again repaints the whole page; a label of fixed size asks nothing. So a
// shown value label keeps the size its layout gave it for as long as its
// texts fit, and goes back to its layout when one does not.
void KeepLaidOutSize(QLabel *label)
{
    if (label->property(LaidOutMinimum).isValid() || !label->isVisible())
        return;
    label->setProperty(LaidOutMinimum, label->minimumSize());
    label->setFixedSize(label->size());
}

// Every value label at once, on the first answer that finds the page shown:
// the page is laid out again once, not once a label.
void KeepLaidOutSizes(TGeneralPageUi &g, bool &done)
{
    if (done || !g.lblCurrentSum->isVisible())
        return;
    done = true;
    for (QLabel *l : {g.lblCurrentSum, g.lblVbat, g.lblTemp, g.lblErrors})
        KeepLaidOutSize(l);
    for (int ch = 1; ch <= TGeneralPageUi::HighPowerChannels; ++ch)
        KeepLaidOutSize(g.ChannelStates[static_cast<std::size_t>(ch)]);
    for (int i = 1; i <= TGeneralPageUi::Inputs; ++i)
        KeepLaidOutSize(g.InputStates[static_cast<std::size_t>(i)]);
    for (int i = 1; i <= TGeneralPageUi::CanInputs; ++i)
        KeepLaidOutSize(g.CanInputStates[static_cast<std::size_t>(i)]);
}

// The texts a label kept at its laid-out size was found to show whole, for
// as long as its width and font stay. Measuring a text shapes it, which
// costs as much as painting it, and a live value comes back again and again.
struct TextsThatFit
{
    int width = -1;
    QFont font;
    QSet<QString> texts;
};

const char *const FittingTexts = "liveViewTextsThatFit";
constexpr qsizetype MostFittingTexts = 256;

// Whether `label`'s text, just set, fits the label as it stands. One line of
// text is as high whatever it says: only its width may not fit.
bool TextFits(QLabel *label)
{
    auto known = label->property(FittingTexts).value<TextsThatFit>();
    if (known.width != label->width() || known.font != label->font())
        known = {label->width(), label->font(), {}};
    else if (known.texts.contains(label->text()))
        return true;
    if (label->sizeHint().width() > label->width())
        return false;
    if (known.texts.size() >= MostFittingTexts)
        known.texts.clear();
    known.texts.insert(label->text());
    label->setProperty(FittingTexts, QVariant::fromValue(known));
    return true;
}

void SetText(QLabel *label, const QString &text)
{
    if (label->text() == text)
        return;
    KeepLaidOutSize(label);
    label->setText(text);
    const QVariant minimum = label->property(LaidOutMinimum);
    if (minimum.isValid() && !TextFits(label)) {
        label->setProperty(LaidOutMinimum, QVariant());
        label->setMinimumSize(minimum.toSize());
        label->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void SetLabel(QLabel *label, const QString &text, vcl::TColor colour)
{
    SetText(label, text);
    const QColor background = vcl::ToQColor(colour);
    if (label->palette().color(QPalette::Window) == background)
        return;
    QPalette p = label->palette();
    p.setColor(QPalette::Window, background);
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
        SetText(l, "--");
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
    KeepLaidOutSizes(General, LiveViewLaidOut);
    SetText(General.lblCurrentSum, FormatTenthsUnit(frame[6] << 8 | frame[7], "A"));
    SetText(General.lblVbat, FormatTenthsUnit(frame[8], "V"));
    SetText(General.lblTemp, QStringLiteral("%1 \u00B0C").arg(frame[9]));
    SetText(General.lblErrors, QString::number(frame[4] + frame[5]));
}

void TMainForm::HandleInputStatus(const std::uint8_t *frame)
{
    KeepLaidOutSizes(General, LiveViewLaidOut);
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
    KeepLaidOutSizes(General, LiveViewLaidOut);
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
    // The unit drops switching frames in automatic mode: a run going on
    // would count as done with its outputs left as they were.
    StopKeypadRun();
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
    SendChannelSwitch(channel, 0xF0);
}

void TMainForm::SendChannelOff(std::uint8_t channel)
{
    SendChannelSwitch(channel, 0x0F);
}

TxOutcome TMainForm::SendChannelSwitch(std::uint8_t channel, std::uint8_t how,
                                       std::uint64_t *number)
{
    // A switching frame must never reach a transfer's or the bootloader's exchange.
    if (ManualMode && MaySend())
        return SendRequest(NodeApplication, CHANNEL_SWITCH_REQ,
                           {channel, how, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, number);
    if (number)
        *number = 0;
    return {TxRefusal::LinkNotOpen};
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
    // A click while keypad runs go, or their frames still wait, follows
    // them, as it did while a run held the window: sent at once, it would
    // be undone by the run's frame for the same output.
    if (KeypadBusy() && ManualMode && MaySend()) {
        QueueKeypadStep({static_cast<std::uint8_t>(channel),
                         std::uint8_t(IsCaptionOn(button) ? 0x0F : 0xF0)});
        return;
    }
    if (IsCaptionOn(button))
        SendChannelOff(static_cast<std::uint8_t>(channel));
    else
        SendChannelOn(static_cast<std::uint8_t>(channel));
}
