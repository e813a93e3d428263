#include "platform/vcl/Numbers.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>
#include <string_view>

namespace vcl {

namespace {

// The C locale's white space, which the run-time's number readers skip.
bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isCSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isCSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

struct DecimalPrefix
{
    std::size_t length = 0; // 0: no number at the start
    std::string normal;     // the same number in a form from_chars always takes
};

// Longest prefix [sign] digits [. digits] [e [sign] digits] with at least one
// mantissa digit. The normal form drops '+', and writes "1." and ".5" as "1"
// and "0.5".
DecimalPrefix scanDecimal(std::string_view s)
{
    DecimalPrefix r;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            r.normal += '-';
        ++i;
    }
    const std::size_t intStart = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    std::string_view intDigits = s.substr(intStart, i - intStart);
    std::string_view fracDigits;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        fracDigits = s.substr(fracStart, i - fracStart);
    }
    if (intDigits.empty() && fracDigits.empty())
        return {};
    r.normal += intDigits.empty() ? std::string_view("0") : intDigits;
    if (!fracDigits.empty()) {
        r.normal += '.';
        r.normal += fracDigits;
    }
    r.length = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        const std::size_t expDigits = j;
        while (j < s.size() && isDigit(s[j]))
            ++j;
        if (j > expDigits) {
            r.normal += 'e';
            if (s[i + 1] == '-')
                r.normal += '-';
            r.normal += s.substr(expDigits, j - expDigits);
            r.length = j;
        }
    }
    return r;
}

std::optional<double> finiteValue(const std::string &normal)
{
    double v = 0.0;
    const char *end = normal.data() + normal.size();
    const auto [ptr, ec] = std::from_chars(normal.data(), end, v);
    if (ec != std::errc() || ptr != end || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> parseInt(std::string_view s, int base)
{
    bool plus = false;
    if (base == 10 && !s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        plus = true;
    }
    if (s.empty())
        return std::nullopt;
    // from_chars takes a '-' in every base; a hexadecimal text has no sign.
    const char first = s.front();
    if (base == 16 ? !isHexDigit(first) : !(isDigit(first) || (first == '-' && !plus)))
        return std::nullopt;
    int v = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

} // namespace

double StrToFloatDot(const QString &text)
{
    QByteArray bytes = text.toLatin1();
    bytes.replace(',', '.');
    std::string_view s(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    while (!s.empty() && isCSpace(s.front()))
        s.remove_prefix(1);
    const DecimalPrefix prefix = scanDecimal(s);
    if (prefix.length == 0)
        return 0.0;
    return finiteValue(prefix.normal).value_or(0.0);
}

std::optional<double> TryStrToFloat(const QString &text)
{
    QByteArray bytes = text.toLatin1();
    bytes.replace(',', '.');
    const std::string_view s =
        trimmed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    const DecimalPrefix prefix = scanDecimal(s);
    if (prefix.length == 0 || prefix.length != s.size())
        return std::nullopt;
    return finiteValue(prefix.normal);
}

QString FloatToStr(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0.0)
        return QStringLiteral("0");

    // "d.ddddddddddddddde+XX": the 15 significant digits and the exponent.
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::scientific, 14);
    const std::string_view sci(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    const bool negative = sci.front() == '-';
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0)))
        if (isDigit(c))
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    int exponent = 0;
    std::string_view expText = sci.substr(ePos + 1);
    if (!expText.empty() && expText.front() == '+')
        expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);

    std::string out = negative ? "-" : "";
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else {
            const auto intCount = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= intCount) {
                out += digits;
                out.append(intCount - digits.size(), '0');
            } else {
                out += digits.substr(0, intCount);
                out += '.';
                out += digits.substr(intCount);
            }
        }
    } else {
        out += digits.front();
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    }
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

QString FormatFixed(double value, int width, int decimals)
{
    decimals = std::clamp(decimals, 0, 100);
    // 309 integer digits of DBL_MAX, sign, point and 100 decimals fit.
    std::array<char, 512> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::fixed, decimals);
    const QString text =
        QString::fromLatin1(buf.data(), static_cast<qsizetype>(res.ptr - buf.data()));
    if (width < 0)
        return text.leftJustified(-static_cast<qsizetype>(width), QLatin1Char(' '));
    return text.rightJustified(width, QLatin1Char(' '));
}

QString FormatTenths(int tenths)
{
    return FormatFixed(tenths * 0.1, 3, 1);
}

bool StrToIntStrict(const QString &text, int &out)
{
    const QByteArray bytes = text.toLatin1();
    const auto v = parseInt(
        trimmed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))), 10);
    if (!v)
        return false;
    out = *v;
    return true;
}

int StrToIntDef(const QString &text, int def)
{
    int v = def;
    return StrToIntStrict(text, v) ? v : def;
}

std::optional<int> StrToIntOrHex(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    const std::string_view s =
        trimmed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        return parseInt(s.substr(2), 16);
    return parseInt(s, 10);
}

std::optional<std::uint32_t> HexToUInt32(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    const std::string_view s =
        trimmed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    std::uint32_t v = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

std::optional<int> HexToInt(const QString &text)
{
    const std::optional<std::uint32_t> v = HexToUInt32(text);
    if (!v || *v > static_cast<std::uint32_t>(INT_MAX))
        return std::nullopt;
    return static_cast<int>(*v);
}

int TruncToInt(double value)
{
    // Written so that NaN fails the test as well.
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace vcl
