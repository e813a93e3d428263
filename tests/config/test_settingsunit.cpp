// Settings tables and the accessors over the configuration controls.
#include "config_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include <clocale>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Ui = TConfigPagesUi;

// ---- record layouts ------------------------------------------------------

struct FieldPlace
{
    const char *field;
    std::size_t offset;
    std::size_t size;
};

#define PLACE(Record, field)                                                                       \
    FieldPlace                                                                                     \
    {                                                                                              \
#field, offsetof(Record, field), sizeof(Record::field)                                     \
    }

TEST(SettingsTables, CanInputRecordLayout)
{
    // Byte layout of one CAN input: 64 packed bytes.
    const FieldPlace expected[] = {
        {"Enabled", 0, 1},        {"NoCanDataState", 1, 4},  {"CanIdOn", 5, 4},
        {"CanIdOff", 9, 4},       {"OperatorOn", 13, 4},     {"OperatorOff", 17, 4},
        {"ValueOn", 21, 4},       {"ValueOff", 25, 4},       {"HighByteOnPos", 29, 1},
        {"LowByteOnPos", 30, 1},  {"HighByteOffPos", 31, 1}, {"LowByteOffPos", 32, 1},
        {"Name", 33, 16},         {"RowEnabled", 49, 1},     {"RowIndex", 50, 1},
        {"RowValue", 51, 1},      {"DataType", 52, 1},       {"DimensionName", 53, 6},
        {"Multiplicator", 59, 4}, {"CalOffset", 63, 1}};
    const FieldPlace actual[] = {
        PLACE(CanInputRecord, Enabled),        PLACE(CanInputRecord, NoCanDataState),
        PLACE(CanInputRecord, CanIdOn),        PLACE(CanInputRecord, CanIdOff),
        PLACE(CanInputRecord, OperatorOn),     PLACE(CanInputRecord, OperatorOff),
        PLACE(CanInputRecord, ValueOn),        PLACE(CanInputRecord, ValueOff),
        PLACE(CanInputRecord, HighByteOnPos),  PLACE(CanInputRecord, LowByteOnPos),
        PLACE(CanInputRecord, HighByteOffPos), PLACE(CanInputRecord, LowByteOffPos),
        PLACE(CanInputRecord, Name),           PLACE(CanInputRecord, RowEnabled),
        PLACE(CanInputRecord, RowIndex),       PLACE(CanInputRecord, RowValue),
        PLACE(CanInputRecord, DataType),       PLACE(CanInputRecord, DimensionName),
        PLACE(CanInputRecord, Multiplicator),  PLACE(CanInputRecord, CalOffset)};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].field);
        EXPECT_EQ(actual[i].offset, expected[i].offset);
        EXPECT_EQ(actual[i].size, expected[i].size);
    }
    EXPECT_EQ(sizeof(CanInputRecord), 64u);
    EXPECT_EQ(sizeof CanInputTable, 32u * 64u);
}

TEST(SettingsTables, VirtualInputAndFlashRecordLayouts)
{
    const FieldPlace virtualExpected[] = {{"InDelay", 0, 3},
                                          {"ChannelIndex", 3, 3},
                                          {"OperatorIndex", 6, 2},
                                          {"MaskNot", 8, 1},
                                          {"Name", 9, 16}};
    const FieldPlace virtualActual[] = {
        PLACE(VirtualInputRecord, InDelay), PLACE(VirtualInputRecord, ChannelIndex),
        PLACE(VirtualInputRecord, OperatorIndex), PLACE(VirtualInputRecord, MaskNot),
        PLACE(VirtualInputRecord, Name)};
    for (std::size_t i = 0; i < std::size(virtualExpected); ++i) {
        SCOPED_TRACE(virtualExpected[i].field);
        EXPECT_EQ(virtualActual[i].offset, virtualExpected[i].offset);
        EXPECT_EQ(virtualActual[i].size, virtualExpected[i].size);
    }
    // The flash record is also the 25 data bytes of the flash blocks on the wire.
    const FieldPlace flashExpected[] = {
        {"Enabled", 0, 1},      {"Continues", 1, 1}, {"InputTrigger", 2, 1}, {"FlashTimeOn", 3, 1},
        {"FlashTimeOff", 4, 1}, {"Duration", 5, 1},  {"ChannelList", 6, 4},  {"Name", 10, 15}};
    const FieldPlace flashActual[] = {
        PLACE(FlashRecord, Enabled),      PLACE(FlashRecord, Continues),
        PLACE(FlashRecord, InputTrigger), PLACE(FlashRecord, FlashTimeOn),
        PLACE(FlashRecord, FlashTimeOff), PLACE(FlashRecord, Duration),
        PLACE(FlashRecord, ChannelList),  PLACE(FlashRecord, Name)};
    for (std::size_t i = 0; i < std::size(flashExpected); ++i) {
        SCOPED_TRACE(flashExpected[i].field);
        EXPECT_EQ(flashActual[i].offset, flashExpected[i].offset);
        EXPECT_EQ(flashActual[i].size, flashExpected[i].size);
    }
    EXPECT_EQ(sizeof(VirtualInputRecord), 25u);
    EXPECT_EQ(sizeof(FlashRecord), 25u);
    EXPECT_EQ(sizeof VirtualInputTable, 20u * 25u);
    EXPECT_EQ(sizeof FlashTable, 5u * 25u);
}

TEST(SettingsTables, NameFieldsKeepTheBytesAfterTheTerminator)
{
    char field[16];
    std::memset(field, 'Z', sizeof field);
    NameToField(field, sizeof field, 15, QStringLiteral("AB"));
    EXPECT_EQ(std::string(field, 4), std::string("AB\0Z", 4));
    NameToField(field, sizeof field, 15, QString(20, QLatin1Char('x')));
    EXPECT_EQ(std::string(field), std::string(15, 'x'));
    EXPECT_EQ(NameFromField(field, sizeof field), QString(15, QLatin1Char('x')));

    // A field as wide as the name has no room for the terminator.
    char narrow[15];
    NameToField(narrow, sizeof narrow, 15, QString(15, QLatin1Char('y')));
    EXPECT_EQ(NameFromField(narrow, sizeof narrow), QString(15, QLatin1Char('y')));
}

// ---- names ---------------------------------------------------------------

struct NameFamily
{
    const char *name;
    QString (*get)(int);
    void (*set)(int, const QString &);
    int count;
    int limit;
    QLineEdit *(*edit)(Ui &, int);
};

const NameFamily nameFamilies[] = {
    {"input", GetInputName, SetInputName, 11, 15,
     [](Ui &ui, int n) { return ui.EditInputName_ch[std::size_t(n)]; }},
    {"CAN input", GetCanInputName, SetCanInputName, 32, 15,
     [](Ui &ui, int n) { return ui.EditCanInputName_ch[std::size_t(n)]; }},
    {"virtual input", GetVirtualInputName, SetVirtualInputName, 20, 15,
     [](Ui &ui, int n) { return ui.EditInputName_Virtuel_ch[std::size_t(n)]; }},
    {"output", GetOutputName, SetOutputName, 34, 15,
     [](Ui &ui, int n) { return ui.EditOutputName_ch[std::size_t(n)]; }},
    {"sequence", GetSequenceName, SetSequenceName, 4, 16,
     [](Ui &ui, int n) { return ui.SequenceNameEdit[std::size_t(n)]; }},
};

using SettingsAccessors = ConfigPagesTest;

TEST_F(SettingsAccessors, NameGettersNeverGiveMoreThanTheFieldHolds)
{
    const QString longName = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    for (const NameFamily &family : nameFamilies) {
        SCOPED_TRACE(family.name);
        for (int n = 1; n <= family.count; ++n) {
            QLineEdit *edit = family.edit(ui, n);
            // Whatever the control holds, the getter gives the field's width.
            edit->setMaxLength(32767);
            edit->setText(longName);
            EXPECT_EQ(family.get(n), longName.left(family.limit));
            family.set(n, longName);
            EXPECT_EQ(edit->text(), longName.left(family.limit));
            family.set(n, QStringLiteral("N%1").arg(n));
        }
        for (int n = 1; n <= family.count; ++n)
            EXPECT_EQ(family.get(n), QStringLiteral("N%1").arg(n));
        EXPECT_EQ(family.get(0), QString());
        EXPECT_EQ(family.get(family.count + 1), QString());
        family.set(family.count + 1, QStringLiteral("X")); // changes nothing, must not fail
        family.set(0, QStringLiteral("X"));
        EXPECT_EQ(family.get(1), QStringLiteral("N1"));
    }

    ui.EditBoxName->setMaxLength(32767);
    ui.EditBoxName->setText(longName);
    EXPECT_EQ(GetBoxName(), longName.left(16));
    SetBoxName(longName);
    EXPECT_EQ(ui.EditBoxName->text(), longName.left(16));
}

TEST_F(SettingsAccessors, NameSettersUpdateLabelsAndTables)
{
    SetInputName(3, QStringLiteral("Horn"));
    EXPECT_EQ(ui.LabelInputCh[3]->text(), QStringLiteral("3: Horn"));

    SetOutputName(5, QStringLiteral("Pump"));
    EXPECT_EQ(ui.EditOutputName_ch[5]->text(), QStringLiteral("Pump"));
    EXPECT_EQ(ui.LabelHighPowerCh[5]->text(), QStringLiteral("5: Pump"));
    EXPECT_EQ(ui.LabelHighPowerCh_[5]->text(), QStringLiteral("Pump"));
    SetOutputName(20, QStringLiteral("Pump"));
    EXPECT_EQ(ui.LabelLowPowerCh[20]->text(), QStringLiteral("20: Pump"));

    std::memset(CanInputTable[31].Name, 'Z', sizeof CanInputTable[31].Name);
    SetCanInputName(32, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    EXPECT_EQ(std::string(CanInputTable[31].Name), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(ui.LabelCanInputCh[32]->text(), QStringLiteral("32: ABCDEFGHIJKLMNO"));
    SetCanInputName(32, QStringLiteral("Door"));
    EXPECT_EQ(std::string(CanInputTable[31].Name, 6), std::string("Door\0F", 6));

    SetVirtualInputName(20, QStringLiteral("Both doors"));
    EXPECT_EQ(std::string(VirtualInputTable[19].Name), "Both doors");
    EXPECT_EQ(ui.EditInputName_Virtuel_ch[20]->text(), QStringLiteral("Both doors"));
}

TEST_F(SettingsAccessors, NamesAreLatin1)
{
    const QString name = QString::fromLatin1("Dr\xfc"
                                             "cken \xe9t\xe9");
    SetCanInputName(1, name);
    EXPECT_EQ(static_cast<unsigned char>(CanInputTable[0].Name[2]), 0xFCu);
    EXPECT_EQ(NameFromField(CanInputTable[0].Name, sizeof CanInputTable[0].Name), name);
    EXPECT_EQ(GetCanInputName(1), name);
}

TEST_F(SettingsAccessors, FlashNamesFillTheirFieldAndNoMore)
{
    SetFlashName(2, QStringLiteral("ABCDEFGHIJKLMNO"));
    EXPECT_EQ(std::string(FlashTable[1].Name, 15), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(FlashTable[2].Enabled, 0);
    EXPECT_EQ(GetFlashName(2), QStringLiteral("ABCDEFGHIJKLMNO"));
    SetFlashName(2, QStringLiteral("Hazard"));
    EXPECT_EQ(GetFlashName(2), QStringLiteral("Hazard"));
    EXPECT_EQ(FlashTable[1].Name[7], 'H'); // after the terminator: kept
    SetFlashName(1, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    EXPECT_EQ(GetFlashName(1), QStringLiteral("ABCDEFGHIJKLMNO"));
    EXPECT_EQ(GetFlashName(0), QString());
    EXPECT_EQ(GetFlashName(6), QString());
    SetFlashName(6, QStringLiteral("X"));
}

TEST_F(SettingsAccessors, AccessorsWithoutPagesChangeNothing)
{
    ConfigPages = nullptr;
    EXPECT_EQ(GetOutputName(1), QString());
    EXPECT_EQ(GetDelay(1), 0);
    EXPECT_EQ(GetTriggerCode(1), 0);
    SetDelay(1, 10);
    SetTriggerCode(1, 0xC0);
    SetCanInputName(1, QStringLiteral("Still stored"));
    EXPECT_EQ(std::string(CanInputTable[0].Name), "Still stored");
    EXPECT_EQ(ui.EditDelayCH[1]->text(), QStringLiteral("0.0"));
}

// ---- tenths --------------------------------------------------------------

struct TenthsFamily
{
    const char *name;
    std::int32_t (*get)(int);
    void (*set)(int, std::int32_t);
    int count;
    int max; // the field on the wire: 8 or 16 bits
    QLineEdit *(*edit)(Ui &, int);
};

const TenthsFamily tenthsFamilies[] = {
    {"max current", GetMaxCurrent, SetMaxCurrent, 18, 65535,
     [](Ui &ui, int n) { return ui.EditMaxCurrentCH[std::size_t(n)]; }},
    {"delay", GetDelay, SetDelay, 34, 255,
     [](Ui &ui, int n) { return ui.EditDelayCH[std::size_t(n)]; }},
    {"peak time", GetPeakTime, SetPeakTime, 18, 255,
     [](Ui &ui, int n) { return ui.EditCurrentPeakTimeCH[std::size_t(n)]; }},
    {"low current", GetLowCurrent, SetLowCurrent, 18, 65535,
     [](Ui &ui, int n) { return ui.EditLowCurrentCH[std::size_t(n)]; }},
    {"low current time", GetLowCurrentTime, SetLowCurrentTime, 18, 255,
     [](Ui &ui, int n) { return ui.EditLowCurrentTimeCH[std::size_t(n)]; }},
    {"on time", GetOnTime, SetOnTime, 34, 255,
     [](Ui &ui, int n) { return ui.EditOnTimeCH[std::size_t(n)]; }},
};

// Switches the C library's numbers to a locale with a decimal comma for the
// scope, where the system has one.
class CommaLocale
{
public:
    CommaLocale()
    {
        saved_ = std::setlocale(LC_NUMERIC, nullptr);
        for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                                 "nl_NL.UTF-8", "da_DK.UTF-8", "ru_RU.UTF-8", "es_ES.UTF-8"}) {
            if (std::setlocale(LC_NUMERIC, name) && *std::localeconv()->decimal_point == ',') {
                active_ = true;
                break;
            }
        }
        if (!active_)
            std::setlocale(LC_NUMERIC, saved_.c_str());
        savedQt_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    ~CommaLocale()
    {
        std::setlocale(LC_NUMERIC, saved_.c_str());
        QLocale::setDefault(savedQt_);
    }
    bool active() const { return active_; }

private:
    std::string saved_;
    QLocale savedQt_;
    bool active_ = false;
};

std::vector<int> sampleValues(int max)
{
    std::vector<int> values;
    for (int v = 0; v <= std::min(max, 1000); ++v)
        values.push_back(v);
    for (int v : {1999, 4095, 9999, 12345, 65534, 65535})
        if (v <= max)
            values.push_back(v);
    return values;
}

TEST_F(SettingsAccessors, TenthsRoundTripUnderADecimalCommaLocale)
{
    CommaLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "no locale with a decimal comma installed";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5");

    for (const TenthsFamily &family : tenthsFamilies) {
        SCOPED_TRACE(family.name);
        for (int v : sampleValues(family.max)) {
            family.set(1, v);
            ASSERT_EQ(family.get(1), v) << family.edit(ui, 1)->text().toStdString();
        }
        // Shown with a point whatever the locale says.
        family.set(1, 15);
        EXPECT_EQ(family.edit(ui, 1)->text(), QStringLiteral("1.5"));
        // Each index reaches its own control.
        for (int n = 1; n <= family.count; ++n)
            family.set(n, 100 + n);
        for (int n = 1; n <= family.count; ++n)
            EXPECT_EQ(family.get(n), 100 + n);
    }
}

TEST_F(SettingsAccessors, TenthsShowOneDecimalAndOnTimeZeroAsCont)
{
    SetOnTime(1, 0);
    EXPECT_EQ(ui.EditOnTimeCH[1]->text(), QStringLiteral("CONT."));
    EXPECT_EQ(GetOnTime(1), 0);
    SetOnTime(1, 5);
    EXPECT_EQ(ui.EditOnTimeCH[1]->text(), QStringLiteral("0.5"));
    SetOnTime(1, 255);
    EXPECT_EQ(ui.EditOnTimeCH[1]->text(), QStringLiteral("25.5"));
    SetDelay(2, 0);
    EXPECT_EQ(ui.EditDelayCH[2]->text(), QStringLiteral("0.0"));
    SetMaxCurrent(18, 1234);
    EXPECT_EQ(ui.EditMaxCurrentCH[18]->text(), QStringLiteral("123.4"));
}

// The leading decimal times 10, truncated, whole: the settings file keeps
// what the page holds, and only a frame for the unit holds it to its field.
TEST_F(SettingsAccessors, TenthsReadDecimalsWhole)
{
    const struct
    {
        const char *text;
        std::int32_t tenths;
    } table[] = {
        {"12.34", 123}, {"1,5", 15},          {"7.99", 79},  {"", 0},           {"abc", 0},
        {"CONT.", 0},   {" 2.5", 25},         {"2.5 A", 25}, {",5", 5},         {"25.5", 255},
        {"25.59", 255}, {"25.9", 259},        {"300", 3000}, {"6553.5", 65535}, {"99999", 999990},
        {"-3", -30},    {"-0.5", -5},         {"inf", 0},    {"nan", 0},        {"1e10", INT32_MAX},
        {"1e400", 0},   {"-1e10", INT32_MIN}, {"1e-5", 0},   {"90.9abc", 909},
    };
    for (const TenthsFamily &family : tenthsFamilies) {
        SCOPED_TRACE(family.name);
        QLineEdit *edit = family.edit(ui, family.count);
        for (const auto &row : table) {
            SCOPED_TRACE(row.text);
            edit->setText(QString::fromLatin1(row.text));
            EXPECT_EQ(family.get(family.count), row.tenths);
        }
    }
}

// Text with no leading number is named for the user; "CONT." is the on-time 0.
TEST_F(SettingsAccessors, TenthsWithoutANumberAreNamed)
{
    const struct
    {
        TenthsField field;
        QLineEdit *edit;
        const char *message; // for the text "abc"
    } fields[] = {
        {TenthsField::MaxCurrent, ui.EditMaxCurrentCH[3],
         "Outputs, channel 3, maximum current: \"abc\" is no number."},
        {TenthsField::Delay, ui.EditDelayCH[3], "Outputs, channel 3, delay: \"abc\" is no number."},
        {TenthsField::PeakTime, ui.EditCurrentPeakTimeCH[3],
         "Outputs, channel 3, peak time: \"abc\" is no number."},
        {TenthsField::LowCurrent, ui.EditLowCurrentCH[3],
         "Low Current, channel 3, low current: \"abc\" is no number."},
        {TenthsField::LowCurrentTime, ui.EditLowCurrentTimeCH[3],
         "Low Current, channel 3, low current time: \"abc\" is no number."},
        {TenthsField::OnTime, ui.EditOnTimeCH[3],
         "Outputs, channel 3, on time: \"abc\" is no number."},
    };
    const struct
    {
        const char *text;
        bool number;
        bool onTime; // on an on-time edit
    } texts[] = {
        {"abc", false, false},  {"", false, false},       {"-", false, false},
        {".", false, false},    {"CONT", false, false},   {"90.9abc", true, true},
        {" -1", true, true},    {",5", true, true},       {"+.5", true, true},
        {"CONT.", false, true}, {" CONT. ", false, true}, {"0", true, true},
    };
    for (const auto &f : fields) {
        SCOPED_TRACE(f.message);
        for (const auto &t : texts) {
            SCOPED_TRACE(t.text);
            f.edit->setText(QString::fromLatin1(t.text));
            EXPECT_EQ(StartsWithNumber(f.edit->text()), t.number);
            const bool passes = f.field == TenthsField::OnTime ? t.onTime : t.number;
            EXPECT_EQ(!TenthsEntryError(f.field, 3).has_value(), passes);
        }
        f.edit->setText("abc");
        ASSERT_TRUE(TenthsEntryError(f.field, 3).has_value());
        EXPECT_EQ(TenthsEntryError(f.field, 3)->message().toStdString(), f.message);
        f.edit->setText("1.0");
    }
    // Outputs without such an edit have nothing to report.
    EXPECT_FALSE(TenthsEntryError(TenthsField::MaxCurrent, 19).has_value());
    EXPECT_FALSE(TenthsEntryError(TenthsField::Delay, 35).has_value());
}

TEST_F(SettingsAccessors, TenthsOutsideTheFamilyChangeNothing)
{
    for (const TenthsFamily &family : tenthsFamilies) {
        SCOPED_TRACE(family.name);
        const std::int32_t first = family.get(1); // what the form starts with
        family.set(family.count, 42);
        for (int index : {-1, 0, family.count + 1, 35, 255}) {
            family.set(index, 10);
            EXPECT_EQ(family.get(index), 0);
        }
        EXPECT_EQ(family.get(family.count), 42);
        EXPECT_EQ(family.get(1), first);
    }
    EXPECT_EQ(GetMaxCurrent(19), 0);
    EXPECT_EQ(GetDelay(35), 0);
}

// ---- modes, levels and triggers -----------------------------------------

TEST_F(SettingsAccessors, InputModeIsTheSelectedEntry)
{
    SetInputMode(4, 1);
    EXPECT_EQ(ui.ComboBoxInput_ch[4]->currentText(), QStringLiteral("Momentary"));
    EXPECT_EQ(GetInputMode(4), 1);
    SetInputMode(4, 0);
    EXPECT_EQ(GetInputMode(4), 0);
    // A mode the combo does not offer leaves no selection, which reads as "Toggle".
    SetInputMode(4, 7);
    EXPECT_EQ(ui.ComboBoxInput_ch[4]->currentIndex(), -1);
    EXPECT_EQ(GetInputMode(4), 0);
    EXPECT_EQ(GetInputMode(0), 0);
    EXPECT_EQ(GetInputMode(12), 0);
}

TEST_F(SettingsAccessors, OnlyLevelSixteenSelectsGround)
{
    for (int level : {1, 0, 7, 255, 16}) {
        SCOPED_TRACE(level);
        SetTrigLevel(6, static_cast<TriggerLevel>(level));
        EXPECT_EQ(ui.ComboBoxTrigLevelCH[6]->currentText(),
                  level == 16 ? QStringLiteral("GND") : QStringLiteral("OPEN"));
        EXPECT_EQ(GetTrigLevel(6), level == 16 ? 16 : 1);
    }
    ui.ComboBoxTrigLevelCH[6]->setCurrentIndex(-1);
    EXPECT_EQ(GetTrigLevel(6), 1);
    EXPECT_EQ(GetTrigLevel(0), 1);
    EXPECT_EQ(GetTrigLevel(35), 1);
}

std::vector<int> allTriggerCodes()
{
    std::vector<int> codes;
    for (int code = 0; code <= 66; ++code)
        codes.push_back(code);
    for (int code : {0xC0, 0xC1, 0xC2, 0xD1, 0xC4, 0xC5, 0xC6, 0xC7, 0xC3, 0xD2, 0xD3, 255})
        codes.push_back(code);
    return codes;
}

TEST_F(SettingsAccessors, EveryTriggerCodeSurvivesAnOutputTriggerCombo)
{
    for (int channel : {1, 18, 19, 34}) {
        for (int code : allTriggerCodes()) {
            SCOPED_TRACE(code);
            SetTriggerCode(channel, static_cast<TriggerCode>(code));
            EXPECT_EQ(GetTriggerCode(channel), code);
        }
    }
    SetTriggerCode(5, 0xD1);
    EXPECT_EQ(ui.ComboBoxInputTrigCH[5]->currentText(), QStringLiteral("CH 4"));
    SetTriggerCode(5, 64);
    EXPECT_EQ(ui.ComboBoxInputTrigCH[5]->currentText(), QStringLiteral("Sequence 4.A"));
    SetTriggerCode(5, 66);
    EXPECT_EQ(ui.ComboBoxInputTrigCH[5]->currentText(), QStringLiteral("Sequence 4.C"));
    SetTriggerCode(5, 100);
    EXPECT_EQ(ui.ComboBoxInputTrigCH[5]->currentText(), QStringLiteral("DISABLED"));
    EXPECT_EQ(GetTriggerCode(0), 0);
    EXPECT_EQ(GetTriggerCode(44), 0);
}

TEST_F(SettingsAccessors, ShortListTriggersRefuseWiperAndSequenceCodes)
{
    for (int number = 35; number <= 43; ++number) {
        SCOPED_TRACE(number);
        for (int code : allTriggerCodes()) {
            SetTriggerCode(number, static_cast<TriggerCode>(code));
            const bool listed = code < 53 || code > 66;
            // A code the combo cannot show becomes "DISABLED", never "+30".
            EXPECT_EQ(GetTriggerCode(number), listed ? code : 0) << code;
        }
    }
}

TEST_F(SettingsAccessors, EmptyTriggerSelectionReadsAsNone)
{
    for (int number = 1; number <= TriggerComboCount; ++number) {
        TriggerCombo(number)->setCurrentIndex(-1);
        EXPECT_EQ(GetTriggerCode(number), 0) << number;
    }
}

TEST_F(SettingsAccessors, LevelChoicesFollowTheTriggerAtOnce)
{
    QComboBox *level = ui.ComboBoxTrigLevelCH[7];
    for (int input = 2; input <= 11; ++input) {
        SCOPED_TRACE(input);
        SetTriggerCode(7, 5); // a CAN input: the level shows "-"
        EXPECT_EQ(level->count(), 1);
        EXPECT_FALSE(level->isEnabled());
        // As a read does it: trigger first, level next.
        SetTriggerCode(7, InputTriggerCodes[std::size_t(input - 1)]);
        SetTrigLevel(7, TriggerLevelGnd);
        EXPECT_TRUE(level->isEnabled());
        EXPECT_EQ(level->currentText(), QStringLiteral("GND"));
        EXPECT_EQ(GetTrigLevel(7), TriggerLevelGnd);
    }
    // Another input keeps the level; the other sources fix it.
    SetTriggerCode(7, 0xC4);
    EXPECT_EQ(GetTrigLevel(7), TriggerLevelGnd);
    SetTriggerCode(7, 0xC0);
    EXPECT_EQ(level->currentText(), QStringLiteral("+12v"));
    EXPECT_FALSE(level->isEnabled());
    SetTriggerCode(7, 255);
    EXPECT_EQ(level->currentText(), QStringLiteral("+30"));
    SetTriggerCode(7, 40);
    EXPECT_EQ(level->currentText(), QStringLiteral("-"));
    EXPECT_EQ(GetTrigLevel(7), TriggerLevelOpen);
    // "DISABLED" and the sequence steps leave the level alone.
    SetTriggerCode(7, 0xC2);
    SetTrigLevel(7, TriggerLevelGnd);
    SetTriggerCode(7, 0);
    EXPECT_EQ(GetTrigLevel(7), TriggerLevelGnd);
    SetTriggerCode(7, 60);
    EXPECT_EQ(GetTrigLevel(7), TriggerLevelGnd);
}

} // namespace
