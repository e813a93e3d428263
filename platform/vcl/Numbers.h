#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace vcl {

// Number <-> text conversions that never consult the C locale: Qt sets the
// process locale from the environment, so a German desktop would make
// strtod/printf read and write ',' as the decimal separator. Everything here
// uses '.' (and reads ',' where said). All functions are pure and may be
// called from any thread.

// Leading decimal number of the text, with every ',' read as '.': leading
// white space is skipped and the longest prefix of the form
// [sign] digits [. digits] [e [sign] digits] is taken. Text without such a
// prefix, and a number that is not finite in a double, give 0.0. Never fails.
double StrToFloatDot(const QString &text);

// The whole text (blanks around allowed) as one finite decimal number, '.' or
// ',' as separator, optional exponent; nullopt otherwise.
std::optional<double> TryStrToFloat(const QString &text);

// General decimal form with 15 significant digits and trailing zeros dropped,
// '.' as separator; an exponent ("1E20", "1.5E-7") only below 0.00001 or at 15
// integer digits and more; "NAN", "INF", "-INF" for the non-finite values.
QString FloatToStr(double value);

// printf's "%*.*f": value rounded to `decimals` places, right-aligned in
// `width` characters with blanks (a negative width aligns left). Decimals
// are limited to 0..100.
QString FormatFixed(double value, int width, int decimals);

// "%3.1f" of tenths * 0.1: 5 -> "0.5", 123 -> "12.3", -5 -> "-0.5", 0 -> "0.0".
QString FormatTenths(int tenths);

// Decimal integer with optional sign, blanks around allowed; false (and `out`
// untouched) for other text or a value outside int.
bool StrToIntStrict(const QString &text, int &out);
int StrToIntDef(const QString &text, int def);

// As StrToIntStrict, and also "0x"/"0X" followed by hexadecimal digits: the
// integer form of the settings and INI files.
std::optional<int> StrToIntOrHex(const QString &text);

// Hexadecimal digits only (either case, no prefix, no sign), blanks around
// allowed; nullopt for other text or a value above INT_MAX.
std::optional<int> HexToInt(const QString &text);
// The same up to 32 bits: "FFFFFFFF" is 4294967295; nullopt above it.
std::optional<std::uint32_t> HexToUInt32(const QString &text);

// Truncation toward zero; NaN and values outside int give INT_MIN, as the
// processor's own truncating conversion does, instead of undefined behaviour.
int TruncToInt(double value);

} // namespace vcl
