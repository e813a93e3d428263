#include "platform/win/Format.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace win {

namespace {

constexpr int MaxFloatDigits = 18;

// Significant digits of |v| rounded to `digits` places, and the decimal
// exponent of the first one: 1234.5 with 3 gives "123" and 3.
struct Decimal
{
    std::string digits;
    int exponent = 0;
};

Decimal scientificDigits(long double v, int digits)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific,
                                 digits - 1);
    const std::string text(buf, r.ptr);
    Decimal d;
    const auto e = text.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            d.digits += text[i];
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    d.exponent);
    return d;
}

std::string exponentText(int exponent)
{
    std::string digits = std::to_string(std::abs(exponent));
    while (digits.size() < 3)
        digits.insert(digits.begin(), '0');
    return std::string("E") + (exponent < 0 ? '-' : '+') + digits;
}

std::string formatScientific(long double v, int precision)
{
    const Decimal d = scientificDigits(v, precision);
    std::string out = d.digits.substr(0, 1);
    if (d.digits.size() > 1)
        out += '.' + d.digits.substr(1);
    return out + exponentText(d.exponent);
}

std::string formatFixed(long double v, int decimals, bool thousands)
{
    if (v != 0 && scientificDigits(v, MaxFloatDigits).exponent >= MaxFloatDigits)
        return formatScientific(v, MaxFloatDigits);
    char buf[128];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, decimals);
    std::string out(buf, r.ptr);
    if (thousands) {
        const auto point = out.find('.');
        for (auto i = (point == std::string::npos ? out.size() : point); i > 3; i -= 3)
            out.insert(i - 3, 1, ',');
    }
    return out;
}

std::string formatGeneral(long double v, int precision)
{
    if (v == 0)
        return "0";
    const Decimal d = scientificDigits(v, precision);
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (d.exponent >= precision || std::fabs(v) < 0.00001L) {
        std::string out = digits.substr(0, 1);
        if (digits.size() > 1)
            out += '.' + digits.substr(1);
        return out + exponentText(d.exponent);
    }
    if (d.exponent < 0)
        return "0." + std::string(std::size_t(-d.exponent - 1), '0') + digits;
    const auto intDigits = std::size_t(d.exponent + 1);
    if (digits.size() <= intDigits)
        return digits + std::string(intDigits - digits.size(), '0');
    return digits.substr(0, intDigits) + '.' + digits.substr(intDigits);
}

std::optional<std::string> formatFloat(char type, long double v, int precision)
{
    if (std::isnan(v))
        return "NAN";
    if (std::isinf(v))
        return v < 0 ? "-INF" : "INF";
    std::string body;
    switch (type) {
    case 'E':
        body = formatScientific(v, std::clamp(precision < 0 ? 15 : precision, 1, MaxFloatDigits));
        break;
    case 'F':
        body = formatFixed(v, std::clamp(precision < 0 ? 2 : precision, 0, MaxFloatDigits), false);
        break;
    case 'N':
    case 'M':
        body = formatFixed(v, std::clamp(precision < 0 ? 2 : precision, 0, MaxFloatDigits), true);
        break;
    case 'G':
        body = formatGeneral(v, std::clamp(precision < 0 ? 15 : precision, 1, MaxFloatDigits));
        break;
    default:
        return std::nullopt;
    }
    const bool negative = std::signbit(v) && body.find_first_not_of("0.,") != std::string::npos;
    return negative ? '-' + body : body;
}

std::optional<std::string> formatInteger(char type, std::int64_t v, int precision)
{
    std::uint64_t magnitude = 0;
    bool negative = false;
    if (type == 'D') {
        negative = v < 0;
        magnitude = negative ? std::uint64_t(0) - std::uint64_t(v) : std::uint64_t(v);
    } else {
        // A negative 32-bit value reads as its unsigned 32-bit pattern.
        magnitude = (v < 0 && v >= INT32_MIN) ? std::uint64_t(std::uint32_t(std::int32_t(v)))
                                              : std::uint64_t(v);
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude, type == 'X' ? 16 : 10);
    std::string digits(buf, r.ptr);
    if (type == 'X')
        std::transform(digits.begin(), digits.end(), digits.begin(),
                       [](char c) { return c >= 'a' && c <= 'f' ? char(c - 'a' + 'A') : c; });
    if (precision > 0 && digits.size() < std::size_t(precision))
        digits.insert(0, std::size_t(precision) - digits.size(), '0');
    return negative ? '-' + digits : digits;
}

// Digits at `i`, advanced past them; -1 when there are none. Values beyond
// a sane width are refused so that no one pads a text to gigabytes.
int readNumber(const QString &s, qsizetype &i, bool &tooBig)
{
    if (i >= s.size() || !s[i].isDigit() || s[i].unicode() > '9')
        return -1;
    int v = 0;
    while (i < s.size() && s[i].unicode() >= '0' && s[i].unicode() <= '9') {
        v = v * 10 + (s[i].unicode() - '0');
        if (v > 4096)
            tooBig = true, v = 4096;
        ++i;
    }
    return v;
}

} // namespace

std::optional<QString> Format(const QString &format, std::span<const FormatArg> args)
{
    QString out;
    std::size_t next = 0;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i++];
        if (c != u'%') {
            out += c;
            continue;
        }
        if (i < format.size() && format[i] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        bool tooBig = false;
        int width = readNumber(format, i, tooBig);
        if (width >= 0 && i < format.size() && format[i] == u':') {
            next = std::size_t(width);
            ++i;
            width = -1;
        }
        bool left = false;
        if (width < 0 && i < format.size() && format[i] == u'-') {
            left = true;
            ++i;
        }
        if (width < 0)
            width = readNumber(format, i, tooBig);
        int precision = -1;
        if (i < format.size() && format[i] == u'.') {
            ++i;
            precision = std::max(0, readNumber(format, i, tooBig));
        }
        if (tooBig || i >= format.size() || next >= args.size())
            return std::nullopt;
        const char type = char(format[i++].toUpper().unicode() & 0x7F);
        const FormatArg &arg = args[next++];
        QString field;
        if (type == 'D' || type == 'U' || type == 'X') {
            const auto *v = std::get_if<std::int64_t>(&arg);
            if (!v)
                return std::nullopt;
            field = QString::fromStdString(*formatInteger(type, *v, precision));
        } else if (type == 'E' || type == 'F' || type == 'G' || type == 'N' || type == 'M') {
            const auto *v = std::get_if<long double>(&arg);
            if (!v)
                return std::nullopt;
            field = QString::fromStdString(*formatFloat(type, *v, precision));
        } else if (type == 'S') {
            const auto *v = std::get_if<QString>(&arg);
            if (!v)
                return std::nullopt;
            field = precision >= 0 ? v->left(precision) : *v;
        } else {
            return std::nullopt;
        }
        if (width > field.size())
            field = left ? field.leftJustified(width) : field.rightJustified(width);
        out += field;
    }
    return out;
}

} // namespace win
