// The application wrapper: its pure rules, the environment, the instance
// lock, and through a probe program of its own the system information and
// one running copy.
#include "widgets/MystdApp.h"

#include "platform/win/SingleInstance.h"
#include "widgets/MystdForms.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

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

    QObject loose;
    EXPECT_THROW(TzShowApp{&loose}, EComponentError);
}

TEST(ShowApp, EndOfSessionOnlyOnTheMainForm)
{
    QWidget form;
    TzShowApp app(&form);
    int ended = 0;
    app.OnAskEndSession = [](bool &doEnd) { doEnd = false; };
    app.OnEndSession = [&ended] { ++ended; };
    EXPECT_FALSE(app.QueryEndSession());
    app.EndSession();
    EXPECT_EQ(ended, 1);
}

// A show command the system would give on Windows.
class MinimisedStart : public TzShowApp
{
public:
    using TzShowApp::TzShowApp;

protected:
    int StartupShowCommand() const override { return 7; }
    QString InstanceDirectory() const override { return m_dir.path(); }
    QTemporaryDir m_dir;
};

TEST(ShowApp, MinimisedStartRestoresThroughTheApplication)
{
    QWidget form;
    SetApplicationMainForm(&form);
    int restores = 0;
    Application().OnRestore = [&restores](QObject *) { ++restores; };
    MinimisedStart app(&form);
    app.UseCmdShow = true;
    app.Loaded();
    EXPECT_TRUE(form.isMinimized());
    EXPECT_FALSE(Application().ShowMainForm);
    form.show();
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
    QProcess first;
    QByteArray firstOut;
    first.start(probe, {QStringLiteral("--instance")});
    ASSERT_TRUE(waitForLine(first, "ready", firstOut)) << firstOut.toStdString();

    int code = -1;
    QByteArray out = runToEnd(probe, {QStringLiteral("--instance")}, code);
    EXPECT_EQ(code, 3);
    EXPECT_EQ(out, QByteArray("second\nended\n"));
    ASSERT_TRUE(waitForLine(first, "another", firstOut));

    // A copy that keeps quiet still ends, and the first hears nothing of it:
    // the next one it hears of is the loud copy after it.
    out = runToEnd(probe, {QStringLiteral("--instance"), QStringLiteral("--quiet")}, code);
    EXPECT_EQ(code, 3);
    out = runToEnd(probe, {QStringLiteral("--instance")}, code);
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
    elsewhere.start(copy, {QStringLiteral("--instance")});
    EXPECT_TRUE(waitForLine(elsewhere, "ready", elsewhereOut));
    elsewhere.kill();
    elsewhere.waitForFinished(10000);

    // A first copy that dies leaves nothing behind: the next start is first.
    first.kill();
    first.waitForFinished(10000);
    QProcess next;
    QByteArray nextOut;
    next.start(probe, {QStringLiteral("--instance")});
    EXPECT_TRUE(waitForLine(next, "ready", nextOut)) << nextOut.toStdString();
    next.kill();
    next.waitForFinished(10000);
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

} // namespace
