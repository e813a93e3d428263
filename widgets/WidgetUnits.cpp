#include "widgets/WidgetUnits.h"

#include "widgets/MystdProbe.h"
#include "widgets/ZhelperVersion.h"

namespace widgets {

TWidgetUnits::TWidgetUnits()
{
    Zhelper::initialization();
    Mystd::initialization();
}

TWidgetUnits::~TWidgetUnits()
{
    Mystd::Finalization();
    Zhelper::Finalization();
}

} // namespace widgets
