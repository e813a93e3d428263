// The main window's place on the screen under a real window manager: the
// offscreen platform draws no frames, so this test starts an X server and a
// window manager of its own and runs the tool's windows on them.
#include "app/AutoForms.h"
#include "main/MainUnit.h"
#include "platform/d2xx/d2xx.h"
#include "platform/vcl/IniFile.h"
#include "platform/vcl/TestDialogs.h"
#include "tests/app/XSession.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using namespace xtest;

XSession *Session = nullptr;

struct Place
{
    int top;
    int left;
    bool maximised;
};

// Starts the tool on `iniPath`, waits until its main window is framed and
// shown, closes it and returns where it was, as the INI file holds it;
// `reach` gets its whole frame, title bar and borders counted.
Place RunOnce(const QString &iniPath, QRect *reach, bool maximise = false)
{
    vcl::ScriptedDialogs dialogs;
    d2xx::Driver driver;
    {
        AutoForms forms({}, iniPath, driver);
        forms.Show();
        TMainForm &main = *forms.Main;
        EXPECT_TRUE(WaitFor([&] { return Framed(main) && !main.PlacePending(); }))
            << "the window manager framed no window";
        if (reach)
            *reach = main.frameGeometry();
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
// tool is started; one whose title bar could not be grabbed there comes back
// onto the screen, its whole frame, and then stays.
TEST(WindowPosition, StaysPutUnderAWindowManager)
{
    if (!SessionReady(Session))
        return;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct
    {
        const char *what;
        int top, left;
        bool maximised; // stored as maximised
        bool kept;      // stored where its title bar can be grabbed: kept
        bool maximise;  // maximised by the user in the first run
    } cases[] = {
        {"as a user left it", 117, 100, false, true, false},
        {"near the corner", 3, 2, false, true, false},
        {"maximised", 117, 100, true, true, false},
        {"maximised by the user", 117, 100, false, true, true},
        {"partly beyond the right edge", 200, 600, false, true, false},
        {"above the screen", -300, 100, false, false, false},
        {"beyond the right edge", 200, 5000, false, false, false},
        {"only its corner on the screen", 1000, 1270, false, false, false},
        {"title bar cut by the bottom", 1010, 100, false, false, false},
        {"title bar cut by the top", -5, 100, false, false, false},
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
        if (c.kept) {
            EXPECT_EQ(first.top, c.top);
            EXPECT_EQ(first.left, c.left);
        } else {
            EXPECT_TRUE(screen.contains(reach))
                << "frame at " << reach.x() << "," << reach.y() << " size " << reach.width() << "x"
                << reach.height();
        }
        for (int run = 1; run < 3; ++run) {
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
    const int result = RunTests<QApplication>(argc, argv, session);
    Session = nullptr;
    return result;
}
