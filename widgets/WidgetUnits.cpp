#include "widgets/WidgetUnits.h"

#include "widgets/MystdProbe.h"
#include "widgets/Std2CompCanvas.h"
#include "widgets/ZhelperVersion.h"

namespace widgets {

TWidgetUnits::TWidgetUnits()
{
    Zhelper::initialization();
    Std2::initialization();
    Mystd::initialization();
}

TWidgetUnits::~TWidgetUnits()
{
    Mystd::Finalization();
    Std2::Finalization();
    Zhelper::Finalization();
}

} // namespace widgets
