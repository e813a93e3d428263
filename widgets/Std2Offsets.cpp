#include "widgets/Std2Offsets.h"

void TzcBmpOffset::Changed()
{
    if (OnChange)
        OnChange();
}

void TzcBmpOffset::SetLeft(int value)
{
    FLeft = value;
    Changed();
}

void TzcBmpOffset::SetTop(int value)
{
    FTop = value;
    Changed();
}

void TzcBmpOffset::Assign(const TzcBmpOffset &source)
{
    FLeft = source.FLeft;
    FTop = source.FTop;
    Changed();
}

void TzcTextSize::Changed()
{
    if (OnChange)
        OnChange();
}

void TzcTextSize::SetLeft(int value)
{
    FLeft = value;
    Changed();
}

void TzcTextSize::SetTop(int value)
{
    FTop = value;
    Changed();
}

void TzcTextSize::SetWidth(int value)
{
    FWidth = value;
    Changed();
}

void TzcTextSize::SetHeight(int value)
{
    FHeight = value;
    Changed();
}

void TzcTextSize::Assign(const TzcTextSize &source)
{
    FWidth = source.FWidth;
    FHeight = source.FHeight;
    FTop = source.FTop;
    FLeft = source.FLeft;
    Changed();
}
