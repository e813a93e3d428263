// The upload's blocks built from known page and table contents, compared byte
// for byte with the write layouts (every block's offsets, byte orders and
// padding), and the entries that cannot go on the wire.
#include "tests/config/config_fixture.h"

#include "config/SettingsWrite.h"
#include "config/TriggerCodes.h"
#include "link/DeviceCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <functional>
#include <string>
#include <vector>

using namespace devlink;
using Bytes = std::vector<std::uint8_t>;
using Ui = TConfigPagesUi;

namespace {

Bytes text(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

// A node-1 frame of `length` bytes, zero but for the fields, with its checksum.
Bytes frame(std::uint8_t command, std::size_t length,
            std::vector<std::pair<std::size_t, Bytes>> fields)
{
    Bytes f(length, 0);
    f[1] = static_cast<std::uint8_t>(length);
    f[2] = NodeApplication;
    f[3] = command;
    for (const auto &[at, bytes] : fields)
        std::copy(bytes.begin(), bytes.end(), f.begin() + static_cast<long>(at));
    for (std::size_t i = 1; i < length; ++i)
        f[0] ^= f[i];
    return f;
}

void checkRows(QListWidget *list, std::initializer_list<int> rows)
{
    QStringList names;
    for (int n = 1; n <= Ui::OutputCount; ++n)
        names << QStringLiteral("OUT %1").arg(n);
    FillCheckList(list, names);
    for (int row : rows)
        SetCheckedQuietly(list, row, true);
}

template <class T, std::size_t N> T *at(const std::array<T *, N> &family, int n)
{
    return family[static_cast<std::size_t>(n)];
}

struct BlockCase
{
    const char *name;
    std::function<void(Ui &)> prepare;
    std::function<WriteBlock()> build;
    Bytes expected;
    // Checks of the edits the block had to correct.
    std::function<void(Ui &)> after = {};
};

const std::vector<BlockCase> &blockCases()
{
    static const std::vector<BlockCase> cases = {
        {"input: Latin-1 name, mode",
         [](Ui &) {
             SetInputName(3, QStringLiteral("Z\u00fcndung"));
             SetInputMode(3, 1);
         },
         [] { return BuildInputConfig(3); },
         frame(0x03, 21, {{4, {3}}, {5, {'Z', 0xFC, 'n', 'd', 'u', 'n', 'g'}}, {20, {1}}})},
        {"high-power output: maximum current BE, low current LE",
         [](Ui &) {
             SetMaxCurrent(5, 0x1234);
             SetPeakTime(5, 7);
             SetTriggerCode(5, 0xD1);
             SetTrigLevel(5, 16);
             SetOutputName(5, QStringLiteral("Fifteen chars!!"));
             SetDelay(5, 10);
             SetOnTime(5, 0);
             SetLowCurrent(5, 0x0102);
             SetLowCurrentTime(5, 9);
         },
         [] { return BuildOutputConfig(5); },
         frame(0x01, 30,
               {{4, {5, 0x12, 0x34, 7, 0xD1, 16}},
                {10, text("Fifteen chars!!")},
                {25, {10, 0, 0x02, 0x01, 9}}})},
        {"high-power output: the largest values their fields hold, their texts kept",
         [](Ui &ui) {
             SetMaxCurrent(6, 65535);
             ui.EditCurrentPeakTimeCH[6]->setText("25,5");
             SetTriggerCode(6, 0);
             SetOutputName(6, QStringLiteral("Big"));
             SetDelay(6, 0);
             SetOnTime(6, 255);
             SetLowCurrent(6, 65535);
             ui.EditLowCurrentTimeCH[6]->setText("25.59");
         },
         [] { return BuildOutputConfig(6); },
         frame(
             0x01, 30,
             {{4, {6, 0xFF, 0xFF, 255, 0, 1}}, {10, text("Big")}, {25, {0, 255, 0xFF, 0xFF, 255}}}),
         [](Ui &ui) {
             EXPECT_EQ(ui.EditMaxCurrentCH[6]->text(), "6553.5");
             EXPECT_EQ(ui.EditCurrentPeakTimeCH[6]->text(), "25,5");
             EXPECT_EQ(ui.EditOnTimeCH[6]->text(), "25.5");
             EXPECT_EQ(ui.EditLowCurrentTimeCH[6]->text(), "25.59");
         }},
        {"low-power output: no current fields",
         [](Ui &) {
             SetTriggerCode(20, 33);
             SetOutputName(20, QStringLiteral("Lamp"));
             SetDelay(20, 5);
             SetOnTime(20, 255);
         },
         [] { return BuildOutputConfig(20); },
         frame(0x01, 30, {{4, {20, 0xFF, 0xFF, 0, 33, 1}}, {10, text("Lamp")}, {25, {5, 255}}})},
        {"low battery: comma and point, checked channels",
         [](Ui &ui) {
             ui.EditLowVoltageTrig->setText("11,5");
             ui.EditUpperVoltageTrig->setText("12.34");
             checkRows(ui.CheckListBoxLowBatt, {2, 33});
         },
         [] { return BuildLowBattery(); },
         frame(0x27, 18,
               {{4, {115, 123, 3, 34, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255}}})},
        {"low battery: the page's own texts for no level go out as 0",
         [](Ui &ui) {
             ui.EditLowVoltageTrig->setText("---");
             ui.EditUpperVoltageTrig->clear();
         },
         [] { return BuildLowBattery(); },
         frame(0x27, 18,
               {{4, {0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255}}})},
        {"low battery: the byte's range, 12 channels at most",
         [](Ui &ui) {
             ui.EditLowVoltageTrig->setText("25.5");
             ui.EditUpperVoltageTrig->setText("0");
             checkRows(ui.CheckListBoxLowBatt, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
         },
         [] { return BuildLowBattery(); },
         frame(0x27, 18, {{4, {255, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}})},
        {"CAN setup: limits shown, empty reset ID, no data byte",
         [](Ui &ui) {
             ui.CANbitRateComboBox->setCurrentIndex(1);
             ui.CANdelayBeforeNoCANdataEdit->setText("1");
             ui.CANresetChannelErrorIDedit->setText(" 1A0 ");
             ui.CANresetChannelErrorDataCombo->setCurrentIndex(-1);
             ui.CANresetChannelErrorBitMaskEdit->clear();
             ui.AutoResetChannelErrorEdit->setText("3");
             ui.CANexport5IntervalEdit->setText("7");
             ui.CANexport5BaseIDEdit->setText("700");
         },
         [] { return BuildCanSetup(); },
         frame(0x25, 17, {{5, {0xFA, 0, 2, 0, 0xA0, 0x01, 255, 0, 5, 7, 0x00, 0x07}}}),
         [](Ui &ui) {
             EXPECT_EQ(ui.CANdelayBeforeNoCANdataEdit->text(), "2");
             EXPECT_EQ(ui.AutoResetChannelErrorEdit->text(), "5");
         }},
        {"CAN setup: no number takes the default, 5000 is held at 2000 as the unit does",
         [](Ui &ui) {
             ui.CANbitRateComboBox->setCurrentIndex(-1);
             ui.CANdelayBeforeNoCANdataEdit->setText("abc");
             ui.CANresetChannelErrorDataCombo->setCurrentIndex(7);
             ui.CANresetChannelErrorBitMaskEdit->setText("80");
             ui.AutoResetChannelErrorEdit->setText("0");
             ui.CANexport5IntervalEdit->setText("255");
         },
         [] { return BuildCanSetup(); },
         frame(0x25, 17, {{5, {0xE8, 0x03, 15, 0, 0, 0, 7, 0x80, 0, 255, 0x00, 0x07}}}),
         [](Ui &ui) {
             EXPECT_EQ(ui.CANdelayBeforeNoCANdataEdit->text(), "abc");
             EXPECT_EQ(ui.CANexport5IntervalEdit->text(), "255");
             ui.CANdelayBeforeNoCANdataEdit->setText("5000");
             ASSERT_TRUE(BuildCanSetup().isValid());
             EXPECT_EQ(ui.CANdelayBeforeNoCANdataEdit->text(), "2000");
         }},
        {"start/kill: 14 channels at most, a wiper trigger stays itself",
         [](Ui &ui) {
             ui.ComboBoxInputTrigStartButton->setCurrentIndex(TriggerCodeToListIndex(0xD2));
             checkRows(ui.CheckListBoxStartButton,
                       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
             ui.ComboBoxInputTrigKillButton->setCurrentIndex(TriggerCodeToListIndex(53));
             ui.KillInputDelayEdit->clear();
             checkRows(ui.CheckListBoxKillButton, {2, 33});
         },
         [] { return BuildStartKill(); },
         frame(0x29, 35,
               {{4, {0xD2, 1, 2,  3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14, 53,
                     10,   3, 34, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255}}})},
        {"CAN input: every field from the table, the name from the page",
         [](Ui &) {
             CanInputRecord &r = CanInputTable[5];
             r = {.Enabled = 1,
                  .NoCanDataState = 2,
                  .CanIdOn = 0x123,
                  .CanIdOff = 0x456,
                  .OperatorOn = 0xFFFFFFFF, // -1, none selected
                  .OperatorOff = 5,
                  .ValueOn = 0x789,
                  .ValueOff = 0xABC,
                  .HighByteOnPos = 1,
                  .LowByteOnPos = 2,
                  .HighByteOffPos = 3,
                  .LowByteOffPos = 4,
                  .Name = {},
                  .RowEnabled = 1,
                  .RowIndex = 6,
                  .RowValue = 7,
                  .DataType = 1,
                  .DimensionName = {'b', 'a', 'r'},
                  .Multiplicator = 2.5f, // 0x40200000
                  .CalOffset = -7};
             SetCanInputName(6, QStringLiteral("Oil pressure lo"));
         },
         [] { return BuildCanInput(5); },
         frame(0x52, 49,
               {{4, {5, 0x05, 0x23, 0x01, 0x56, 0x04, 0x89, 0x07, 0xBC, 0x0A, 0xFF, 5, 1, 2, 3, 4}},
                {20, text("Oil pressure lo")},
                {35, {1, 6, 7, 1, 'b', 'a', 'r', 0, 0, 0x00, 0x00, 0x20, 0x40, 0xF9}}})},
        {"CAN input enable: no pin chosen is input 1",
         [](Ui &ui) {
             ui.CheckBoxCanInputEnable->setChecked(true);
             ui.ComboBoxInputTrigCAN_Input->setCurrentIndex(-1);
         },
         [] { return BuildCanInputEnable(); }, frame(0x64, 20, {{4, {1, 0xC0}}})},
        {"unit name: 16 characters, no terminator",
         [](Ui &) { SetBoxName(QStringLiteral("Tessaron QM5230X")); },
         [] { return BuildBoxName(); }, frame(0x62, 20, {{4, text("Tessaron QM5230X")}})},
        {"virtual input: +30 goes out as 255",
         [](Ui &) {
             VirtualInputTable[2] = {{1, 2, 3}, {2, 1, 40}, {2, -1}, 5, {}};
             SetVirtualInputName(3, QStringLiteral("Both doors"));
         },
         [] { return BuildVirtualInput(2); },
         frame(0x54, 31,
               {{4, {2, 0, 2, 255, 40, 2, 0xFF}}, {11, text("Both doors")}, {26, {1, 2, 3, 5}}})},
        {"flash: the record as stored",
         [](Ui &) {
             FlashTable[4] = {1, 1, 0xC3, 5, 6, 7, {12, 13, 255, 255}, {}};
             SetFlashName(5, QStringLiteral("Hazard warnings"));
         },
         [] { return BuildFlash(4); },
         frame(0x58, 30,
               {{4, {4, 1, 1, 0xC3, 5, 6, 7, 12, 13, 255, 255}}, {15, text("Hazard warnings")}})},
        {"wiper: short-list codes, a default, the largest time",
         [](Ui &ui) {
             SetTriggerCode(35, 0xC5);
             SetTriggerCode(37, 3);
             SetTriggerCode(38, 255);
             SetTriggerCode(39, 40);
             SetTriggerCode(36, 0xD3);
             ui.WiperHomeParkILevelComboBox->setCurrentIndex(1);
             ui.WiperIntervalTimeEdit->clear();
             ui.WiperWashTimeEdit->setText("255");
         },
         [] { return BuildWiper(); }, frame(0x66, 12, {{4, {0xC5, 3, 255, 40, 1, 30, 0xD3, 255}}}),
         [](Ui &ui) { EXPECT_EQ(ui.WiperWashTimeEdit->text(), "255"); }},
        {"sequences: 19 bytes each, names NUL-padded",
         [](Ui &ui) {
             SetTriggerCode(40, 5);
             ui.SequenceTypeComboBox[1]->setCurrentIndex(2);
             SetSequenceName(1, QStringLiteral("Beacon modes"));
             SetTriggerCode(43, 0xC0);
             ui.SequenceTypeComboBox[4]->setCurrentIndex(3);
             SetSequenceName(4, QStringLiteral("Sixteen letters!"));
         },
         [] { return BuildSequences(); },
         frame(0x68, 80,
               {{4, {5, 2}},
                {6, text("Beacon modes")},
                {61, {0xC0, 3}},
                {63, text("Sixteen letters!")}})},
        {"PWM",
         [](Ui &ui) {
             ui.CheckBoxInputPWMEnable->setChecked(true);
             ui.CheckBoxPWM_enable2->setChecked(true);
         },
         [] { return BuildPwm(); }, frame(0x08, 12, {{4, {1, 0, 1}}})},
        {"CAN export 1",
         [](Ui &ui) {
             ui.CheckBoxCAN_Export[1]->setChecked(true);
             ui.Edit_REFRESS_Export[1]->setText("300");
             ui.EditCAN_ID_Export[1]->setText("7fe");
             ui.ComboBox_CAN_Export1_DataByte[1]->setCurrentIndex(4);
             ui.ComboBox_CAN_Export1_DataByte[18]->setCurrentIndex(18);
             ui.EditCAN_EXPORT_1_RowCounter->setText("3");
         },
         [] { return BuildCanExport1(); },
         frame(0x56, 29, {{5, {1, 0x2C, 0x01, 0xFE, 0x07, 4}}, {27, {18, 3}}})},
        {"CAN export 4: 64 bits",
         [](Ui &ui) {
             ui.Edit_REFRESS_Export[4]->setText("1000");
             ui.EditCAN_ID_Export[4]->setText("312");
             ui.CanExportBits[67]->setCurrentIndex(9); // export 3's last: not sent
             ui.CanExportBits[68]->setCurrentIndex(46);
             ui.CanExportBits[131]->setCurrentIndex(1);
         },
         [] { return BuildCanExport(2); },
         frame(0x5A, 74, {{4, {2, 0, 0xE8, 0x03, 0x12, 0x03, 46}}, {73, {1}}})},
        {"CAN export 1: the largest identifier and refresh time, rows 255",
         [](Ui &ui) {
             ui.Edit_REFRESS_Export[1]->setText("65535");
             ui.EditCAN_ID_Export[1]->setText("0000FFFF");
             ui.EditCAN_EXPORT_1_RowCounter->setText("255");
         },
         [] { return BuildCanExport1(); },
         frame(0x56, 29, {{5, {0, 0xFF, 0xFF, 0xFF, 0xFF}}, {28, {255}}})},
    };
    return cases;
}

class SettingsWriteBlocks : public ConfigPagesTest, public ::testing::WithParamInterface<BlockCase>
{
};

TEST_P(SettingsWriteBlocks, ByteExact)
{
    const BlockCase &c = GetParam();
    SCOPED_TRACE(c.name);
    c.prepare(ui);
    const WriteBlock block = c.build();
    ASSERT_TRUE(block.isValid()) << block.error.toStdString();
    EXPECT_EQ(Bytes(block.frame->data(), block.frame->data() + block.frame->length()), c.expected);
    if (c.after)
        c.after(ui);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SettingsWriteBlocks, ::testing::ValuesIn(blockCases()),
                         [](const auto &info) { return std::to_string(info.index); });

// A combo without a selection sends its index -1 as a byte.
TEST_F(ConfigPagesTest, UnselectedIndexCombosGoOutAs255)
{
    const struct
    {
        const char *what;
        QComboBox *combo;
        std::function<WriteBlock()> build;
        std::size_t at;
    } cases[] = {
        {"home-park level", ui.WiperHomeParkILevelComboBox, BuildWiper, 8},
        {"sequence 2 type", ui.SequenceTypeComboBox[2], BuildSequences, 4 + 19 + 1},
        {"CAN export 1 byte 5", ui.ComboBox_CAN_Export1_DataByte[5], BuildCanExport1, 14},
        {"CAN export 3 bit 0", ui.CanExportBits[34], [] { return BuildCanExport(1); }, 10},
    };
    for (int e = 1; e <= Ui::CanExportCount; ++e) {
        ui.Edit_REFRESS_Export[static_cast<std::size_t>(e)]->setText("100");
        ui.EditCAN_ID_Export[static_cast<std::size_t>(e)]->setText("100");
    }
    ui.EditCAN_EXPORT_1_RowCounter->setText("12");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        c.combo->setCurrentIndex(1);
        WriteBlock block = c.build();
        ASSERT_TRUE(block.isValid()) << block.error.toStdString();
        EXPECT_EQ((*block.frame)[c.at], 1);
        c.combo->setCurrentIndex(-1);
        block = c.build();
        ASSERT_TRUE(block.isValid()) << block.error.toStdString();
        EXPECT_EQ((*block.frame)[c.at], 255);
    }
}

// Entries that would change meaning if cut or guessed stop their block.
TEST_F(ConfigPagesTest, EntriesThatCannotGoOnTheWire)
{
    const auto fillExports = [this] {
        for (int e = 1; e <= 4; ++e) {
            at(ui.Edit_REFRESS_Export, e)->setText("100");
            at(ui.EditCAN_ID_Export, e)->setText("300");
        }
        ui.EditCAN_EXPORT_1_RowCounter->setText("0");
        ui.EditLowVoltageTrig->setText("11.5");
        ui.EditUpperVoltageTrig->setText("12");
        SetMaxCurrent(1, 100);
        SetOnTime(34, 0);
        SetLowCurrentTime(18, 0);
    };
    fillExports();
    ASSERT_EQ(CheckUploadBlocks(), QString());

    const struct
    {
        const char *name;
        std::function<void()> spoil;
        const char *message;
        // The edit spoiled, which keeps its text: the settings file saves it as it stands.
        std::function<QLineEdit *()> edit = {};
    } cases[] = {
        {"export ID no hex", [this] { ui.EditCAN_ID_Export[2]->setText("ZZ"); },
         "CAN Export, CAN export 2, CAN ID: \"ZZ\" is no hexadecimal number."},
        {"export ID empty", [this] { ui.EditCAN_ID_Export[3]->clear(); },
         "CAN Export, CAN export 3, CAN ID: \"\" is no hexadecimal number."},
        {"export ID beyond 32 bits", [this] { ui.EditCAN_ID_Export[4]->setText("100000000"); },
         "CAN Export, CAN export 4, CAN ID"},
        {"no refresh time", [this] { ui.Edit_REFRESS_Export[1]->clear(); },
         "CAN Export, CAN export 1, refresh time: \"\" is no decimal number."},
        {"no row counter", [this] { ui.EditCAN_EXPORT_1_RowCounter->setText("x"); },
         "CAN Export, CAN export 1, rows"},
        {"no export 5 base ID", [this] { ui.CANexport5BaseIDEdit->clear(); },
         "CAN Export, CAN export 5, base ID"},
        {"reset ID no hex", [this] { ui.CANresetChannelErrorIDedit->setText("G1"); },
         "CAN Inputs, CAN setup, error reset ID: \"G1\" is no hexadecimal number from 0 to FFFF."},
        {"reset mask beyond a byte", [this] { ui.CANresetChannelErrorBitMaskEdit->setText("1FF"); },
         "CAN Inputs, CAN setup, error reset bit mask"},
        {"table CAN ID beyond 16 bits", [] { CanInputTable[31].CanIdOn = 0x10000; },
         "CAN input 32: CAN ID on"},
        {"table operator beyond a byte", [] { CanInputTable[0].OperatorOff = 300; },
         "CAN input 1: operator 300"},
        // Text without a number would go out as 0, a trip current of 0 A say.
        {"maximum current no number", [this] { ui.EditMaxCurrentCH[1]->setText("abc"); },
         "Outputs, channel 1, maximum current: \"abc\" is no number."},
        {"on time empty", [this] { ui.EditOnTimeCH[34]->clear(); },
         "Outputs, channel 34, on time: \"\" is no number."},
        {"low current time no number", [this] { ui.EditLowCurrentTimeCH[18]->setText("-"); },
         "Low Current, channel 18, low current time"},
        {"switch-off voltage no number", [this] { ui.EditLowVoltageTrig->setText("abc"); },
         "Low Battery, switch-off voltage: \"abc\" is no number."},
        {"switch-on voltage no number", [this] { ui.EditUpperVoltageTrig->setText("V"); },
         "Low Battery, switch-on voltage"},
        // A number that its field cannot hold would go out as another: an
        // identifier cut to 16 bits, a negative current as 0 A, 25.9 s as 3.5 s.
        {"export ID beyond 16 bits", [this] { ui.EditCAN_ID_Export[1]->setText("20000000"); },
         "CAN Export, CAN export 1, CAN ID: \"20000000\" is outside what the unit takes, 0 to "
         "FFFF."},
        {"export ID all 32 bits", [this] { ui.EditCAN_ID_Export[3]->setText("FFFFFFFF"); },
         "CAN Export, CAN export 3, CAN ID: \"FFFFFFFF\" is outside what the unit takes"},
        {"export ID one above 16 bits", [this] { ui.EditCAN_ID_Export[4]->setText("10000"); },
         "CAN Export, CAN export 4, CAN ID: \"10000\" is outside"},
        {"refresh time beyond 16 bits", [this] { ui.Edit_REFRESS_Export[2]->setText("65536"); },
         "CAN Export, CAN export 2, refresh time: \"65536\" is outside what the unit takes, 0 "
         "to 65535."},
        {"refresh time below 0", [this] { ui.Edit_REFRESS_Export[4]->setText("-1"); },
         "CAN Export, CAN export 4, refresh time: \"-1\" is outside"},
        {"rows beyond a byte", [this] { ui.EditCAN_EXPORT_1_RowCounter->setText("256"); },
         "CAN Export, CAN export 1, rows: \"256\" is outside what the unit takes, 0 to 255."},
        {"export 5 interval below 0", [this] { ui.CANexport5IntervalEdit->setText("-1"); },
         "CAN Export, CAN export 5, interval: \"-1\" is outside what the unit takes, 0 to 255."},
        {"export 5 interval beyond a byte",
         [this] { ui.CANexport5IntervalEdit->setText("99999999999"); },
         "CAN Export, CAN export 5, interval: \"99999999999\" is outside"},
        {"automatic error reset below 0", [this] { ui.AutoResetChannelErrorEdit->setText("-3"); },
         "Diagnostic, CAN setup, automatic error reset: \"-3\" is outside what the unit takes, 0 "
         "to 255."},
        {"kill delay beyond a byte", [this] { ui.KillInputDelayEdit->setText("256"); },
         "Start / Kill Button, kill button, input delay: \"256\" is outside what the unit takes, "
         "0 to 255."},
        {"wiper interval below 0", [this] { ui.WiperIntervalTimeEdit->setText("-1"); },
         "Flash / Wiper / Sequence, wiper, interval time: \"-1\" is outside"},
        {"wiper wash time beyond a byte", [this] { ui.WiperWashTimeEdit->setText("300"); },
         "Flash / Wiper / Sequence, wiper, wash time: \"300\" is outside what the unit takes, 0 "
         "to 255."},
        {"maximum current below 0", [] { SetMaxCurrent(1, -5); },
         "Outputs, channel 1, maximum current: \"-0.5\" is outside what the unit takes, 0.0 to "
         "6553.5.",
         [this] { return ui.EditMaxCurrentCH[1]; }},
        {"maximum current beyond 16 bits", [] { SetMaxCurrent(7, 70000); },
         "Outputs, channel 7, maximum current: \"7000.0\" is outside",
         [this] { return ui.EditMaxCurrentCH[7]; }},
        {"peak time below 0", [this] { ui.EditCurrentPeakTimeCH[2]->setText("-1"); },
         "Outputs, channel 2, peak time: \"-1\" is outside what the unit takes, 0.0 to 25.5.",
         [this] { return ui.EditCurrentPeakTimeCH[2]; }},
        {"delay below 0", [] { SetDelay(20, -5); },
         "Outputs, channel 20, delay: \"-0.5\" is outside what the unit takes, 0.0 to 25.5.",
         [this] { return ui.EditDelayCH[20]; }},
        {"on time below 0", [this] { ui.EditOnTimeCH[3]->setText("-5"); },
         "Outputs, channel 3, on time: \"-5\" is outside what the unit takes, 0.0 to 25.5.",
         [this] { return ui.EditOnTimeCH[3]; }},
        {"on time beyond a byte of tenths", [this] { ui.EditOnTimeCH[34]->setText("25.9"); },
         "Outputs, channel 34, on time: \"25.9\" is outside what the unit takes, 0.0 to 25.5.",
         [this] { return ui.EditOnTimeCH[34]; }},
        {"low current below 0", [this] { ui.EditLowCurrentCH[4]->setText("-5"); },
         "Low Current, channel 4, low current: \"-5\" is outside what the unit takes, 0.0 to "
         "6553.5.",
         [this] { return ui.EditLowCurrentCH[4]; }},
        {"low current time beyond a byte of tenths",
         [this] { ui.EditLowCurrentTimeCH[18]->setText("25,9"); },
         "Low Current, channel 18, low current time: \"25,9\" is outside what the unit takes, "
         "0.0 to 25.5.",
         [this] { return ui.EditLowCurrentTimeCH[18]; }},
        {"switch-off voltage below 0", [this] { ui.EditLowVoltageTrig->setText("-5"); },
         "Low Battery, switch-off voltage: \"-5\" is outside what the unit takes, 0.0 to 25.5.",
         [this] { return ui.EditLowVoltageTrig; }},
        {"switch-on voltage beyond a byte of tenths",
         [this] { ui.EditUpperVoltageTrig->setText("30"); },
         "Low Battery, switch-on voltage: \"30\" is outside what the unit takes, 0.0 to 25.5.",
         [this] { return ui.EditUpperVoltageTrig; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        c.spoil();
        const QString kept = c.edit ? c.edit()->text() : QString();
        EXPECT_TRUE(CheckUploadBlocks().contains(QLatin1String(c.message)))
            << CheckUploadBlocks().toStdString();
        if (c.edit) {
            EXPECT_EQ(c.edit()->text(), kept);
        }
        // Put right again for the next case.
        fillExports();
        ui.CANexport5BaseIDEdit->setText("700");
        ui.CANresetChannelErrorBitMaskEdit->setText("01");
        ui.CANresetChannelErrorIDedit->setText("1A0");
        CanInputTable[31].CanIdOn = 0;
        CanInputTable[0].OperatorOff = 0;
        ui.CANexport5IntervalEdit->setText("0");
        ui.AutoResetChannelErrorEdit->setText("0");
        ui.KillInputDelayEdit->setText("0");
        ui.WiperIntervalTimeEdit->setText("30");
        ui.WiperWashTimeEdit->setText("50");
        SetMaxCurrent(1, 100);
        SetMaxCurrent(7, 100);
        SetPeakTime(2, 100);
        SetDelay(20, 0);
        SetOnTime(3, 0);
        SetLowCurrent(4, 0);
        ASSERT_EQ(CheckUploadBlocks(), QString());
    }
    EXPECT_FALSE(BuildCanInput(32).isValid());
    EXPECT_FALSE(BuildCanExport(3).isValid());
    EXPECT_FALSE(BuildOutputConfig(35).isValid());
}

} // namespace
