// The class library's Format over a list of typed arguments, checked: a
// format string written by a user (a calculator's result format, a tray
// meter's tool tip) can ask for anything, and a wrong request gives an error
// instead of reaching printf.
//
// Thread contract: pure functions; any thread.
#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <variant>

namespace win {

using FormatArg = std::variant<std::int64_t, long double, QString>;

// A specifier is "%" [index ":"] ["-"] [width] ["." precision] type, the type
// in either case:
// - d decimal, u unsigned, x upper-case hexadecimal: an integer argument; the
//   precision is the least number of digits;
// - e scientific "-d.dddE+ddd" with precision significant digits (15 when
//   not given, at least 3 exponent digits); f fixed with precision decimals
//   (2 when not given); g the shorter of fixed and scientific with precision
//   significant digits (15), trailing zeros dropped; n as f with "," between
//   thousands; m as n: a floating argument (at most 18 digits);
// - s a text argument, the precision its longest part.
// "%%" is one "%". Numbers use "." whatever the locale. An unknown type, a
// missing argument, an argument of the wrong kind or a malformed specifier
// gives nullopt; arguments left over are ignored.
std::optional<QString> Format(const QString &format, std::span<const FormatArg> args);
inline std::optional<QString> Format(const QString &format, std::initializer_list<FormatArg> args)
{
    return Format(format, std::span<const FormatArg>(args.begin(), args.size()));
}

} // namespace win
