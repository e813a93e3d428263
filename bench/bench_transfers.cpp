// The long transfers as a user starts them, through the real windows and the
// worker thread: a full read of all settings, a full upload, and a firmware
// update of a full image (504 pages of 256 bytes). Each is timed and set
// against the time its bytes alone take on the line at 38400 baud 8N2.
//
//   bench_transfers                     the simulated unit in this process
//   bench_transfers --serial SIMPROGRAM the unit's own program on a
//                                       pseudo-terminal, over the serial backend;
//                                       restarted by SIGUSR1 for the firmware update
//
// Prints markdown table rows: transfer, link, seconds, bytes to and from the
// unit, the wire-time bound in seconds, their ratio, the target. A read and
// an upload are the chain of requests behind the wait dialog; a second row
// counts from the click on, as the user waits, with the version check before
// the transfer (it waits for the unit's next version answer and then shows
// the version for half a second).
#include "bench/BenchRig.h"

#include "config/WaitUnit.h"
#include "platform/vcl/IniFile.h"
#include "sim/SimBackend.h"
#include "sim/SimLine.h"
#include "sim/SimulatedUnit.h"
#include "tools/FirmwareUnit.h"

#include <QApplication>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <cstdio>
#include <random>
#include <string>

namespace {

using bench::fixed;

struct Measure
{
    double seconds = 0;
    std::uint64_t toUnit = 0;
    std::uint64_t fromUnit = 0;
    bool ok = false;
};

void report(const char *transfer, const char *link, const Measure &m, const char *target)
{
    const double bound = double(m.toUnit + m.fromUnit) / bench::WireBytesPerSecond;
    if (!m.ok) {
        bench::row({transfer, link, "failed", "", "", "", "", target});
        return;
    }
    bench::row({transfer, link, fixed(m.seconds, 2), std::to_string(m.toUnit),
                std::to_string(m.fromUnit), fixed(bound, 2), fixed(m.seconds / bound, 2),
                target});
}

// Times `run` and counts the bytes the link carried meanwhile.
Measure measure(bench::ToolRig &rig, const std::function<bool()> &run)
{
    Measure m;
    rig.wire->reset();
    QElapsedTimer t;
    t.start();
    m.ok = run();
    m.seconds = double(t.nsecsElapsed()) / 1e9;
    m.toUnit = rig.wire->toUnit;
    m.fromUnit = rig.wire->fromUnit;
    return m;
}

// The wait dialog's span: the transfer's chain of requests itself, without
// the check of the unit's version before it (the first version answer, then
// half a second in which the version is shown).
class ChainSpan : public QObject
{
    Q_DISABLE_COPY(ChainSpan)

public:
    ChainSpan(QWidget *dialog, const bench::WireCount &wire) : wire_(wire)
    {
        dialog->installEventFilter(this);
    }
    Measure measure;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show) {
            timer_.start();
            toUnit_ = wire_.toUnit;
            fromUnit_ = wire_.fromUnit;
        } else if (e->type() == QEvent::Hide && timer_.isValid()) {
            measure = {double(timer_.nsecsElapsed()) / 1e9, wire_.toUnit - toUnit_,
                       wire_.fromUnit - fromUnit_, true};
            timer_.invalidate();
        }
        return false;
    }

private:
    const bench::WireCount &wire_;
    QElapsedTimer timer_;
    std::uint64_t toUnit_ = 0;
    std::uint64_t fromUnit_ = 0;
};

// A settings transfer: its chain of requests, and the same as the user
// waits for it from the click on.
void reportSettingsTransfer(bench::ToolRig &rig, const char *transfer, const char *link,
                            Measure (*run)(bench::ToolRig &), const char *target)
{
    ChainSpan chain(rig.forms->Update.get(), *rig.wire);
    const Measure fromClick = run(rig);
    Measure requests = chain.measure;
    requests.ok = requests.ok && fromClick.ok;
    report(transfer, link, requests, target);
    report("- from the click, version check first (shown 0.5 s)", link, fromClick, "-");
}

// The transfer starts on a quiet line: no poll of the live view in flight.
void settle()
{
    bench::runFor(500);
}

Measure fullRead(bench::ToolRig &rig)
{
    settle();
    return measure(rig, [&] {
        rig.dialogs.clear();
        rig.main().ReadFromDevice = 0;
        rig.main().BtnLoadClick();
        return rig.main().ReadFromDevice == 1 && rig.dialogs.count() == 0;
    });
}

Measure fullUpload(bench::ToolRig &rig)
{
    settle();
    return measure(rig, [&] {
        rig.dialogs.clear();
        rig.main().BtnSaveClick();
        return rig.dialogs.texts() == QStringList{"Reboot Target to use new settings?"};
    });
}

// A full image: every byte of the programmable range, so every page is sent.
QString writeFullImage(const QString &dir)
{
    std::mt19937 rng(5230);
    std::string text;
    for (std::int32_t base = 0; base < TFirmware::ImageSize; base += 16) {
        if (base % 0x10000 == 0) {
            char ext[32];
            const unsigned hi = unsigned(base) >> 16;
            std::snprintf(ext, sizeof ext, ":02000004%04X%02X\n", hi,
                          (0x100 - ((2 + 4 + (hi >> 8) + (hi & 0xFF)) & 0xFF)) & 0xFF);
            text += ext;
        }
        unsigned sum = 16 + ((base >> 8) & 0xFF) + (base & 0xFF);
        char line[64];
        int n = std::snprintf(line, sizeof line, ":10%04X00", unsigned(base) & 0xFFFF);
        for (int i = 0; i < 16; ++i) {
            const unsigned b = rng() & 0xFF;
            sum += b;
            n += std::snprintf(line + n, sizeof line - std::size_t(n), "%02X", b);
        }
        std::snprintf(line + n, sizeof line - std::size_t(n), "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        text += line;
    }
    text += ":00000001FF\n";
    const QString path = dir + "/full.hex";
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text.data(), qint64(text.size()));
    return path;
}

// The firmware window opened from the menu; the unit restarted into its
// bootloader once the line is quiet, as the window asks the user to.
Measure firmwareUpdate(bench::ToolRig &rig, const std::function<void()> &restartUnit,
                       const std::function<bool()> &unitDone)
{
    settle();
    const QString file = writeFullImage(rig.dir.path());
    vcl::TIniFile(rig.main().iniPath()).WriteString("FIRMWARE", "PATH", file);
    Measure m;
    rig.dialogs.clear();
    QTimer::singleShot(1, &rig.main(), [&] {
        TFirmware *w = Firmware;
        if (!w)
            return;
        bench::waitFor(
            [&] {
                const auto queue = rig.main().usb()->queueSnapshot();
                return std::none_of(queue.begin(), queue.end(),
                                    [](const devlink::TxSlot &s) { return s.Used != 0; });
            },
            10000);
        bench::runFor(200);
        w->BtnProgramClick();
        m = measure(rig, [&] {
            restartUnit();
            return bench::waitFor(
                [&] { return rig.dialogs.texts().contains("Target updated") && unitDone(); },
                600000);
        });
        w->BtnExitClick();
    });
    rig.main().Firmware1Click();
    m.ok = m.ok && !rig.dialogs.texts().contains("Target update failed");
    return m;
}

int inProcess()
{
    auto unit = sim::makeSimBackend();
    bench::ToolRig rig(unit);
    if (!rig.connect(sim::SimulatorDescription)) {
        std::fputs("bench_transfers: could not connect to the simulated unit\n", stderr);
        return 1;
    }
    reportSettingsTransfer(rig, "full read of all settings", "in-process", fullRead, "at most 1.6");
    reportSettingsTransfer(rig, "full upload", "in-process", fullUpload, "at most 1.8");
    report("firmware update, 504 blocks", "in-process",
           firmwareUpdate(
               rig, [&] { unit->line().restartUnit(); },
               [&] {
                   return unit->unit().bootloader().phase ==
                          sim::BootloaderState::Phase::Application;
               }),
           "at most 1.1");
    return 0;
}

// Whether the unit's program restarts into its bootloader on SIGUSR1, as
// its usage text says; without that the signal would end it.
bool restartsOnSignal(const QString &simProgram)
{
    QProcess help;
    help.start(simProgram, {"--help"});
    return help.waitForFinished(10000) && help.readAllStandardOutput().contains("SIGUSR1");
}

int overSerial(const QString &simProgram)
{
    bench::SimProgram unit(simProgram);
    if (unit.path.isEmpty()) {
        std::fputs("bench_transfers: the unit's program did not start\n", stderr);
        return 1;
    }
    bench::ToolRig rig(d2xx::makeExtraPortsBackend(unit.path.toStdString()));
    if (!rig.connect(unit.path)) {
        std::fputs("bench_transfers: could not connect over the pseudo-terminal\n", stderr);
        return 1;
    }
    reportSettingsTransfer(rig, "full read of all settings", "pseudo-terminal", fullRead,
                           "at most 1.6");
    reportSettingsTransfer(rig, "full upload", "pseudo-terminal", fullUpload, "at most 1.8");
    if (!restartsOnSignal(simProgram)) {
        bench::row({"firmware update, 504 blocks", "pseudo-terminal",
                    "not run: this qm5230-sim cannot restart into its bootloader", "", "", "", "",
                    "at most 1.1"});
        return 0;
    }
    const qint64 pid = unit.process.processId();
    report("firmware update, 504 blocks", "pseudo-terminal",
           firmwareUpdate(
               rig, [pid] { ::kill(pid_t(pid), SIGUSR1); }, [] { return true; }),
           "at most 1.1");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const qsizetype serial = args.indexOf("--serial");
    if (serial > 0 && serial + 1 < args.size())
        return overSerial(args.at(serial + 1));
    return inProcess();
}
