// A test-only program around the application wrapper, for what only a
// process of its own can show: the system information it reports, and one
// running copy.
//   widget_app_probe --sysinfo            prints Key=Value lines
//   widget_app_probe --instance DIR [--quiet] [--quit]
//                                         runs as a single-instance program
//                                         whose lock lies in DIR (an empty
//                                         DIR: where programs keep it); --quiet: a
//                                         second copy tells no one; --quit:
//                                         a first copy ends once ready
//   widget_app_probe --exception          an event handler throws; prints what
//                                         OnExecption heard, then goes on
#include "widgets/MystdApp.h"
#include "widgets/MystdForms.h"
#include "widgets/MystdProbe.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <stdexcept>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

// The wrapper with its instance lock in a directory of the test's own.
class InstanceApp : public TzShowApp
{
public:
    InstanceApp(QObject *owner, const QString &dir) : TzShowApp(owner), m_dir(dir) {}

protected:
    QString InstanceDirectory() const override { return m_dir; }

private:
    QString m_dir;
};

int sysinfo(QWidget &form)
{
    // The real processor, with a clock that runs 1000 ms per reading so the
    // speed measurement does not hold the test up.
    Mystd::TProcessorServices services = Mystd::TProcessorServices::System();
    std::uint32_t tick = 0;
    services.GetTickCount = [&tick] { return tick += 1000; };
    Mystd::initialization(services);
    Zhelper::initialization();
    TzShowApp app(&form);
    say(QStringLiteral("ComputerName=") + app.ComputerName());
    say(QStringLiteral("UserName=") + app.UserName());
    say(QStringLiteral("TempDir=") + app.TempDir());
    say(QStringLiteral("CPUVendor=") + app.CPUVendor());
    say(QStringLiteral("CPUType=%1").arg(app.CPUType()));
    say(QStringLiteral("CPUModel=%1").arg(app.CPUModel()));
    say(QStringLiteral("CPUStepping=%1").arg(app.CPUStepping()));
    say(QStringLiteral("CPUMMX=%1").arg(app.CPUMMX() ? 1 : 0));
    say(QStringLiteral("CPUString=") + app.CPUString());
    say(QStringLiteral("WindowsString=") + app.WindowsString());
    say(QStringLiteral("BitsPerColor=%1").arg(app.BitsPerColor()));
    say(QStringLiteral("EnvironmentLines=%1").arg(app.EnvironmentLines().size()));
    Mystd::Finalization();
    Zhelper::Finalization();
    return 0;
}

// Fails at the first event it is sent.
class Thrower : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("handler failed");
        return QObject::event(e);
    }
};

int exception(QWidget &form)
{
    TzShowApp app(&form);
    app.SetOnExecption([](QObject *, const std::exception &e) {
        say(QStringLiteral("caught ") + QString::fromLocal8Bit(e.what()));
    });
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QMetaObject::invokeMethod(
        qApp,
        [] {
            say(QStringLiteral("still running"));
            QCoreApplication::quit();
        },
        Qt::QueuedConnection);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    widgets::TApplicationHost qapp(argc, argv);
    QWidget form;
    widgets::SetApplicationMainForm(&form);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--sysinfo")))
        return sysinfo(form);
    if (args.contains(QStringLiteral("--exception")))
        return exception(form);

    const qsizetype at = args.indexOf(QStringLiteral("--instance"));
    InstanceApp app(&form, at >= 0 ? args.value(at + 1) : QString());
    app.OnlyOneInstance = true;
    const bool quiet = args.contains(QStringLiteral("--quiet"));
    app.OnSecondInstance = [quiet](TzShowApp &, bool &bringToFront) {
        say(QStringLiteral("second"));
        bringToFront = !quiet;
    };
    app.OnAnotherInstance = [](QObject *) { say(QStringLiteral("another")); };
    app.Loaded();
    if (widgets::Application().Terminated()) {
        say(QStringLiteral("ended"));
        return 3;
    }
    form.show();
    say(QStringLiteral("ready"));
    if (args.contains(QStringLiteral("--quit")))
        QMetaObject::invokeMethod(
            &qapp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    return qapp.exec();
}
