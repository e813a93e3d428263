// What the running tool costs while it sits there: its CPU time (user and
// system, all threads, from /proc/self/stat) over a stretch of seconds with
// no link open, then connected to the simulated unit with the "General" page
// polled every 150 ms, once while the unit's currents and inputs change and
// once while its state stands still; and its resident memory connected.
//
//   bench_live [--seconds N] [--serial SIMPROGRAM]
//
// N seconds a stretch, 30 unless given. First, as a floor for this machine,
// what the worker's waits alone cost: a thread that does nothing but wait
// 15 ms at a time, as each pass of the worker does on a quiet line (its
// 10 ms pause and its 5 ms read time-out, taken in one wait). With --serial, once more connected
// to the unit's own program on a pseudo-terminal, so that the process
// measured holds the tool alone.
//
// Each CPU figure comes with the process's wake-ups a second (context
// switches of all its threads): on a virtual machine a timed wake-up can
// cost more than the work it wakes for, and the floor row says how much.
//
// Prints markdown table rows: figure, measured, target.
#include "bench/BenchRig.h"

#include "sim/SimBackend.h"
#include "sim/SimulatedUnit.h"

#include <QApplication>
#include <QTabWidget>

#include <sys/syscall.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>

namespace {

using bench::fixed;

struct Cpu
{
    double process = 0; // percent of one core
    double mainThread = 0;
    double wakeUps = 0; // context switches a second, all threads
};

Cpu cpuOver(int seconds)
{
    const long mainTid = ::syscall(SYS_gettid);
    const double p0 = bench::processCpuSeconds();
    const double m0 = bench::threadCpuSeconds(mainTid);
    const long s0 = bench::contextSwitches();
    QElapsedTimer t;
    t.start();
    bench::runFor(seconds * 1000);
    const double wall = double(t.nsecsElapsed()) / 1e9;
    return {100 * (bench::processCpuSeconds() - p0) / wall,
            100 * (bench::threadCpuSeconds(mainTid) - m0) / wall,
            double(bench::contextSwitches() - s0) / wall};
}

struct Floor
{
    double percent = 0; // of one core
    double microsPerWakeUp = 0;
};

// What a thread pacing itself like the worker on a quiet line spends over
// `seconds`, with no I/O at all.
Floor pacingFloor(int seconds)
{
    Floor floor;
    std::thread pacer([&] {
        std::mutex m;
        std::condition_variable never;
        std::unique_lock lock(m);
        timespec c0{}, c1{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
        QElapsedTimer t;
        t.start();
        long wakeUps = 0;
        while (t.elapsed() < seconds * 1000LL) {
            never.wait_for(lock, std::chrono::milliseconds(15));
            ++wakeUps;
        }
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
        const double cpu = double(c1.tv_sec - c0.tv_sec) + double(c1.tv_nsec - c0.tv_nsec) / 1e9;
        floor.percent = 100 * cpu / (double(t.nsecsElapsed()) / 1e9);
        floor.microsPerWakeUp = 1e6 * cpu / double(std::max(wakeUps, 1L));
    });
    pacer.join();
    return floor;
}

void report(const std::string &figure, const Cpu &cpu, const char *target)
{
    bench::row({figure, fixed(cpu.process, 2) + " % of one core (main thread " +
                            fixed(cpu.mainThread, 2) + " %; " + fixed(cpu.wakeUps, 0) +
                            " wake-ups a second)",
                target});
}

// The unit's own program on a pseudo-terminal: the process holds the tool alone.
int overSerial(const QString &simProgram, int seconds, const std::string &over)
{
    bench::SimProgram unit(simProgram);
    if (unit.path.isEmpty()) {
        std::fputs("bench_live: the unit's program did not start\n", stderr);
        return 1;
    }
    bench::ToolRig rig(d2xx::makeExtraPortsBackend(unit.path.toStdString()));
    rig.main().TabbedNotebook1->setCurrentIndex(0);
    if (!rig.connect(unit.path)) {
        std::fputs("bench_live: could not connect over the pseudo-terminal\n", stderr);
        return 1;
    }
    bench::runFor(2000);
    report("CPU connected over a pseudo-terminal, the unit in its own process, currents "
           "changing" + over,
           cpuOver(seconds), "at most 2 %");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int seconds = 30;
    const QStringList args = QApplication::arguments();
    if (const qsizetype at = args.indexOf("--seconds"); at > 0 && at + 1 < args.size())
        seconds = std::max(1, args.at(at + 1).toInt());
    const std::string over = " over " + std::to_string(seconds) + " s";

    const int floorSeconds = std::min(seconds, 10);
    const Floor floor = pacingFloor(floorSeconds);
    bench::row({"floor on this machine: a thread pacing like the worker on a quiet line, no I/O, "
                "over " + std::to_string(floorSeconds) + " s",
                fixed(floor.percent, 2) + " % of one core (67 wake-ups a second, " +
                    fixed(floor.microsPerWakeUp, 0) + " µs each)",
                "-"});

    {
        auto unit = sim::makeSimBackend();
        bench::ToolRig rig(unit);
        rig.main().TabbedNotebook1->setCurrentIndex(0);
        bench::runFor(1000);
        report("CPU of the tool, no link open" + over, cpuOver(seconds), "at most 0.2 %");

        if (!rig.connect(sim::SimulatorDescription)) {
            std::fputs("bench_live: could not connect to the simulated unit\n", stderr);
            return 1;
        }
        bench::runFor(2000);
        report("CPU connected, General page polled every 150 ms, currents changing" + over,
               cpuOver(seconds), "at most 2 %");

        unit->unit().setCurrentNoise(0);
        unit->unit().setInputPattern(false);
        bench::runFor(2000);
        report("CPU connected, a unit whose state does not change" + over, cpuOver(seconds),
               "at most 1 %");

        bench::row({"resident memory, connected",
                    fixed(double(bench::statusKb("VmRSS")) / 1024.0, 1) + " MB (peak " +
                        fixed(double(bench::statusKb("VmHWM")) / 1024.0, 1) + " MB)",
                    "at most 80 MB"});
    }
    if (const qsizetype at = args.indexOf("--serial"); at > 0 && at + 1 < args.size())
        return overSerial(args.at(at + 1), seconds, over);
    return 0;
}
