// Start-up and shut-down of the widget units, run once by the program entry
// before it creates any window and after its message loop has ended.
#pragma once

namespace widgets {

// Runs the units' start-up in its constructor (Zhelper reads the system
// version, Std2 builds its pattern bitmap, Mystd probes the processor for
// about a second) and their shut-down in reverse order in its destructor.
// Test programs never create one, so they do not wait for the probe.
class TWidgetUnits
{
public:
    TWidgetUnits();
    ~TWidgetUnits();
    TWidgetUnits(const TWidgetUnits &) = delete;
    TWidgetUnits &operator=(const TWidgetUnits &) = delete;
};

} // namespace widgets
