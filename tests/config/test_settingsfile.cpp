// The settings file: save and load mirror each other over every setting,
// the text keeps its keys and order, a malformed file loads what is valid,
// and a failed save or load changes nothing.
#include "config_fixture.h"
#include "SettingsSnapshot.h"

#include "config/SettingsFile.h"
#include "config/TriggerLists.h"
#include "support/PatternHex.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <random>
#include <sys/resource.h>

namespace {

using Ui = TConfigPagesUi;
using testsupport::SettingsSnapshot;
using testsupport::SnapshotDiff;

QString latin1(const char *text)
{
    return QString::fromLatin1(text);
}

QByteArray readAll(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The lines of one section, from its header up to the blank line after it.
QString sectionText(const QByteArray &file, const QString &section)
{
    const QString text = QString::fromLatin1(file);
    const qsizetype start = text.indexOf('[' + section + "]\n");
    if (start < 0)
        return {};
    const qsizetype end = text.indexOf("\n\n", start);
    return text.mid(start, end < 0 ? -1 : end - start + 1);
}

// Every setting away from its default and from its neighbours' values, with
// names that need Latin-1, quoting, '=' and ';'.
void fillDistinct(Ui &ui)
{
    for (int n = 1; n <= Ui::InputCount; ++n) {
        SetInputName(n, n == 1 ? latin1(" lead\xE9 ") : latin1("In\xE9=;%1").arg(n));
        SetInputMode(n, static_cast<std::uint8_t>(n % 2));
    }
    static const TriggerCode codes[] = {255, 0xC0, 0xD1, 0xC3, 0xD3, 1, 32, 33, 52, 53, 54, 55, 66};
    QStringList outputs;
    for (int ch = 1; ch <= Ui::OutputCount; ++ch) {
        SetOutputName(ch, latin1("Out\xFC%1").arg(ch));
        outputs << GetOutputName(ch);
        SetTriggerCode(ch, codes[ch % std::size(codes)]);
        SetTrigLevel(ch, ch % 2 ? TriggerLevelGnd : TriggerLevelOpen);
        SetDelay(ch, ch);
        SetOnTime(ch, ch == 5 ? 0 : 200 + ch);
        if (ch <= Ui::HighPowerCount) {
            SetMaxCurrent(ch, 1000 + 7 * ch);
            SetPeakTime(ch, 50 + ch);
            SetLowCurrent(ch, 300 + ch);
            SetLowCurrentTime(ch, 10 + ch);
        }
    }
    int list = 0;
    for (QListWidget *checks :
         {ui.CheckListBoxLowBatt, ui.CheckListBoxStartButton, ui.CheckListBoxKillButton}) {
        FillCheckList(checks, outputs);
        ++list;
        for (int row = 0; row < Ui::OutputCount; ++row)
            SetCheckedQuietly(checks, row, row % (list + 2) == 0);
    }
    for (QCheckBox *box :
         {ui.CheckBoxInputPWMEnable, ui.CheckBoxPWM_enable1, ui.CheckBoxPWM_enable2,
          ui.CheckBoxCanInputEnable, ui.CheckBoxCAN_Export[1], ui.CheckBoxCAN_Export[2],
          ui.CheckBoxCAN_Export[3], ui.CheckBoxCAN_Export[4]})
        box->setChecked(true);
    ui.AutoResetChannelErrorEdit->setText("3");
    ui.EditLowVoltageTrig->setText("11.5");
    ui.EditUpperVoltageTrig->setText("13.2");
    ui.ComboBoxInputTrigStartButton->setCurrentIndex(7);
    ui.ComboBoxInputTrigKillButton->setCurrentIndex(78);
    ui.KillInputDelayEdit->setText("25");
    ui.CANbitRateComboBox->setCurrentIndex(1);
    ui.CANdelayBeforeNoCANdataEdit->setText("33");
    ui.CANresetChannelErrorIDedit->setText("1A5");
    ui.CANresetChannelErrorDataCombo->setCurrentIndex(6);
    ui.CANresetChannelErrorBitMaskEdit->setText("0F");
    ui.CANexport5BaseIDEdit->setText("6F0");
    ui.CANexport5IntervalEdit->setText("9");
    ui.ComboBoxInputTrigCAN_Input->setCurrentIndex(4);

    for (int i = 0; i < CanInputCount; ++i) {
        CanInputRecord &r = CanInputTable[static_cast<std::size_t>(i)];
        r.Enabled = static_cast<std::uint8_t>(i % 2);
        r.NoCanDataState = static_cast<std::uint32_t>(1 + i % 2);
        r.CanIdOn = static_cast<std::uint32_t>(0x100 + i);
        r.CanIdOff = static_cast<std::uint32_t>(0x1FFFFF00 + i);
        r.OperatorOn = static_cast<std::uint32_t>(i % 7 - 1); // -1 too
        r.OperatorOff = static_cast<std::uint32_t>(1 + i % 5);
        r.ValueOn = static_cast<std::uint32_t>(1000 * (i + 1));
        r.ValueOff = static_cast<std::uint32_t>(65535 - i);
        r.HighByteOnPos = static_cast<std::uint8_t>(1 + i % 8);
        r.LowByteOnPos = static_cast<std::uint8_t>(1 + (i + 1) % 8);
        r.HighByteOffPos = static_cast<std::uint8_t>(1 + (i + 2) % 8);
        r.LowByteOffPos = static_cast<std::uint8_t>(1 + (i + 3) % 8);
        SetCanInputName(i + 1, latin1("Can\xB5 %1").arg(i + 1));
        r.RowEnabled = 1;
        r.RowIndex = static_cast<std::uint8_t>(1 + i % 7);
        r.RowValue = static_cast<std::uint8_t>(200 + i);
        r.DataType = 1;
        std::memcpy(r.DimensionName, "k\xB0m/h", 6);
        r.Multiplicator = 0.1f * static_cast<float>(i + 2);
        r.CalOffset = static_cast<std::int8_t>(-128 + 8 * i + 1);
    }
    for (int i = 0; i < VirtualInputCount; ++i) {
        VirtualInputRecord &r = VirtualInputTable[static_cast<std::size_t>(i)];
        const auto b = [](int v) { return static_cast<std::uint8_t>(v); };
        r = {{b(i + 1), b(2 * i + 1), b(250 - i)},
             {b(i + 1), b(i + 40), b(98 - i)},
             {static_cast<std::int8_t>(i % 4 - 1), static_cast<std::int8_t>(1 + i % 2)},
             b(1 + i % 7),
             {}};
        SetVirtualInputName(i + 1, latin1("Virt\xF0 %1").arg(i + 1));
    }
    static const TriggerCode flashCodes[] = {0xC5, 7, 40, 255, 52};
    for (int i = 0; i < FlashCount; ++i) {
        FlashRecord &r = FlashTable[static_cast<std::size_t>(i)];
        const auto b = [](int v) { return static_cast<std::uint8_t>(v); };
        r = {1,
             b(i % 2),
             flashCodes[i],
             b(3 * i + 1),
             b(5 * i + 2),
             b(7 * i + 3),
             {b(i), b(i + 10), 33, 255},
             {}};
        SetFlashName(i + 1,
                     i == 4 ? latin1("Fifteen chars \xE4") : latin1("Flash\xE4 %1").arg(i + 1));
    }
    static const TriggerCode wiperCodes[] = {0xC1, 3, 34, 255, 52};
    for (int n = 35; n <= 39; ++n)
        SetTriggerCode(n, wiperCodes[n - 35]);
    ui.WiperHomeParkILevelComboBox->setCurrentIndex(0);
    ui.WiperIntervalTimeEdit->setText("45");
    ui.WiperWashTimeEdit->setText("12");
    static const TriggerCode sequenceCodes[] = {0xC7, 20, 45, 1};
    for (int k = 1; k <= Ui::SequenceCount; ++k) {
        SetSequenceName(k, latin1("Sequence\xF6 no. %1").arg(k));
        SetTriggerCode(39 + k, sequenceCodes[k - 1]);
        ui.SequenceTypeComboBox[static_cast<std::size_t>(k)]->setCurrentIndex(k % 4);
    }
    static const char *const ids[] = {nullptr, "7FF", "123", "004", "1ABCDEF"};
    static const char *const refresh[] = {nullptr, "250", "500", "1000", "65535"};
    for (int e = 1; e <= Ui::CanExportCount; ++e) {
        ui.EditCAN_ID_Export[static_cast<std::size_t>(e)]->setText(ids[e]);
        ui.Edit_REFRESS_Export[static_cast<std::size_t>(e)]->setText(refresh[e]);
    }
    ui.EditCAN_EXPORT_1_RowCounter->setText("8");
    for (int n = 1; n <= Ui::CanExport1ByteCount; ++n)
        ui.ComboBox_CAN_Export1_DataByte[static_cast<std::size_t>(n)]->setCurrentIndex(19 - n);
    for (std::size_t j = 0; j < ui.CanExportBits.size(); ++j)
        ui.CanExportBits[j]->setCurrentIndex(static_cast<int>(1 + j % 46));
}

// A second set of pages, started up like the first, with start-up tables.
struct FreshPages
{
    QWidget root;
    Ui ui;
    std::array<QComboBox *, 132> bits{};

    FreshPages()
    {
        std::memset(CanInputTable.data(), 0, sizeof CanInputTable);
        std::memset(VirtualInputTable.data(), 0, sizeof VirtualInputTable);
        std::memset(FlashTable.data(), 0, sizeof FlashTable);
        QWidget *pages[Ui::PageCount];
        for (QWidget *&page : pages)
            page = new QWidget(&root);
        ui.setupUi(pages);
        ConfigConstructorDefaults(ui);
        ConfigFormCreate(ui, bits);
        ConfigAllFormsCreated(ui);
        ConfigPages = &ui;
    }
};

class SettingsFileTest : public ConfigPagesTest
{
protected:
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
};

// ---- round trip ----------------------------------------------------------------

TEST_F(SettingsFileTest, SaveThenLoadRestoresEverySetting)
{
    fillDistinct(ui);
    const QStringList saved = SettingsSnapshot({root.get()});
    ASSERT_TRUE(SaveSettingsFile(path("all.txt")).ok()); // written as all.cfg
    const QByteArray text = readAll(path("all.cfg"));

    FreshPages fresh;
    const QStringList before = SettingsSnapshot({&fresh.root});
    ASSERT_NE(SnapshotDiff(saved, before), "");
    const SettingsFileResult loaded = LoadSettingsFile(path("all.cfg"));
    ASSERT_TRUE(loaded.ok()) << loaded.error.toStdString();
    EXPECT_EQ(SnapshotDiff(saved, SettingsSnapshot({&fresh.root})), "");

    // Loading the same file again changes nothing, the lists keep 34 entries.
    ASSERT_TRUE(LoadSettingsText(text).ok());
    EXPECT_EQ(fresh.ui.CheckListBoxKillButton->count(), Ui::OutputCount);
    QByteArray again;
    ASSERT_TRUE(SaveSettingsText(again).ok());
    EXPECT_EQ(again, text);
}

// ---- the text ------------------------------------------------------------------

TEST_F(SettingsFileTest, SectionsKeysAndOrder)
{
    for (int n = 1; n <= Ui::InputCount; ++n)
        SetInputName(n, QStringLiteral("I%1").arg(n));
    SetInputMode(2, 1);
    FlashTable[0] = {1, 0, 0xD1, 5, 6, 7, {3, 255, 255, 255}, {}};
    SetFlashName(1, latin1("Hazard \xE9"));
    CanInputTable[3].Multiplicator = 0.1f;
    CanInputTable[3].CalOffset = -3;
    FillCanExportEdits(ui);
    ui.EditCAN_ID_Export[2]->setText("7ff");
    QByteArray text;
    ASSERT_TRUE(SaveSettingsText(text).ok());
    // Profile files end their lines with CRLF, and every line does.
    EXPECT_TRUE(text.endsWith("\r\n"));
    EXPECT_FALSE(QByteArray(text).replace("\r\n", "").contains('\n'));
    text.replace("\r\n", "\n");

    QStringList sections;
    for (const QString &line : QString::fromLatin1(text).split('\n'))
        if (line.startsWith('['))
            sections << line;
    EXPECT_EQ(sections.join(' '),
              "[INPUT] [OUTPUT] [LOW_BATTERY] [START BUTTON] [KILL BUTTON] [CAN_SETUP] "
              "[CAN_INPUT] [CAN_INPUT_ENABLE] [VIRTUAL_INPUT] [FLASH] [WIPER] [SEQUENCE1] "
              "[SEQUENCE2] [SEQUENCE3] [SEQUENCE4] [CAN_EXPORT_1] [CAN_EXPORT_2] "
              "[CAN_EXPORT_3] [CAN_EXPORT_4]");

    struct Expected
    {
        const char *section;
        const char *head; // the section's first lines
    };
    const Expected expected[] = {
        {"INPUT", "[INPUT]\nNAME1=I1\nMODE1=0\nNAME2=I2\nMODE2=1\nNAME3=I3\nMODE3=0\n"},
        // The form starts with what a file without these keys loads.
        {"KILL BUTTON", "[KILL BUTTON]\nINPUT_TRIGGER_INDEX=0\nINPUT_DELAY=0\n"
                        "OUTPUT_LIST_COUNT=0\n"},
        {"CAN_SETUP", "[CAN_SETUP]\nBitRate=1000\nNoCANdelay=15\nResetChannelErrorID=\n"
                      "ResetChannelErrorDataByte=-1\nResetChannelErrorMask=01\n"
                      "Export5-BaseID=700\nExport5-Interval=0\n"},
        {"FLASH", "[FLASH]\nENABLED1=1\nCONTINUES1=0\nINPUT_TRIGGER1=209\n"
                  "CHANNEL_LIST1index 0=3\nCHANNEL_LIST1index 1=255\nCHANNEL_LIST1index 2=255\n"
                  "CHANNEL_LIST1index 3=255\nFLASH_TIME_ON1=5\nFLASH_TIME_OFF1=6\nDURATION1=7\n"
                  "FLASH_NAME1=Hazard \xE9\nENABLED2=0\n"},
        {"WIPER", "[WIPER]\nLOW_SPEED_INPUT=0\nWASH_INPUT=0\nHIGH_SPEED_INPUT=0\n"
                  "INTERVAL_INPUT=0\nHOME_PARK_INPUT=0\nHOME_PARK_LEVEL=0\nINTERVAL_TIME=30\n"
                  "WASH_TIME=50\n"},
        {"CAN_EXPORT_1", "[CAN_EXPORT_1]\nENABLED=0\nCAN_ID_1=0\nROW_COUNT=12\n"
                         "REFRESS_TIME_1=100\nCHANNEL_INDEX_1=0\n"},
        {"CAN_EXPORT_2", "[CAN_EXPORT_2]\nENABLED=0\nCAN_ID=2047\nREFRESS_TIME=100\n"
                         "CHANNEL_INDEX_0=0\n"},
    };
    for (const Expected &e : expected)
        EXPECT_TRUE(sectionText(text, e.section).startsWith(latin1(e.head)))
            << sectionText(text, e.section).left(400).toStdString();
    const QString canInput = sectionText(text, "CAN_INPUT");
    EXPECT_TRUE(canInput.contains("\nDIMENSION_NAME4=\nMULTIPLICATOR_4=0.100000001490116\n"
                                  "CAL_OFFSET_4=-3\nENABLED5=0\n"))
        << canInput.toStdString();
    EXPECT_TRUE(sectionText(text, "CAN_EXPORT_4").endsWith("CHANNEL_INDEX_63=0\n"));
}

// ---- malformed files -----------------------------------------------------------

TEST_F(SettingsFileTest, MalformedTextLoadsWhatIsValid)
{
    const auto edit = [](QLineEdit *e) { return [e] { return e->text(); }; };
    const auto index = [](QComboBox *c) {
        return [c] { return QString::number(c->currentIndex()); };
    };
    const auto number = [](auto get) { return [get] { return QString::number(get()); }; };
    struct Check
    {
        const char *what;
        std::function<QString()> actual;
        QString expected;
    };
    struct Case
    {
        const char *text;
        std::vector<Check> checks;
    };
    const Case cases[] = {
        // No keys: every setting at its default.
        {"[INPUT]\n",
         {{"input name", [] { return GetInputName(3); }, "---"},
          {"output label", [this] { return ui.LabelLowPowerCh[20]->text(); }, "20: ---"},
          {"list entry", [this] { return ui.CheckListBoxLowBatt->item(33)->text(); }, "---"},
          {"max current", edit(ui.EditMaxCurrentCH[4]), "10.0"},
          {"on time", edit(ui.EditOnTimeCH[30]), "CONT."},
          {"trigger", number([] { return GetTriggerCode(7); }), "0"},
          {"error data byte", index(ui.CANresetChannelErrorDataCombo), "-1"},
          {"CAN name", [] { return GetCanInputName(7); }, "CAN 7"},
          {"byte position", number([] { return CanInputTable[6].LowByteOffPos; }), "255"},
          {"multiplicator", number([] { return CanInputTable[6].Multiplicator; }), "1"},
          {"virtual name", [] { return GetVirtualInputName(3); }, "VIRTUAL 3"},
          {"flash slot", number([] { return FlashTable[1].ChannelList[3]; }), "255"},
          {"home park level", index(ui.WiperHomeParkILevelComboBox), "1"},
          {"wash time", edit(ui.WiperWashTimeEdit), "50"},
          {"sequence name", [] { return GetSequenceName(2); }, "Sequence 2"},
          {"export CAN ID", edit(ui.EditCAN_ID_Export[3]), "000"},
          {"row count", edit(ui.EditCAN_EXPORT_1_RowCounter), "12"}}},
        // Codes outside a byte never wrap to "+30"; only 255 itself means it.
        // Numbers go to their edits whole, a mode the combo lacks selects none.
        {"[OUTPUT]\nTRIGGER1=511\nTRIGGER2=-1\nTRIGGER3=abc\nTRIGGER4=255\nTRIGGER5=209\n"
         "TRIGGER6=0x21\nTRIGGER7=100\nTRIGGER8=300\nMAX_CURRENT1=70000\nDELAY3=-5\n"
         "ON_TIME4=17\nON_TIME1=259\nDELAY1=300\nTRIGLEVEL9=272\nTRIGGER9=194\n"
         "[INPUT]\nMODE1=7\nMODE2=-1\nMODE3=257\nNAME3=Twenty chars \xE9\xFC\xFF long\n"
         "[KILL BUTTON]\nINPUT_TRIGGER_INDEX=500\nINPUT_DELAY=300\n[CAN_SETUP]\nBitRate=800\n"
         "ResetChannelErrorDataByte=9\n[CAN_EXPORT_2]\nCAN_ID=-1\nREFRESS_TIME=70000\n",
         {{"511", number([] { return GetTriggerCode(1); }), "0"},
          {"-1", number([] { return GetTriggerCode(2); }), "0"},
          {"abc", number([] { return GetTriggerCode(3); }), "0"},
          {"255", number([] { return GetTriggerCode(4); }), "255"},
          {"209 is CH 4", [this] { return ui.ComboBoxInputTrigCH[5]->currentText(); }, "CH 4"},
          {"hex", number([] { return GetTriggerCode(6); }), "33"},
          {"no code", number([] { return GetTriggerCode(7); }), "0"},
          {"300 is no CAN input 44", number([] { return GetTriggerCode(8); }), "0"},
          {"large current", edit(ui.EditMaxCurrentCH[1]), "7000.0"},
          {"negative delay", edit(ui.EditDelayCH[3]), "-0.5"},
          {"on time", edit(ui.EditOnTimeCH[4]), "1.7"},
          {"25.9 s is no CONT.", edit(ui.EditOnTimeCH[1]), "25.9"},
          {"30.0 s is no 0.0", edit(ui.EditDelayCH[1]), "30.0"},
          {"level: low 8 bits", index(ui.ComboBoxTrigLevelCH[9]), "1"},
          {"mode 7", index(ui.ComboBoxInput_ch[1]), "-1"},
          {"mode -1", index(ui.ComboBoxInput_ch[2]), "-1"},
          {"mode 257", index(ui.ComboBoxInput_ch[3]), "-1"},
          {"long name", [this] { return ui.LabelInputCh[3]->text(); },
           latin1("3: Twenty chars \xE9\xFC")},
          {"kill index", index(ui.ComboBoxInputTrigKillButton), "-1"},
          {"kill delay", edit(ui.KillInputDelayEdit), "300"},
          {"bit rate", index(ui.CANbitRateComboBox), "3"},
          {"data byte 9", index(ui.CANresetChannelErrorDataCombo), "-1"},
          {"CAN ID -1", edit(ui.EditCAN_ID_Export[2]), "FFFFFFFF"},
          {"refresh time", edit(ui.Edit_REFRESS_Export[2]), "70000"}}},
        {"[LOW_BATTERY]\nOUTPUT_LIST_COUNT=50\nLIST_SELECTED33=1\nLIST_SELECTED34=1\n"
         "[CAN_INPUT]\nCAL_OFFSET_4=-3.7\nCAL_OFFSET_5=200\nMULTIPLICATOR_1=2,5\n"
         "MULTIPLICATOR_2=1e300\nDIMENSION_NAME2=km/h/x\nNO_CAN_DATA_STATE3=9\n"
         "CAN_OPERATOR_ON3=-1\n"
         "CAN_ID_ON3=100000\nCAN_HIGH_BYTE_ON_POS3=258\nMULTIPLICATOR_3=-1e300\n"
         "CAL_OFFSET_6=-1000\n"
         "[VIRTUAL_INPUT]\nCHANNEL_1_Index1=200\nCHANNEL_2_Index1=257\nCHANNEL_3_Index1=-3\n"
         "OPERATOR_1_Index5=-1\nOPERATOR_2_Index5=9\nOPERATOR_1_Index6=257\nIN_DELAY_1_2=300\n"
         "[FLASH]\nINPUT_TRIGGER1=100\nCHANNEL_LIST1index 0=40\nCHANNEL_LIST1index 1=33\n"
         "CHANNEL_LIST1index 2=258\nINPUT_TRIGGER2=511\n"
         "[WIPER]\nHOME_PARK_LEVEL=7\nLOW_SPEED_INPUT=55\n[SEQUENCE2]\nTYPE=9\n",
         {{"entries", number([this] { return ui.CheckListBoxLowBatt->count(); }), "34"},
          {"last", number([this] { return IsItemChecked(ui.CheckListBoxLowBatt, 33); }), "1"},
          {"offset -3.7", number([] { return CanInputTable[3].CalOffset; }), "-3"},
          {"offset 200 is no -56", number([] { return CanInputTable[4].CalOffset; }), "127"},
          {"offset -1000", number([] { return CanInputTable[5].CalOffset; }), "-128"},
          {"comma", number([] { return CanInputTable[0].Multiplicator; }), "2.5"},
          {"too large", number([] { return CanInputTable[1].Multiplicator; }), "3.40282e+38"},
          {"too small", number([] { return CanInputTable[2].Multiplicator; }), "-3.40282e+38"},
          {"dimension", [] { return NameFromField(CanInputTable[1].DimensionName, 6); }, "km/h/"},
          {"32-bit state", number([] { return CanInputTable[2].NoCanDataState; }), "9"},
          {"no operator", number([] { return CanInputTable[2].OperatorOn; }), "4294967295"},
          {"32-bit CAN ID", number([] { return CanInputTable[2].CanIdOn; }), "100000"},
          {"byte position", number([] { return CanInputTable[2].HighByteOnPos; }), "2"},
          {"source 200", number([] { return VirtualInputTable[0].ChannelIndex[0]; }), "200"},
          {"257 is no +30", number([] { return VirtualInputTable[0].ChannelIndex[1]; }), "0"},
          {"source -3", number([] { return VirtualInputTable[0].ChannelIndex[2]; }), "0"},
          {"no operator", number([] { return VirtualInputTable[4].OperatorIndex[0]; }), "-1"},
          {"operator 9", number([] { return VirtualInputTable[4].OperatorIndex[1]; }), "9"},
          {"operator 257", number([] { return VirtualInputTable[5].OperatorIndex[0]; }), "-1"},
          {"delay: low 8 bits", number([] { return VirtualInputTable[1].InDelay[0]; }), "44"},
          {"flash code 100", number([] { return FlashTable[0].InputTrigger; }), "100"},
          {"flash code 511", number([] { return FlashTable[1].InputTrigger; }), "0"},
          {"flash slot 40", number([] { return FlashTable[0].ChannelList[0]; }), "40"},
          {"flash slot 33", number([] { return FlashTable[0].ChannelList[1]; }), "33"},
          {"flash slot 258", number([] { return FlashTable[0].ChannelList[2]; }), "255"},
          {"home park level", index(ui.WiperHomeParkILevelComboBox), "1"},
          {"sequence type 9", index(ui.SequenceTypeComboBox[2]), "0"},
          {"sequence step on a wiper", number([] { return GetTriggerCode(35); }), "0"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        fillDistinct(ui);
        const SettingsFileResult loaded = LoadSettingsText(c.text);
        ASSERT_TRUE(loaded.ok()) << loaded.error.toStdString();
        for (const Check &check : c.checks)
            EXPECT_EQ(check.actual().toStdString(), check.expected.toStdString()) << check.what;
    }
}

TEST_F(SettingsFileTest, UnreadableFileChangesNothing)
{
    fillDistinct(ui);
    const QStringList before = SettingsSnapshot({root.get()});
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.cfg"));
    for (const QString &name : {path("missing.cfg"), path("folder.cfg")}) {
        const SettingsFileResult loaded = LoadSettingsFile(name);
        EXPECT_TRUE(loaded.error.startsWith("Unable to read file: '" + name + "'"))
            << loaded.error.toStdString();
    }
    EXPECT_EQ(SnapshotDiff(before, SettingsSnapshot({root.get()})), "");
}

// A file that holds none of the settings file's sections is refused before
// anything changes, its name in the message: an empty file (a save always
// writes every section), another program's profile, a HEX file and random
// bytes given the extension.
TEST_F(SettingsFileTest, FileWithoutAnySectionIsRefused)
{
    QByteArray noise(3000, '\0');
    std::mt19937 random(5230);
    for (char &byte : noise)
        byte = static_cast<char>(random() & 0xFF);
    const std::pair<const char *, QByteArray> files[] = {
        {"empty.cfg", ""},
        {"foreign.cfg", "; some other program's file\r\n[Form]\r\nTop=3\r\n"},
        {"firmware.cfg", QByteArray::fromStdString(testsupport::patternHex(4))},
        {"noise.cfg", noise},
    };
    for (const auto &[file, text] : files) {
        SCOPED_TRACE(file);
        fillDistinct(ui);
        const QStringList before = SettingsSnapshot({root.get()});
        writeFile(path(file), text);
        const SettingsFileResult loaded = LoadSettingsFile(path(file));
        EXPECT_TRUE(loaded.noSettings);
        EXPECT_TRUE(loaded.error.startsWith("'" + path(file) + "' is not a settings file."))
            << loaded.error.toStdString();
        EXPECT_FALSE(LoadSettingsText(text).ok());
        EXPECT_EQ(SnapshotDiff(before, SettingsSnapshot({root.get()})), "");
    }
}

// Any one of the sections a save writes makes a settings file, its name in
// any case; the keys it lacks take their defaults.
TEST_F(SettingsFileTest, AnyOneSectionInAnyCaseLoads)
{
    FillCanExportEdits(ui);
    QByteArray saved;
    ASSERT_TRUE(SaveSettingsText(saved).ok());
    QStringList sections;
    for (const QByteArray &line : saved.split('\n'))
        if (line.startsWith('['))
            sections << QString::fromLatin1(line.trimmed());
    ASSERT_EQ(sections.size(), 19);
    fillDistinct(ui);
    ASSERT_TRUE(LoadSettingsText("[INPUT]\n").ok());
    const QStringList defaults = SettingsSnapshot({root.get()});
    for (const QString &section : sections) {
        SCOPED_TRACE(section.toStdString());
        fillDistinct(ui);
        ASSERT_TRUE(LoadSettingsText(section.toLower().toLatin1() + "\r\n").ok());
        EXPECT_EQ(SnapshotDiff(defaults, SettingsSnapshot({root.get()})), "");
    }
    fillDistinct(ui);
    ASSERT_TRUE(LoadSettingsText("[output]\r\nname5=Horn\r\n").ok());
    EXPECT_EQ(GetOutputName(5), "Horn");
    EXPECT_EQ(GetOutputName(6), "---");
    EXPECT_EQ(ui.EditOnTimeCH[5]->text(), "CONT.");
}

// Either line end is read, and a file written with CRLF reads back equal.
TEST_F(SettingsFileTest, EitherLineEndIsRead)
{
    for (const char *eol : {"\n", "\r\n"}) {
        SCOPED_TRACE(eol[0] == '\r' ? "CRLF" : "LF");
        fillDistinct(ui);
        const QByteArray text =
            QByteArray("[OUTPUT]\nNAME2=Horn\nON_TIME2=259\n[WIPER]\nWASH_TIME=7\n")
                .replace("\n", eol);
        ASSERT_TRUE(LoadSettingsText(text).ok());
        EXPECT_EQ(GetOutputName(2), "Horn");
        EXPECT_EQ(ui.EditOnTimeCH[2]->text(), "25.9");
        EXPECT_EQ(ui.WiperWashTimeEdit->text(), "7");
    }
}

// ---- failed saves --------------------------------------------------------------

TEST_F(SettingsFileTest, FailedSaveLeavesTheOldFile)
{
    const QString name = path("old.cfg");
    writeFile(name, "[INPUT]\nNAME1=old\n");

    // An export field that holds no number: nothing is written at all.
    FillCanExportEdits(ui);
    ui.Edit_REFRESS_Export[3]->setText("fast");
    SettingsFileResult saved = SaveSettingsFile(name);
    EXPECT_TRUE(saved.error.contains(
        "CAN Export, CAN export 3, refresh time: \"fast\" is no decimal number."))
        << saved.error.toStdString();
    ui.Edit_REFRESS_Export[3]->setText("100");
    ui.EditCAN_ID_Export[2]->setText("0x12");
    EXPECT_TRUE(SaveSettingsFile(name).error.contains("CAN Export, CAN export 2, CAN ID"));
    FillCanExportEdits(ui);
    EXPECT_EQ(readAll(name), "[INPUT]\nNAME1=old\n");

    // The disk refuses the new text half-way: the old file stays whole.
    {
        rlimit saved{}, small{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        small = {4096, saved.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const SettingsFileResult result = SaveSettingsFile(name);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_TRUE(result.error.startsWith("Unable to create file: '" + name + "'"))
            << result.error.toStdString();
    }
    EXPECT_EQ(readAll(name), "[INPUT]\nNAME1=old\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.cfg"});

    saved = SaveSettingsFile(path("no/such/folder/new"));
    EXPECT_TRUE(saved.error.startsWith("Unable to create file: '" + path("no/such/folder/new.cfg")))
        << saved.error.toStdString();
    ASSERT_TRUE(SaveSettingsFile(name).ok());
    EXPECT_TRUE(readAll(name).startsWith("[INPUT]\r\nNAME1=\r\nMODE1=0\r\n"));
}

// Entries a save reads as numbers but that hold none stop it before the file
// is touched; the user is told which page, item and field.
TEST_F(SettingsFileTest, EntriesWithoutANumberStopTheSave)
{
    const QString name = path("old.cfg");
    const QByteArray old = "[OUTPUT]\nMAX_CURRENT1=100\n";
    const struct
    {
        const char *what;
        std::function<void()> spoil;
        const char *message;
    } cases[] = {
        {"letters for a current", [this] { ui.EditMaxCurrentCH[1]->setText("abc"); },
         "Outputs, channel 1, maximum current: \"abc\" is no number."},
        {"empty delay", [this] { ui.EditDelayCH[34]->clear(); }, "Outputs, channel 34, delay"},
        {"on time without a number", [this] { ui.EditOnTimeCH[2]->setText("CONT"); },
         "Outputs, channel 2, on time"},
        {"low current time", [this] { ui.EditLowCurrentTimeCH[18]->setText("."); },
         "Low Current, channel 18, low current time"},
        {"empty export CAN ID", [this] { ui.EditCAN_ID_Export[1]->clear(); },
         "CAN Export, CAN export 1, CAN ID: \"\" is no hexadecimal number."},
        {"export CAN ID beyond 32 bits", [this] { ui.EditCAN_ID_Export[4]->setText("100000000"); },
         "CAN Export, CAN export 4, CAN ID"},
        {"empty row count", [this] { ui.EditCAN_EXPORT_1_RowCounter->clear(); },
         "CAN Export, CAN export 1, rows: \"\" is no decimal number."},
        {"empty refresh time", [this] { ui.Edit_REFRESS_Export[3]->clear(); },
         "CAN Export, CAN export 3, refresh time: \"\" is no decimal number."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FillCanExportEdits(ui);
        SetMaxCurrent(1, 100);
        SetDelay(34, 0);
        SetOnTime(2, 0);
        SetLowCurrentTime(18, 0);
        QByteArray text;
        ASSERT_TRUE(SaveSettingsText(text).ok());
        writeFile(name, old);
        c.spoil();
        const SettingsFileResult saved = SaveSettingsFile(name);
        EXPECT_TRUE(saved.error.contains(latin1(c.message))) << saved.error.toStdString();
        EXPECT_EQ(readAll(name), old);
    }
    // A number at the start of the text is read as the page reads it.
    FillCanExportEdits(ui);
    SetLowCurrentTime(18, 0);
    ui.EditMaxCurrentCH[1]->setText("90.9abc");
    ui.EditOnTimeCH[2]->setText("CONT.");
    QByteArray text;
    ASSERT_TRUE(SaveSettingsText(text).ok());
    text.replace("\r\n", "\n");
    EXPECT_TRUE(text.contains("\nMAX_CURRENT1=909\n"));
    EXPECT_TRUE(text.contains("\nON_TIME2=0\n"));
}

// Numbers that the pages hold are saved as they stand, whatever field on the
// wire they would not fit; a CAN export identifier is any 32-bit hexadecimal.
TEST_F(SettingsFileTest, NumbersAreSavedAsThePagesHoldThem)
{
    const struct
    {
        const char *loaded; // a key as a file has it, in its section
        const char *saved;  // the line written back
        QLineEdit *edit;
        const char *shown; // what the edit shows in between
    } cases[] = {
        {"[OUTPUT]\nDELAY1=300\n", "DELAY1=300", ui.EditDelayCH[1], "30.0"},
        {"[OUTPUT]\nON_TIME2=259\n", "ON_TIME2=259", ui.EditOnTimeCH[2], "25.9"},
        {"[OUTPUT]\nMAX_CURRENT1=70000\n", "MAX_CURRENT1=70000", ui.EditMaxCurrentCH[1], "7000.0"},
        {"[OUTPUT]\nDELAY3=-5\n", "DELAY3=-5", ui.EditDelayCH[3], "-0.5"},
        {"[OUTPUT]\nPEAK_TIME4=4000\n", "PEAK_TIME4=4000", ui.EditCurrentPeakTimeCH[4], "400.0"},
        {"[OUTPUT]\nLOW_CURRENT5=-1\n", "LOW_CURRENT5=-1", ui.EditLowCurrentCH[5], "-0.1"},
        {"[OUTPUT]\nLOW_CURRENT_TIME6=256\n", "LOW_CURRENT_TIME6=256", ui.EditLowCurrentTimeCH[6],
         "25.6"},
        {"[CAN_EXPORT_1]\nCAN_ID_1=536870912\n", "CAN_ID_1=536870912", ui.EditCAN_ID_Export[1],
         "20000000"},
        {"[CAN_EXPORT_2]\nCAN_ID=-1\n", "CAN_ID=-1", ui.EditCAN_ID_Export[2], "FFFFFFFF"},
        {"[CAN_EXPORT_3]\nCAN_ID=-2147483648\n", "CAN_ID=-2147483648", ui.EditCAN_ID_Export[3],
         "80000000"},
        {"[CAN_EXPORT_4]\nCAN_ID=65536\n", "CAN_ID=65536", ui.EditCAN_ID_Export[4], "10000"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.loaded);
        FillCanExportEdits(ui);
        ASSERT_TRUE(LoadSettingsText(c.loaded).ok());
        EXPECT_EQ(c.edit->text(), c.shown);
        QByteArray text;
        const SettingsFileResult saved = SaveSettingsText(text);
        ASSERT_TRUE(saved.ok()) << saved.error.toStdString();
        text.replace("\r\n", "\n");
        EXPECT_TRUE(text.contains('\n' + QByteArray(c.saved) + '\n'));
    }
}

TEST(SettingsFileName, ExtensionIsCfg)
{
    const std::pair<const char *, const char *> names[] = {
        {"truck", "truck.cfg"},
        {"truck.txt", "truck.cfg"},
        {"truck.CFG", "truck.CFG"},
        {"TRUCK.Cfg", "TRUCK.Cfg"},
        {"truck.", "truck.cfg"},
        {"a.b/truck", "a.b/truck.cfg"},
        {"/x/truck.cfg.bak", "/x/truck.cfg.cfg"}};
    for (const auto &[given, expected] : names)
        EXPECT_EQ(SettingsFileName(given), expected) << given;
}

} // namespace
