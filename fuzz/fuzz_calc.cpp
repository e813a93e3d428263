// The expression calculator on any line: it ends with a result code, stops
// at a place inside the line or at its end, and formats what it holds.
#include "fuzz/FuzzSupport.h"
#include "widgets/MystdCalc.h"

using fuzzsupport::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static TzCalc calc;
    const QString line = QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    calc.SetCalcLine(line);
    const QString held = calc.CalcLine();
    check(calc.WhereIsLastError() <= held.size() + 1, "the stop lies in the line or at its end");
    calc.GetNumber();
    for (int n = 1; n <= 9; ++n)
        calc.GetReg(n);
    return 0;
}
