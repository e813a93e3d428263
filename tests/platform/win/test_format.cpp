// The checked Format: the class library's conversions, and every request it
// cannot serve refused instead of guessed.
#include "platform/win/Format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

namespace {

using win::Format;
using win::FormatArg;

struct FormatCase
{
    const char *format;
    FormatArg arg;
    const char *expected; // nullptr: refused
};

const FormatCase formatCases[] = {
    // The class library's float defaults: 15 digits for %e and %g, 2 decimals for %f.
    {"%e", 1.0L, "1.00000000000000E+000"},
    {"%e", -12345.678L, "-1.23456780000000E+004"},
    {"%.3e", 0.00012345L, "1.23E-004"},
    {"%.1e", 5.0L, "5E+000"},
    {"%e", 1e400L, "1.00000000000000E+400"},
    {"%f", 3.14159L, "3.14"},
    {"%.0f", 2.5L, "2"},
    {"%.3f", -0.0004L, "0.000"},
    {"%8.2f|", 3.14159L, "    3.14|"},
    {"%-8.2f|", 3.14159L, "3.14    |"},
    {"%g", 0.5L, "0.5"},
    {"%g", 100.0L, "100"},
    {"%g", 1e20L, "1E+020"},
    {"%g", 0.000001L, "1E-006"},
    {"%.3g", 3.14159L, "3.14"},
    {"%n", 1234567.891L, "1,234,567.89"},
    {"%.0n", 999.0L, "999"},
    {"%e", std::numeric_limits<long double>::infinity(), "INF"},
    {"%d%%", std::int64_t(50), "50%"},
    {"%5d|", std::int64_t(-42), "  -42|"},
    {"%.4d", std::int64_t(7), "0007"},
    {"%x", std::int64_t(255), "FF"},
    {"%u", std::int64_t(-1), "4294967295"},
    {"%D", std::int64_t(3), "3"},
    {"%s!", FormatArg(QStringLiteral("abc")), "abc!"},
    {"%.2s", FormatArg(QStringLiteral("abc")), "ab"},
    {"%0:d %0:d", std::int64_t(1), "1 1"},
    {"no specifier", std::int64_t(1), "no specifier"},
    // Refused: wrong kind of argument, too few arguments, unknown or broken
    // specifiers, absurd widths.
    {"%d", 1.0L, nullptr},
    {"%f", std::int64_t(1), nullptr},
    {"%s", 1.0L, nullptr},
    {"%e %e", 1.0L, nullptr},
    {"%p", 1.0L, nullptr},
    {"%n", std::int64_t(1), nullptr},
    {"%", 1.0L, nullptr},
    {"%5", 1.0L, nullptr},
    {"%*d", std::int64_t(1), nullptr},
    {"%1:d", std::int64_t(1), nullptr},
    {"%99999999999d", std::int64_t(1), nullptr},
};

void checkFormatCases()
{
    for (const FormatCase &c : formatCases) {
        const auto text = Format(QString::fromLatin1(c.format), {c.arg});
        if (c.expected) {
            ASSERT_TRUE(text.has_value()) << c.format;
            EXPECT_EQ(*text, QString::fromLatin1(c.expected)) << c.format;
        } else {
            EXPECT_FALSE(text.has_value()) << c.format << " gave " << text->toStdString();
        }
    }
}

TEST(Format, Conversions)
{
    checkFormatCases();
}

TEST(Format, IgnoresADecimalCommaLocale)
{
    const char *old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no de_DE locale";
    checkFormatCases();
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Format, SeveralArguments)
{
    EXPECT_EQ(Format(QStringLiteral("%d/%d%%"), {std::int64_t(50), std::int64_t(25)}),
              QStringLiteral("50/25%"));
    EXPECT_EQ(Format(QStringLiteral("%1:d %0:d"), {std::int64_t(1), std::int64_t(2)}),
              QStringLiteral("2 1"));
}

} // namespace
