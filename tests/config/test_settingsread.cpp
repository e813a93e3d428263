// The settings blocks of a read: each field lands in its control or table
// field, item numbers out of range store nothing, short blocks are no blocks.
// Offsets and values come from the block layouts of the protocol.
#include "config_fixture.h"

#include "config/SettingsRead.h"
#include "config/Transfer.h"
#include "link/DeviceCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

using namespace devlink;
using Ui = TConfigPagesUi;
using Bytes = std::vector<std::uint8_t>;

// A block as the unit sends it: header, then bytes set at their offsets.
struct Block
{
    Bytes bytes;
    Block(std::uint8_t code, std::size_t length) : bytes(length, 0)
    {
        bytes[1] = static_cast<std::uint8_t>(length);
        bytes[2] = NodeApplication;
        bytes[3] = code;
    }
    Block &set(std::size_t at, std::uint8_t v)
    {
        bytes[at] = v;
        return *this;
    }
    Block &u16le(std::size_t at, std::uint16_t v) { return set(at, v & 0xFF).set(at + 1, v >> 8); }
    Block &text(std::size_t at, std::string_view s)
    {
        std::memcpy(bytes.data() + at, s.data(), s.size());
        return *this;
    }
    ReadBlock read() const { return ReadBlock(bytes.data(), bytes.size()); }
};

using SettingsRead = ConfigPagesTest;

TEST_F(SettingsRead, ReaderStopsAtLengthAndDecodedBytes)
{
    Block b(INPUT_CONFIG_READ_CFM, 21);
    b.set(20, 7);
    EXPECT_EQ(b.read().at(20), 7);
    // Length says 10: byte 20 is not part of the frame.
    b.set(1, 10);
    EXPECT_EQ(b.read().at(20), 0);
    EXPECT_EQ(b.read().length(), 10u);
    // Length beyond the bytes decoded.
    b.set(1, 200);
    EXPECT_EQ(b.read().length(), 21u);
    EXPECT_EQ(ReadBlock(nullptr, 0).length(), 0u);
}

TEST_F(SettingsRead, InputBlock)
{
    Block b(INPUT_CONFIG_READ_CFM, 21);
    b.set(4, 3).text(5, "PUMP").set(20, 1);
    EXPECT_EQ(StoreInputConfig(b.read()), 3);
    EXPECT_EQ(GetInputName(3), "PUMP");
    EXPECT_EQ(GetInputMode(3), 1);

    // A name that fills its 15 bytes has no terminator and is taken whole.
    b.set(4, 11).text(5, "ABCDEFGHIJKLMNO").set(20, 0);
    EXPECT_EQ(StoreInputConfig(b.read()), 11);
    EXPECT_EQ(GetInputName(11), "ABCDEFGHIJKLMNO");

    for (std::uint8_t bad : {0, 12, 255}) {
        b.set(4, bad);
        EXPECT_EQ(StoreInputConfig(b.read()), 0) << int(bad);
    }
    Block shortBlock(INPUT_CONFIG_READ_CFM, 20);
    shortBlock.set(4, 2).text(5, "X");
    EXPECT_EQ(StoreInputConfig(shortBlock.read()), 0);
    EXPECT_NE(GetInputName(2), "X");
}

TEST_F(SettingsRead, OutputBlockHighAndLowPower)
{
    Block b(OUTPUT_CONFIG_READ_CFM, 30);
    // Channel 5: 30.0 A big-endian, peak 1.5 s, triggered by input 4 (0xD1) on
    // GND, delay 0.3 s, continuous, low current 2.5 A little-endian for 0.7 s.
    b.set(4, 5).set(5, 0x01).set(6, 0x2C).set(7, 15).set(8, 0xD1).set(9, 16);
    b.text(10, "HEADLIGHT").set(25, 3).set(26, 0).u16le(27, 25).set(29, 7);
    EXPECT_EQ(StoreOutputConfig(b.read()), 5);
    EXPECT_EQ(ui.EditMaxCurrentCH[5]->text(), "30.0");
    EXPECT_EQ(ui.EditCurrentPeakTimeCH[5]->text(), "1.5");
    EXPECT_EQ(GetTriggerCode(5), 0xD1);
    EXPECT_EQ(GetTrigLevel(5), TriggerLevelGnd);
    EXPECT_EQ(GetOutputName(5), "HEADLIGHT");
    EXPECT_EQ(ui.EditDelayCH[5]->text(), "0.3");
    EXPECT_EQ(ui.EditOnTimeCH[5]->text(), "CONT.");
    EXPECT_EQ(ui.EditLowCurrentCH[5]->text(), "2.5");
    EXPECT_EQ(ui.EditLowCurrentTimeCH[5]->text(), "0.7");

    // Channel 25 carries no current fields; whatever bytes 5..7 hold is not read.
    Block low(OUTPUT_CONFIG_READ_CFM, 30);
    low.set(4, 25).set(5, 0xFF).set(6, 0xFF).set(7, 99).set(8, 7).text(10, "HORN").set(26, 12);
    EXPECT_EQ(StoreOutputConfig(low.read()), 25);
    EXPECT_EQ(GetOutputName(25), "HORN");
    EXPECT_EQ(GetTriggerCode(25), 7);
    EXPECT_EQ(ui.EditOnTimeCH[25]->text(), "1.2");

    for (std::uint8_t bad : {0, 35, 255}) {
        b.set(4, bad);
        EXPECT_EQ(StoreOutputConfig(b.read()), 0) << int(bad);
    }
}

TEST_F(SettingsRead, LowBatteryRefillsTheListWithTheOutputNames)
{
    SetOutputName(17, "FAN");
    Block b(LOW_BATTERY_READ_CFM, 18);
    b.set(4, 115).set(5, 128);
    const std::uint8_t listed[12] = {2, 17, 255, 0, 35, 255, 255, 255, 255, 255, 255, 255};
    for (std::size_t i = 0; i < 12; ++i)
        b.set(6 + i, listed[i]);
    ASSERT_TRUE(StoreLowBattery(b.read()));
    EXPECT_EQ(ui.EditLowVoltageTrig->text(), "11.5");
    EXPECT_EQ(ui.EditUpperVoltageTrig->text(), "12.8");
    ASSERT_EQ(ui.CheckListBoxLowBatt->count(), 34);
    EXPECT_EQ(ui.CheckListBoxLowBatt->item(16)->text(), "FAN");
    for (int row = 0; row < 34; ++row)
        EXPECT_EQ(IsItemChecked(ui.CheckListBoxLowBatt, row), row == 1 || row == 16) << row;
}

TEST_F(SettingsRead, CanSetupFullAndShort)
{
    Block b(CAN_SETUP_READ_CFM, 17);
    b.u16le(5, 500).u16le(7, 250).u16le(9, 0x1A).set(11, 7).set(12, 5).set(13, 9).set(14, 100);
    b.u16le(15, 0x6F0);
    ASSERT_TRUE(StoreCanSetup(b.read()));
    EXPECT_EQ(ui.CANbitRateComboBox->currentText(), "500 kbit/s");
    EXPECT_EQ(ui.CANdelayBeforeNoCANdataEdit->text(), "250");
    EXPECT_EQ(ui.CANresetChannelErrorIDedit->text(), "01A");
    EXPECT_EQ(ui.CANresetChannelErrorDataCombo->currentText(), "7");
    EXPECT_EQ(ui.CANresetChannelErrorBitMaskEdit->text(), "05");
    EXPECT_EQ(ui.AutoResetChannelErrorEdit->text(), "9");
    EXPECT_EQ(ui.CANexport5IntervalEdit->text(), "100");
    EXPECT_EQ(ui.CANexport5BaseIDEdit->text(), "6F0");

    // A data byte beyond 7 leaves no entry; an identifier above three digits is shown whole.
    b.set(11, 8).u16le(9, 0x7FF0);
    ASSERT_TRUE(StoreCanSetup(b.read()));
    EXPECT_EQ(ui.CANresetChannelErrorDataCombo->currentIndex(), -1);
    EXPECT_EQ(ui.CANresetChannelErrorIDedit->text(), "7FF0");

    const struct
    {
        std::uint16_t rate;
        const char *shown;
    } rates[] = {{125, "125 kbit/s"}, {250, "250 kbit/s"}, {1000, "1 Mbit/s"}, {300, "1 Mbit/s"}};
    for (const auto &r : rates) {
        b.u16le(5, r.rate);
        StoreCanSetup(b.read());
        EXPECT_EQ(ui.CANbitRateComboBox->currentText(), r.shown) << r.rate;
    }

    // Length 16: only the bit rate; the six edits are emptied.
    Block shortForm(CAN_SETUP_READ_CFM, 16);
    shortForm.u16le(5, 125).u16le(7, 99);
    ui.CANresetChannelErrorDataCombo->setCurrentIndex(3);
    ASSERT_TRUE(StoreCanSetup(shortForm.read()));
    EXPECT_EQ(ui.CANbitRateComboBox->currentText(), "125 kbit/s");
    for (QLineEdit *edit : {ui.CANdelayBeforeNoCANdataEdit, ui.CANresetChannelErrorIDedit,
                            ui.CANresetChannelErrorBitMaskEdit, ui.AutoResetChannelErrorEdit,
                            ui.CANexport5IntervalEdit, ui.CANexport5BaseIDEdit})
        EXPECT_TRUE(edit->text().isEmpty()) << edit->objectName().toStdString();
    EXPECT_EQ(ui.CANresetChannelErrorDataCombo->currentIndex(), -1);
}

TEST_F(SettingsRead, CanInputRecord)
{
    Block b(CAN_INPUT_READ_CFM, 49);
    // Record 6 (CAN input 7): enabled, "Hold state", IDs and values little-endian,
    // operator "on" 0xFF (-1), "off" 3, byte positions, name, row filter,
    // signed, dimension "km/h", multiplicator 0.5 (0x3F000000 LE), offset -3.
    b.set(4, 6).set(5, 0x05).u16le(6, 0x123).u16le(8, 0x456).u16le(10, 1000).u16le(12, 65535);
    b.set(14, 0xFF).set(15, 3).set(16, 2).set(17, 1).set(18, 4).set(19, 3);
    b.text(20, "SPEED").set(35, 9).set(36, 2).set(37, 0xAA).set(38, 1).text(39, "km/h");
    b.set(44, 0x00).set(45, 0x00).set(46, 0x00).set(47, 0x3F).set(48, 0xFD);
    ASSERT_TRUE(StoreCanInput(b.read()));
    const CanInputRecord &r = CanInputTable[6];
    EXPECT_EQ(r.Enabled, 1);
    EXPECT_EQ(+r.NoCanDataState, 2u);
    EXPECT_EQ(+r.CanIdOn, 0x123u);
    EXPECT_EQ(+r.CanIdOff, 0x456u);
    EXPECT_EQ(+r.ValueOn, 1000u);
    EXPECT_EQ(+r.ValueOff, 65535u);
    EXPECT_EQ(static_cast<std::int32_t>(r.OperatorOn), -1);
    EXPECT_EQ(+r.OperatorOff, 3u);
    EXPECT_EQ(r.HighByteOnPos, 2);
    EXPECT_EQ(r.LowByteOnPos, 1);
    EXPECT_EQ(r.HighByteOffPos, 4);
    EXPECT_EQ(r.LowByteOffPos, 3);
    EXPECT_EQ(NameFromField(r.Name, sizeof r.Name), "SPEED");
    EXPECT_EQ(GetCanInputName(7), "SPEED");
    EXPECT_EQ(r.RowEnabled, 1) << "any non-zero value stores 1";
    EXPECT_EQ(r.RowIndex, 2);
    EXPECT_EQ(r.RowValue, 0xAA);
    EXPECT_EQ(r.DataType, 1);
    EXPECT_STREQ(r.DimensionName, "km/h");
    EXPECT_EQ(+r.Multiplicator, 0.5f);
    EXPECT_EQ(r.CalOffset, -3);

    // Records 32 and above store nothing anywhere.
    const auto before = CanInputTable;
    for (std::uint8_t bad : {32, 255}) {
        b.set(4, bad);
        EXPECT_FALSE(StoreCanInput(b.read()));
    }
    EXPECT_EQ(std::memcmp(&before, &CanInputTable, sizeof before), 0);
}

TEST_F(SettingsRead, CanInputEnablePin)
{
    const struct
    {
        std::uint8_t code;
        int entry;
    } pins[] = {{0xC1, 1}, {0xD1, 3}, {0xC3, 8}, {0xD3, 10}, {0xC0, 0}, {0x42, 0}};
    for (const auto &p : pins) {
        Block b(CAN_INPUT_ENABLE_READ_CFM, 6);
        b.set(4, 1).set(5, p.code);
        ASSERT_TRUE(StoreCanInputEnable(b.read()));
        EXPECT_TRUE(ui.CheckBoxCanInputEnable->isChecked());
        EXPECT_EQ(ui.ComboBoxInputTrigCAN_Input->currentIndex(), p.entry) << int(p.code);
    }
    Block off(CAN_INPUT_ENABLE_READ_CFM, 6);
    StoreCanInputEnable(off.read());
    EXPECT_FALSE(ui.CheckBoxCanInputEnable->isChecked());
}

TEST_F(SettingsRead, BoxNameFillsSixteenBytes)
{
    Block b(BOX_NAME_READ_CFM, 20);
    b.text(4, "TRUCK 0123456789");
    ASSERT_TRUE(StoreBoxName(b.read()));
    EXPECT_EQ(GetBoxName(), "TRUCK 0123456789");
}

TEST_F(SettingsRead, VirtualInputRecord)
{
    Block b(VIRTUAL_INPUT_READ_CFM, 31);
    b.set(4, 19).set(6, 255).set(7, 5).set(8, 255).set(9, 1).set(10, 0xFF).text(11, "LOGIC");
    b.set(26, 10).set(27, 20).set(28, 30).set(29, 0x05);
    ASSERT_TRUE(StoreVirtualInput(b.read()));
    const VirtualInputRecord &r = VirtualInputTable[19];
    EXPECT_EQ(r.ChannelIndex[0], 1) << "255 is the index of \"+30\"";
    EXPECT_EQ(r.ChannelIndex[1], 5);
    EXPECT_EQ(r.ChannelIndex[2], 1);
    EXPECT_EQ(r.OperatorIndex[0], 1);
    EXPECT_EQ(r.OperatorIndex[1], -1);
    EXPECT_EQ(GetVirtualInputName(20), "LOGIC");
    EXPECT_EQ(NameFromField(r.Name, sizeof r.Name), "LOGIC");
    EXPECT_EQ(r.InDelay[0], 10);
    EXPECT_EQ(r.InDelay[2], 30);
    EXPECT_EQ(r.MaskNot, 0x05);
    b.set(4, 20);
    EXPECT_FALSE(StoreVirtualInput(b.read()));
}

TEST_F(SettingsRead, StartAndKillButtons)
{
    Block b(START_KILL_READ_CFM, 35);
    b.set(4, 0xC2).set(5, 1).set(6, 0).set(7, 255).set(19, 40).set(20, 25);
    b.set(21, 3).set(22, 34).set(23, 0).set(24, 255);
    ASSERT_TRUE(StoreStartKill(b.read()));
    EXPECT_EQ(ListIndexToTriggerCode(ui.ComboBoxInputTrigStartButton->currentIndex()), 0xC2);
    EXPECT_EQ(ListIndexToTriggerCode(ui.ComboBoxInputTrigKillButton->currentIndex()), 40);
    EXPECT_EQ(ui.KillInputDelayEdit->text(), "25");
    ASSERT_EQ(ui.CheckListBoxKillButton->count(), 34);
    for (int row = 0; row < 34; ++row) {
        EXPECT_EQ(IsItemChecked(ui.CheckListBoxKillButton, row), row == 2 || row == 33) << row;
        EXPECT_EQ(IsItemChecked(ui.CheckListBoxStartButton, row), row == 0) << row;
    }
    // A code no entry stands for selects the first entry.
    b.set(4, 100);
    StoreStartKill(b.read());
    EXPECT_EQ(ui.ComboBoxInputTrigStartButton->currentIndex(), 0);
}

TEST_F(SettingsRead, FlashRecordIsCopiedAsTheTableHoldsIt)
{
    Block b(FLASH_READ_CFM, 30);
    b.set(4, 4);
    for (std::size_t i = 5; i < 15; ++i)
        b.set(i, static_cast<std::uint8_t>(i * 3));
    b.text(15, "BEACONS_ON_ROOF");
    ASSERT_TRUE(StoreFlash(b.read()));
    EXPECT_EQ(std::memcmp(&FlashTable[4], b.bytes.data() + 5, sizeof(FlashRecord)), 0);
    EXPECT_EQ(GetFlashName(5), "BEACONS_ON_ROOF");
    b.set(4, 5);
    EXPECT_FALSE(StoreFlash(b.read()));
}

TEST_F(SettingsRead, WiperBlock)
{
    Block b(WIPER_READ_CFM, 12);
    b.set(4, 0xC4).set(5, 3).set(6, 40).set(7, 0xC5).set(8, 1).set(9, 45).set(10, 0xC6).set(11, 8);
    ASSERT_TRUE(StoreWiper(b.read()));
    EXPECT_EQ(GetTriggerCode(35), 0xC4);
    EXPECT_EQ(GetTriggerCode(37), 3);
    EXPECT_EQ(GetTriggerCode(38), 40);
    EXPECT_EQ(GetTriggerCode(39), 0xC5);
    EXPECT_EQ(GetTriggerCode(36), 0xC6);
    EXPECT_EQ(ui.WiperHomeParkILevelComboBox->currentIndex(), 1);
    EXPECT_EQ(ui.WiperIntervalTimeEdit->text(), "45");
    EXPECT_EQ(ui.WiperWashTimeEdit->text(), "8");
    // A level beyond the entries selects the first; the short list has no wiper codes.
    b.set(8, 2).set(4, TriggerWiperSlow);
    StoreWiper(b.read());
    EXPECT_EQ(ui.WiperHomeParkILevelComboBox->currentIndex(), 0);
    EXPECT_EQ(ui.WiperLowSpeedInputComboBox->currentText(), "DISABLED");
}

TEST_F(SettingsRead, SequencesTriggersTypesNames)
{
    Block b(SEQUENCE_READ_CFM, 80);
    const auto at = [](int k) { return 4 + 19 * static_cast<std::size_t>(k - 1); };
    b.set(at(1), 0xC0).set(at(1) + 1, 1).text(at(1) + 2, "WORKLIGHTS");
    b.set(at(2), 12).set(at(2) + 1, 3).text(at(2) + 2, "SIXTEEN_CHARS_OK");
    b.set(at(3), 0).set(at(3) + 1, 9).set(at(3) + 2, 255);
    b.set(at(4), 33).set(at(4) + 1, 2);
    ASSERT_TRUE(StoreSequences(b.read()));
    EXPECT_EQ(GetTriggerCode(40), 0xC0);
    EXPECT_EQ(GetTriggerCode(41), 12);
    EXPECT_EQ(GetTriggerCode(43), 33);
    EXPECT_EQ(ui.SequenceTypeComboBox[1]->currentIndex(), 1);
    EXPECT_EQ(ui.SequenceTypeComboBox[2]->currentIndex(), 3);
    EXPECT_EQ(ui.SequenceTypeComboBox[3]->currentIndex(), 0) << "type 9 is no entry";
    EXPECT_EQ(ui.SequenceTypeComboBox[4]->currentIndex(), 2);
    EXPECT_EQ(GetSequenceName(1), "WORKLIGHTS");
    EXPECT_EQ(GetSequenceName(2), "SIXTEEN_CHARS_OK");
    EXPECT_EQ(GetSequenceName(3), "") << "255 marks no name";
    EXPECT_EQ(GetSequenceName(4), "");
}

TEST_F(SettingsRead, PwmEnables)
{
    Block b(PWM_CONFIG_READ_CFM, 7);
    b.set(4, 1).set(5, 0).set(6, 2);
    ASSERT_TRUE(StorePwm(b.read()));
    EXPECT_TRUE(ui.CheckBoxInputPWMEnable->isChecked());
    EXPECT_FALSE(ui.CheckBoxPWM_enable1->isChecked());
    EXPECT_TRUE(ui.CheckBoxPWM_enable2->isChecked());
}

TEST_F(SettingsRead, CanExportOne)
{
    Block b(CAN_EXPORT1_READ_CFM, 29);
    b.set(5, 1).u16le(6, 500).u16le(8, 0x18F).set(10, 1).set(11, 18).set(27, 19).set(28, 4);
    ASSERT_TRUE(StoreCanExport1(b.read()));
    EXPECT_TRUE(ui.CheckBoxCAN_Export[1]->isChecked());
    EXPECT_EQ(ui.Edit_REFRESS_Export[1]->text(), "500");
    EXPECT_EQ(ui.EditCAN_ID_Export[1]->text(), "18F");
    EXPECT_EQ(ui.ComboBox_CAN_Export1_DataByte[1]->currentIndex(), 1);
    EXPECT_EQ(ui.ComboBox_CAN_Export1_DataByte[2]->currentIndex(), 18);
    EXPECT_EQ(ui.ComboBox_CAN_Export1_DataByte[3]->currentIndex(), 0);
    EXPECT_EQ(ui.ComboBox_CAN_Export1_DataByte[18]->currentIndex(), -1) << "19 is beyond the list";
    EXPECT_EQ(ui.EditCAN_EXPORT_1_RowCounter->text(), "4");
}

TEST_F(SettingsRead, CanExportsTwoToFourFillTheirBitCombos)
{
    for (std::uint8_t item = 0; item <= 2; ++item) {
        Block b(CAN_EXPORT_READ_CFM, 74);
        b.set(4, item).set(5, 1).u16le(6, 100 + item).u16le(8, 0x300 + item);
        for (std::size_t i = 0; i < 64; ++i)
            b.set(10 + i, static_cast<std::uint8_t>((i + item) % 47));
        ASSERT_TRUE(StoreCanExport(b.read()));
        const std::size_t exportNo = item + 2u;
        EXPECT_TRUE(ui.CheckBoxCAN_Export[exportNo]->isChecked());
        EXPECT_EQ(ui.Edit_REFRESS_Export[exportNo]->text(), QString::number(100 + item));
        EXPECT_EQ(ui.EditCAN_ID_Export[exportNo]->text(), QString::number(0x300 + item, 16));
        const std::size_t first = item * 34u, bits = item == 2 ? 64 : 34;
        for (std::size_t i = 0; i < bits; ++i)
            ASSERT_EQ(ui.CanExportBits[first + i]->currentIndex(), int((i + item) % 47))
                << int(item) << " bit " << i;
    }
    Block beyond(CAN_EXPORT_READ_CFM, 74);
    beyond.set(4, 5);
    for (std::size_t i = 0; i < 64; ++i)
        beyond.set(10 + i, 9);
    EXPECT_FALSE(StoreCanExport(beyond.read()));
    EXPECT_EQ(ui.CanExportBits[0]->currentIndex(), 0);
    EXPECT_EQ(ui.CanExportBits[68]->currentIndex(), 2);
}

TEST_F(SettingsRead, EachStoreTakesOnlyItsOwnBlockAtFullLength)
{
    using Store = bool (*)(const ReadBlock &);
    const struct
    {
        std::uint8_t code;
        Store store;
    } stores[] = {
        {INPUT_CONFIG_READ_CFM, [](const ReadBlock &b) { return StoreInputConfig(b) != 0; }},
        {OUTPUT_CONFIG_READ_CFM, [](const ReadBlock &b) { return StoreOutputConfig(b) != 0; }},
        {LOW_BATTERY_READ_CFM, StoreLowBattery},
        {CAN_SETUP_READ_CFM, StoreCanSetup},
        {CAN_INPUT_READ_CFM, StoreCanInput},
        {CAN_INPUT_ENABLE_READ_CFM, StoreCanInputEnable},
        {BOX_NAME_READ_CFM, StoreBoxName},
        {VIRTUAL_INPUT_READ_CFM, StoreVirtualInput},
        {START_KILL_READ_CFM, StoreStartKill},
        {FLASH_READ_CFM, StoreFlash},
        {WIPER_READ_CFM, StoreWiper},
        {SEQUENCE_READ_CFM, StoreSequences},
        {PWM_CONFIG_READ_CFM, StorePwm},
        {CAN_EXPORT1_READ_CFM, StoreCanExport1},
        {CAN_EXPORT_READ_CFM, StoreCanExport},
    };
    for (const auto &block : stores) {
        const std::size_t length = ReadBlockLength(block.code);
        ASSERT_GT(length, 4u) << int(block.code);
        for (const std::size_t sent : {length, length - 1}) {
            Block b(block.code, sent);
            b.set(4, 1); // a valid number for every numbered block
            for (const auto &store : stores)
                EXPECT_EQ(store.store(b.read()), store.code == block.code && sent == length)
                    << "block " << int(block.code) << " length " << sent << " store "
                    << int(store.code);
        }
    }
    EXPECT_EQ(ReadBlockLength(VERSION_CFM), 0u);
}

// ---- the requests of the read states ------------------------------------------

// A frame written out byte by byte: checksum = XOR of bytes 1..Length-1.
Bytes wire(std::uint8_t command, std::initializer_list<std::uint8_t> data = {})
{
    // Sized at once: GCC 12 sees a false array bound in growing a four-byte vector.
    Bytes f(4 + data.size(), 0);
    f[1] = static_cast<std::uint8_t>(f.size());
    f[2] = 1;
    f[3] = command;
    std::copy(data.begin(), data.end(), f.begin() + 4);
    for (std::size_t i = 1; i < f.size(); ++i)
        f[0] ^= f[i];
    return f;
}

TEST(TransferRequests, EachReadStateSendsItsRequest)
{
    const struct
    {
        std::uint8_t state, item;
        Bytes frame;
    } cases[] = {
        {tsRequestCanInputs, 7, wire(CAN_INPUT_READ_REQ, {7})},
        {tsRequestVirtualInputs, 19, wire(VIRTUAL_INPUT_READ_REQ, {19})},
        {tsRequestFlash, 4, wire(FLASH_READ_REQ, {4})},
        {tsRequestCanExports, 1, wire(CAN_EXPORT_READ_REQ, {1})},
        {tsRequestCanExports, 9, wire(CAN_EXPORT_READ_REQ, {2})},
        {tsRequestCanExport1, 3, wire(CAN_EXPORT1_READ_REQ, {0})},
        {tsRequestStartKill, 5, wire(START_KILL_READ_REQ)},
        {tsRequestPwm, 0, wire(PWM_CONFIG_READ_REQ)},
        {tsRequestWiper, 5, wire(WIPER_READ_REQ)},
        {tsRequestSequences, 0, wire(SEQUENCE_READ_REQ)},
        {tsRequestCanInputEnable, 0, wire(CAN_INPUT_ENABLE_READ_REQ)},
        {tsRequestBoxName, 0, wire(BOX_NAME_READ_REQ)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.state));
        const auto frame = ReadRequestFrame(c.state, c.item);
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(Bytes(frame->data(), frame->data() + frame->length()), c.frame);
    }
    for (std::uint8_t state : {0, 3, 5, 9, 10, 31, 32, 255})
        EXPECT_FALSE(ReadRequestFrame(state, 0).has_value()) << int(state);
}

} // namespace
