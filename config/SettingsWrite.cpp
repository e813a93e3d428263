#include "config/SettingsWrite.h"

#include "config/Settingsunit.h"
#include "config/TriggerCodes.h"
#include "forms/ConfigPagesUi.h"
#include "link/DeviceCommands.h"
#include "platform/vcl/Numbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

using namespace devlink;
using Ui = TConfigPagesUi;

namespace {

constexpr std::uint8_t Unused = 255;
constexpr int ByteMax = 0xFF;
constexpr int WordMax = 0xFFFF;

// A node-1 frame of the length the command table gives the request.
DeviceFrame newFrame(std::uint8_t command)
{
    const CommandInfo *info = FindCommand(NodeApplication, command);
    return DeviceFrame(NodeApplication, command, info ? info->length : 4);
}

WriteBlock done(DeviceFrame &frame)
{
    frame.finish();
    return {frame, {}};
}

WriteBlock failed(const QString &why)
{
    return {std::nullopt, why};
}

WriteBlock noPages()
{
    return failed(QStringLiteral("The configuration pages are not there."));
}

std::uint8_t byte(int value)
{
    return static_cast<std::uint8_t>(value);
}

template <class T, std::size_t N> T *at(const std::array<T *, N> &family, int n)
{
    return family[static_cast<std::size_t>(n)];
}

// Latin-1, cut to `width` bytes, the rest NUL.
void putName(DeviceFrame &frame, std::size_t offset, std::size_t width, const QString &name)
{
    const QByteArray bytes = name.toLatin1();
    const auto length = static_cast<std::size_t>(bytes.size());
    for (std::size_t i = 0; i < width; ++i)
        frame.set(offset + i,
                  i < length ? static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(i)]) : 0);
}

// A combo's entry index as a byte: no selection (-1) goes out as 255.
std::uint8_t entry(const QComboBox *combo)
{
    return static_cast<std::uint8_t>(combo->currentIndex() & ByteMax);
}

std::uint8_t checked(const QCheckBox *box)
{
    return box->isChecked() ? 1 : 0;
}

// The edit's text as a decimal integer; a run of digits too long for an int
// counts as the largest (or smallest) int, so that it is held to the field
// rather than read as something else.
std::optional<int> decimalOf(const QLineEdit *edit)
{
    int value = 0;
    if (vcl::StrToIntStrict(edit->text(), value))
        return value;
    const QString text = edit->text().trimmed();
    const bool negative = text.startsWith(QLatin1Char('-'));
    const QString digits = text.mid(negative || text.startsWith(QLatin1Char('+')) ? 1 : 0);
    if (digits.isEmpty() ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    return negative ? INT_MIN : INT_MAX;
}

// Held to min..max, where the unit's own rules say so; the edit shows the
// value sent when it had to be held.
int held(QLineEdit *edit, int value, int min, int max)
{
    const int kept = std::clamp(value, min, max);
    if (kept != value)
        edit->setText(QString::number(kept));
    return kept;
}

QString notDecimal(const QString &what, const QLineEdit *edit)
{
    return QStringLiteral("%1: \"%2\" is no decimal number.").arg(what, edit->text());
}

QString notHex(const QString &what, const QLineEdit *edit, int max)
{
    return QStringLiteral("%1: \"%2\" is no hexadecimal number from 0 to %3.")
        .arg(what, edit->text(), QString::number(max, 16).toUpper());
}

QString outOfRange(const QString &what, const QLineEdit *edit, const QString &min,
                   const QString &max)
{
    return NumberEntryError{what, {}, {}, edit->text()}.rangeMessage(min, max);
}

// The edit's decimal number; `fallback` for text that is no number, or,
// without one, such text stops the block. A number outside min..max, what
// the field on the wire holds, stops the block too, rather than going out
// as another. `error` says why it stopped.
std::optional<int> decimalField(const QLineEdit *edit, std::optional<int> fallback, int min,
                                int max, const QString &what, QString &error)
{
    std::optional<int> value = decimalOf(edit);
    if (!value)
        value = fallback;
    if (!value) {
        error = notDecimal(what, edit);
        return std::nullopt;
    }
    if (*value < min || *value > max) {
        error = outOfRange(what, edit, QString::number(min), QString::number(max));
        return std::nullopt;
    }
    return value;
}

// Hexadecimal digits only (blanks around them allowed); `whenEmpty` is the
// value of an empty edit, none when an empty edit is no value. Above `max`
// is no value either: another identifier would be a different message.
std::optional<int> hexField(const QLineEdit *edit, int max, std::optional<int> whenEmpty)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        return whenEmpty;
    const std::optional<int> value = vcl::HexToInt(text);
    if (!value || *value > max)
        return std::nullopt;
    return value;
}

// A voltage in tenths, truncated toward zero; the page's own texts for no
// level, empty and "---", are 0. Nothing, with `error` set, for text without
// a number or a voltage its byte cannot hold.
std::optional<int> voltageTenths(const QLineEdit *edit, const QString &field, QString &error)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty() || text == QLatin1String("---"))
        return 0;
    const NumberEntryError entry{QStringLiteral("Low Battery"), QString(), field, edit->text()};
    if (!StartsWithNumber(edit->text())) {
        error = entry.message();
        return std::nullopt;
    }
    const double tenths = std::trunc(vcl::StrToFloatDot(edit->text()) * 10.0);
    if (!(tenths >= 0.0 && tenths <= double(ByteMax))) {
        error = entry.rangeMessage(vcl::FormatTenths(0), vcl::FormatTenths(ByteMax));
        return std::nullopt;
    }
    return static_cast<int>(tenths);
}

// `slots` bytes of 255, then the numbers (1-based) of the checked outputs in
// list order, as many as fit.
void putCheckedOutputs(DeviceFrame &frame, std::size_t offset, std::size_t slots,
                       const QListWidget *list)
{
    for (std::size_t i = 0; i < slots; ++i)
        frame.set(offset + i, Unused);
    std::size_t used = 0;
    const int rows = std::min(list->count(), Ui::OutputCount);
    for (int row = 0; row < rows && used < slots; ++row)
        if (IsItemChecked(list, row))
            frame.set(offset + used++, byte(row + 1));
}

} // namespace

WriteBlock BuildInputConfig(int input)
{
    if (!ConfigPages)
        return noPages();
    if (input < 1 || input > Ui::InputCount)
        return failed(QStringLiteral("There is no input %1.").arg(input));
    DeviceFrame f = newFrame(INPUT_CONFIG_WRITE_REQ);
    f.set(4, byte(input));
    putName(f, 5, NameLength, GetInputName(input));
    f.set(20, GetInputMode(input));
    return done(f);
}

WriteBlock BuildOutputConfig(int channel)
{
    if (!ConfigPages)
        return noPages();
    if (channel < 1 || channel > Ui::OutputCount)
        return failed(QStringLiteral("There is no output %1.").arg(channel));
    // Text without a number would go out as 0: a trip current of 0 A, say.
    const bool high = channel <= Ui::HighPowerCount;
    for (const TenthsField field :
         {TenthsField::MaxCurrent, TenthsField::PeakTime, TenthsField::Delay, TenthsField::OnTime,
          TenthsField::LowCurrent, TenthsField::LowCurrentTime})
        if (const std::optional<NumberEntryError> error = TenthsEntryError(field, channel))
            return failed(error->message());
    // A number its field cannot hold (below 0, or an on-time of 25.9 s in a
    // byte of tenths) would go out as another: the block is not built. The
    // edit keeps its text, which the settings file saves as it stands.
    const struct
    {
        TenthsField field;
        std::int32_t (*get)(int);
        int max; // of the field on the wire
        bool highPowerOnly;
    } fields[] = {{TenthsField::MaxCurrent, GetMaxCurrent, WordMax, true},
                  {TenthsField::PeakTime, GetPeakTime, ByteMax, true},
                  {TenthsField::LowCurrent, GetLowCurrent, WordMax, true},
                  {TenthsField::LowCurrentTime, GetLowCurrentTime, ByteMax, true},
                  {TenthsField::Delay, GetDelay, ByteMax, false},
                  {TenthsField::OnTime, GetOnTime, ByteMax, false}};
    for (const auto &field : fields) {
        if (field.highPowerOnly && !high)
            continue;
        if (const std::int32_t tenths = field.get(channel); tenths < 0 || tenths > field.max)
            return failed(TenthsEntry(field.field, channel)
                              .rangeMessage(vcl::FormatTenths(0), vcl::FormatTenths(field.max)));
    }
    DeviceFrame f = newFrame(OUTPUT_CONFIG_WRITE_REQ);
    f.set(4, byte(channel));
    if (high) {
        f.setU16BE(5, static_cast<std::uint16_t>(GetMaxCurrent(channel)));
        f.set(7, byte(GetPeakTime(channel)));
        f.setU16LE(27, static_cast<std::uint16_t>(GetLowCurrent(channel)));
        f.set(29, byte(GetLowCurrentTime(channel)));
    } else {
        f.setU16BE(5, WordMax); // a low-power channel has no current limit
    }
    f.set(8, GetTriggerCode(channel));
    f.set(9, GetTrigLevel(channel));
    putName(f, 10, NameLength, GetOutputName(channel));
    f.set(25, byte(GetDelay(channel)));
    f.set(26, byte(GetOnTime(channel)));
    return done(f);
}

WriteBlock BuildLowBattery()
{
    if (!ConfigPages)
        return noPages();
    Ui &ui = *ConfigPages;
    QString error;
    const std::optional<int> low =
        voltageTenths(ui.EditLowVoltageTrig, QStringLiteral("switch-off voltage"), error);
    if (!low)
        return failed(error);
    const std::optional<int> upper =
        voltageTenths(ui.EditUpperVoltageTrig, QStringLiteral("switch-on voltage"), error);
    if (!upper)
        return failed(error);
    DeviceFrame f = newFrame(LOW_BATTERY_WRITE_REQ);
    f.set(4, byte(*low));
    f.set(5, byte(*upper));
    putCheckedOutputs(f, 6, 12, ui.CheckListBoxLowBatt);
    return done(f);
}

WriteBlock BuildCanSetup()
{
    if (!ConfigPages)
        return noPages();
    Ui &ui = *ConfigPages;
    constexpr std::uint16_t BitRates[] = {125, 250, 500};
    const int rate = ui.CANbitRateComboBox->currentIndex();
    const std::uint16_t kbit = rate >= 0 && rate < 3 ? BitRates[rate] : 1000;

    // The unit takes a delay from 2 to 2000: one outside is held to it.
    constexpr int MinNoDataDelay = 2, MaxNoDataDelay = 2000, DefaultNoDataDelay = 15;
    const int delay = held(ui.CANdelayBeforeNoCANdataEdit,
                           decimalOf(ui.CANdelayBeforeNoCANdataEdit).value_or(DefaultNoDataDelay),
                           MinNoDataDelay, MaxNoDataDelay);
    const std::optional<int> resetId = hexField(ui.CANresetChannelErrorIDedit, WordMax, 0);
    if (!resetId)
        return failed(notHex(QStringLiteral("CAN Inputs, CAN setup, error reset ID"),
                             ui.CANresetChannelErrorIDedit, WordMax));
    const std::optional<int> mask = hexField(ui.CANresetChannelErrorBitMaskEdit, ByteMax, 0);
    if (!mask)
        return failed(notHex(QStringLiteral("CAN Inputs, CAN setup, error reset bit mask"),
                             ui.CANresetChannelErrorBitMaskEdit, ByteMax));
    const std::optional<int> baseId = hexField(ui.CANexport5BaseIDEdit, WordMax, std::nullopt);
    if (!baseId)
        return failed(notHex(QStringLiteral("CAN Export, CAN export 5, base ID"),
                             ui.CANexport5BaseIDEdit, WordMax));

    // The unit resets channel errors no sooner than after 5; 0 leaves them.
    constexpr int MinAutoReset = 5;
    QString error;
    std::optional<int> autoReset =
        decimalField(ui.AutoResetChannelErrorEdit, 0, 0, ByteMax,
                     QStringLiteral("Diagnostic, CAN setup, automatic error reset"), error);
    if (!autoReset)
        return failed(error);
    if (*autoReset > 0 && *autoReset < MinAutoReset)
        autoReset = held(ui.AutoResetChannelErrorEdit, *autoReset, MinAutoReset, ByteMax);
    const std::optional<int> interval =
        decimalField(ui.CANexport5IntervalEdit, 0, 0, ByteMax,
                     QStringLiteral("CAN Export, CAN export 5, interval"), error);
    if (!interval)
        return failed(error);
    const int dataByte = ui.CANresetChannelErrorDataCombo->currentIndex();

    DeviceFrame f = newFrame(CAN_SETUP_WRITE_REQ);
    f.setU16LE(5, kbit);
    f.setU16LE(7, static_cast<std::uint16_t>(delay));
    f.setU16LE(9, static_cast<std::uint16_t>(*resetId));
    f.set(11, dataByte >= 0 ? byte(dataByte) : Unused);
    f.set(12, byte(*mask));
    f.set(13, byte(*autoReset));
    f.set(14, byte(*interval));
    f.setU16LE(15, static_cast<std::uint16_t>(*baseId));
    return done(f);
}

WriteBlock BuildStartKill()
{
    if (!ConfigPages)
        return noPages();
    Ui &ui = *ConfigPages;
    // These combos hold the full trigger list, so their entries are read in
    // that list: a wiper or sequence step goes out as itself, not as "+30".
    const auto code = [](const QComboBox *combo) {
        return ListIndexToTriggerCode(combo->currentIndex());
    };
    constexpr int DefaultKillDelay = 10;
    QString error;
    const std::optional<int> killDelay =
        decimalField(ui.KillInputDelayEdit, DefaultKillDelay, 0, ByteMax,
                     QStringLiteral("Start / Kill Button, kill button, input delay"), error);
    if (!killDelay)
        return failed(error);
    DeviceFrame f = newFrame(START_KILL_WRITE_REQ);
    f.set(4, code(ui.ComboBoxInputTrigStartButton));
    putCheckedOutputs(f, 5, 14, ui.CheckListBoxStartButton);
    f.set(19, code(ui.ComboBoxInputTrigKillButton));
    f.set(20, byte(*killDelay));
    putCheckedOutputs(f, 21, 14, ui.CheckListBoxKillButton);
    return done(f);
}

WriteBlock BuildCanInput(int record)
{
    if (!ConfigPages)
        return noPages();
    if (record < 0 || record >= CanInputCount)
        return failed(QStringLiteral("There is no CAN input %1.").arg(record + 1));
    const CanInputRecord &r = CanInputTable[static_cast<std::size_t>(record)];
    const QString what = QStringLiteral("CAN input %1").arg(record + 1);
    // Table fields wider than their place on the wire must fit it.
    // (Copied out by value: the packed fields cannot be bound to references.)
    const struct
    {
        std::uint32_t value;
        const char *name;
    } words[] = {{r.CanIdOn, "CAN ID on"},
                 {r.CanIdOff, "CAN ID off"},
                 {r.ValueOn, "value on"},
                 {r.ValueOff, "value off"}};
    for (const auto &word : words)
        if (word.value > WordMax)
            return failed(QStringLiteral("%1: %2 %3 does not fit 16 bits.")
                              .arg(what, QLatin1String(word.name))
                              .arg(word.value));
    for (const std::uint32_t op : {r.OperatorOn, r.OperatorOff})
        if (const auto v = static_cast<std::int32_t>(op); v < SCHAR_MIN || v > SCHAR_MAX)
            return failed(QStringLiteral("%1: operator %2 does not fit a byte.").arg(what).arg(v));
    constexpr std::uint32_t NoDataStates = 3;
    if (r.NoCanDataState > NoDataStates)
        return failed(QStringLiteral("%1: no-data state %2 is out of range.")
                          .arg(what)
                          .arg(r.NoCanDataState));

    DeviceFrame f = newFrame(CAN_INPUT_WRITE_REQ);
    f.set(4, byte(record));
    f.set(5, byte((r.Enabled & 0x01) | (r.NoCanDataState & 0x03) << 1));
    f.setU16LE(6, static_cast<std::uint16_t>(r.CanIdOn));
    f.setU16LE(8, static_cast<std::uint16_t>(r.CanIdOff));
    f.setU16LE(10, static_cast<std::uint16_t>(r.ValueOn));
    f.setU16LE(12, static_cast<std::uint16_t>(r.ValueOff));
    f.set(14, static_cast<std::uint8_t>(r.OperatorOn));
    f.set(15, static_cast<std::uint8_t>(r.OperatorOff));
    f.set(16, r.HighByteOnPos);
    f.set(17, r.LowByteOnPos);
    f.set(18, r.HighByteOffPos);
    f.set(19, r.LowByteOffPos);
    putName(f, 20, NameLength, GetCanInputName(record + 1));
    f.set(35, r.RowEnabled);
    f.set(36, r.RowIndex);
    f.set(37, r.RowValue);
    f.set(38, r.DataType);
    constexpr std::size_t DimensionLength = 5;
    putName(f, 39, DimensionLength, NameFromField(r.DimensionName, DimensionLength));
    const float multiplicator = r.Multiplicator;
    f.setU32LE(44, std::bit_cast<std::uint32_t>(multiplicator));
    f.set(48, static_cast<std::uint8_t>(r.CalOffset));
    return done(f);
}

WriteBlock BuildCanInputEnable()
{
    if (!ConfigPages)
        return noPages();
    Ui &ui = *ConfigPages;
    DeviceFrame f = newFrame(CAN_INPUT_ENABLE_WRITE_REQ);
    f.set(4, checked(ui.CheckBoxCanInputEnable));
    f.set(5, InputPinIndexToTriggerCode(ui.ComboBoxInputTrigCAN_Input->currentIndex()));
    return done(f);
}

WriteBlock BuildBoxName()
{
    if (!ConfigPages)
        return noPages();
    DeviceFrame f = newFrame(BOX_NAME_WRITE_REQ);
    putName(f, 4, LongNameLength, GetBoxName());
    return done(f);
}

WriteBlock BuildVirtualInput(int record)
{
    if (!ConfigPages)
        return noPages();
    if (record < 0 || record >= VirtualInputCount)
        return failed(QStringLiteral("There is no virtual input %1.").arg(record + 1));
    const VirtualInputRecord &r = VirtualInputTable[static_cast<std::size_t>(record)];
    constexpr std::uint8_t Plus30Index = 1; // "+30" in VirtualChannelList
    constexpr std::uint8_t Plus30Code = 255;
    DeviceFrame f = newFrame(VIRTUAL_INPUT_WRITE_REQ);
    f.set(4, byte(record));
    for (std::size_t s = 0; s < 3; ++s) {
        f.set(6 + s, r.ChannelIndex[s] == Plus30Index ? Plus30Code : r.ChannelIndex[s]);
        f.set(26 + s, r.InDelay[s]);
    }
    f.set(9, static_cast<std::uint8_t>(r.OperatorIndex[0]));
    f.set(10, static_cast<std::uint8_t>(r.OperatorIndex[1]));
    putName(f, 11, NameLength, GetVirtualInputName(record + 1));
    f.set(29, r.MaskNot);
    return done(f);
}

WriteBlock BuildFlash(int record)
{
    if (record < 0 || record >= FlashCount)
        return failed(QStringLiteral("There is no flash function %1.").arg(record + 1));
    // The record goes out exactly as the table holds it.
    std::array<std::uint8_t, sizeof(FlashRecord)> bytes{};
    std::memcpy(bytes.data(), &FlashTable[static_cast<std::size_t>(record)], bytes.size());
    DeviceFrame f = newFrame(FLASH_WRITE_REQ);
    f.set(4, byte(record));
    f.setText(5, bytes.data(), bytes.size());
    return done(f);
}

WriteBlock BuildWiper()
{
    if (!ConfigPages)
        return noPages();
    Ui &ui = *ConfigPages;
    const auto code = [](const QComboBox *combo) {
        return ShortListIndexToTriggerCode(combo->currentIndex());
    };
    constexpr int DefaultTime = 30;
    QString error;
    const QString wiper = QStringLiteral("Flash / Wiper / Sequence, wiper, ");
    const std::optional<int> interval = decimalField(ui.WiperIntervalTimeEdit, DefaultTime, 0,
                                                     ByteMax, wiper + "interval time", error);
    if (!interval)
        return failed(error);
    const std::optional<int> wash =
        decimalField(ui.WiperWashTimeEdit, DefaultTime, 0, ByteMax, wiper + "wash time", error);
    if (!wash)
        return failed(error);
    DeviceFrame f = newFrame(WIPER_WRITE_REQ);
    f.set(4, code(ui.WiperLowSpeedInputComboBox));
    f.set(5, code(ui.WiperHighSpeedInputComboBox));
    f.set(6, code(ui.WiperIntervalInputComboBox));
    f.set(7, code(ui.WiperHomeParkInputComboBox));
    f.set(8, entry(ui.WiperHomeParkILevelComboBox));
    f.set(9, byte(*interval));
    f.set(10, code(ui.WiperWashInputComboBox));
    f.set(11, byte(*wash));
    return done(f);
}

WriteBlock BuildSequences()
{
    if (!ConfigPages)
        return noPages();
    Ui &ui = *ConfigPages;
    constexpr std::size_t First = 4, Size = 19;
    DeviceFrame f = newFrame(SEQUENCE_WRITE_REQ);
    for (int k = 1; k <= Ui::SequenceCount; ++k) {
        const std::size_t base = First + Size * static_cast<std::size_t>(k - 1);
        f.set(base, ShortListIndexToTriggerCode(at(ui.SequenceTriggerComboBox, k)->currentIndex()));
        f.set(base + 1, entry(at(ui.SequenceTypeComboBox, k)));
        putName(f, base + 2, LongNameLength, GetSequenceName(k));
    }
    return done(f);
}

WriteBlock BuildPwm()
{
    if (!ConfigPages)
        return noPages();
    Ui &ui = *ConfigPages;
    DeviceFrame f = newFrame(PWM_CONFIG_WRITE_REQ);
    f.set(4, checked(ui.CheckBoxInputPWMEnable));
    f.set(5, checked(ui.CheckBoxPWM_enable1));
    f.set(6, checked(ui.CheckBoxPWM_enable2));
    return done(f);
}

namespace {

// Bytes 5..9 of CAN exports 1..4: enabled, refresh time, CAN ID.
std::optional<QString> putExportHead(DeviceFrame &f, int exportNo)
{
    Ui &ui = *ConfigPages;
    const QString what = QStringLiteral("CAN Export, CAN export %1,").arg(exportNo);
    QString error;
    const std::optional<int> time =
        decimalField(at(ui.Edit_REFRESS_Export, exportNo), std::nullopt, 0, WordMax,
                     what + QStringLiteral(" refresh time"), error);
    if (!time)
        return error;
    // The settings file keeps any 32-bit identifier whole, but the field
    // holds 16 bits: cut, 20000000 would go out as identifier 0.
    const QLineEdit *idEdit = at(ui.EditCAN_ID_Export, exportNo);
    const std::optional<std::uint32_t> id = vcl::HexToUInt32(idEdit->text());
    if (!id)
        return QStringLiteral("%1 CAN ID: \"%2\" is no hexadecimal number.")
            .arg(what, idEdit->text());
    if (*id > WordMax)
        return outOfRange(what + QStringLiteral(" CAN ID"), idEdit, QStringLiteral("0"),
                          QStringLiteral("FFFF"));
    f.set(5, checked(at(ui.CheckBoxCAN_Export, exportNo)));
    f.setU16LE(6, static_cast<std::uint16_t>(*time));
    f.setU16LE(8, static_cast<std::uint16_t>(*id));
    return std::nullopt;
}

} // namespace

WriteBlock BuildCanExport1()
{
    if (!ConfigPages)
        return noPages();
    Ui &ui = *ConfigPages;
    DeviceFrame f = newFrame(CAN_EXPORT1_WRITE_REQ);
    if (const std::optional<QString> error = putExportHead(f, 1))
        return failed(*error);
    QString error;
    const std::optional<int> rows =
        decimalField(ui.EditCAN_EXPORT_1_RowCounter, std::nullopt, 0, ByteMax,
                     QStringLiteral("CAN Export, CAN export 1, rows"), error);
    if (!rows)
        return failed(error);
    for (int n = 1; n <= Ui::CanExport1ByteCount; ++n)
        f.set(9 + static_cast<std::size_t>(n), entry(at(ui.ComboBox_CAN_Export1_DataByte, n)));
    f.set(28, byte(*rows));
    return done(f);
}

WriteBlock BuildCanExport(int item)
{
    if (!ConfigPages)
        return noPages();
    if (item < 0 || item > 2)
        return failed(QStringLiteral("There is no CAN export %1.").arg(item + 2));
    Ui &ui = *ConfigPages;
    DeviceFrame f = newFrame(CAN_EXPORT_WRITE_REQ);
    f.set(4, byte(item));
    if (const std::optional<QString> error = putExportHead(f, item + 2))
        return failed(*error);
    // Exports 2 and 3 have 34 bit combos each, export 4 has 64.
    constexpr std::size_t PerExport = 34;
    const std::size_t first = static_cast<std::size_t>(item) * PerExport;
    const std::size_t bits = item == 2 ? 64 : PerExport;
    for (std::size_t i = 0; i < bits; ++i)
        f.set(10 + i, entry(ui.CanExportBits[first + i]));
    return done(f);
}

QString CheckUploadBlocks()
{
    std::vector<WriteBlock> blocks;
    for (int n = 1; n <= Ui::InputCount; ++n)
        blocks.push_back(BuildInputConfig(n));
    for (int n = 1; n <= Ui::OutputCount; ++n)
        blocks.push_back(BuildOutputConfig(n));
    blocks.push_back(BuildLowBattery());
    blocks.push_back(BuildCanSetup());
    blocks.push_back(BuildStartKill());
    for (int n = 0; n < CanInputCount; ++n)
        blocks.push_back(BuildCanInput(n));
    blocks.push_back(BuildCanInputEnable());
    blocks.push_back(BuildBoxName());
    for (int n = 0; n < VirtualInputCount; ++n)
        blocks.push_back(BuildVirtualInput(n));
    for (int n = 0; n < FlashCount; ++n)
        blocks.push_back(BuildFlash(n));
    blocks.push_back(BuildWiper());
    blocks.push_back(BuildSequences());
    blocks.push_back(BuildPwm());
    blocks.push_back(BuildCanExport1());
    for (int n = 0; n < 3; ++n)
        blocks.push_back(BuildCanExport(n));
    for (const WriteBlock &block : blocks)
        if (!block.isValid())
            return block.error;
    return {};
}
