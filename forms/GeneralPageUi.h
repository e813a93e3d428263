// Controls of the "General" page: the live view of outputs, inputs and
// unit totals, and the operating mode. Arrays are indexed by the 1-based
// channel, input or CAN input number; index 0 stays empty.
#pragma once

#include <array>

class QGroupBox;
class QLabel;
class QRadioButton;
class QWidget;
class TzColorBtn;

class TGeneralPageUi
{
public:
    static constexpr int HighPowerChannels = 18;
    static constexpr int Channels = 34;
    static constexpr int Inputs = 11;
    static constexpr int CanInputs = 32;

    QLabel *lblCurrentSum = nullptr, *lblVbat = nullptr, *lblTemp = nullptr, *lblErrors = nullptr;

    // BtnHighPowerCh1..18, BtnLowPowerCh19..34
    std::array<TzColorBtn *, Channels + 1> ChannelButtons{};
    // ch1State..ch18State
    std::array<QLabel *, HighPowerChannels + 1> ChannelStates{};
    // LabelInput1State..LabelInput11State
    std::array<QLabel *, Inputs + 1> InputStates{};
    // Label_CAN_InputState1..32
    std::array<QLabel *, CanInputs + 1> CanInputStates{};

    QGroupBox *GroupBoxMode = nullptr;
    QRadioButton *RadioButtonAuto = nullptr;
    QRadioButton *RadioButtonManuel = nullptr;

    void setupUi(QWidget *page);
};
