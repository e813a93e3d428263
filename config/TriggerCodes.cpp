#include "config/TriggerCodes.h"

namespace {

constexpr int FirstInputIndex = 2;
constexpr int CodeIndexOffset = 12; // codes 1..66 sit at their value + 12

int inputIndexOf(TriggerCode code)
{
    for (std::size_t k = 0; k < InputTriggerCodes.size(); ++k)
        if (InputTriggerCodes[k] == code)
            return static_cast<int>(k);
    return -1;
}

} // namespace

int TriggerCodeToListIndex(TriggerCode code)
{
    if (code == TriggerPlus30)
        return 1;
    if (const int k = inputIndexOf(code); k >= 0)
        return FirstInputIndex + k;
    if (code >= TriggerFirstCanInput && code <= TriggerLastSequenceStep)
        return code + CodeIndexOffset;
    return 0;
}

int TriggerCodeToShortListIndex(TriggerCode code)
{
    const int index = TriggerCodeToListIndex(code);
    return index < ShortTriggerListCount ? index : 0;
}

TriggerCode ListIndexToTriggerCode(int index)
{
    if (index <= 0)
        return TriggerNone;
    if (index == 1 || index >= FullTriggerListCount)
        return TriggerPlus30;
    if (index < FirstInputIndex + static_cast<int>(InputTriggerCodes.size()))
        return InputTriggerCodes[static_cast<std::size_t>(index - FirstInputIndex)];
    return static_cast<TriggerCode>(index - CodeIndexOffset);
}

TriggerCode ShortListIndexToTriggerCode(int index)
{
    if (index >= ShortTriggerListCount)
        return TriggerPlus30;
    return ListIndexToTriggerCode(index);
}

TriggerCode InputPinIndexToTriggerCode(int index)
{
    if (index < 0 || index >= static_cast<int>(InputTriggerCodes.size()))
        return InputTriggerCodes[0];
    return InputTriggerCodes[static_cast<std::size_t>(index)];
}

int TriggerCodeToInputPinIndex(TriggerCode code)
{
    const int k = inputIndexOf(code);
    return k < 0 ? 0 : k;
}
