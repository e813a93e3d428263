// The expression calculator on any line: it ends with a result code, stops
// at a place inside the line or at its end, and formats what it holds. User
// functions whose names start with X throw for some arguments, and nothing
// of that may reach the caller.
#include "fuzz/FuzzSupport.h"
#include "widgets/MystdCalc.h"

#include <stdexcept>

using fuzzsupport::check;

namespace {

TzCalc &calculator()
{
    static TzCalc calc;
    static const bool ready = [] {
        calc.OnFindUserFunc = [](TzCalc &, const QString &name) {
            if (name.startsWith(u"XX"))
                throw std::runtime_error("name refused");
            return name.startsWith(u'X');
        };
        calc.OnUserFunc = [](TzCalc &, const QString &, long double x) -> long double {
            if (x > 100)
                throw std::overflow_error("argument too large");
            return x * 2;
        };
        return true;
    }();
    (void)ready;
    return calc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TzCalc &calc = calculator();
    const QString line = QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        calc.SetCalcLine(line);
    } catch (...) {
        fuzzsupport::fail("an evaluation let an exception through");
    }
    const QString held = calc.CalcLine();
    check(calc.WhereIsLastError() <= held.size() + 1, "the stop lies in the line or at its end");
    calc.GetNumber();
    for (int n = 1; n <= 9; ++n)
        calc.GetReg(n);
    return 0;
}
