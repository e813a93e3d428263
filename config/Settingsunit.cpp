#include "config/Settingsunit.h"

#include "forms/ConfigPagesUi.h"
#include "platform/vcl/Numbers.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

TConfigPagesUi *ConfigPages = nullptr;

std::array<CanInputRecord, CanInputCount> CanInputTable{};
std::array<VirtualInputRecord, VirtualInputCount> VirtualInputTable{};
std::array<FlashRecord, FlashCount> FlashTable{};

void SettingsStartupHook() {}

QString NameFromField(const char *field, std::size_t width)
{
    const std::size_t length = strnlen(field, width);
    return QString::fromLatin1(field, static_cast<qsizetype>(length));
}

void NameToField(char *field, std::size_t width, std::size_t maxChars, const QString &name)
{
    const QByteArray bytes = name.toLatin1();
    const std::size_t length = std::min({static_cast<std::size_t>(bytes.size()), maxChars, width});
    std::memcpy(field, bytes.constData(), length);
    if (length < width)
        field[length] = '\0';
}

namespace {

// The control of item `index` in a 1-based family, or null when out of range.
template <class T, std::size_t N> T *item(const std::array<T *, N> &family, int index)
{
    if (index < 1 || index >= static_cast<int>(N))
        return nullptr;
    return family[static_cast<std::size_t>(index)];
}

// `member` of the pages, or null while there are no pages.
template <class Family> auto pagesItem(Family TConfigPagesUi::*member, int index)
{
    return ConfigPages ? item(ConfigPages->*member, index) : nullptr;
}

QString editName(const QLineEdit *edit, int length)
{
    return edit ? edit->text().left(length) : QString();
}

void setEditName(QLineEdit *edit, const QString &name)
{
    if (edit)
        edit->setText(name);
}

void setLabel(QLabel *label, const QString &text)
{
    if (label)
        label->setText(text);
}

QString numberedName(int index, const QString &name)
{
    return QString::number(index) + QStringLiteral(": ") + name;
}

// The text's leading decimal in tenths, truncated toward zero; a value
// beyond 32 bits gives the nearest 32-bit one rather than an undefined one.
std::int32_t readTenths(const QLineEdit *edit)
{
    if (!edit)
        return 0;
    const double tenths = std::trunc(vcl::StrToFloatDot(edit->text()) * 10.0);
    if (std::isnan(tenths))
        return 0;
    return static_cast<std::int32_t>(std::clamp(tenths, double{INT32_MIN}, double{INT32_MAX}));
}

void showTenths(QLineEdit *edit, std::int32_t tenths)
{
    if (edit)
        edit->setText(vcl::FormatTenths(tenths));
}

} // namespace

QString GetInputName(int index)
{
    return editName(pagesItem(&TConfigPagesUi::EditInputName_ch, index), NameLength);
}

void SetInputName(int index, const QString &name)
{
    QLineEdit *edit = pagesItem(&TConfigPagesUi::EditInputName_ch, index);
    if (!edit)
        return;
    const QString cut = name.left(NameLength);
    setEditName(edit, cut);
    setLabel(pagesItem(&TConfigPagesUi::LabelInputCh, index), numberedName(index, cut));
}

QString GetCanInputName(int index)
{
    return editName(pagesItem(&TConfigPagesUi::EditCanInputName_ch, index), NameLength);
}

void SetCanInputName(int index, const QString &name)
{
    if (index < 1 || index > CanInputCount)
        return;
    const QString cut = name.left(NameLength);
    CanInputRecord &record = CanInputTable[static_cast<std::size_t>(index - 1)];
    NameToField(record.Name, sizeof record.Name, NameLength, cut);
    setEditName(pagesItem(&TConfigPagesUi::EditCanInputName_ch, index), cut);
    setLabel(pagesItem(&TConfigPagesUi::LabelCanInputCh, index), numberedName(index, cut));
}

QString GetVirtualInputName(int index)
{
    return editName(pagesItem(&TConfigPagesUi::EditInputName_Virtuel_ch, index), NameLength);
}

void SetVirtualInputName(int index, const QString &name)
{
    if (index < 1 || index > VirtualInputCount)
        return;
    const QString cut = name.left(NameLength);
    VirtualInputRecord &record = VirtualInputTable[static_cast<std::size_t>(index - 1)];
    NameToField(record.Name, sizeof record.Name, NameLength, cut);
    setEditName(pagesItem(&TConfigPagesUi::EditInputName_Virtuel_ch, index), cut);
}

QString GetOutputName(int index)
{
    return editName(pagesItem(&TConfigPagesUi::EditOutputName_ch, index), NameLength);
}

void SetOutputName(int index, const QString &name)
{
    QLineEdit *edit = pagesItem(&TConfigPagesUi::EditOutputName_ch, index);
    if (!edit)
        return;
    const QString cut = name.left(NameLength);
    setEditName(edit, cut);
    if (index <= TConfigPagesUi::HighPowerCount) {
        setLabel(pagesItem(&TConfigPagesUi::LabelHighPowerCh, index), numberedName(index, cut));
        setLabel(pagesItem(&TConfigPagesUi::LabelHighPowerCh_, index), cut);
    } else {
        setLabel(pagesItem(&TConfigPagesUi::LabelLowPowerCh, index), numberedName(index, cut));
    }
}

QString GetFlashName(int index)
{
    if (index < 1 || index > FlashCount)
        return {};
    const FlashRecord &record = FlashTable[static_cast<std::size_t>(index - 1)];
    return NameFromField(record.Name, sizeof record.Name);
}

void SetFlashName(int index, const QString &name)
{
    if (index < 1 || index > FlashCount)
        return;
    FlashRecord &record = FlashTable[static_cast<std::size_t>(index - 1)];
    NameToField(record.Name, sizeof record.Name, NameLength, name);
}

QString GetBoxName()
{
    return editName(ConfigPages ? ConfigPages->EditBoxName : nullptr, LongNameLength);
}

void SetBoxName(const QString &name)
{
    setEditName(ConfigPages ? ConfigPages->EditBoxName : nullptr, name.left(LongNameLength));
}

QString GetSequenceName(int index)
{
    return editName(pagesItem(&TConfigPagesUi::SequenceNameEdit, index), LongNameLength);
}

void SetSequenceName(int index, const QString &name)
{
    setEditName(pagesItem(&TConfigPagesUi::SequenceNameEdit, index), name.left(LongNameLength));
}

std::uint8_t GetInputMode(int index)
{
    const QComboBox *combo = pagesItem(&TConfigPagesUi::ComboBoxInput_ch, index);
    if (!combo || combo->currentIndex() < 0)
        return 0;
    return static_cast<std::uint8_t>(combo->currentIndex());
}

void SetInputMode(int index, std::uint8_t mode)
{
    if (QComboBox *combo = pagesItem(&TConfigPagesUi::ComboBoxInput_ch, index))
        combo->setCurrentIndex(mode < combo->count() ? mode : -1);
}

std::int32_t GetMaxCurrent(int index)
{
    return readTenths(pagesItem(&TConfigPagesUi::EditMaxCurrentCH, index));
}

void SetMaxCurrent(int index, std::int32_t tenths)
{
    showTenths(pagesItem(&TConfigPagesUi::EditMaxCurrentCH, index), tenths);
}

std::int32_t GetDelay(int index)
{
    return readTenths(pagesItem(&TConfigPagesUi::EditDelayCH, index));
}

void SetDelay(int index, std::int32_t tenths)
{
    showTenths(pagesItem(&TConfigPagesUi::EditDelayCH, index), tenths);
}

std::int32_t GetPeakTime(int index)
{
    return readTenths(pagesItem(&TConfigPagesUi::EditCurrentPeakTimeCH, index));
}

void SetPeakTime(int index, std::int32_t tenths)
{
    showTenths(pagesItem(&TConfigPagesUi::EditCurrentPeakTimeCH, index), tenths);
}

std::int32_t GetLowCurrent(int index)
{
    return readTenths(pagesItem(&TConfigPagesUi::EditLowCurrentCH, index));
}

void SetLowCurrent(int index, std::int32_t tenths)
{
    showTenths(pagesItem(&TConfigPagesUi::EditLowCurrentCH, index), tenths);
}

std::int32_t GetLowCurrentTime(int index)
{
    return readTenths(pagesItem(&TConfigPagesUi::EditLowCurrentTimeCH, index));
}

void SetLowCurrentTime(int index, std::int32_t tenths)
{
    showTenths(pagesItem(&TConfigPagesUi::EditLowCurrentTimeCH, index), tenths);
}

std::int32_t GetOnTime(int index)
{
    // "CONT." reads as 0 like any text without a number.
    return readTenths(pagesItem(&TConfigPagesUi::EditOnTimeCH, index));
}

void SetOnTime(int index, std::int32_t tenths)
{
    QLineEdit *edit = pagesItem(&TConfigPagesUi::EditOnTimeCH, index);
    if (edit && tenths == 0)
        edit->setText(QStringLiteral("CONT."));
    else
        showTenths(edit, tenths);
}

bool StartsWithNumber(const QString &text)
{
    qsizetype i = 0;
    const auto at = [&text](qsizetype k) { return k < text.size() ? text.at(k) : QChar(); };
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    // The blanks the number reader skips.
    while (i < text.size() && QStringView(u" \t\n\v\f\r").contains(at(i)))
        ++i;
    if (at(i) == QLatin1Char('+') || at(i) == QLatin1Char('-'))
        ++i;
    if (isDigit(at(i)))
        return true;
    return (at(i) == QLatin1Char('.') || at(i) == QLatin1Char(',')) && isDigit(at(i + 1));
}

QString NumberEntryError::where() const
{
    QString where = page;
    for (const QString &part : {item, field})
        if (!part.isEmpty())
            where += QStringLiteral(", ") + part;
    return where;
}

QString NumberEntryError::message() const
{
    return QStringLiteral("%1: \"%2\" is no number.").arg(where(), text);
}

QString NumberEntryError::rangeMessage(const QString &min, const QString &max) const
{
    return QStringLiteral("%1: \"%2\" is outside what the unit takes, %3 to %4.")
        .arg(where(), text, min, max);
}

namespace {

const QLineEdit *tenthsEdit(TenthsField field, int index, QString &page, const char *&name)
{
    page = QStringLiteral("Outputs");
    switch (field) {
    case TenthsField::MaxCurrent:
        name = "maximum current";
        return pagesItem(&TConfigPagesUi::EditMaxCurrentCH, index);
    case TenthsField::Delay:
        name = "delay";
        return pagesItem(&TConfigPagesUi::EditDelayCH, index);
    case TenthsField::PeakTime:
        name = "peak time";
        return pagesItem(&TConfigPagesUi::EditCurrentPeakTimeCH, index);
    case TenthsField::LowCurrent:
        page = QStringLiteral("Low Current");
        name = "low current";
        return pagesItem(&TConfigPagesUi::EditLowCurrentCH, index);
    case TenthsField::LowCurrentTime:
        page = QStringLiteral("Low Current");
        name = "low current time";
        return pagesItem(&TConfigPagesUi::EditLowCurrentTimeCH, index);
    case TenthsField::OnTime:
        name = "on time";
        return pagesItem(&TConfigPagesUi::EditOnTimeCH, index);
    }
    name = "";
    return nullptr;
}

} // namespace

NumberEntryError TenthsEntry(TenthsField field, int index)
{
    QString page;
    const char *name = "";
    const QLineEdit *edit = tenthsEdit(field, index, page, name);
    return NumberEntryError{page, QStringLiteral("channel %1").arg(index), QLatin1String(name),
                            edit ? edit->text() : QString()};
}

std::optional<NumberEntryError> TenthsEntryError(TenthsField field, int index)
{
    QString page;
    const char *name = "";
    const QLineEdit *edit = tenthsEdit(field, index, page, name);
    if (!edit || StartsWithNumber(edit->text()))
        return std::nullopt;
    if (field == TenthsField::OnTime && edit->text().trimmed() == QLatin1String("CONT."))
        return std::nullopt;
    return TenthsEntry(field, index);
}

TriggerLevel GetTrigLevel(int index)
{
    const QComboBox *combo = pagesItem(&TConfigPagesUi::ComboBoxTrigLevelCH, index);
    return combo && combo->currentIndex() == 1 ? TriggerLevelGnd : TriggerLevelOpen;
}

void SetTrigLevel(int index, TriggerLevel level)
{
    QComboBox *combo = pagesItem(&TConfigPagesUi::ComboBoxTrigLevelCH, index);
    if (!combo)
        return;
    const int entry = level == TriggerLevelGnd ? 1 : 0;
    combo->setCurrentIndex(entry < combo->count() ? entry : 0);
}

QComboBox *TriggerCombo(int number)
{
    if (!ConfigPages || number < 1 || number > TriggerComboCount)
        return nullptr;
    TConfigPagesUi &ui = *ConfigPages;
    if (number <= TConfigPagesUi::OutputCount)
        return ui.ComboBoxInputTrigCH[static_cast<std::size_t>(number)];
    switch (number) {
    case 35:
        return ui.WiperLowSpeedInputComboBox;
    case 36:
        return ui.WiperWashInputComboBox;
    case 37:
        return ui.WiperHighSpeedInputComboBox;
    case 38:
        return ui.WiperIntervalInputComboBox;
    case 39:
        return ui.WiperHomeParkInputComboBox;
    default:
        return ui.SequenceTriggerComboBox[static_cast<std::size_t>(number - 39)];
    }
}

void SetTriggerCode(int number, TriggerCode code)
{
    QComboBox *combo = TriggerCombo(number);
    if (!combo)
        return;
    // A code the combo does not list (a wiper or sequence step on a short-list
    // combo) selects "DISABLED" rather than nothing.
    const int index = TriggerCodeToListIndex(code);
    combo->setCurrentIndex(index < combo->count() ? index : 0);
    if (number <= TConfigPagesUi::OutputCount)
        UpdateTrigLevelChoices(number);
}

TriggerCode GetTriggerCode(int number)
{
    const QComboBox *combo = TriggerCombo(number);
    return combo ? ListIndexToTriggerCode(combo->currentIndex()) : TriggerNone;
}

void UpdateTrigLevelChoices(int channel)
{
    const QComboBox *trigger = pagesItem(&TConfigPagesUi::ComboBoxInputTrigCH, channel);
    QComboBox *level = pagesItem(&TConfigPagesUi::ComboBoxTrigLevelCH, channel);
    if (!trigger || !level)
        return;
    const int i = trigger->currentIndex();
    const auto fixed = [level](const QString &text) {
        level->clear();
        level->addItem(text);
        level->setCurrentIndex(0);
        level->setEnabled(false);
    };
    if (i == 1) {
        fixed(QStringLiteral("+30"));
    } else if (i == 2) {
        fixed(QStringLiteral("+12v"));
    } else if (i >= 3 && i <= 12) {
        const int kept = std::max(level->currentIndex(), 0);
        if (level->count() != 2 || level->itemText(0) != QLatin1String("OPEN")) {
            level->clear();
            level->addItems({QStringLiteral("OPEN"), QStringLiteral("GND")});
        }
        level->setCurrentIndex(std::min(kept, 1));
        level->setEnabled(true);
    } else if (i >= 13 && i <= 66) {
        fixed(QStringLiteral("-"));
    }
}
