#include "platform/vcl/Numbers.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {

using vcl::FloatToStr;
using vcl::FormatFixed;
using vcl::FormatTenths;
using vcl::HexToInt;
using vcl::StrToFloatDot;
using vcl::StrToIntOrHex;
using vcl::StrToIntStrict;
using vcl::TryStrToFloat;

// The number readers and writers must not change with the C locale; every
// table below runs once in the "C" locale and once under a comma locale.
void checkStrToFloatDot()
{
    // The first four rows are the documented examples of the edit fields.
    const struct
    {
        const char *text;
        double value;
    } rows[] = {
        {"12,5", 12.5},
        {"12.5", 12.5},
        {",5", 0.5},
        {"abc", 0.0},
        {"", 0.0},
        {"   7", 7.0},
        {"\t\n-3.25x", -3.25},
        {"+4", 4.0},
        {"-.5", -0.5},
        {"5.", 5.0},
        {"1e3", 1000.0},
        {"1E-2", 0.01},
        {"2e+2A", 200.0},
        {"1e", 1.0},
        {"1e+", 1.0},
        {"1.2.3", 1.2},
        {"1,2,3", 1.2},
        {"12 5", 12.0},
        {" 12,5 A", 12.5},
        {".", 0.0},
        {"-", 0.0},
        {"+-1", 0.0},
        {"e5", 0.0},
        {"0x10", 0.0},
        {"inf", 0.0},
        {"-INF", 0.0},
        {"nan", 0.0},
        {"1e999", 0.0},
        {"-1e999", 0.0},
        {"1e-999", 0.0},
        {"00000000000000000000000001.5", 1.5},
        {"x12", 0.0},
    };
    for (const auto &row : rows)
        EXPECT_DOUBLE_EQ(StrToFloatDot(QString::fromLatin1(row.text)), row.value) << row.text;
    // Characters outside Latin-1 are no digits, even if Unicode calls them so.
    EXPECT_EQ(StrToFloatDot(QStringLiteral("\uFF11\uFF12")), 0.0);
    EXPECT_EQ(StrToFloatDot(QStringLiteral("3\u00A0")), 3.0);
}

void checkTryStrToFloat()
{
    const struct
    {
        const char *text;
        std::optional<double> value;
    } rows[] = {
        {" 1.5 ", 1.5},
        {"1,5", 1.5},
        {"-0.25", -0.25},
        {"+3", 3.0},
        {"1E20", 1e20},
        {"1.5E-7", 1.5e-7},
        {"0.100000001490116", 0.100000001490116},
        {"", {}},
        {"abc", {}},
        {"1.5x", {}},
        {"1,000.5", {}},
        {".", {}},
        {"inf", {}},
        {"NAN", {}},
        {"1e999", {}},
        {"1 5", {}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(TryStrToFloat(QString::fromLatin1(row.text)), row.value) << row.text;
}

void checkFormatting()
{
    // Tenths shown as "%3.1f" of the value times 0.1.
    const struct
    {
        int tenths;
        const char *text;
    } tenths[] = {
        {5, "0.5"},      {123, "12.3"},     {-5, "-0.5"},
        {0, "0.0"},      {1, "0.1"},        {100, "10.0"},
        {9999, "999.9"}, {-1234, "-123.4"}, {INT_MAX, "214748364.7"},
    };
    for (const auto &row : tenths)
        EXPECT_EQ(FormatTenths(row.tenths), QLatin1String(row.text)) << row.tenths;

    const struct
    {
        double value;
        int width;
        int decimals;
        const char *text;
    } fixed[] = {
        {0.125, 0, 2, "0.12"}, // exact binary tie: to even, as printf
        {0.375, 0, 2, "0.38"},     {2.5, 0, 0, "2"},
        {3.5, 0, 0, "4"},          {1.005, 0, 2, "1.00"}, // 1.005 is a little below in binary
        {-0.0, 4, 1, "-0.0"},      {7.0, 5, 2, " 7.00"},
        {7.0, -6, 1, "7.0   "},    {1e20, 0, 1, "100000000000000000000.0"},
        {-1.25, 8, 3, "  -1.250"},
    };
    for (const auto &row : fixed)
        EXPECT_EQ(FormatFixed(row.value, row.width, row.decimals), QLatin1String(row.text))
            << row.value;

    // FloatToStr: 15 significant digits, the settings file's float form.
    const struct
    {
        double value;
        const char *text;
    } general[] = {
        {double(0.1f), "0.100000001490116"}, // a single-precision value widened
        {0.1, "0.1"},
        {1.0, "1"},
        {0.0, "0"},
        {-0.0, "0"},
        {-2.25, "-2.25"},
        {100.0, "100"},
        {12345.678, "12345.678"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {999999999999999.9, "1E15"},
        {0.00001, "0.00001"},
        {0.000001, "1E-6"},
        {-1.5e-7, "-1.5E-7"},
        {1e20, "1E20"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const auto &row : general)
        EXPECT_EQ(FloatToStr(row.value), QLatin1String(row.text)) << row.text;

    // Every single-precision value survives the file's float form.
    for (float f : {0.1f, 1.0f / 3.0f, 123.456f, -7.5e-8f, 3.4e38f, 1.17549435e-38f})
        EXPECT_EQ(float(*TryStrToFloat(FloatToStr(double(f)))), f) << f;
}

void checkIntegers()
{
    const struct
    {
        const char *text;
        std::optional<int> decimal;         // StrToIntStrict
        std::optional<int> orHex;           // StrToIntOrHex
        std::optional<int> hex;             // HexToInt
        std::optional<std::uint32_t> hex32; // HexToUInt32
    } rows[] = {
        {"12", 12, 12, 0x12, 0x12},
        {" -7 ", -7, -7, {}, {}},
        {"+5", 5, 5, {}, {}},
        {"2147483647", INT_MAX, INT_MAX, {}, {}},
        {"2147483648", {}, {}, {}, {}},
        {"-2147483648", INT_MIN, INT_MIN, {}, {}},
        {"-2147483649", {}, {}, {}, {}},
        {"12a", {}, {}, 0x12a, 0x12a},
        {"", {}, {}, {}, {}},
        {"  ", {}, {}, {}, {}},
        {"+-5", {}, {}, {}, {}},
        {"--5", {}, {}, {}, {}},
        {"1 2", {}, {}, {}, {}},
        {"0x1F", {}, 31, {}, {}},
        {"0X1f", {}, 31, {}, {}},
        {" 0x10 ", {}, 16, {}, {}},
        {"0x", {}, {}, {}, {}},
        {"0x-1", {}, {}, {}, {}},
        {"-0x10", {}, {}, {}, {}},
        {"0x7FFFFFFF", {}, INT_MAX, {}, {}},
        {"0x80000000", {}, {}, {}, {}},
        {"ff", {}, {}, 255, 255},
        {" 7FF ", {}, {}, 0x7FF, 0x7FF},
        {"7FFFFFFF", {}, {}, INT_MAX, 0x7FFFFFFF},
        {"80000000", 80000000, 80000000, {}, 0x80000000u},
        {"G", {}, {}, {}, {}},
        {"1.5", {}, {}, {}, {}},
        {"FFFFFFFF", {}, {}, {}, 0xFFFFFFFFu},
        {"100000000", 100000000, 100000000, {}, {}},
        {"-1", -1, -1, {}, {}},
    };
    for (const auto &row : rows) {
        const QString text = QString::fromLatin1(row.text);
        int out = 4711;
        EXPECT_EQ(StrToIntStrict(text, out), row.decimal.has_value()) << row.text;
        EXPECT_EQ(out, row.decimal.value_or(4711)) << row.text;
        EXPECT_EQ(vcl::StrToIntDef(text, -99), row.decimal.value_or(-99)) << row.text;
        EXPECT_EQ(StrToIntOrHex(text), row.orHex) << row.text;
        EXPECT_EQ(HexToInt(text), row.hex) << row.text;
        EXPECT_EQ(vcl::HexToUInt32(text), row.hex32) << row.text;
    }

    const struct
    {
        double value;
        int result;
    } truncs[] = {
        {2.9, 2},
        {-2.9, -2},
        {2147483647.9, INT_MAX},
        {-2147483648.9, INT_MIN},
        {1e10, INT_MIN},
        {-1e10, INT_MIN},
        {std::numeric_limits<double>::quiet_NaN(), INT_MIN},
    };
    for (const auto &row : truncs)
        EXPECT_EQ(vcl::TruncToInt(row.value), row.result) << row.value;
}

void checkAll()
{
    checkStrToFloatDot();
    checkTryStrToFloat();
    checkFormatting();
    checkIntegers();
}

TEST(Numbers, TablesInCLocale)
{
    checkAll();
}

TEST(Numbers, FormatFixedMatchesPrintfInCLocale)
{
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
    const double values[] = {0.0,   0.05,     0.15,  0.25, 0.35,       1.45,
                             2.675, -3.14159, 99.95, 1e-7, 123456.789, 5e15};
    for (double v : values) {
        for (int width : {0, 3, 9}) {
            for (int decimals : {0, 1, 2, 6}) {
                std::array<char, 128> buf{};
                std::snprintf(buf.data(), buf.size(), "%*.*f", width, decimals, v);
                EXPECT_EQ(FormatFixed(v, width, decimals), QLatin1String(buf.data()))
                    << v << " " << width << " " << decimals;
            }
        }
    }
}

TEST(Numbers, TablesUnderCommaLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const char *names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8"};
    bool commaLocale = false;
    for (const char *name : names) {
        if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') {
            commaLocale = true;
            break;
        }
    }
    if (!commaLocale) {
        std::setlocale(LC_ALL, previous.c_str());
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    // The locale really does change the run-time's own conversions.
    std::array<char, 16> buf{};
    std::snprintf(buf.data(), buf.size(), "%3.1f", 0.5);
    EXPECT_STREQ(buf.data(), "0,5");

    checkAll();
    std::setlocale(LC_ALL, previous.c_str());
}

} // namespace
