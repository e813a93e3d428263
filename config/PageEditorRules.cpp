#include "config/PageEditorRules.h"

#include "platform/vcl/Numbers.h"

#include <algorithm>
#include <cstdlib>

std::int64_t LeadingInteger(const QString &text)
{
    constexpr std::int64_t Ceiling = 1'000'000'000;
    std::int64_t value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = std::min(value * 10 + (c.unicode() - '0'), Ceiling);
    }
    return value;
}

namespace {

QString oneDecimal(double value)
{
    return vcl::FormatFixed(value, 3, 1);
}

// The replacement unless the edit already shows it, so that the change the
// rewrite fires finds nothing more to do.
std::optional<QString> replaceWith(const QString &text, const QString &replacement)
{
    if (text == replacement)
        return std::nullopt;
    return replacement;
}

} // namespace

std::optional<QString> LimitedEntryText(EntryLimit limit, const QString &text)
{
    const std::int64_t leading = LeadingInteger(text);
    switch (limit) {
    case EntryLimit::MaxCurrent:
        if (leading > 90)
            return replaceWith(text, oneDecimal(90));
        break;
    case EntryLimit::OnTime:
        if (leading > 25)
            return replaceWith(text, oneDecimal(25));
        break;
    case EntryLimit::Delay:
        if (leading >= 10)
            return replaceWith(text, oneDecimal(10));
        break;
    case EntryLimit::PeakTime:
        if (vcl::StrToFloatDot(text) > 10.0)
            return replaceWith(text, oneDecimal(10));
        break;
    case EntryLimit::LowVoltage:
        if (leading > 16)
            return replaceWith(text, oneDecimal(12.0));
        break;
    case EntryLimit::UpperVoltage:
        if (leading > 16)
            return replaceWith(text, oneDecimal(12.3));
        break;
    }
    return std::nullopt;
}

QString TriggerSourceDescription(int index, const std::array<QString, 4> &sequenceNames)
{
    if (index >= 2 && index <= 12)
        return QStringLiteral("( Con. B, Pin %1 )").arg(index + 11);
    if (index >= 13 && index <= 44)
        return QStringLiteral("( CAN input %1 )").arg(index - 12);
    if (index >= 45 && index <= 64)
        return QStringLiteral("( Virtual input %1 )").arg(index - 44);
    if (index == 65)
        return QStringLiteral("( Wiper Low speed )");
    if (index == 66)
        return QStringLiteral("( Wiper High speed )");
    if (index >= 67 && index <= 78) {
        const int k = (index - 67) / 3 + 1;
        static constexpr const char *Steps[] = {".A )", ".B )", ".C )"};
        const QString &name = sequenceNames[static_cast<std::size_t>(k - 1)];
        const QString shown = name.isEmpty() ? QStringLiteral("Sequence %1").arg(k) : name;
        return QStringLiteral("( ") + shown + QLatin1String(Steps[(index - 67) % 3]);
    }
    return {};
}

QString SequenceStepPattern(int typeIndex)
{
    switch (typeIndex) {
    case 1:
        return QStringLiteral("Off -> A -> Off");
    case 2:
        return QStringLiteral("Off -> A -> B -> Off");
    case 3:
        return QStringLiteral("Off -> A -> B -> C -> Off");
    default:
        return {};
    }
}

QString CheckListLimitMessage(const CheckListLimit &limit)
{
    return QStringLiteral("Max ") + QString::number(limit.maximum) + QLatin1String(limit.text);
}

EditedValue<std::uint8_t> FlashTimeFromText(const QString &text)
{
    constexpr std::int64_t MaxMs = 25000;
    EditedValue<std::uint8_t> result;
    std::int64_t ms = LeadingInteger(text);
    if (ms > MaxMs) {
        ms = MaxMs;
        result.shown = QString::number(MaxMs);
    }
    result.value = static_cast<std::uint8_t>(ms / 100);
    return result;
}

std::optional<std::uint32_t> CanIdFromText(const QString &text)
{
    const std::optional<int> id = vcl::HexToInt(text);
    if (!id)
        return std::nullopt;
    return static_cast<std::uint32_t>(*id);
}

QString CanIdText(std::uint32_t id)
{
    return QString::number(id, 16).toUpper().rightJustified(3, QLatin1Char('0'));
}

std::optional<EditedValue<std::uint32_t>> CompareValueFromText(const QString &text,
                                                               std::uint8_t dataType)
{
    const QString trimmed = text.trimmed();
    int value = 0;
    if (trimmed.isEmpty() || trimmed == QLatin1String("-") || !vcl::StrToIntStrict(trimmed, value))
        return std::nullopt;
    const bool isSigned = dataType == 1;
    const int low = isSigned ? -32767 : 0;
    const int high = isSigned ? 32767 : 65535;
    EditedValue<std::uint32_t> result;
    const int held = std::clamp(value, low, high);
    if (held != value)
        result.shown = QString::number(held);
    result.value = static_cast<std::uint32_t>(held) & 0xFFFFu;
    return result;
}

QString CompareValueText(std::uint32_t value, std::uint8_t dataType)
{
    if (dataType == 1)
        return QString::number(static_cast<std::int16_t>(value & 0xFFFFu));
    return QString::number(value);
}

std::optional<EditedValue<std::uint8_t>> RowFieldFromText(const QString &text, int maximum)
{
    int value = 0;
    if (text.trimmed().isEmpty() || !vcl::StrToIntStrict(text, value))
        return std::nullopt;
    EditedValue<std::uint8_t> result;
    const int held = std::clamp(value, 0, std::clamp(maximum, 0, 255));
    if (held != value)
        result.shown = QString::number(held);
    result.value = static_cast<std::uint8_t>(held);
    return result;
}

std::optional<std::int8_t> CalOffsetFromText(const QString &text)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const double offset = std::clamp(vcl::StrToFloatDot(text), -127.0, 127.0);
    return static_cast<std::int8_t>(vcl::TruncToInt(offset));
}

std::uint8_t TenthsFromText(const QString &text)
{
    const double tenths = std::clamp(vcl::StrToFloatDot(text) * 10.0, 0.0, 255.0);
    return static_cast<std::uint8_t>(vcl::TruncToInt(tenths));
}

std::optional<EditedValue<std::uint8_t>> VirtualDelayFromText(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    EditedValue<std::uint8_t> result;
    if (LeadingInteger(text) > 10) {
        result.shown = oneDecimal(10);
        result.value = TenthsFromText(*result.shown);
    } else {
        result.value = TenthsFromText(text);
    }
    return result;
}

int BytePositionColumn(int x, int width)
{
    const int w = width / 8;
    if (w <= 0 || x < 0 || x >= width)
        return 0;
    return std::min(x / w + 1, 8);
}

BytePositionPick SelectBytePosition(int column, std::uint8_t lo, std::uint8_t hi)
{
    BytePositionPick pick{lo > 8 ? std::uint8_t{0} : lo, hi > 8 ? std::uint8_t{0} : hi, false};
    if (column < 1 || column > 8)
        return pick;
    const auto p = static_cast<std::uint8_t>(column);
    if (pick.hi != 0) {
        if (pick.hi == p)
            pick.hi = 0;
    } else if (pick.lo != 0) {
        if (pick.lo == p)
            pick.lo = 0;
        else if (std::abs(pick.lo - column) > 1)
            pick.refused = true;
        else
            pick.hi = p;
    } else {
        pick.lo = p;
    }
    return pick;
}
