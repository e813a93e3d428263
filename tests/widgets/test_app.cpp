// The application wrapper: its pure rules, the environment, the instance
// lock, and through a probe program of its own the system information and
// one running copy.
#include "widgets/MystdApp.h"

#include "platform/win/SingleInstance.h"
#include "widgets/MystdForms.h"
#include "widgets/MystdHint.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <stdexcept>

#include <cstdlib>

namespace {

using namespace widgets;

TEST(ShowApp, ShortDateRewriting)
{
    const struct
    {
        const char *format;
        TzShortDateFormat style;
        const char *result;
    } rows[] = {
        {"dd-MM-yy", sdf4DigitYear, "dd-MM-yyyy"}, // the documented examples
        {"d/M/yyyy", sdf2DigitYear, "d/M/yy"},     {"yyyyy", sdf2DigitYear, "yy"},
        {"y.M.d", sdf4DigitYear, "yyyy.M.d"},      {"yyyyy", sdf4DigitYear, "yyyyy"},
        {"dd.MM.", sdf4DigitYear, "dd.MM."}, // no year: left alone
        {"dd.MM.", sdf2DigitYear, "dd.MM."},       {"yy/yyyy", sdf2DigitYear, "yy/yy"},
        {"dd-MM-yy", sdfDontTouch, "dd-MM-yy"},
    };
    for (const auto &r : rows)
        EXPECT_EQ(RewriteShortDate(QString::fromLatin1(r.format), r.style),
                  QString::fromLatin1(r.result))
            << r.format;

    QWidget form;
    SetShortDateFormat(QStringLiteral("dd-MM-yy"));
    TzShowApp app(&form);
    app.SetShortDate(sdf4DigitYear);
    EXPECT_EQ(ShortDateFormat(), QStringLiteral("dd-MM-yyyy"));
    app.SetShortDate(sdf2DigitYear);
    EXPECT_EQ(ShortDateFormat(), QStringLiteral("dd-MM-yy"));
    SetShortDateFormat(QStringLiteral("d.M.yyyy"));
    app.SetShortDate(sdfDontTouch); // back to the format at creation
    EXPECT_EQ(ShortDateFormat(), QStringLiteral("dd-MM-yy"));
}

TEST(ShowApp, NamesAndPaths)
{
    const struct
    {
        const char *path, *trimmed;
    } temps[] = {{"/tmp/", "/tmp"}, {"/tmp//", "/tmp"}, {"/", "/"}, {"/var/tmp", "/var/tmp"}};
    for (const auto &t : temps)
        EXPECT_EQ(TrimTempDir(QString::fromLatin1(t.path)), QString::fromLatin1(t.trimmed));

    const struct
    {
        bool cpuid;
        int family, model, type;
        const char *vendor, *name;
    } cpus[] = {
        {true, 4, 0, 0, "AuthenticAMD", "AMD Am486/Am5x86"},
        {true, 4, 0, 0, "CyrixInstead", "Cyrix MediaGX"},
        {true, 4, 8, 1, "GenuineIntel", "80486 Overdrive DX4"},
        {true, 4, 6, 0, "GenuineIntel", "80486"},
        {true, 5, 0, 0, "AuthenticAMD", "AMD K5/K6"},
        {true, 5, 4, 0, "CyrixInstead", "Cyrix Gxm"},
        {true, 5, 2, 0, "CyrixInstead", "Cyrix 6x86"},
        {true, 5, 2, 1, "GenuineIntel", "Pentium Overdrive 75-200 MHz"},
        {true, 5, 4, 0, "GenuineIntel", "Pentium MMX 166/200 MHz"},
        {true, 6, 0, 0, "CyrixInstead", "Cyrix 6x86MX"},
        {true, 6, 3, 1, "GenuineIntel", "Intel Pentium II Overdrive"},
        {true, 6, 6, 0, "GenuineIntel", "Intel Celeron (Model 6)"},
        {true, 6, 9, 0, "AuthenticAMD", "Intel Pentium P6"},
        {true, 15, 1, 0, "AuthenticAMD", ""},
        {false, 5, 0, 0, "", "Pentium"},
        {false, 7, 0, 0, "", "P7"},
        {false, 0, 0, 0, "", "P0"},
    };
    for (const auto &c : cpus)
        EXPECT_EQ(CpuString(c.cpuid, c.family, c.model, c.type, QString::fromLatin1(c.vendor)),
                  QString::fromLatin1(c.name))
            << c.family << " " << c.model << " " << c.vendor;

    EXPECT_EQ(WindowsString(z_Windows, 0, 0, 0), QStringLiteral("Windows 0.0"));
    EXPECT_EQ(WindowsString(z_WFW, 3, 11, 5), QStringLiteral("Windows for Workgroups 3.11"));
    EXPECT_EQ(WindowsString(z_Win32S, 1, 30, 166), QStringLiteral("Win32S 1.30 (Build: 166)"));
    EXPECT_EQ(WindowsString(z_NT, 4, 0, 1381), QStringLiteral("Windows NT 4.0 (Build: 1381)"));
    EXPECT_EQ(WindowsString(z_95, 4, 10, 1998), QStringLiteral("Windows'95 4.10 (Build: 1998)"));

    EXPECT_EQ(StartWindowState(2), Qt::WindowMinimized);
    EXPECT_EQ(StartWindowState(6), Qt::WindowMinimized);
    EXPECT_EQ(StartWindowState(7), Qt::WindowMinimized);
    EXPECT_EQ(StartWindowState(3), Qt::WindowMaximized);
    EXPECT_EQ(StartWindowState(1), Qt::WindowNoState);
}

TEST(ShowApp, EnvironmentAndForwarding)
{
    QWidget form;
    TzShowApp app(&form);
    EXPECT_TRUE(app.SetEnvironmentString(QStringLiteral("WIDGET_APP_TEST"), QStringLiteral("a=b")));
    EXPECT_EQ(app.GetEnvironmentString(QStringLiteral("WIDGET_APP_TEST")), QStringLiteral("a=b"));
    EXPECT_EQ(app.EnvironmentLines().last(), QStringLiteral("WIDGET_APP_TEST=a=b"));
    unsetenv("WIDGET_APP_TEST");
    EXPECT_FALSE(app.SetEnvironmentString(QStringLiteral("A=B"), QStringLiteral("x")));
    EXPECT_TRUE(app.GetEnvironmentString(QStringLiteral("WIDGET_APP_TEST")).isEmpty()); // refilled
    EXPECT_EQ(app.GetEnvironmentString(QStringLiteral("PATH")),
              QString::fromLocal8Bit(qgetenv("PATH")));

    EXPECT_EQ(app.IPHostName(), QStringLiteral("-Unknown-"));
    EXPECT_EQ(app.IPHostAddress(), QStringLiteral("-Unknown-"));
    EXPECT_TRUE(app.WinDir().isEmpty());
    EXPECT_GE(app.BitsPerColor(), 1);
    EXPECT_EQ(app.NumberOfColors(), std::pow(2.0L, app.BitsPerColor()));

    app.SetTitle(QStringLiteral("Probe title"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Probe title"));
    app.SetHintColor(vcl::clYellow);
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(Qt::yellow));
    app.SetShowHint(false);
    EXPECT_FALSE(Application().ShowHint());
    app.SetShowHint(true);

    // Made without a form; only what needs one looks for it.
    QObject loose;
    TzShowApp looseApp(&loose);
    EXPECT_TRUE(looseApp.QueryEndSession()); // no main form: the session may end
    looseApp.UseCmdShow = true;
    EXPECT_THROW(looseApp.Loaded(), EComponentError);
}

TEST(ShowApp, EndOfSessionOnlyOnTheMainForm)
{
    const struct
    {
        bool onMainForm;
        bool mayEnd;
        int asked, ended;
    } rows[] = {{true, false, 1, 1}, {false, true, 0, 0}};
    for (const auto &r : rows) {
        QWidget form, other;
        SetApplicationMainForm(r.onMainForm ? &form : &other);
        TzShowApp app(&form);
        int asked = 0, ended = 0;
        app.OnAskEndSession = [&asked](bool &doEnd) {
            ++asked;
            doEnd = false;
        };
        app.OnEndSession = [&ended] { ++ended; };
        EXPECT_EQ(app.QueryEndSession(), r.mayEnd) << r.onMainForm;
        app.EndSession();
        EXPECT_EQ(asked, r.asked) << r.onMainForm;
        EXPECT_EQ(ended, r.ended) << r.onMainForm;
        SetApplicationMainForm(nullptr);
    }
}

// A show command the system would give on Windows, and an instance lock in
// a directory of the test's own.
class StartRig : public TzShowApp
{
public:
    StartRig(QObject *owner, int showCommand, const QString &dir)
        : TzShowApp(owner), m_showCommand(showCommand), m_dir(dir)
    {
    }

protected:
    int StartupShowCommand() const override { return m_showCommand; }
    QString InstanceDirectory() const override { return m_dir; }
    int m_showCommand;
    QString m_dir;
};

TEST(ShowApp, MinimisedStartRestoresThroughTheApplication)
{
    QWidget form;
    SetApplicationMainForm(&form);
    int restores = 0;
    Application().OnRestore = [&restores](QObject *) { ++restores; };
    QTemporaryDir dir;
    StartRig app(&form, 7, dir.path());
    app.UseCmdShow = true;
    app.Loaded();
    EXPECT_TRUE(form.isMinimized());
    EXPECT_FALSE(Application().ShowMainForm);
    // The program runs; its form waits minimised where the user can find it.
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    EXPECT_EQ(Application().Run(), 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.isMinimized());
    form.setWindowState(Qt::WindowNoState); // the user restores it
    EXPECT_TRUE(Application().ShowMainForm);
    EXPECT_FALSE(form.isMinimized());
    EXPECT_EQ(restores, 0); // the saved handler is back, not yet called
    form.setWindowState(Qt::WindowMinimized);
    form.setWindowState(Qt::WindowNoState);
    EXPECT_EQ(restores, 1);
    Application().OnRestore = nullptr;
    SetApplicationMainForm(nullptr);
}

TEST(ShowApp, HiddenFromTheTaskBarButNeverOnTop)
{
    for (const bool nonOnStatusBar : {false, true}) {
        QWidget form;
        QTemporaryDir dir;
        StartRig app(&form, 1, dir.path());
        app.ShowOnStatusBar = false;
        app.ShowNonOnStatusBar = nonOnStatusBar;
        app.Loaded();
        EXPECT_EQ(form.windowFlags() & Qt::WindowType_Mask, Qt::Tool) << nonOnStatusBar;
        EXPECT_FALSE(form.windowFlags() & Qt::WindowStaysOnTopHint) << nonOnStatusBar;
        // Closing the program's last window still ends it.
        form.show();
        int lastClosed = 0;
        const auto counted = QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &form,
                                              [&lastClosed] { ++lastClosed; });
        QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        QCoreApplication::exec();
        QObject::disconnect(counted);
        EXPECT_EQ(lastClosed, 1) << nonOnStatusBar;
    }
}

// The first copy's mark stays until the process ends, not until the
// component that took it goes.
TEST(ShowApp, TheInstanceLockLastsAsLongAsTheProcess)
{
    QTemporaryDir dir;
    QWidget form;
    auto app = std::make_unique<StartRig>(&form, 1, dir.path());
    app->OnlyOneInstance = true;
    app->Loaded();
    EXPECT_FALSE(app->IsSecondInstance());
    app.reset();
    win::InstanceLock later(QCoreApplication::applicationFilePath(), dir.path());
    EXPECT_FALSE(later.Acquire());
    StartRig second(&form, 1, dir.path());
    second.Loaded();
    EXPECT_FALSE(second.IsSecondInstance()); // not asked to be the only copy
    EXPECT_FALSE(Application().Terminated());
}

// Run shows the main form only when the application is to show it.
TEST(ShowApp, RunHonoursShowMainForm)
{
    for (const bool show : {true, false}) {
        QWidget form;
        SetApplicationMainForm(&form);
        TzShowApp app(&form);
        app.SetShowMainForm(show);
        // Ends the loop without closing the windows, as quit() would.
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        EXPECT_EQ(Application().Run(), 0);
        EXPECT_EQ(form.isVisible(), show);
        SetApplicationMainForm(nullptr);
    }
    Application().ShowMainForm = true;
}

struct ShownTip
{
    QString text;
    int msecDisplayTime = 0;
};

// A tool-tip request for `w`, as the application sends it after the pause.
void askForToolTip(QWidget &w)
{
    QHelpEvent e(QEvent::ToolTip, QPoint(2, 2), w.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&w, &e);
}

TEST(ShowApp, HintsPassThroughTheApplication)
{
    QWidget form;
    TzShowApp app(&form);
    app.SetHintPause(123);
    EXPECT_EQ(app.HintPause(), 123);
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, &form),
              123);
    app.SetHintHidePause(4321);

    std::vector<ShownTip> shown;
    const auto showToolTip = Application().ShowToolTip;
    Application().ShowToolTip = [&shown](QPoint, const QString &text, QWidget *, int msec) {
        shown.push_back({text, msec});
    };
    QWidget control(&form);
    control.setToolTip(QStringLiteral("short"));
    const struct
    {
        const char *replacement; // null: OnShowHint leaves the text
        bool canShow;
        const char *shown; // null: nothing shows
    } rows[] = {{nullptr, true, "short"}, {"longer", true, "longer"}, {nullptr, false, nullptr}};
    for (const auto &r : rows) {
        shown.clear();
        int asked = 0;
        app.SetOnShowHint([&r, &asked](QString &hint, bool &canShow) {
            ++asked;
            EXPECT_EQ(hint, QStringLiteral("short"));
            if (r.replacement)
                hint = QString::fromLatin1(r.replacement);
            canShow = r.canShow;
        });
        askForToolTip(control);
        EXPECT_EQ(asked, 1);
        ASSERT_EQ(shown.size(), r.shown ? 1u : 0u);
        if (r.shown) {
            EXPECT_EQ(shown[0].text, QString::fromLatin1(r.shown));
            EXPECT_EQ(shown[0].msecDisplayTime, 4321);
        }
    }
    app.SetOnShowHint(nullptr);
    app.SetHintHidePause(2500);
    Application().ShowToolTip = showToolTip;

    // The long hint follows the mouse through the status tips.
    int hints = 0;
    app.SetOnHint([&hints](QObject *) { ++hints; });
    for (const char *tip : {"Output 1", "Output 1", "", "Output 2"}) {
        QStatusTipEvent e(QString::fromLatin1(tip));
        QApplication::sendEvent(&control, &e);
    }
    EXPECT_EQ(hints, 3);
    EXPECT_EQ(app.Hint(), QStringLiteral("Output 2"));
    app.SetOnHint(nullptr);
}

TEST(ShowApp, HelpAndErrorsReachTheirEvents)
{
    QWidget form;
    TzShowApp app(&form);
    std::vector<std::pair<int, int>> helps;
    app.SetOnHelp([&helps](std::uint16_t command, int data, bool &) {
        helps.emplace_back(command, data);
        return true;
    });
    QTest::keyClick(&form, Qt::Key_F1);
    QTest::keyClick(&form, Qt::Key_A);
    EXPECT_TRUE(Application().HelpContext(17));
    const std::vector<std::pair<int, int>> expected{{1, 0}, {1, 17}};
    EXPECT_EQ(helps, expected);
    app.SetOnHelp(nullptr);
    EXPECT_FALSE(Application().HelpContext(17));

    QString caught;
    app.SetOnExecption([&caught](QObject *, const std::exception &e) { caught = e.what(); });
    Application().HandleException(&form, std::runtime_error("no integer"));
    EXPECT_EQ(caught, QStringLiteral("no integer"));
    app.SetOnExecption(nullptr);
}

TEST(InstanceLock, OneHolderPerPathAndNoneAfterItGoes)
{
    QTemporaryDir dir;
    auto first = std::make_unique<win::InstanceLock>(QStringLiteral("/opt/a/tool"), dir.path());
    win::InstanceLock second(QStringLiteral("/opt/a/tool"), dir.path());
    win::InstanceLock other(QStringLiteral("/opt/b/tool"), dir.path());
    EXPECT_TRUE(first->Acquire());
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(other.Acquire());
    EXPECT_NE(win::InstanceName(QStringLiteral("/opt/a/tool")),
              win::InstanceName(QStringLiteral("/opt/b/tool")));

    QString got;
    ASSERT_TRUE(first->Listen([&got](const QString &m) { got = m; }));
    // The socket lies beside the lock, in the directory given.
    const QString socket = win::InstanceName(QStringLiteral("/opt/a/tool"));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(socket)));
    EXPECT_FALSE(QFileInfo::exists(QDir::temp().filePath(socket)));
    EXPECT_TRUE(second.Send(QStringLiteral("hello")));
    EXPECT_TRUE(QTest::qWaitFor([&got] { return !got.isEmpty(); }, 5000));
    EXPECT_EQ(got, QStringLiteral("hello"));

    first.reset();
    EXPECT_TRUE(second.Acquire());
    EXPECT_FALSE(second.Send(QStringLiteral("nobody listens"), 200));

    win::InstanceLock nowhere(QStringLiteral("/opt/c/tool"),
                              dir.filePath(QStringLiteral("missing/dir")));
    EXPECT_TRUE(nowhere.Acquire()); // no lock file: this is the first copy
}

// A probe program's output lines until `line` comes, within the deadline.
bool waitForLine(QProcess &p, const QByteArray &line, QByteArray &seen)
{
    while (!seen.split('\n').contains(line)) {
        if (!p.waitForReadyRead(10000))
            return false;
        seen += p.readAllStandardOutput();
    }
    return true;
}

QByteArray runToEnd(const QString &program, const QStringList &args, int &exitCode)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(20000);
    exitCode = p.exitCode();
    return p.readAllStandardOutput();
}

TEST(ShowApp, ASecondCopyEndsAndTellsTheFirst)
{
    const QString probe = QStringLiteral(WIDGET_APP_PROBE);
    QTemporaryDir lockDir;
    const QStringList instance = {QStringLiteral("--instance"), lockDir.path()};
    QProcess first;
    QByteArray firstOut;
    first.start(probe, instance);
    ASSERT_TRUE(waitForLine(first, "ready", firstOut)) << firstOut.toStdString();

    int code = -1;
    QByteArray out = runToEnd(probe, instance, code);
    EXPECT_EQ(code, 3);
    EXPECT_EQ(out, QByteArray("second\nended\n"));
    ASSERT_TRUE(waitForLine(first, "another", firstOut));

    // A copy that keeps quiet still ends, and the first hears nothing of it:
    // the next one it hears of is the loud copy after it.
    out = runToEnd(probe, instance + QStringList{QStringLiteral("--quiet")}, code);
    EXPECT_EQ(code, 3);
    out = runToEnd(probe, instance, code);
    EXPECT_EQ(code, 3);
    QByteArray later;
    ASSERT_TRUE(waitForLine(first, "another", later));
    EXPECT_EQ(firstOut.count("another") + later.count("another"), 2);

    // The same program at another path is another program.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("probe_copy"));
    ASSERT_TRUE(QFile::copy(probe, copy));
    QProcess elsewhere;
    QByteArray elsewhereOut;
    elsewhere.start(copy, instance);
    EXPECT_TRUE(waitForLine(elsewhere, "ready", elsewhereOut));
    elsewhere.kill();
    elsewhere.waitForFinished(10000);

    // A first copy that dies leaves nothing behind: the next start is first.
    first.kill();
    first.waitForFinished(10000);
    QProcess next;
    QByteArray nextOut;
    next.start(probe, instance);
    EXPECT_TRUE(waitForLine(next, "ready", nextOut)) << nextOut.toStdString();
    next.kill();
    next.waitForFinished(10000);

    // A first copy that ends takes its socket with it.
    out = runToEnd(probe, instance + QStringList{QStringLiteral("--quit")}, code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, QByteArray("ready\n"));
    const QString socket = win::InstanceName(QFileInfo(probe).canonicalFilePath());
    EXPECT_FALSE(QFileInfo::exists(lockDir.filePath(socket)));
}

// Copies of one program find each other whatever their environment says
// about temporary files: the lock and the socket lie where only the user and
// the program's path decide.
TEST(ShowApp, CopiesFindEachOtherWhateverTheirEnvironment)
{
    const QString probe = QStringLiteral(WIDGET_APP_PROBE);
    QTemporaryDir tmpA, tmpB;
    ASSERT_TRUE(tmpA.isValid() && tmpB.isValid());
    // The program's own place for its lock: an empty directory argument.
    const QStringList instance = {QStringLiteral("--instance"), QString()};
    const auto environment = [](const QString &tmp, const QString &runtime) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp);
        if (runtime.isEmpty())
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        else
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        return env;
    };
    const struct
    {
        const char *name;
        QProcessEnvironment first, second;
    } rows[] = {
        {"another TMPDIR, no runtime directory", environment(tmpA.path(), QString()),
         environment(tmpB.path(), QString())},
        {"another TMPDIR and runtime directory", environment(tmpA.path(), tmpA.path()),
         environment(tmpB.path(), tmpB.path())},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QProcess first;
        first.setProcessEnvironment(row.first);
        QByteArray firstOut;
        first.start(probe, instance);
        ASSERT_TRUE(waitForLine(first, "ready", firstOut)) << firstOut.toStdString();

        QProcess second;
        second.setProcessEnvironment(row.second);
        second.start(probe, instance);
        ASSERT_TRUE(second.waitForFinished(20000));
        EXPECT_EQ(second.exitCode(), 3);
        EXPECT_EQ(second.readAllStandardOutput(), QByteArray("second\nended\n"));
        EXPECT_TRUE(waitForLine(first, "another", firstOut)) << firstOut.toStdString();
        first.kill();
        first.waitForFinished(10000);
    }
}

QString commandOutput(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// The first processor's fields in /proc/cpuinfo.
QMap<QString, QString> cpuinfo()
{
    QMap<QString, QString> fields;
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return fields;
    for (const QByteArray &line : f.read(1 << 16).split('\n')) {
        if (line.trimmed().isEmpty() && !fields.isEmpty())
            break;
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            fields.insert(QString::fromLatin1(line.left(colon)).trimmed(),
                          QString::fromLatin1(line.mid(colon + 1)).trimmed());
    }
    return fields;
}

// In a program of its own, an exception thrown by an event handler reaches
// OnExecption and the loop goes on.
TEST(ShowApp, AnEscapedExceptionReachesOnExecption)
{
    int code = -1;
    const QByteArray out =
        runToEnd(QStringLiteral(WIDGET_APP_PROBE), {QStringLiteral("--exception")}, code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, QByteArray("caught handler failed\nstill running\n"));
}

TEST(ShowApp, SystemInformationMatchesTheSystem)
{
    QMap<QString, QString> info;
    int code = -1;
    const QByteArray out =
        runToEnd(QStringLiteral(WIDGET_APP_PROBE), {QStringLiteral("--sysinfo")}, code);
    ASSERT_EQ(code, 0);
    for (const QByteArray &line : out.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            info.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    }
    EXPECT_EQ(info.value(QStringLiteral("ComputerName")),
              commandOutput(QStringLiteral("hostname"), {}));
    EXPECT_EQ(info.value(QStringLiteral("UserName")),
              commandOutput(QStringLiteral("id"), {QStringLiteral("-un")}));
    const QByteArray tmp = qgetenv("TMPDIR");
    EXPECT_EQ(info.value(QStringLiteral("TempDir")),
              TrimTempDir(tmp.isEmpty() ? QStringLiteral("/tmp") : QString::fromLocal8Bit(tmp)));
    EXPECT_EQ(info.value(QStringLiteral("WindowsString")), QStringLiteral("Windows 0.0"));

    const QMap<QString, QString> cpu = cpuinfo();
    if (!cpu.contains(QStringLiteral("vendor_id")))
        GTEST_SKIP() << "no x86 processor description";
    EXPECT_EQ(info.value(QStringLiteral("CPUVendor")), cpu.value(QStringLiteral("vendor_id")));
    EXPECT_EQ(info.value(QStringLiteral("CPUStepping")).toInt(),
              cpu.value(QStringLiteral("stepping")).toInt());
    EXPECT_EQ(info.value(QStringLiteral("CPUModel")).toInt(),
              cpu.value(QStringLiteral("model")).toInt() & 0xF);
    EXPECT_EQ(info.value(QStringLiteral("CPUType")).toInt(),
              std::min(cpu.value(QStringLiteral("cpu family")).toInt(), 15));
    const bool mmx = cpu.value(QStringLiteral("flags")).split(u' ').contains(QStringLiteral("mmx"));
    EXPECT_EQ(info.value(QStringLiteral("CPUMMX")) == QStringLiteral("1"), mmx);
}

// Once a hint component shows the hints in its window, the application
// still has its say first. Last in this file: the hint component's hold on
// the tool tips lasts for the rest of the process.
TEST(ShowApp, TheHintWindowAsksTheApplicationFirst)
{
    QWidget form;
    form.resize(200, 100);
    form.show();
    TzShowApp app(&form);
    TzHint hint;
    hint.Loaded();
    QWidget control(&form);
    control.setToolTip(QStringLiteral("short"));
    const struct
    {
        bool canShow;
        const char *caption; // null: no hint shows
    } rows[] = {{false, nullptr}, {true, "longer"}};
    for (const auto &r : rows) {
        app.SetOnShowHint([&r](QString &text, bool &canShow) {
            text = QStringLiteral("longer");
            canShow = r.canShow;
        });
        askForToolTip(control);
        TzHintWindow *window = TzHint::HintWindow();
        EXPECT_EQ(window && window->isVisible(), r.caption != nullptr) << r.canShow;
        if (window && r.caption) {
            EXPECT_EQ(window->Caption(), QString::fromLatin1(r.caption));
        }
    }
    app.SetOnShowHint(nullptr);
}

} // namespace
