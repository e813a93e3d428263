#include "config/SettingsRead.h"

#include "config/Settingsunit.h"
#include "forms/ConfigPagesUi.h"
#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "platform/vcl/Numbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

using namespace devlink;
using Ui = TConfigPagesUi;

ReadBlock::ReadBlock(const std::uint8_t *frame, std::size_t count)
    : frame_(frame),
      length_(frame && count > FrameLengthAt ? std::min<std::size_t>(frame[FrameLengthAt], count)
                                             : 0)
{
}

std::uint8_t ReadBlock::at(std::size_t offset) const
{
    return offset < length_ ? frame_[offset] : 0;
}

std::uint16_t ReadBlock::u16le(std::size_t offset) const
{
    return static_cast<std::uint16_t>(at(offset) | at(offset + 1) << 8);
}

std::uint16_t ReadBlock::u16be(std::size_t offset) const
{
    return static_cast<std::uint16_t>(at(offset) << 8 | at(offset + 1));
}

QString ReadBlock::name(std::size_t offset, std::size_t width) const
{
    QByteArray bytes;
    for (std::size_t i = 0; i < width; ++i) {
        const std::uint8_t b = at(offset + i);
        if (b == 0)
            break;
        bytes.append(static_cast<char>(b));
    }
    return QString::fromLatin1(bytes);
}

std::size_t ReadBlockLength(std::uint8_t code)
{
    switch (code) {
    case INPUT_CONFIG_READ_CFM:
        return 21;
    case OUTPUT_CONFIG_READ_CFM:
        return 30;
    case LOW_BATTERY_READ_CFM:
        return 18;
    case CAN_SETUP_READ_CFM:
        return 7;
    case CAN_INPUT_READ_CFM:
        return 49;
    case CAN_INPUT_ENABLE_READ_CFM:
        return 6;
    case BOX_NAME_READ_CFM:
        return 20;
    case VIRTUAL_INPUT_READ_CFM:
        return 31;
    case START_KILL_READ_CFM:
        return 35;
    case FLASH_READ_CFM:
        return 30;
    case WIPER_READ_CFM:
        return 12;
    case SEQUENCE_READ_CFM:
        return 80;
    case PWM_CONFIG_READ_CFM:
        return 7;
    case CAN_EXPORT1_READ_CFM:
        return 29;
    case CAN_EXPORT_READ_CFM:
        return 74;
    default:
        return 0;
    }
}

namespace {

// The block is `code` and long enough for its layout.
bool usable(const ReadBlock &block, std::uint8_t code)
{
    return block.code() == code && block.has(ReadBlockLength(code));
}

QString decimal(unsigned value)
{
    return QString::number(value);
}

// Upper-case hexadecimal with at least `digits` digits.
QString hex(unsigned value, int digits)
{
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

// Selects `index`, or `otherwise` when the combo has no such entry.
void selectEntry(QComboBox *combo, int index, int otherwise)
{
    combo->setCurrentIndex(index < combo->count() ? index : otherwise);
}

QStringList outputNames()
{
    QStringList names;
    for (int n = 1; n <= Ui::OutputCount; ++n)
        names << GetOutputName(n);
    return names;
}

// Refills a check list of the output channels and checks the channels
// listed in `count` bytes from `offset` (1-based; 0 and 255 mark free slots).
void checkChannels(QListWidget *list, const ReadBlock &block, std::size_t offset, std::size_t count)
{
    FillCheckList(list, outputNames());
    for (std::size_t i = 0; i < count; ++i) {
        const int channel = block.at(offset + i);
        if (channel >= 1 && channel <= list->count())
            SetCheckedQuietly(list, channel - 1, true);
    }
}

std::int8_t signedByte(std::uint8_t b)
{
    return static_cast<std::int8_t>(b);
}

} // namespace

int StoreInputConfig(const ReadBlock &block)
{
    const int input = block.at(4);
    if (!ConfigPages || !usable(block, INPUT_CONFIG_READ_CFM) || input < 1 ||
        input > Ui::InputCount)
        return 0;
    SetInputName(input, block.name(5, NameLength));
    SetInputMode(input, block.at(20));
    return input;
}

int StoreOutputConfig(const ReadBlock &block)
{
    const int channel = block.at(4);
    if (!ConfigPages || !usable(block, OUTPUT_CONFIG_READ_CFM) || channel < 1 ||
        channel > Ui::OutputCount)
        return 0;
    if (channel <= Ui::HighPowerCount) {
        SetMaxCurrent(channel, block.u16be(5));
        SetPeakTime(channel, block.at(7));
    }
    // The level follows the trigger: the trigger decides which levels the channel offers.
    SetTriggerCode(channel, block.at(8));
    SetTrigLevel(channel, block.at(9));
    SetOutputName(channel, block.name(10, NameLength));
    SetDelay(channel, block.at(25));
    SetOnTime(channel, block.at(26));
    SetLowCurrent(channel, block.u16le(27));
    SetLowCurrentTime(channel, block.at(29));
    return channel;
}

bool StoreLowBattery(const ReadBlock &block)
{
    if (!ConfigPages || !usable(block, LOW_BATTERY_READ_CFM))
        return false;
    Ui &ui = *ConfigPages;
    ui.EditLowVoltageTrig->setText(vcl::FormatTenths(block.at(4)));
    ui.EditUpperVoltageTrig->setText(vcl::FormatTenths(block.at(5)));
    checkChannels(ui.CheckListBoxLowBatt, block, 6, 12);
    return true;
}

bool StoreCanSetup(const ReadBlock &block)
{
    if (!ConfigPages || !usable(block, CAN_SETUP_READ_CFM))
        return false;
    Ui &ui = *ConfigPages;
    const unsigned rate = block.u16le(5);
    ui.CANbitRateComboBox->setCurrentIndex(rate == 125 ? 0 : rate == 250 ? 1 : rate == 500 ? 2 : 3);
    if (!block.has(CanSetupFullLength)) {
        for (QLineEdit *edit : {ui.CANdelayBeforeNoCANdataEdit, ui.CANresetChannelErrorIDedit,
                                ui.CANresetChannelErrorBitMaskEdit, ui.AutoResetChannelErrorEdit,
                                ui.CANexport5IntervalEdit, ui.CANexport5BaseIDEdit})
            edit->clear();
        ui.CANresetChannelErrorDataCombo->setCurrentIndex(-1);
        return true;
    }
    ui.CANdelayBeforeNoCANdataEdit->setText(decimal(block.u16le(7)));
    ui.CANresetChannelErrorIDedit->setText(hex(block.u16le(9), 3));
    selectEntry(ui.CANresetChannelErrorDataCombo, block.at(11), -1);
    ui.CANresetChannelErrorBitMaskEdit->setText(hex(block.at(12), 2));
    ui.AutoResetChannelErrorEdit->setText(decimal(block.at(13)));
    ui.CANexport5IntervalEdit->setText(decimal(block.at(14)));
    ui.CANexport5BaseIDEdit->setText(hex(block.u16le(15), 3));
    return true;
}

bool StoreCanInput(const ReadBlock &block)
{
    const int index = block.at(4);
    if (!usable(block, CAN_INPUT_READ_CFM) || index >= CanInputCount)
        return false;
    CanInputRecord &r = CanInputTable[static_cast<std::size_t>(index)];
    r.Enabled = block.at(5) & 0x01;
    r.NoCanDataState = (block.at(5) >> 1) & 0x03;
    r.CanIdOn = block.u16le(6);
    r.CanIdOff = block.u16le(8);
    r.ValueOn = block.u16le(10);
    r.ValueOff = block.u16le(12);
    // The operators travel as signed bytes: -1 stays -1 in the wider field.
    r.OperatorOn = static_cast<std::uint32_t>(std::int32_t{signedByte(block.at(14))});
    r.OperatorOff = static_cast<std::uint32_t>(std::int32_t{signedByte(block.at(15))});
    r.HighByteOnPos = block.at(16);
    r.LowByteOnPos = block.at(17);
    r.HighByteOffPos = block.at(18);
    r.LowByteOffPos = block.at(19);
    SetCanInputName(index + 1, block.name(20, NameLength));
    r.RowEnabled = block.at(35) != 0 ? 1 : 0;
    r.RowIndex = block.at(36);
    r.RowValue = block.at(37);
    r.DataType = block.at(38);
    for (std::size_t i = 0; i < 5; ++i)
        r.DimensionName[i] = static_cast<char>(block.at(39 + i));
    r.DimensionName[5] = '\0';
    const std::uint32_t bits = static_cast<std::uint32_t>(block.at(44)) |
                               static_cast<std::uint32_t>(block.at(45)) << 8 |
                               static_cast<std::uint32_t>(block.at(46)) << 16 |
                               static_cast<std::uint32_t>(block.at(47)) << 24;
    r.Multiplicator = std::bit_cast<float>(bits);
    r.CalOffset = signedByte(block.at(48));
    return true;
}

bool StoreCanInputEnable(const ReadBlock &block)
{
    if (!ConfigPages || !usable(block, CAN_INPUT_ENABLE_READ_CFM))
        return false;
    Ui &ui = *ConfigPages;
    ui.CheckBoxCanInputEnable->setChecked(block.at(4) != 0);
    selectEntry(ui.ComboBoxInputTrigCAN_Input, TriggerCodeToInputPinIndex(block.at(5)), 0);
    return true;
}

bool StoreBoxName(const ReadBlock &block)
{
    if (!ConfigPages || !usable(block, BOX_NAME_READ_CFM))
        return false;
    SetBoxName(block.name(4, LongNameLength));
    return true;
}

bool StoreVirtualInput(const ReadBlock &block)
{
    const int index = block.at(4);
    if (!usable(block, VIRTUAL_INPUT_READ_CFM) || index >= VirtualInputCount)
        return false;
    VirtualInputRecord &r = VirtualInputTable[static_cast<std::size_t>(index)];
    constexpr std::uint8_t Plus30Code = 255;
    constexpr std::uint8_t Plus30Index = 1; // "+30" in VirtualChannelList
    for (std::size_t s = 0; s < 3; ++s) {
        const std::uint8_t source = block.at(6 + s);
        r.ChannelIndex[s] = source == Plus30Code ? Plus30Index : source;
    }
    r.OperatorIndex[0] = signedByte(block.at(9));
    r.OperatorIndex[1] = signedByte(block.at(10));
    SetVirtualInputName(index + 1, block.name(11, NameLength));
    for (std::size_t s = 0; s < 3; ++s)
        r.InDelay[s] = block.at(26 + s);
    r.MaskNot = block.at(29);
    return true;
}

bool StoreStartKill(const ReadBlock &block)
{
    if (!ConfigPages || !usable(block, START_KILL_READ_CFM))
        return false;
    Ui &ui = *ConfigPages;
    selectEntry(ui.ComboBoxInputTrigStartButton, TriggerCodeToListIndex(block.at(4)), 0);
    checkChannels(ui.CheckListBoxStartButton, block, 5, 14);
    selectEntry(ui.ComboBoxInputTrigKillButton, TriggerCodeToListIndex(block.at(19)), 0);
    ui.KillInputDelayEdit->setText(decimal(block.at(20)));
    checkChannels(ui.CheckListBoxKillButton, block, 21, 14);
    return true;
}

bool StoreFlash(const ReadBlock &block)
{
    const int index = block.at(4);
    if (!usable(block, FLASH_READ_CFM) || index >= FlashCount)
        return false;
    // The block carries the record exactly as the table holds it.
    std::array<std::uint8_t, sizeof(FlashRecord)> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = block.at(5 + i);
    std::memcpy(&FlashTable[static_cast<std::size_t>(index)], bytes.data(), bytes.size());
    return true;
}

bool StoreWiper(const ReadBlock &block)
{
    if (!ConfigPages || !usable(block, WIPER_READ_CFM))
        return false;
    Ui &ui = *ConfigPages;
    SetTriggerCode(35, block.at(4)); // low speed
    SetTriggerCode(37, block.at(5)); // high speed
    SetTriggerCode(38, block.at(6)); // interval
    SetTriggerCode(39, block.at(7)); // home park
    selectEntry(ui.WiperHomeParkILevelComboBox, block.at(8), 0);
    ui.WiperIntervalTimeEdit->setText(decimal(block.at(9)));
    SetTriggerCode(36, block.at(10)); // wash
    ui.WiperWashTimeEdit->setText(decimal(block.at(11)));
    return true;
}

bool StoreSequences(const ReadBlock &block)
{
    return StoreSequences(block, {});
}

bool StoreSequences(const ReadBlock &block, const std::function<void(QComboBox *)> &typeChanged)
{
    if (!ConfigPages || !usable(block, SEQUENCE_READ_CFM))
        return false;
    Ui &ui = *ConfigPages;
    constexpr std::size_t First = 4, Size = 19;
    const auto at = [](int k) { return First + Size * static_cast<std::size_t>(k - 1); };
    for (int k = 1; k <= Ui::SequenceCount; ++k)
        SetTriggerCode(39 + k, block.at(at(k)));
    for (int k = 1; k <= Ui::SequenceCount; ++k) {
        QComboBox *type = ui.SequenceTypeComboBox[static_cast<std::size_t>(k)];
        selectEntry(type, block.at(at(k) + 1), 0);
        if (typeChanged)
            typeChanged(type);
    }
    constexpr std::uint8_t NoName = 255;
    for (int k = 1; k <= Ui::SequenceCount; ++k)
        SetSequenceName(k, block.at(at(k) + 2) == NoName ? QString()
                                                         : block.name(at(k) + 2, LongNameLength));
    return true;
}

bool StorePwm(const ReadBlock &block)
{
    if (!ConfigPages || !usable(block, PWM_CONFIG_READ_CFM))
        return false;
    Ui &ui = *ConfigPages;
    ui.CheckBoxInputPWMEnable->setChecked(block.at(4) != 0);
    ui.CheckBoxPWM_enable1->setChecked(block.at(5) != 0);
    ui.CheckBoxPWM_enable2->setChecked(block.at(6) != 0);
    return true;
}

bool StoreCanExport1(const ReadBlock &block)
{
    if (!ConfigPages || !usable(block, CAN_EXPORT1_READ_CFM))
        return false;
    Ui &ui = *ConfigPages;
    ui.CheckBoxCAN_Export[1]->setChecked(block.at(5) != 0);
    ui.Edit_REFRESS_Export[1]->setText(decimal(block.u16le(6)));
    ui.EditCAN_ID_Export[1]->setText(hex(block.u16le(8), 3));
    for (int n = 1; n <= Ui::CanExport1ByteCount; ++n)
        selectEntry(ui.ComboBox_CAN_Export1_DataByte[static_cast<std::size_t>(n)],
                    block.at(9 + static_cast<std::size_t>(n)), -1);
    ui.EditCAN_EXPORT_1_RowCounter->setText(decimal(block.at(28)));
    return true;
}

bool StoreCanExport(const ReadBlock &block)
{
    const int item = block.at(4);
    if (!ConfigPages || !usable(block, CAN_EXPORT_READ_CFM) || item > 2)
        return false;
    Ui &ui = *ConfigPages;
    const std::size_t exportNo = static_cast<std::size_t>(item) + 2;
    ui.CheckBoxCAN_Export[exportNo]->setChecked(block.at(5) != 0);
    ui.Edit_REFRESS_Export[exportNo]->setText(decimal(block.u16le(6)));
    ui.EditCAN_ID_Export[exportNo]->setText(hex(block.u16le(8), 3));
    // Exports 2 and 3 have 34 bit combos each, export 4 has 64.
    const std::size_t first = static_cast<std::size_t>(item) * 34;
    const std::size_t bits = item == 2 ? 64 : 34;
    for (std::size_t i = 0; i < bits; ++i)
        selectEntry(ui.CanExportBits[first + i], block.at(10 + i), -1);
    return true;
}
