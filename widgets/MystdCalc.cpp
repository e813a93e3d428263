#include "widgets/MystdCalc.h"

#include "platform/win/Format.h"

#include <cmath>
#include <numbers>

namespace widgets {

long double ArcSin(long double x)
{
    return std::atan(x / std::sqrt(1 - x * x));
}

long double ArcCos(long double x)
{
    if (x == 0)
        return std::numbers::pi_v<long double> / 2;
    const long double a = std::atan(std::sqrt(1 - x * x) / x);
    return x > 0 ? a : a + std::numbers::pi_v<long double>;
}

long double Log10(long double x)
{
    return std::log(x) / std::log(10.0L);
}

long double Power(long double base, long double exponent)
{
    if (exponent == 0)
        return base == 0 ? 0 : 1;
    if (base == 0)
        return exponent > 0 ? 0 : HUGE_VALL;
    const long double magnitude = std::exp(exponent * std::log(std::fabs(base)));
    if (base > 0)
        return magnitude;
    if (std::trunc(exponent) != exponent)
        return NAN;
    return std::fmod(exponent, 2.0L) != 0 ? -magnitude : magnitude;
}

long double Root(long double n, long double x)
{
    return Power(x, 1 / n);
}

bool IsPrime(std::int32_t n)
{
    if (n < 2)
        return false;
    const auto limit = std::int32_t(std::sqrt(double(n)));
    for (std::int32_t d = 2; d <= limit; ++d)
        if (n % d == 0)
            return false;
    return true;
}

long double Factorial(std::int32_t n)
{
    long double f = 1;
    for (std::int32_t i = 2; i <= n; ++i)
        f *= i;
    return f;
}

} // namespace widgets

namespace {

constexpr int MaxLine = 254;
constexpr int NameLength = 10;
constexpr QChar EndMark = u'\r';

const char *const Names[] = {"A",      "B",    "C",     "D",      "F",       "G",     "H",
                             "I",      "J",    "PI",    "E",      "EXP",     "SIN",   "COS",
                             "ARCTAN", "ABS",  "FRAC",  "ARCSIN", "ARCCOS",  "LN",    "LOG",
                             "SQR",    "SQRT", "ROUND", "TRUNC",  "CEILING", "FLOOR", "RANDOM"};

// Thrown where the class library raised a floating-point error; caught
// around the whole evaluation.
struct Overflow
{
};

long double checked(long double v)
{
    if (!std::isfinite(v))
        throw Overflow{};
    return v;
}

bool isLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Whether x converts to a 64-bit integer.
bool fitsInt64(long double x)
{
    return x >= -9223372036854775808.0L && x < 9223372036854775808.0L;
}

} // namespace

TzCalc::TzCalc() : FRandom(std::random_device{}()) {}

std::uint8_t TzCalc::WhereIsLastError() const
{
    return std::uint8_t(std::min(FPosition, int(FLine.size()) + 1));
}

QChar TzCalc::at(int position) const
{
    return position >= 1 && position <= FLine.size() ? FLine[position - 1] : EndMark;
}

void TzCalc::consume()
{
    // The end mark may be consumed, but the position never moves past it.
    FPosition = std::min(FPosition + 1, int(FLine.size()) + 1);
}

void TzCalc::fail(TzCalcResult code)
{
    // Each failed check sets its own code, so a check made after an earlier
    // error (a division by the missing number, a parenthesis that a broken
    // argument left unclosed) is the one reported.
    FCalcResult = code;
}

QChar TzCalc::NaesteTegn()
{
    while (at(FPosition) == u' ')
        consume();
    return at(FPosition);
}

FuncFunc TzCalc::FuncNr()
{
    FName.clear();
    while (isLetter(at(FPosition)) || at(FPosition) == u'_') {
        if (FName.size() < NameLength)
            FName += at(FPosition).toUpper();
        consume();
    }
    for (int i = 0; i < int(std::size(Names)); ++i)
        if (FName == QLatin1StringView(Names[i]))
            return FuncFunc(i);
    FUserName = OnFindUserFunc && OnFindUserFunc(*this, FName);
    if (!FUserName)
        fail(TzcFunctionMissing);
    return zUser;
}

long double TzCalc::Tal()
{
    const int start = FPosition;
    long double value = 0;
    bool anyDigit = false;
    while (isDigit(at(FPosition))) {
        value = value * 10 + (at(FPosition).unicode() - '0');
        anyDigit = true;
        consume();
    }
    if (at(FPosition) == u',' || at(FPosition) == u'.') {
        consume();
        long double scale = 0.1L;
        while (isDigit(at(FPosition))) {
            value += scale * (at(FPosition).unicode() - '0');
            scale /= 10;
            anyDigit = true;
            consume();
        }
    }
    if (!anyDigit) {
        FPosition = start;
        fail(TzcNumberMissing);
        return 0;
    }
    return value;
}

long double TzCalc::Parantes()
{
    long double value = 0;
    const bool open = NaesteTegn() == u'(';
    consume();
    if (!open) {
        fail(TzcLeftPar);
        return value;
    }
    if (FCalcResult == TzcOK) {
        value = Udtryk();
        if (NaesteTegn() != u')')
            fail(TzcRightPar);
        consume();
    }
    return value;
}

long double TzCalc::function(FuncFunc f, long double x)
{
    const auto domain = [this] {
        fail(TzcDivZero);
        return 0.0L;
    };
    // A whole number is never a negative zero: TRUNC(0-0.5) is 0, not -0.
    const auto integral = [this](long double v) {
        if (fitsInt64(v))
            return v == 0 ? 0.0L : v;
        fail(TzcOverFlow);
        return 0.0L;
    };
    switch (f) {
    case zExp:
        return std::exp(x);
    case zSin:
        return std::sin(x);
    case zCos:
        return std::cos(x);
    case zArcTan:
        return std::atan(x);
    case zAbs:
        return std::fabs(x);
    case zFrac:
        return x - std::trunc(x);
    case zArcSin:
        return x > -1 && x < 1 ? widgets::ArcSin(x) : domain();
    case zArcCos:
        return x > -1 && x < 1 ? widgets::ArcCos(x) : domain();
    case zLN:
        return x > 0 ? std::log(x) : domain();
    case zLog:
        return x > 0 ? widgets::Log10(x) : domain();
    case zSQR:
        return x * x;
    case zSQRT:
        return x >= 0 ? std::sqrt(x) : domain();
    case zRound:
        return integral(std::nearbyint(x));
    case zTrunc:
        return integral(std::trunc(x));
    case zCeiling:
        if (!fitsInt64(x))
            return integral(x);
        return std::trunc(x) + (x - std::trunc(x) > 0 ? 1 : 0);
    case zFloor:
        return integral(std::trunc(x - std::trunc(x) < 0 ? x - 1 : x));
    case zRandom: {
        if (x == 0)
            return std::uniform_real_distribution<long double>(0, 1)(FRandom);
        const long double n = std::nearbyint(x);
        if (!fitsInt64(n))
            return integral(n);
        if (n < 1)
            return 0; // an empty range draws nothing
        return static_cast<long double>(
            std::uniform_int_distribution<std::int64_t>(0, std::int64_t(n) - 1)(FRandom));
    }
    case zUser:
        return OnUserFunc ? OnUserFunc(*this, FName, x) : x;
    default:
        return x;
    }
}

long double TzCalc::Faktor()
{
    long double value = 0;
    const QChar c = NaesteTegn().toUpper();
    if (c == u'(') {
        value = Parantes();
    } else if (!(c.unicode() >= 'A' && c.unicode() <= 'Z')) {
        value = Tal();
    } else {
        const FuncFunc f = FuncNr();
        if (f <= zJ) {
            value = FRegisters[f];
        } else if (f == zPI) {
            value = 3.141592653589793;
        } else if (f == zE) {
            value = std::exp(1.0L);
        } else if (f == zUser && !FUserName) {
            value = 0; // an unknown name takes no argument
        } else {
            const long double x = Parantes();
            value = checked(function(f, x));
        }
    }
    return checked(double(checked(value)));
}

long double TzCalc::Led()
{
    long double value = Faktor();
    for (QChar c = NaesteTegn(); FCalcResult == TzcOK && (c == u'*' || c == u'/' || c == u'^');
         c = NaesteTegn()) {
        consume();
        const long double f = Faktor();
        if (c == u'*') {
            value = checked(value * f);
        } else if (c == u'/') {
            if (f == 0)
                fail(TzcDivZero);
            else
                value = checked(value / f);
        } else if (value == 0 && f < 0) {
            fail(TzcDivZero);
        } else if (value < 0 && std::trunc(f) != f) {
            fail(TzcDivZero);
            value = 0;
        } else {
            value = checked(widgets::Power(value, f));
        }
    }
    return value;
}

long double TzCalc::Udtryk()
{
    long double value = NaesteTegn() == u'-' ? 0 : Led();
    for (QChar c = NaesteTegn(); FCalcResult == TzcOK && (c == u'+' || c == u'-');
         c = NaesteTegn()) {
        consume();
        const long double t = Led();
        value = checked(c == u'+' ? value + t : value - t);
    }
    return value;
}

void TzCalc::SetCalcLine(const QString &text)
{
    FLine = text.isEmpty() ? QStringLiteral("0") : text.left(MaxLine);
    FCalcResult = TzcOK;
    FPosition = 1;
    long double value = 0;
    // A user function's event may throw as well: whatever the evaluation
    // raises ends it as an overflow, so the result is still pushed and
    // OnError still told.
    try {
        value = Udtryk();
    } catch (...) {
        FCalcResult = TzcOverFlow;
        value = 0;
    }
    if (PushResult) {
        for (std::size_t i = FRegisters.size() - 1; i > 0; --i)
            FRegisters[i] = FRegisters[i - 1];
        FRegisters[0] = value;
    }
    FNumber = value;
    if (FCalcResult != TzcOK) {
        if (OnError)
            OnError(*this, FLine, WhereIsLastError());
    } else if (OnOK) {
        OnOK(*this);
    }
}

QString TzCalc::formatted(long double value)
{
    const auto text =
        win::Format(FormatLine.isEmpty() ? QStringLiteral("%e") : FormatLine, {value});
    if (!text) {
        FCalcResult = TzcFormatError;
        return {};
    }
    return *text;
}

QString TzCalc::GetNumber()
{
    return formatted(FNumber);
}

QString TzCalc::GetReg(int n)
{
    return n >= 1 && n <= 9 ? formatted(FRegisters[std::size_t(n - 1)]) : QString();
}

long double TzCalc::RegisterNum(int n) const
{
    return n >= 1 && n <= 9 ? FRegisters[std::size_t(n - 1)] : 0;
}

void TzCalc::SetRegisterNum(int n, long double value)
{
    if (n >= 1 && n <= 9)
        FRegisters[std::size_t(n - 1)] = value;
}
