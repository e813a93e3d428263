#include "config/SettingsFile.h"

#include "config/Settingsunit.h"
#include "config/TriggerCodes.h"
#include "forms/ConfigPagesUi.h"
#include "platform/vcl/IniFile.h"
#include "platform/vcl/Numbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>

namespace {

using Ui = TConfigPagesUi;

// A settings file is some tens of kilobytes; a file far larger is none.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

constexpr int MaxByte = 255;
constexpr int DimensionLength = 5;
constexpr std::uint8_t FreeFlashSlot = 255;
constexpr std::uint8_t NotUsedSource = 0;
constexpr std::int8_t NoOperator = -1;
constexpr int BitRates[] = {125, 250, 500, 1000};
constexpr int BitRateDefaultIndex = 3;

// Every section a save writes. A file that holds none of them is no settings
// file (a HEX file, or any other file given the extension), and loading it
// would put every default on the pages.
constexpr const char *Sections[] = {
    "INPUT",        "OUTPUT",       "LOW_BATTERY",      "START BUTTON",  "KILL BUTTON",
    "CAN_SETUP",    "CAN_INPUT",    "CAN_INPUT_ENABLE", "VIRTUAL_INPUT", "FLASH",
    "WIPER",        "SEQUENCE1",    "SEQUENCE2",        "SEQUENCE3",     "SEQUENCE4",
    "CAN_EXPORT_1", "CAN_EXPORT_2", "CAN_EXPORT_3",     "CAN_EXPORT_4",
};

bool holdsSettings(const vcl::TIniFile &ini)
{
    return std::any_of(std::begin(Sections), std::end(Sections), [&ini](const char *section) {
        return ini.SectionExists(QLatin1String(section));
    });
}

QString key(const char *stem, int n)
{
    return QLatin1String(stem) + QString::number(n);
}

// One walk over the file serves both directions. Saving writes the value
// each call is given and returns nothing; loading ignores that value and
// returns the key's, or the default when the key is missing or its value
// is not valid, for the caller to apply.
class SettingsIo
{
public:
    SettingsIo(vcl::TIniFile &ini, bool saving) : ini_(ini), saving_(saving) {}

    bool saving() const { return saving_; }
    void section(const QString &name) { section_ = name; }

    std::optional<QString> text(const QString &key, const QString &value, const QString &def)
    {
        if (saving_) {
            ini_.WriteString(section_, key, value);
            return std::nullopt;
        }
        return ini_.ReadString(section_, key, def);
    }

    // The whole number read; only a missing key or text that is no
    // integer gives the default.
    std::optional<int> integer(const QString &key, int value, int def)
    {
        if (saving_) {
            ini_.WriteInteger(section_, key, value);
            return std::nullopt;
        }
        return ini_.ReadInteger(section_, key, def);
    }

    std::optional<bool> boolean(const QString &key, bool value, bool def)
    {
        if (saving_) {
            ini_.WriteBool(section_, key, value);
            return std::nullopt;
        }
        return ini_.ReadBool(section_, key, def);
    }

    std::optional<double> real(const QString &key, double value, double def)
    {
        if (saving_) {
            ini_.WriteFloat(section_, key, value);
            return std::nullopt;
        }
        return ini_.ReadFloat(section_, key, def);
    }

    // The save cannot go on; the first reason is the one reported.
    void fail(const QString &why)
    {
        if (error_.isEmpty())
            error_ = why;
    }
    const QString &error() const { return error_; }

private:
    vcl::TIniFile &ini_;
    bool saving_;
    QString section_;
    QString error_;
};

// ---- values of controls ------------------------------------------------------

// Entry `index`, or `otherwise` when the combo has no such entry (none when
// it has not that one either).
void select(QComboBox *combo, int index, int otherwise)
{
    const auto has = [combo](int i) { return i >= 0 && i < combo->count(); };
    combo->setCurrentIndex(has(index) ? index : has(otherwise) ? otherwise : -1);
}

// The selected index as it stands: an index the combo does not have leaves
// it without a selection.
void comboIndex(SettingsIo &io, const QString &key, QComboBox *combo, int def)
{
    if (const auto v = io.integer(key, combo->currentIndex(), def))
        select(combo, *v, -1);
}

// The same for the combos that fall back on an entry of their own for an
// index at or beyond their number of entries.
void comboIndexOr(SettingsIo &io, const QString &key, QComboBox *combo, int def, int otherwise)
{
    if (const auto v = io.integer(key, combo->currentIndex(), def))
        select(combo, *v < combo->count() ? *v : otherwise, -1);
}

void checkBox(SettingsIo &io, const QString &key, QCheckBox *box)
{
    if (const auto on = io.boolean(key, box->isChecked(), false))
        box->setChecked(*on);
}

void lineEdit(SettingsIo &io, const QString &key, QLineEdit *edit, const QString &def)
{
    if (const auto text = io.text(key, edit->text(), def))
        edit->setText(*text);
}

// A whole number that an edit holds as decimal text.
struct NumberEdit
{
    const char *key;
    int def; // read for a missing key
    // Written when the edit holds no whole number. Without it such an edit,
    // an empty one too, fails the save.
    std::optional<int> noNumber;
};

void numberEdit(SettingsIo &io, QLineEdit *edit, const NumberEdit &field, const QString &what)
{
    int value = field.def;
    if (io.saving()) {
        int typed = 0;
        if (vcl::StrToIntStrict(edit->text(), typed))
            value = typed;
        else if (field.noNumber)
            value = *field.noNumber;
        else
            io.fail(QStringLiteral("%1: \"%2\" is no decimal number.").arg(what, edit->text()));
    }
    if (const auto v = io.integer(QLatin1String(field.key), value, field.def))
        edit->setText(QString::number(*v));
}

// A CAN identifier that an edit holds as hexadecimal digits, written whatever
// its value; an edit that holds no hexadecimal number, an empty one too, fails
// the save.
void hexEdit(SettingsIo &io, const QString &key, QLineEdit *edit, const QString &what)
{
    int value = 0;
    if (io.saving()) {
        if (const std::optional<std::uint32_t> typed = vcl::HexToUInt32(edit->text()))
            value = static_cast<int>(*typed); // above 7FFFFFFF written signed, read back alike
        else
            io.fail(QStringLiteral("%1: \"%2\" is no hexadecimal number.").arg(what, edit->text()));
    }
    // A negative number shows its 32-bit pattern, as hexadecimal does.
    if (const auto v = io.integer(key, value, 0))
        edit->setText(QString::number(static_cast<std::uint32_t>(*v), 16)
                          .toUpper()
                          .rightJustified(3, QLatin1Char('0')));
}

bool inByte(int v)
{
    return v >= 0 && v <= MaxByte;
}

// A trigger combo by number; a code outside a byte is no code, and reads as
// "DISABLED" rather than as whatever source its low bits would name.
void triggerCode(SettingsIo &io, const QString &key, int number)
{
    if (const auto code = io.integer(key, GetTriggerCode(number), TriggerNone))
        SetTriggerCode(number, inByte(*code) ? static_cast<TriggerCode>(*code) : TriggerNone);
}

// Check marks of an output list (entry j is output j + 1).
void outputChecks(SettingsIo &io, QListWidget *list)
{
    const int entries = std::min(list->count(), Ui::OutputCount);
    const auto read = io.integer(QStringLiteral("OUTPUT_LIST_COUNT"), entries, 0);
    const int count = read ? std::clamp(*read, 0, Ui::OutputCount) : entries;
    for (int j = 0; j < count; ++j)
        if (const auto on = io.boolean(key("LIST_SELECTED", j), IsItemChecked(list, j), false))
            SetCheckedQuietly(list, j, *on);
}

// ---- fields of the tables ----------------------------------------------------

// The tables are packed, so their fields go in and out by value: a
// reference to one may be misaligned. Each returns the field's new value,
// which is the value given while saving. A byte field keeps the low 8 bits
// of the number read, a 32-bit field the whole number.
template <class T> T number(SettingsIo &io, const QString &key, T value, int def)
{
    const auto v = io.integer(key, static_cast<int>(value), def);
    return v ? static_cast<T>(*v) : value;
}

// A byte that selects something (a source, an output, an operator): a number
// beyond what the byte holds selects `none` rather than whatever its low bits
// would name. Signed bytes take -128..255, as their values are written signed.
template <class T> T selector(SettingsIo &io, const QString &key, T value, int def, T none)
{
    const auto v = io.integer(key, static_cast<int>(value), def);
    if (!v)
        return value;
    const int low = std::is_signed_v<T> ? INT8_MIN : 0;
    return *v >= low && *v <= MaxByte ? static_cast<T>(*v) : none;
}

std::uint8_t flag(SettingsIo &io, const QString &key, std::uint8_t value)
{
    const auto on = io.boolean(key, value != 0, false);
    return on ? (*on ? 1 : 0) : value;
}

// ---- sections ----------------------------------------------------------------

void inputSection(SettingsIo &io, Ui &ui)
{
    io.section(QStringLiteral("INPUT"));
    for (int n = 1; n <= Ui::InputCount; ++n) {
        if (const auto name = io.text(key("NAME", n), GetInputName(n), QStringLiteral("---")))
            SetInputName(n, name->left(NameLength));
        // A mode the combo does not have leaves it without a selection.
        const QComboBox *modes = ui.ComboBoxInput_ch[static_cast<std::size_t>(n)];
        if (const auto mode = io.integer(key("MODE", n), GetInputMode(n), 0))
            SetInputMode(n, *mode >= 0 && *mode < modes->count() ? static_cast<std::uint8_t>(*mode)
                                                                 : std::uint8_t{MaxByte});
    }
    checkBox(io, QStringLiteral("PWM_ENABLE"), ui.CheckBoxInputPWMEnable);
}

// Tenths go to their edits whole, as the accessors take them.
struct TenthsKey
{
    const char *stem;
    int count;
    int def;
    TenthsField field;
    std::int32_t (*get)(int);
    void (*set)(int, std::int32_t);
};

constexpr TenthsKey OutputTenths[] = {
    {"DELAY", Ui::OutputCount, 0, TenthsField::Delay, GetDelay, SetDelay},
    {"MAX_CURRENT", Ui::HighPowerCount, 100, TenthsField::MaxCurrent, GetMaxCurrent, SetMaxCurrent},
    {"PEAK_TIME", Ui::HighPowerCount, 100, TenthsField::PeakTime, GetPeakTime, SetPeakTime},
    {"LOW_CURRENT", Ui::HighPowerCount, 0, TenthsField::LowCurrent, GetLowCurrent, SetLowCurrent},
    {"LOW_CURRENT_TIME", Ui::HighPowerCount, 0, TenthsField::LowCurrentTime, GetLowCurrentTime,
     SetLowCurrentTime},
    {"ON_TIME", Ui::OutputCount, 0, TenthsField::OnTime, GetOnTime, SetOnTime},
};

void outputSection(SettingsIo &io, Ui &ui)
{
    io.section(QStringLiteral("OUTPUT"));
    lineEdit(io, QStringLiteral("AutoResetError"), ui.AutoResetChannelErrorEdit,
             QStringLiteral("0"));

    // The output lists offer the outputs by name: a load fills them anew.
    QStringList names;
    for (int n = 1; n <= Ui::OutputCount; ++n) {
        if (const auto name = io.text(key("NAME", n), GetOutputName(n), QStringLiteral("---"))) {
            SetOutputName(n, name->left(NameLength));
            names << name->left(NameLength);
        }
    }
    if (!io.saving())
        for (QListWidget *list :
             {ui.CheckListBoxLowBatt, ui.CheckListBoxStartButton, ui.CheckListBoxKillButton})
            FillCheckList(list, names);

    // Triggers before levels: the trigger decides which levels a channel offers.
    for (int n = 1; n <= Ui::OutputCount; ++n)
        triggerCode(io, key("TRIGGER", n), n);
    for (int n = 1; n <= Ui::OutputCount; ++n)
        if (const auto level = io.integer(key("TRIGLEVEL", n), GetTrigLevel(n), 0))
            SetTrigLevel(n, static_cast<TriggerLevel>(*level & MaxByte));
    for (const TenthsKey &t : OutputTenths)
        for (int n = 1; n <= t.count; ++n) {
            // Text without a number would be saved as 0.
            if (io.saving())
                if (const std::optional<NumberEntryError> error = TenthsEntryError(t.field, n))
                    io.fail(error->message());
            if (const auto v = io.integer(key(t.stem, n), t.get(n), t.def))
                t.set(n, *v);
        }
    checkBox(io, QStringLiteral("PWM_1"), ui.CheckBoxPWM_enable1);
    checkBox(io, QStringLiteral("PWM_2"), ui.CheckBoxPWM_enable2);
}

void listSections(SettingsIo &io, Ui &ui)
{
    io.section(QStringLiteral("LOW_BATTERY"));
    lineEdit(io, QStringLiteral("LOW_TRIG"), ui.EditLowVoltageTrig, QStringLiteral("---"));
    lineEdit(io, QStringLiteral("UPPER_TRIG"), ui.EditUpperVoltageTrig, QStringLiteral("---"));
    outputChecks(io, ui.CheckListBoxLowBatt);

    io.section(QStringLiteral("START BUTTON"));
    comboIndex(io, QStringLiteral("INPUT_TRIGGER_INDEX"), ui.ComboBoxInputTrigStartButton, 0);
    outputChecks(io, ui.CheckListBoxStartButton);

    io.section(QStringLiteral("KILL BUTTON"));
    comboIndex(io, QStringLiteral("INPUT_TRIGGER_INDEX"), ui.ComboBoxInputTrigKillButton, 0);
    numberEdit(io, ui.KillInputDelayEdit, {"INPUT_DELAY", 0, 10},
               QStringLiteral("The kill button's input delay"));
    outputChecks(io, ui.CheckListBoxKillButton);
}

void canSetupSection(SettingsIo &io, Ui &ui)
{
    io.section(QStringLiteral("CAN_SETUP"));
    const int index = ui.CANbitRateComboBox->currentIndex();
    const int rate = index >= 0 && index < static_cast<int>(std::size(BitRates))
                         ? BitRates[index]
                         : BitRates[BitRateDefaultIndex];
    if (const auto v = io.integer(QStringLiteral("BitRate"), rate, BitRates[BitRateDefaultIndex])) {
        const auto at = std::find(std::begin(BitRates), std::end(BitRates), *v);
        select(ui.CANbitRateComboBox,
               at != std::end(BitRates) ? static_cast<int>(at - std::begin(BitRates))
                                        : BitRateDefaultIndex,
               BitRateDefaultIndex);
    }
    lineEdit(io, QStringLiteral("NoCANdelay"), ui.CANdelayBeforeNoCANdataEdit,
             QStringLiteral("10"));
    lineEdit(io, QStringLiteral("ResetChannelErrorID"), ui.CANresetChannelErrorIDedit, QString());
    comboIndex(io, QStringLiteral("ResetChannelErrorDataByte"), ui.CANresetChannelErrorDataCombo,
               -1);
    lineEdit(io, QStringLiteral("ResetChannelErrorMask"), ui.CANresetChannelErrorBitMaskEdit,
             QString());
    lineEdit(io, QStringLiteral("Export5-BaseID"), ui.CANexport5BaseIDEdit, QStringLiteral("700"));
    lineEdit(io, QStringLiteral("Export5-Interval"), ui.CANexport5IntervalEdit,
             QStringLiteral("5"));
}

void canInputSection(SettingsIo &io, Ui &ui)
{
    io.section(QStringLiteral("CAN_INPUT"));
    constexpr int NoPosition = 255;
    for (int n = 1; n <= CanInputCount; ++n) {
        CanInputRecord &r = CanInputTable[static_cast<std::size_t>(n - 1)];
        r.Enabled = flag(io, key("ENABLED", n), r.Enabled);
        r.NoCanDataState = number(io, key("NO_CAN_DATA_STATE", n), r.NoCanDataState, 0);
        r.CanIdOn = number(io, key("CAN_ID_ON", n), r.CanIdOn, 0);
        r.CanIdOff = number(io, key("CAN_ID_OFF", n), r.CanIdOff, 0);
        r.OperatorOn = number(io, key("CAN_OPERATOR_ON", n), r.OperatorOn, 0);
        r.OperatorOff = number(io, key("CAN_OPERATOR_OFF", n), r.OperatorOff, 0);
        r.ValueOn = number(io, key("CAN_VALUE_ON", n), r.ValueOn, 0);
        r.ValueOff = number(io, key("CAN_VALUE_OFF", n), r.ValueOff, 0);
        r.HighByteOnPos = number(io, key("CAN_HIGH_BYTE_ON_POS", n), r.HighByteOnPos, NoPosition);
        r.LowByteOnPos = number(io, key("CAN_LOW_BYTE_ON_POS", n), r.LowByteOnPos, NoPosition);
        r.HighByteOffPos =
            number(io, key("CAN_HIGH_BYTE_OFF_POS", n), r.HighByteOffPos, NoPosition);
        r.LowByteOffPos = number(io, key("CAN_LOW_BYTE_OFF_POS", n), r.LowByteOffPos, NoPosition);
        if (const auto name = io.text(key("CAN_NAME", n), NameFromField(r.Name, sizeof r.Name),
                                      QStringLiteral("CAN %1").arg(n)))
            SetCanInputName(n, *name);
        r.RowEnabled = flag(io, key("ROW_ENABLED", n), r.RowEnabled);
        r.RowIndex = number(io, key("ROW_INDEX", n), r.RowIndex, 0);
        r.RowValue = number(io, key("ROW_VALUE", n), r.RowValue, 0);
        r.DataType = number(io, key("DATA_TYPE_", n), r.DataType, 0);
        if (const auto unit = io.text(key("DIMENSION_NAME", n),
                                      NameFromField(r.DimensionName, DimensionLength), QString())) {
            std::memset(r.DimensionName, 0, sizeof r.DimensionName);
            NameToField(r.DimensionName, sizeof r.DimensionName, DimensionLength, *unit);
        }
        // Beyond single precision the largest single of its sign, not infinity.
        constexpr double MaxSingle = std::numeric_limits<float>::max();
        if (const auto m = io.real(key("MULTIPLICATOR_", n), r.Multiplicator, 1.0))
            r.Multiplicator = static_cast<float>(std::clamp(*m, -MaxSingle, MaxSingle));
        // Held to the signed byte: 200 is a large offset, never -56.
        if (const auto offset = io.real(key("CAL_OFFSET_", n), r.CalOffset, 0.0))
            r.CalOffset = static_cast<std::int8_t>(
                std::clamp(std::trunc(*offset), double{INT8_MIN}, double{INT8_MAX}));
    }

    // The digital input that enables the CAN inputs.
    io.section(QStringLiteral("CAN_INPUT_ENABLE"));
    checkBox(io, QStringLiteral("ENABLE"), ui.CheckBoxCanInputEnable);
    comboIndex(io, QStringLiteral("INPUT_PIN"), ui.ComboBoxInputTrigCAN_Input, 0);
}

void virtualInputSection(SettingsIo &io)
{
    static constexpr const char *Delays[] = {"IN_DELAY_1_", "IN_DELAY_2_", "IN_DELAY_3_"};
    static constexpr const char *Channels[] = {"CHANNEL_1_Index", "CHANNEL_2_Index",
                                               "CHANNEL_3_Index"};
    static constexpr const char *Operators[] = {"OPERATOR_1_Index", "OPERATOR_2_Index"};

    io.section(QStringLiteral("VIRTUAL_INPUT"));
    for (int n = 1; n <= VirtualInputCount; ++n) {
        VirtualInputRecord &r = VirtualInputTable[static_cast<std::size_t>(n - 1)];
        for (std::size_t s = 0; s < std::size(Delays); ++s)
            r.InDelay[s] = number(io, key(Delays[s], n), r.InDelay[s], 0);
        for (std::size_t s = 0; s < std::size(Channels); ++s)
            r.ChannelIndex[s] =
                selector(io, key(Channels[s], n), r.ChannelIndex[s], 0, NotUsedSource);
        for (std::size_t s = 0; s < std::size(Operators); ++s)
            r.OperatorIndex[s] =
                selector(io, key(Operators[s], n), r.OperatorIndex[s], 0, NoOperator);
        r.MaskNot = number(io, key("MASK_NOT", n), r.MaskNot, 0);
        if (const auto name = io.text(key("VIRTUAL_NAME", n), NameFromField(r.Name, sizeof r.Name),
                                      QStringLiteral("VIRTUAL %1").arg(n)))
            SetVirtualInputName(n, *name);
    }
}

void flashSection(SettingsIo &io)
{
    io.section(QStringLiteral("FLASH"));
    for (int n = 1; n <= FlashCount; ++n) {
        FlashRecord &r = FlashTable[static_cast<std::size_t>(n - 1)];
        r.Enabled = flag(io, key("ENABLED", n), r.Enabled);
        r.Continues = flag(io, key("CONTINUES", n), r.Continues);
        r.InputTrigger = selector(io, key("INPUT_TRIGGER", n), r.InputTrigger, TriggerNone,
                                  std::uint8_t{TriggerNone});
        for (std::size_t j = 0; j < std::size(r.ChannelList); ++j) {
            const QString slot = QStringLiteral("CHANNEL_LIST%1index %2").arg(n).arg(j);
            r.ChannelList[j] = selector(io, slot, r.ChannelList[j], FreeFlashSlot, FreeFlashSlot);
        }
        r.FlashTimeOn = number(io, key("FLASH_TIME_ON", n), r.FlashTimeOn, 0);
        r.FlashTimeOff = number(io, key("FLASH_TIME_OFF", n), r.FlashTimeOff, 0);
        r.Duration = number(io, key("DURATION", n), r.Duration, 0);
        if (const auto name =
                io.text(key("FLASH_NAME", n), GetFlashName(n), QStringLiteral("FLASH %1").arg(n)))
            SetFlashName(n, *name);
    }
}

void wiperSection(SettingsIo &io, Ui &ui)
{
    io.section(QStringLiteral("WIPER"));
    triggerCode(io, QStringLiteral("LOW_SPEED_INPUT"), 35);
    triggerCode(io, QStringLiteral("WASH_INPUT"), 36);
    triggerCode(io, QStringLiteral("HIGH_SPEED_INPUT"), 37);
    triggerCode(io, QStringLiteral("INTERVAL_INPUT"), 38);
    triggerCode(io, QStringLiteral("HOME_PARK_INPUT"), 39);
    comboIndexOr(io, QStringLiteral("HOME_PARK_LEVEL"), ui.WiperHomeParkILevelComboBox, 1, 1);
    numberEdit(io, ui.WiperIntervalTimeEdit, {"INTERVAL_TIME", 30, 30},
               QStringLiteral("The wiper interval time"));
    numberEdit(io, ui.WiperWashTimeEdit, {"WASH_TIME", 50, 30},
               QStringLiteral("The wiper wash time"));

    for (int k = 1; k <= Ui::SequenceCount; ++k) {
        io.section(key("SEQUENCE", k));
        if (const auto name = io.text(QStringLiteral("NAME"), GetSequenceName(k),
                                      QStringLiteral("Sequence %1").arg(k)))
            SetSequenceName(k, *name);
        triggerCode(io, QStringLiteral("TRIGGER"), 39 + k);
        comboIndexOr(io, QStringLiteral("TYPE"),
                     ui.SequenceTypeComboBox[static_cast<std::size_t>(k)], 0, 0);
    }
}

void canExportSections(SettingsIo &io, Ui &ui)
{
    // Named as the upload names them: page, item, field.
    const auto what = [](const char *field, int e) {
        return QStringLiteral("CAN Export, CAN export %1, %2").arg(e).arg(QLatin1String(field));
    };

    io.section(QStringLiteral("CAN_EXPORT_1"));
    checkBox(io, QStringLiteral("ENABLED"), ui.CheckBoxCAN_Export[1]);
    hexEdit(io, QStringLiteral("CAN_ID_1"), ui.EditCAN_ID_Export[1], what("CAN ID", 1));
    numberEdit(io, ui.EditCAN_EXPORT_1_RowCounter, {"ROW_COUNT", 12, std::nullopt},
               what("rows", 1));
    numberEdit(io, ui.Edit_REFRESS_Export[1], {"REFRESS_TIME_1", 100, std::nullopt},
               what("refresh time", 1));
    for (int n = 1; n <= Ui::CanExport1ByteCount; ++n)
        comboIndex(io, key("CHANNEL_INDEX_", n),
                   ui.ComboBox_CAN_Export1_DataByte[static_cast<std::size_t>(n)], 0);

    // Exports 2 and 3 have 34 bit combos each, export 4 has 64; their keys count from 0.
    constexpr int ShortExportBits = 34;
    for (int e = 2; e <= Ui::CanExportCount; ++e) {
        const auto u = static_cast<std::size_t>(e);
        io.section(key("CAN_EXPORT_", e));
        checkBox(io, QStringLiteral("ENABLED"), ui.CheckBoxCAN_Export[u]);
        hexEdit(io, QStringLiteral("CAN_ID"), ui.EditCAN_ID_Export[u], what("CAN ID", e));
        numberEdit(io, ui.Edit_REFRESS_Export[u], {"REFRESS_TIME", 100, std::nullopt},
                   what("refresh time", e));
        const int first = (e - 2) * ShortExportBits;
        const int bits =
            e == Ui::CanExportCount ? Ui::CanExportBitComboCount - first : ShortExportBits;
        for (int j = 0; j < bits; ++j)
            comboIndex(io, key("CHANNEL_INDEX_", j),
                       ui.CanExportBits[static_cast<std::size_t>(first + j)], 0);
    }
}

void walk(SettingsIo &io, Ui &ui)
{
    inputSection(io, ui);
    outputSection(io, ui);
    listSections(io, ui);
    canSetupSection(io, ui);
    canInputSection(io, ui);
    virtualInputSection(io);
    flashSection(io);
    wiperSection(io, ui);
    canExportSections(io, ui);
}

SettingsFileResult noPages()
{
    return {QStringLiteral("The configuration pages are not open.")};
}

} // namespace

QString SettingsFileName(const QString &fileName)
{
    if (fileName.isEmpty())
        return fileName;
    const QString suffix = QFileInfo(fileName).suffix();
    // On a file system that tells case apart, "TRUCK.CFG" is another file
    // than "TRUCK.cfg": the name is kept so that the file chosen is the one
    // read or written.
    if (suffix.compare(QLatin1String("cfg"), Qt::CaseInsensitive) == 0)
        return fileName;
    if (!suffix.isEmpty())
        return fileName.left(fileName.size() - suffix.size()) + QLatin1String("cfg");
    return fileName +
           (fileName.endsWith(QLatin1Char('.')) ? QLatin1String("cfg") : QLatin1String(".cfg"));
}

SettingsFileResult SaveSettingsText(QByteArray &text)
{
    if (!ConfigPages)
        return noPages();
    // Profile files have Windows line ends.
    vcl::TIniFile ini = vcl::TIniFile::fromText(QByteArray());
    ini.setLineEnd("\r\n");
    SettingsIo io(ini, true);
    walk(io, *ConfigPages);
    if (!io.error().isEmpty())
        return {io.error()};
    text = ini.text();
    return {};
}

SettingsFileResult SaveSettingsFile(const QString &fileName)
{
    const QString name = SettingsFileName(fileName);
    QByteArray text;
    if (const SettingsFileResult built = SaveSettingsText(text); !built)
        return {
            QStringLiteral("The settings were not saved to '%1'.\n\n%2").arg(name, built.error)};

    const auto unable = [&name](const QString &why) {
        return SettingsFileResult{
            QStringLiteral("Unable to create file: '%1'\n\n%2").arg(name, why), true};
    };
    const QFileInfo info(name);
    if (info.exists() && info.isFile() && !info.isWritable())
        return unable(QStringLiteral("The file is read-only."));
    // The new text goes to a file beside the old one, which it replaces only
    // once it is complete; never written in place.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return unable(file.errorString());
    return {};
}

SettingsFileResult LoadSettingsText(const QByteArray &text)
{
    if (!ConfigPages)
        return noPages();
    vcl::TIniFile ini = vcl::TIniFile::fromText(text);
    // Refused before anything is applied; a file with some of the sections
    // gives the keys it lacks their defaults.
    if (!holdsSettings(ini)) {
        SettingsFileResult refused{QStringLiteral(
            "It holds none of the sections of a settings file, such as [INPUT] or [OUTPUT].")};
        refused.noSettings = true;
        return refused;
    }
    SettingsIo io(ini, false);
    walk(io, *ConfigPages);
    return {};
}

SettingsFileResult LoadSettingsFile(const QString &fileName)
{
    const QString name = SettingsFileName(fileName);
    const auto unable = [&name](const QString &why) {
        return SettingsFileResult{QStringLiteral("Unable to read file: '%1'\n\n%2").arg(name, why)};
    };
    if (!ConfigPages)
        return unable(noPages().error);
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return unable(file.errorString());
    if (file.size() > MaxFileSize)
        return unable(QStringLiteral("The file is too large to be a settings file."));
    const QByteArray text = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return unable(file.errorString());
    if (text.size() > MaxFileSize)
        return unable(QStringLiteral("The file is too large to be a settings file."));
    // Nothing is applied before the whole file is read.
    if (SettingsFileResult loaded = LoadSettingsText(text); !loaded) {
        if (loaded.noSettings) {
            loaded.error =
                QStringLiteral("'%1' is not a settings file.\n\n%2").arg(name, loaded.error);
            return loaded;
        }
        return unable(loaded.error);
    }
    return {};
}
