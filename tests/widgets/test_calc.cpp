// The expression calculator: a table of lines, registers and events, and
// thousands of generated lines against a small reference evaluator of the
// same grammar written here.
#include "widgets/MystdCalc.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cmath>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

struct LineCase
{
    const char *line;
    TzCalcResult code;
    long double value;
    int where; // 0: not checked
};

// Rows from the calculator's documented examples, then the repaired faults.
const LineCase lineCases[] = {
    {"", TzcOK, 0, 0},
    {"-2^2", TzcOK, -4, 0},
    {"(-3)", TzcOK, -3, 0},
    {"2*-3", TzcNumberMissing, 0, 3},
    {"+2", TzcNumberMissing, 0, 1},
    {"1,5+.5", TzcOK, 2, 0},
    {".", TzcNumberMissing, 0, 1},
    {"2 3", TzcOK, 2, 0},
    {"A1", TzcOK, 0, 0},
    {"2*3^2", TzcOK, 36, 0},
    {"2^3^2", TzcOK, 64, 0},
    {"10-2-3", TzcOK, 5, 0},
    {"sin(0)", TzcOK, 0, 0},
    {"SIN(0)", TzcOK, 0, 0},
    {"  sqrt ( 16 ) * 2", TzcOK, 8, 0},
    {"SIN 0", TzcLeftPar, 0, 6},
    {"SIN(0", TzcRightPar, 0, 6},
    {"XYZ(1)", TzcFunctionMissing, 0, 4},
    {"abcdefghijklm", TzcFunctionMissing, 0, 14},
    {"1/0", TzcDivZero, 1, 4},
    {"5+1/0", TzcDivZero, 6, 6},
    // A check made after an error sets its own code: the missing number
    // divides by 0, a broken argument leaves its parenthesis open, and a
    // function still checks the argument it got.
    {"1/", TzcDivZero, 1, 3},
    {"1/XYZ", TzcDivZero, 1, 6},
    {"LN 5", TzcDivZero, 0, 5},
    {"SQRT(0-1", TzcDivZero, 0, 9},
    {"(2*-3)", TzcRightPar, 0, 5},
    {"(1/0", TzcRightPar, 1, 5},
    {"LN(0)", TzcDivZero, 0, 0},
    {"SQRT(0-1)", TzcDivZero, 0, 0},
    {"ARCSIN(1)", TzcDivZero, 0, 0},
    {"0^0", TzcOK, 0, 0},
    {"7^0", TzcOK, 1, 0},
    {"0^2", TzcOK, 0, 0},
    {"ROUND(2,5)+ROUND(3.5)", TzcOK, 6, 0},
    {"TRUNC(0-2.7)", TzcOK, -2, 0},
    {"CEILING(2.1)+FLOOR(0-2.1)", TzcOK, 0, 0},
    {"FRAC(0-2.25)", TzcOK, -0.25L, 0},
    {"ROUND(10^19)", TzcOverFlow, 0, 0},
    {"10^400", TzcOK, 1e400L, 0},
    {"(10^400)", TzcOverFlow, 0, 0},
    {"EXP(1000)", TzcOverFlow, 0, 0},
    {"10^5000", TzcOverFlow, 0, 0},
    // Repaired: a negative base keeps its sign for whole exponents, a
    // fractional one is a domain error, 0 to a negative power divides by 0.
    {"(0-2)^3", TzcOK, -8, 0},
    {"(0-2)^2", TzcOK, 4, 0},
    {"(0-2)^0.5", TzcDivZero, 0, 0},
    {"0^(0-1)", TzcDivZero, 0, 0},
    // Repaired: the arc cosine of 0 and of negative values.
    {"ARCCOS(0)", TzcOK, 1.5707963267948966L, 0},
    {"ARCCOS(0-0.5)", TzcOK, 2.0943951023931957L, 0},
    {"ARCCOS(0.5)", TzcOK, 1.0471975511965979L, 0},
    // An empty RANDOM range draws nothing: 0, no error.
    {"RANDOM(0.3)", TzcOK, 0, 0},
    {"RANDOM(0-5)", TzcOK, 0, 0},
    {"RANDOM(0.5)+1", TzcOK, 1, 0},
    {"RANDOM(10^30)", TzcOverFlow, 0, 0},
};

TEST(Calc, Lines)
{
    for (const LineCase &c : lineCases) {
        SCOPED_TRACE(c.line);
        TzCalc calc;
        calc.SetCalcLine(QString::fromLatin1(c.line));
        EXPECT_EQ(calc.CalcResult(), c.code);
        EXPECT_LE(std::fabs(calc.NumberNum() - c.value), 1e-15L * std::fabs(c.value))
            << double(calc.NumberNum() / (c.value == 0 ? 1 : c.value));
        if (c.where) {
            EXPECT_EQ(calc.WhereIsLastError(), c.where);
        }
    }
}

// Whole-number functions whose result is zero give a plain zero, never a
// negative one, whatever the sign of the argument.
TEST(Calc, WholeNumbersAreNeverNegativeZero)
{
    const char *const lines[] = {
        "TRUNC(0-0.5)",   "TRUNC(0*(0-1))",   "ROUND(0-0.4)",   "ROUND(0-0,5)", "ROUND(0*(0-1))",
        "CEILING(0-0.5)", "CEILING(0*(0-1))", "FLOOR(0*(0-1))", "FLOOR(0.5)",   "TRUNC(0.25)",
    };
    for (const char *line : lines) {
        SCOPED_TRACE(line);
        TzCalc calc;
        calc.SetCalcLine(QString::fromLatin1(line));
        EXPECT_EQ(calc.CalcResult(), TzcOK);
        EXPECT_EQ(calc.NumberNum(), 0);
        EXPECT_FALSE(std::signbit(calc.NumberNum()));
        EXPECT_EQ(calc.Number(), QStringLiteral("0.00000000000000E+000"));
    }
}

TEST(Calc, LongLinesAreCutAndNeverReadPastTheirEnd)
{
    TzCalc calc;
    calc.SetCalcLine(QString(260, u'1') + QStringLiteral("+5"));
    EXPECT_EQ(calc.CalcLine().size(), 254);
    EXPECT_EQ(calc.CalcResult(), TzcOK);
    EXPECT_NEAR(double(calc.NumberNum() / 1e253L), 1.1111111111, 1e-9);

    const QString line = QStringLiteral("1") + QString(247, u' ') + QStringLiteral("+SIN(0");
    ASSERT_EQ(line.size(), 254);
    calc.SetCalcLine(line);
    EXPECT_EQ(calc.CalcResult(), TzcRightPar);
    EXPECT_EQ(calc.WhereIsLastError(), 255);

    calc.SetCalcLine(QString(249, u' ') + QStringLiteral("(1+(2"));
    EXPECT_EQ(calc.CalcResult(), TzcRightPar);
    EXPECT_EQ(calc.WhereIsLastError(), 255);
    EXPECT_EQ(calc.NumberNum(), 3);
}

TEST(Calc, RegistersPushEveryResult)
{
    TzCalc calc;
    for (const char *line : {"1", "2", "3"})
        calc.SetCalcLine(QString::fromLatin1(line));
    EXPECT_EQ(calc.RegisterANum(), 3);
    EXPECT_EQ(calc.RegisterBNum(), 2);
    EXPECT_EQ(calc.RegisterCNum(), 1);
    calc.SetCalcLine(QStringLiteral("1/0"));
    EXPECT_EQ(calc.RegisterANum(), 1);
    EXPECT_EQ(calc.RegisterBNum(), 3);
    calc.SetCalcLine(QStringLiteral("EXP(99999)")); // an overflow stores 0
    EXPECT_EQ(calc.RegisterANum(), 0);
    EXPECT_EQ(calc.NumberNum(), 0);

    for (int i = 1; i <= 12; ++i)
        calc.SetCalcLine(QString::number(i));
    EXPECT_EQ(calc.RegisterJNum(), 4); // the ninth is the oldest kept

    calc.PushResult = false;
    calc.SetCalcLine(QStringLiteral("99"));
    EXPECT_EQ(calc.RegisterANum(), 12);
    calc.SetRegisterANum(7);
    calc.SetRegisterJNum(1.5L);
    calc.SetCalcLine(QStringLiteral("a*2+j"));
    EXPECT_EQ(calc.NumberNum(), 15.5L);
}

TEST(Calc, EventsAndUserFunctions)
{
    TzCalc calc;
    QString errorLine;
    int where = -1, oks = 0;
    calc.OnError = [&](TzCalc &, const QString &line, std::uint8_t w) {
        errorLine = line;
        where = w;
    };
    calc.OnOK = [&](TzCalc &) { ++oks; };
    calc.SetCalcLine(QStringLiteral("SIN(0"));
    EXPECT_EQ(errorLine, QStringLiteral("SIN(0"));
    EXPECT_EQ(where, 6);
    EXPECT_EQ(oks, 0);
    calc.SetCalcLine(QStringLiteral("1"));
    EXPECT_EQ(oks, 1);

    QStringList asked;
    calc.OnFindUserFunc = [&](TzCalc &, const QString &name) {
        asked << name;
        return name.startsWith(u'X');
    };
    calc.SetCalcLine(QStringLiteral("xyz(4)"));
    EXPECT_EQ(calc.CalcResult(), TzcOK);
    EXPECT_EQ(calc.NumberNum(), 4);
    calc.OnUserFunc = [](TzCalc &, const QString &name, long double x) {
        return name == QStringLiteral("XLONGNAMEA") ? x * 10 : -1;
    };
    calc.SetCalcLine(QStringLiteral("XLongNameAbc(3)+1"));
    EXPECT_EQ(calc.NumberNum(), 31);
    EXPECT_EQ(asked.last(), QStringLiteral("XLONGNAMEA"));
    calc.SetCalcLine(QStringLiteral("QQ(2)"));
    EXPECT_EQ(calc.CalcResult(), TzcFunctionMissing);
    EXPECT_EQ(calc.WhereIsLastError(), 3); // just after the name; no argument read
}

// Whatever a user function's events throw ends the evaluation as an
// overflow: nothing reaches the caller, the value 0 is pushed and stored,
// and OnError hears of it.
TEST(Calc, ThrowingUserFunctionsEndAsOverflow)
{
    const struct
    {
        const char *what;
        bool throwInFind;
        std::function<void()> raise;
    } rows[] = {
        {"OnUserFunc, std::exception", false, [] { throw std::runtime_error("bad"); }},
        {"OnUserFunc, any value", false, [] { throw 42; }},
        {"OnFindUserFunc, std::exception", true, [] { throw std::out_of_range("bad"); }},
        {"OnFindUserFunc, any value", true, [] { throw QStringLiteral("bad"); }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        TzCalc calc;
        calc.SetCalcLine(QStringLiteral("7"));
        int errors = 0, oks = 0;
        calc.OnError = [&](TzCalc &, const QString &, std::uint8_t) { ++errors; };
        calc.OnOK = [&](TzCalc &) { ++oks; };
        calc.OnFindUserFunc = [&](TzCalc &, const QString &) {
            if (row.throwInFind)
                row.raise();
            return true;
        };
        calc.OnUserFunc = [&](TzCalc &, const QString &, long double x) {
            row.raise();
            return x;
        };
        EXPECT_NO_THROW(calc.SetCalcLine(QStringLiteral("2+XYZ(3)")));
        EXPECT_EQ(calc.CalcLine(), QStringLiteral("2+XYZ(3)"));
        EXPECT_EQ(calc.CalcResult(), TzcOverFlow);
        EXPECT_EQ(calc.NumberNum(), 0);
        EXPECT_EQ(calc.RegisterANum(), 0);
        EXPECT_EQ(calc.RegisterBNum(), 7);
        EXPECT_EQ(errors, 1);
        EXPECT_EQ(oks, 0);
    }
}

TEST(Calc, TextResultsUseTheCheckedFormat)
{
    TzCalc calc;
    calc.SetCalcLine(QStringLiteral("PI"));
    EXPECT_EQ(calc.Number(), QStringLiteral("3.14159265358979E+000"));
    calc.FormatLine = QStringLiteral("%.3f");
    EXPECT_EQ(calc.Number(), QStringLiteral("3.142"));
    EXPECT_EQ(calc.RegisterA(), QStringLiteral("3.142"));
    EXPECT_EQ(calc.CalcResult(), TzcOK);
    for (const char *bad : {"%d", "%s", "%n%n", "%f %f", "%p", "%", "%\u00e4", "%\u0145"}) {
        calc.SetCalcLine(QStringLiteral("1"));
        calc.FormatLine = QString::fromUtf8(bad);
        EXPECT_EQ(calc.Number(), QString()) << bad;
        EXPECT_EQ(calc.CalcResult(), TzcFormatError) << bad;
    }
}

TEST(Calc, RandomStaysInItsRange)
{
    TzCalc calc;
    calc.SeedRandom(7);
    for (int i = 0; i < 200; ++i) {
        calc.SetCalcLine(QStringLiteral("RANDOM(10)"));
        ASSERT_EQ(calc.CalcResult(), TzcOK);
        const long double v = calc.NumberNum();
        EXPECT_TRUE(v >= 0 && v <= 9 && v == std::trunc(v)) << double(v);
        calc.SetCalcLine(QStringLiteral("RANDOM(0)"));
        EXPECT_TRUE(calc.NumberNum() >= 0 && calc.NumberNum() < 1);
    }
}

TEST(Calc, FreeFunctions)
{
    using namespace widgets;
    EXPECT_FALSE(IsPrime(-7));
    EXPECT_FALSE(IsPrime(0));
    EXPECT_FALSE(IsPrime(1));
    EXPECT_TRUE(IsPrime(2));
    EXPECT_TRUE(IsPrime(97));
    EXPECT_FALSE(IsPrime(91));
    EXPECT_TRUE(IsPrime(2147483647));
    EXPECT_EQ(Factorial(0), 1);
    EXPECT_EQ(Factorial(10), 3628800);
    EXPECT_TRUE(std::isinf(Factorial(1755)));
    EXPECT_NEAR(double(Root(3, 27)), 3, 1e-15);
    EXPECT_NEAR(double(ArcCos(-1)), std::numbers::pi, 1e-15);
    EXPECT_NEAR(double(Log10(1000)), 3, 1e-15);
    EXPECT_NEAR(double(Power(-3, 3)), -27, 1e-12);
    EXPECT_TRUE(std::isnan(Power(-3, 0.5L)));
}

// The reference: the same grammar written again, as plainly as possible.
struct Reference
{
    std::string s;
    std::size_t p = 0; // 0-based
    int code = 0;
    long double reg[9] = {};

    struct Over
    {
    };
    static long double fin(long double v)
    {
        if (!std::isfinite(v))
            throw Over{};
        return v;
    }
    char peek()
    {
        while (p < s.size() && s[p] == ' ')
            ++p;
        return p < s.size() ? s[p] : '\r';
    }
    void next() { p = std::min(p + 1, s.size()); }
    void err(int c) { code = c; }
    static bool whole(long double v)
    {
        return v >= -9223372036854775808.0L && v < 9223372036854775808.0L;
    }

    long double paren()
    {
        if (peek() != '(') {
            next();
            err(3);
            return 0;
        }
        next();
        long double v = expr();
        if (peek() != ')')
            err(4);
        next();
        return v;
    }
    long double func(const std::string &n, long double x)
    {
        if (n == "EXP")
            return std::exp(x);
        if (n == "SIN")
            return std::sin(x);
        if (n == "COS")
            return std::cos(x);
        if (n == "ARCTAN")
            return std::atan(x);
        if (n == "ABS")
            return std::fabs(x);
        if (n == "FRAC")
            return std::fmod(x, 1.0L);
        if (n == "SQR")
            return x * x;
        if (n == "ARCSIN" && std::fabs(x) < 1)
            return std::atan(x / std::sqrt(1 - x * x));
        if (n == "ARCCOS" && std::fabs(x) < 1)
            return std::acos(x);
        if (n == "LN" && x > 0)
            return std::log(x);
        if (n == "LOG" && x > 0)
            return std::log(x) / std::log(10.0L);
        if (n == "SQRT" && x >= 0)
            return std::sqrt(x);
        const long double r = n == "ROUND"     ? std::nearbyint(x)
                              : n == "TRUNC"   ? std::trunc(x)
                              : n == "CEILING" ? std::ceil(x)
                              : n == "FLOOR"   ? std::floor(x)
                                               : NAN;
        if (!std::isnan(r)) {
            if (whole(n == "CEILING" ? x : r))
                return r;
            err(6);
            return 0;
        }
        err(5);
        return 0;
    }
    long double factor()
    {
        long double v = 0;
        const char c = char(std::toupper(static_cast<unsigned char>(peek())));
        if (c == '(') {
            v = paren();
        } else if (c < 'A' || c > 'Z') {
            const std::size_t start = p;
            std::string digits;
            while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p])))
                digits += s[p++];
            if (p < s.size() && (s[p] == '.' || s[p] == ',')) {
                ++p;
                long double scale = 0.1L;
                v = 0;
                for (char d : digits)
                    v = v * 10 + (d - '0');
                bool frac = false;
                while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p]))) {
                    v += scale * (s[p++] - '0');
                    scale /= 10;
                    frac = true;
                }
                if (digits.empty() && !frac) {
                    p = start;
                    err(1);
                }
            } else if (digits.empty()) {
                err(1);
            } else {
                for (char d : digits)
                    v = v * 10 + (d - '0');
            }
        } else {
            std::string n;
            while (p < s.size() &&
                   (std::isalpha(static_cast<unsigned char>(s[p])) || s[p] == '_')) {
                if (n.size() < 10)
                    n += char(std::toupper(static_cast<unsigned char>(s[p])));
                ++p;
            }
            const std::string regs = "ABCDFGHIJ";
            if (n.size() == 1 && regs.find(n[0]) != std::string::npos)
                v = reg[regs.find(n[0])];
            else if (n == "PI")
                v = 3.141592653589793;
            else if (n == "E")
                v = std::exp(1.0L);
            else if (n == "EXP" || n == "SIN" || n == "COS" || n == "ARCTAN" || n == "ABS" ||
                     n == "FRAC" || n == "ARCSIN" || n == "ARCCOS" || n == "LN" || n == "LOG" ||
                     n == "SQR" || n == "SQRT" || n == "ROUND" || n == "TRUNC" || n == "CEILING" ||
                     n == "FLOOR")
                v = fin(func(n, paren()));
            else
                err(2);
        }
        return fin(double(fin(v)));
    }
    long double term()
    {
        long double v = factor();
        for (char c = peek(); !code && (c == '*' || c == '/' || c == '^'); c = peek()) {
            next();
            const long double f = factor();
            if (c == '*')
                v = fin(v * f);
            else if (c == '/' && f == 0)
                err(5);
            else if (c == '/')
                v = fin(v / f);
            else if (f == 0)
                v = v == 0 ? 0 : 1;
            else if (v == 0)
                f < 0 ? err(5) : void();
            else if (v < 0 && f != std::trunc(f))
                err(5), v = 0;
            else // the calculator's power: exp(f ln |v|), signed by f's parity
                v = fin((v < 0 && std::fmod(f, 2.0L) != 0 ? -1 : 1) *
                        std::exp(f * std::log(std::fabs(v))));
        }
        return v;
    }
    long double expr()
    {
        long double v = peek() == '-' ? 0 : term();
        for (char c = peek(); !code && (c == '+' || c == '-'); c = peek()) {
            next();
            const long double t = term();
            v = fin(c == '+' ? v + t : v - t);
        }
        return v;
    }
    // Code, value, 1-based stop position.
    std::tuple<int, long double, int> run(const std::string &line)
    {
        s = line.empty() ? "0" : line.substr(0, 254);
        p = 0;
        code = 0;
        long double v = 0;
        try {
            v = expr();
        } catch (Over) {
            code = 6;
            v = 0;
        }
        for (int i = 8; i > 0; --i)
            reg[i] = reg[i - 1];
        reg[0] = v;
        return {code, v, int(p) + 1};
    }
};

struct Generator
{
    std::mt19937 rng;
    int pick(int n) { return int(rng() % unsigned(n)); }
    std::string spaces() { return pick(4) == 0 ? std::string(std::size_t(pick(3) + 1), ' ') : ""; }
    std::string cased(std::string n)
    {
        for (char &c : n)
            if (pick(2))
                c = char(std::tolower(static_cast<unsigned char>(c)));
        return n;
    }
    std::string number()
    {
        std::string n = std::to_string(pick(4) == 0 ? pick(100000) : pick(20));
        if (pick(3) == 0)
            n += std::string(pick(2) ? "." : ",") + std::to_string(pick(1000));
        if (pick(25) == 0) {
            // Appended, not added: GCC 12 at -O3 warns wrongly about "," + string.
            const char first = n.front();
            n = pick(2) ? "." : ",";
            if (n == ",")
                n += first;
        }
        return n;
    }
    std::string factor(int depth)
    {
        static const char *funcs[] = {"EXP",    "SIN",    "COS",     "ARCTAN", "ABS", "FRAC",
                                      "ARCSIN", "ARCCOS", "LN",      "LOG",    "SQR", "SQRT",
                                      "ROUND",  "TRUNC",  "CEILING", "FLOOR"};
        static const char *names[] = {"A", "B", "C", "D", "F", "G", "H", "I", "J", "PI", "E"};
        const int k = depth > 3 ? pick(2) : pick(10);
        if (k == 0)
            return number();
        if (k == 1)
            return cased(names[pick(11)]);
        if (k == 2 && pick(8) == 0)
            return cased("Q_X");
        if (k <= 4)
            return spaces() + "(" + expr(depth + 1) + (pick(20) ? ")" : "");
        if (k <= 6)
            return cased(funcs[pick(16)]) + spaces() + (pick(30) ? "(" : "") + expr(depth + 1) +
                   (pick(20) ? ")" : "");
        return number();
    }
    std::string term(int depth)
    {
        std::string t = factor(depth);
        for (int n = pick(3); n > 0; --n)
            t += spaces() + "*/^"[pick(3)] + spaces() + factor(depth);
        return t;
    }
    std::string expr(int depth)
    {
        std::string e = (pick(5) == 0 ? "-" : "") + term(depth);
        for (int n = pick(3); n > 0; --n)
            e += spaces() + "+-"[pick(2)] + spaces() + term(depth);
        if (pick(40) == 0)
            e += "+";
        return e;
    }
};

TEST(Calc, AgreesWithTheReferenceOnGeneratedLines)
{
    Generator gen{std::mt19937(20261207)};
    Reference ref;
    TzCalc calc;
    int errors = 0, overflows = 0;
    for (int i = 0; i < 6000; ++i) {
        const std::string line = gen.expr(0);
        const auto [code, value, where] = ref.run(line);
        calc.SetCalcLine(QString::fromStdString(line));
        SCOPED_TRACE(line);
        ASSERT_EQ(int(calc.CalcResult()), code);
        ASSERT_EQ(calc.WhereIsLastError(), where);
        const long double got = calc.NumberNum();
        ASSERT_LE(std::fabs(double(got - value)), 1e-9 * std::max(1.0L, std::fabs(value)));
        errors += code != 0;
        overflows += code == 6;
    }
    // The generator reaches both valid and faulty lines in fair numbers.
    EXPECT_GT(errors, 600);
    EXPECT_LT(errors, 5400);
    EXPECT_GT(overflows, 5);
}

} // namespace
