// Start-up to the main window shown: the time from starting the program to
// the first paint of its main window, as a user starting the tool waits for
// it (the run-time loader and the libraries included), and apart the part
// of it the widget units' start-up takes (the processor probe measures the
// clock for about a second). The program starts itself with --child several
// times and reports the median and the fastest.
//
//   bench_startup [--runs N]
//
// Prints a markdown table row: figure, measured, target.
#include "app/AutoForms.h"
#include "main/MainUnit.h"
#include "platform/d2xx/d2xx.h"
#include "platform/vcl/TestDialogs.h"
#include "sim/SimBackend.h"
#include "widgets/WidgetUnits.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Says "shown" on the first paint of any widget of the main window.
class FirstPaint : public QObject
{
    Q_DISABLE_COPY(FirstPaint)

public:
    explicit FirstPaint(QWidget *window) : window_(window) {}

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (!seen_ && e->type() == QEvent::Paint && o->isWidgetType() &&
            static_cast<QWidget *>(o)->window() == window_) {
            seen_ = true;
            std::puts("shown");
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    QWidget *window_;
    bool seen_ = false;
};

// The start-up of the program's own main(), up to the first paint; the
// widget units' start-up (the processor probe) is timed and said apart.
int child(int argc, char **argv)
{
    QElapsedTimer units;
    units.start();
    const widgets::TWidgetUnits widgetUnits;
    std::printf("units %lld\n", static_cast<long long>(units.nsecsElapsed() / 1000));
    std::fflush(stdout);
    QApplication application(argc, argv);
    QApplication::setApplicationName("QM5230 Tessaron");
    d2xx::setSimulatorFactory([] { return sim::makeBackend(); });
    QTemporaryDir dir;
    vcl::ScriptedDialogs dialogs;
    AutoForms forms({}, dir.path() + "/qm5230.INI", d2xx::systemDriver());
    FirstPaint watch(forms.Main.get());
    application.installEventFilter(&watch);
    forms.Show();
    return QApplication::exec();
}

std::string ms(double value)
{
    char buffer[32];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, r.ptr) + " ms";
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--child")
            return child(argc, argv);

    QCoreApplication app(argc, argv);
    int runs = 5;
    const QStringList args = QCoreApplication::arguments();
    if (const qsizetype at = args.indexOf("--runs"); at > 0 && at + 1 < args.size())
        runs = std::max(1, args.at(at + 1).toInt());

    std::vector<double> times;
    std::vector<double> unitTimes;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(QCoreApplication::applicationFilePath(), {"--child"});
        QByteArray said;
        while (!said.contains("shown") && p.waitForReadyRead(30000))
            said += p.readAll();
        const double elapsed = double(t.nsecsElapsed()) / 1e6;
        p.waitForFinished(30000);
        if (!said.contains("shown")) {
            std::fputs("bench_startup: the main window was not shown\n", stderr);
            return 1;
        }
        times.push_back(elapsed);
        for (const QByteArray &line : said.split('\n'))
            if (line.startsWith("units "))
                unitTimes.push_back(line.mid(6).toDouble() / 1000.0);
    }
    std::sort(times.begin(), times.end());
    std::sort(unitTimes.begin(), unitTimes.end());
    const std::string of = "(median of " + std::to_string(runs) + ", fastest ";
    std::printf("| start-up to the main window shown %s%s) | %s | - |\n", of.c_str(),
                ms(times.front()).c_str(), ms(times[times.size() / 2]).c_str());
    if (!unitTimes.empty())
        std::printf("| - of it the widget units' start-up, processor probe included %s%s) | %s "
                    "| - |\n",
                    of.c_str(), ms(unitTimes.front()).c_str(),
                    ms(unitTimes[unitTimes.size() / 2]).c_str());
    return 0;
}
