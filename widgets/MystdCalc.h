// The expression calculator of the Mystd widget unit: one line of arithmetic
// as a user types it into a pocket calculator, with nine result registers.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <random>

enum TzCalcResult : std::uint8_t {
    TzcOK = 0,
    TzcNumberMissing = 1,
    TzcFunctionMissing = 2,
    TzcLeftPar = 3,
    TzcRightPar = 4,
    TzcDivZero = 5,
    TzcOverFlow = 6,
    TzcFormatError = 7,
};

// Index of a name in the calculator's name table.
// clang-format off
enum FuncFunc : std::uint8_t {
    zA, zB, zC, zD, zF, zG, zH, zI, zJ, zPI, zE,
    zExp, zSin, zCos, zArcTan, zAbs, zFrac, zArcSin, zArcCos, zLN, zLog,
    zSQR, zSQRT, zRound, zTrunc, zCeiling, zFloor, zRandom, zUser,
};
// clang-format on

namespace widgets {

// Free functions of the unit, in extended precision. Outside their ranges
// they give what IEEE arithmetic gives (infinity or NaN); the calculator
// checks its arguments before calling them.
long double ArcSin(long double x);
// The true arc cosine on [-1, 1].
long double ArcCos(long double x);
long double Log10(long double x);
// 0 for 0^0, 1 for x^0, 0 for 0^x with x > 0; a negative base with a
// whole-number exponent keeps the sign the exponent's parity gives.
long double Power(long double base, long double exponent);
long double Root(long double n, long double x);
// False below 2.
bool IsPrime(std::int32_t n);
long double Factorial(std::int32_t n);

} // namespace widgets

// Assigning CalcLine evaluates it at once; every error is reported through
// CalcResult, WhereIsLastError and OnError, never thrown.
//
// Grammar (spaces skipped before every token; the first 254 characters count,
// an empty line reads "0"; text after a complete expression is ignored):
//   expression := ('-' | term) {('+' | '-') term}   a leading '-' starts from 0
//   term       := factor {('*' | '/' | '^') factor} one level, from the left
//   factor     := '(' expression ')' | number | name ['(' expression ')']
//   number     := digits [(',' | '.') digits], at least one digit
//   name       := letter {letter | '_'}, any case, the first 10 count
// Factors are rounded to double, terms and expressions kept in extended
// precision. The first error found is the one reported; an overflow anywhere
// ends the evaluation with TzcOverFlow and the value 0.
//
// Thread contract: none; one thread at a time.
class TzCalc
{
public:
    using TCalcErrorEvent =
        std::function<void(TzCalc &sender, const QString &calcLine, std::uint8_t where)>;
    using TNotifyEvent = std::function<void(TzCalc &sender)>;
    using TFindUserFunc = std::function<bool(TzCalc &sender, const QString &funcName)>;
    using TUserFunc =
        std::function<long double(TzCalc &sender, const QString &funcName, long double funcValue)>;

    TzCalc();

    TFindUserFunc OnFindUserFunc;
    TUserFunc OnUserFunc;
    TCalcErrorEvent OnError;
    TNotifyEvent OnOK;
    bool PushResult = true;

    TzCalcResult CalcResult() const { return FCalcResult; }
    // 1-based place in the line where the parser stopped; a place past the
    // text is the end mark's.
    std::uint8_t WhereIsLastError() const;
    QString CalcLine() const { return FLine; }
    void SetCalcLine(const QString &text);
    QString FormatLine;

    // Formatted with FormatLine, or "%e" when it is empty; a format that does
    // not fit one floating value sets TzcFormatError and gives "".
    QString Number() { return GetNumber(); }
    QString GetNumber();
    // n = 1 (A) to 9 (J).
    QString GetReg(int n);
    long double NumberNum() const { return FNumber; }
    long double RegisterNum(int n) const;
    void SetRegisterNum(int n, long double value);

    QString RegisterA() { return GetReg(1); }
    QString RegisterB() { return GetReg(2); }
    QString RegisterC() { return GetReg(3); }
    QString RegisterD() { return GetReg(4); }
    QString RegisterF() { return GetReg(5); }
    QString RegisterG() { return GetReg(6); }
    QString RegisterH() { return GetReg(7); }
    QString RegisterI() { return GetReg(8); }
    QString RegisterJ() { return GetReg(9); }
    long double RegisterANum() const { return RegisterNum(1); }
    long double RegisterBNum() const { return RegisterNum(2); }
    long double RegisterCNum() const { return RegisterNum(3); }
    long double RegisterDNum() const { return RegisterNum(4); }
    long double RegisterFNum() const { return RegisterNum(5); }
    long double RegisterGNum() const { return RegisterNum(6); }
    long double RegisterHNum() const { return RegisterNum(7); }
    long double RegisterINum() const { return RegisterNum(8); }
    long double RegisterJNum() const { return RegisterNum(9); }
    void SetRegisterANum(long double v) { SetRegisterNum(1, v); }
    void SetRegisterBNum(long double v) { SetRegisterNum(2, v); }
    void SetRegisterCNum(long double v) { SetRegisterNum(3, v); }
    void SetRegisterDNum(long double v) { SetRegisterNum(4, v); }
    void SetRegisterFNum(long double v) { SetRegisterNum(5, v); }
    void SetRegisterGNum(long double v) { SetRegisterNum(6, v); }
    void SetRegisterHNum(long double v) { SetRegisterNum(7, v); }
    void SetRegisterINum(long double v) { SetRegisterNum(8, v); }
    void SetRegisterJNum(long double v) { SetRegisterNum(9, v); }

    // RANDOM draws from this engine; seeding it makes a run repeatable.
    void SeedRandom(std::uint64_t seed) { FRandom.seed(seed); }

private:
    QChar NaesteTegn();
    FuncFunc FuncNr();
    long double Tal();
    long double Parantes();
    long double Faktor();
    long double Led();
    long double Udtryk();

    void fail(TzCalcResult code);
    void consume();
    QChar at(int position) const;
    long double function(FuncFunc f, long double x);
    QString formatted(long double value);

    TzCalcResult FCalcResult = TzcOK;
    QString FLine = QStringLiteral("0"); // without the end mark
    int FPosition = 1;
    long double FNumber = 0;
    std::array<long double, 9> FRegisters{};
    QString FName;
    bool FUserName = false; // FuncNr's zUser came from OnFindUserFunc
    std::mt19937_64 FRandom;
};
