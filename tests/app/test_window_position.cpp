// The main window's place on the screen under a real window manager: the
// offscreen platform draws no frames, so this test starts an X server and a
// window manager of its own and runs the tool's windows on them.
#include "app/AutoForms.h"
#include "main/MainUnit.h"
#include "platform/d2xx/d2xx.h"
#include "platform/vcl/IniFile.h"
#include "platform/vcl/TestDialogs.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int DeadlineMs = 20000;

std::string FindProgram(const char *name)
{
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', at), dirs.size());
        const std::string candidate = dirs.substr(at, end - at) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = end + 1;
    }
    return {};
}

// Starts `args` with its output dropped and `closeFd` closed in it; the
// child is ended with the test, even when the test itself is killed.
pid_t Spawn(const std::vector<std::string> &args, int closeFd = -1)
{
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid < 0 ? 0 : pid;
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::_exit(1);
    if (closeFd >= 0)
        ::close(closeFd);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

// An X server and a window manager of the test's own, ended with the test.
class XSession
{
public:
    XSession()
    {
        const std::string xvfb = FindProgram("Xvfb");
        const std::string wm = FindProgram("openbox");
        if (xvfb.empty() || wm.empty()) {
            missing_ = "Xvfb or openbox is not installed";
            return;
        }
        // The server picks a free display and writes its number when it accepts clients.
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        server_ = Spawn({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                         "-nolisten", "tcp"},
                        fds[0]);
        ::close(fds[1]);
        std::string number;
        QDeadlineTimer deadline(DeadlineMs);
        while (server_ && !deadline.hasExpired()) {
            pollfd p{fds[0], POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(deadline.remainingTime())) <= 0)
                break;
            char c = 0;
            if (::read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        ::close(fds[0]);
        if (number.empty())
            return;
        display_ = ":" + number;
        ::setenv("DISPLAY", display_.c_str(), 1);
        wm_ = Spawn({wm, "--sm-disable"});
    }
    ~XSession()
    {
        for (pid_t pid : {wm_, server_})
            if (pid > 0) {
                ::kill(pid, SIGTERM);
                ::waitpid(pid, nullptr, 0);
            }
    }
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    bool running() const { return !display_.empty() && wm_ > 0; }
    const std::string &missing() const { return missing_; }

private:
    std::string missing_;
    std::string display_;
    pid_t server_ = 0;
    pid_t wm_ = 0;
};

XSession *Session = nullptr;

// Runs the event loop until `done` holds or the deadline passes.
bool WaitFor(const std::function<bool()> &done, int deadlineMs = DeadlineMs)
{
    QDeadlineTimer deadline(deadlineMs);
    QTimer wake; // the loop sleeps until an event or this wakes it
    wake.start(10);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The window manager has put its frame around the window and shows it.
bool Framed(QWidget &w)
{
    QWindow *window = w.windowHandle();
    return window && window->isExposed() && window->frameMargins().top() > 0;
}

struct Place
{
    int top;
    int left;
    bool maximised;
};

// Starts the tool on `iniPath`, waits until its main window is framed and
// shown, closes it and returns where it was, as the INI file holds it;
// `reach` gets the window's size at the corner of its frame.
Place RunOnce(const QString &iniPath, QRect *reach, bool maximise = false)
{
    vcl::ScriptedDialogs dialogs;
    d2xx::Driver driver;
    {
        AutoForms forms({}, iniPath, driver);
        forms.Show();
        TMainForm &main = *forms.Main;
        EXPECT_TRUE(WaitFor([&] { return Framed(main); })) << "the window manager framed no window";
        if (reach)
            *reach = QRect(main.frameGeometry().topLeft(), main.size());
        if (maximise) {
            // As the user would, through the window manager.
            main.setWindowState(Qt::WindowMaximized);
            const int screenWidth = main.screen()->availableGeometry().width();
            EXPECT_TRUE(WaitFor([&] { return main.frameGeometry().width() >= screenWidth; }))
                << "the window manager did not maximise the window";
        }
        main.close();
    }
    QCoreApplication::processEvents();
    vcl::TIniFile ini(iniPath);
    return {ini.ReadInteger("Form", "Top", -9999), ini.ReadInteger("Form", "Left", -9999),
            ini.ReadBool("Form", "InitMax", false)};
}

} // namespace

// A window put back where it was closed stays there, however often the
// tool is started; one whose place lies off the screen comes back onto it
// and then stays.
TEST(WindowPosition, StaysPutUnderAWindowManager)
{
    ASSERT_NE(Session, nullptr);
    if (!Session->missing().empty())
        GTEST_SKIP() << Session->missing();
    ASSERT_TRUE(Session->running()) << "Xvfb or openbox did not start";
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct
    {
        const char *what;
        int top, left;
        bool maximised; // stored as maximised
        bool onScreen;  // stored where the whole window lies on the screen
        bool maximise;  // maximised by the user in the first run
    } cases[] = {
        {"as a user left it", 117, 100, false, true, false},
        {"near the corner", 3, 2, false, true, false},
        {"maximised", 117, 100, true, true, false},
        {"maximised by the user", 117, 100, false, true, true},
        {"above the screen", -300, 100, false, false, false},
        {"beyond the right edge", 200, 5000, false, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString iniPath = dir.path() + "/qm5230.INI";
        {
            QFile f(iniPath);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("[Form]\nTop=%1\nLeft=%2\nWidth=1000\nInitMax=%3\n")
                        .arg(c.top)
                        .arg(c.left)
                        .arg(c.maximised ? 1 : 0)
                        .toLatin1());
        }
        QRect reach;
        const Place first = RunOnce(iniPath, &reach, c.maximise);
        EXPECT_EQ(first.maximised, c.maximised || c.maximise);
        if (!c.maximised) {
            EXPECT_TRUE(screen.contains(reach)) << "at " << reach.x() << "," << reach.y();
        }
        if (c.onScreen) {
            EXPECT_EQ(first.top, c.top);
            EXPECT_EQ(first.left, c.left);
        }
        for (int run = 1; run < 4; ++run) {
            const Place again = RunOnce(iniPath, nullptr);
            EXPECT_EQ(again.top, first.top) << "run " << run;
            EXPECT_EQ(again.left, first.left) << "run " << run;
        }
    }
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    XSession session;
    Session = &session;
    if (session.running())
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    else
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        if (session.running()) {
            // The window manager is up once it frames a window of ours. A
            // window mapped while it was still starting may never be taken
            // in, so one left unframed for a while is mapped again.
            QWidget probe;
            probe.resize(100, 50);
            bool framed = false;
            for (QDeadlineTimer deadline(3 * DeadlineMs); !framed && !deadline.hasExpired();) {
                probe.show();
                framed = WaitFor([&] { return Framed(probe); }, 2000);
                if (!framed)
                    probe.hide();
            }
            if (!framed) {
                std::fprintf(stderr, "the window manager did not start\n");
                return 1;
            }
        }
        result = RUN_ALL_TESTS();
    }
    Session = nullptr;
    return result;
}
