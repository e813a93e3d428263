// The widget units' start-up as the program runs it before its first window:
// the processor probe holds it up for just under a second on every
// processor of family 5 or higher, and the pattern bitmap and version read
// add next to nothing.
#include "widgets/MystdProbe.h"
#include "widgets/WidgetUnits.h"

#include <benchmark/benchmark.h>

namespace {

void BM_WidgetUnitsStartUp(benchmark::State &state)
{
    for (auto _ : state) {
        // Each pass starts and shuts the units down once, so the probe runs anew.
        const widgets::TWidgetUnits units;
        benchmark::DoNotOptimize(Mystd::CpuSpeed());
    }
    state.counters["MHz"] = Mystd::Processor().CpuSpeedMHz;
}
BENCHMARK(BM_WidgetUnitsStartUp)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
