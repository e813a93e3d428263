// Entries typed key by key into the main window just started, on a real X
// server with the window's own timers running: a limit that acts while the
// technician types must not turn the first keys of a valid value into
// another. The X server and window manager of the window position test.
#include "app/AutoForms.h"
#include "forms/MainFormUi.h"
#include "main/MainUnit.h"
#include "platform/d2xx/d2xx.h"
#include "platform/vcl/TestDialogs.h"
#include "tests/app/XSession.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace xtest;

XSession *Session = nullptr;

// Each state is shown within this; a text that never comes fails the row.
constexpr int ShownWithinMs = 3000;

} // namespace

// The CAN export refresh time takes its minimum of 20 when the focus
// leaves the edit (Tab, another page, F9 reading it), never while typing.
TEST(EntryUnderX, RefreshTimeIsTypedKeyByKey)
{
    std::string xdotool;
    if (!SessionReady(Session, &xdotool))
        return;

    QTemporaryDir dir;
    d2xx::Driver driver;
    vcl::ScriptedDialogs dialogs;
    AutoForms forms({}, dir.path() + "/qm5230.INI", driver);
    forms.Show();
    TMainForm &main = *forms.Main;
    main.activateWindow();
    ASSERT_TRUE(WaitFor([&] {
        return Framed(main) && QGuiApplication::focusWindow() == main.windowHandle();
    })) << "the window did not get the keyboard";

    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), xdotool);
        return RunProgram(args) == 0;
    };
    const auto click = [&](QWidget *w, const QPoint &at) {
        const QPoint p = w->mapToGlobal(at);
        return run({"mousemove", std::to_string(p.x()), std::to_string(p.y()), "click", "1"});
    };
    QTabBar *tabs = main.TabbedNotebook1->tabBar();
    const auto page = [&](int index) {
        return click(tabs, tabs->tabRect(index).center()) &&
               WaitFor([&] { return main.TabbedNotebook1->currentIndex() == index; },
                       ShownWithinMs);
    };
    QLineEdit *edit = main.Config.Edit_REFRESS_Export[2];
    const auto shows = [&](const QString &text) {
        return WaitFor([&] { return edit->text() == text; }, ShownWithinMs);
    };

    ASSERT_TRUE(page(TMainFormUi::PageCanExport));
    ASSERT_EQ(edit->text(), "100");
    const struct
    {
        const char *what;
        std::vector<std::string> keys; // after the text is selected
        const char *shown;
    } rows[] = {
        {"500 key by key", {"type", "500"}, "500"},
        {"emptied", {"key", "BackSpace"}, ""},
        {"150 into the emptied edit", {"type", "150"}, "150"},
        {"5, then Tab", {"type", "5"}, "5"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        if (!edit->hasFocus()) {
            ASSERT_TRUE(click(edit, edit->rect().center()));
        }
        ASSERT_TRUE(WaitFor([&] { return edit->hasFocus(); }, ShownWithinMs));
        ASSERT_TRUE(run({"key", "ctrl+a"}));
        ASSERT_TRUE(run(r.keys));
        EXPECT_TRUE(shows(r.shown)) << "shows \"" << edit->text().toStdString() << "\"";
    }
    ASSERT_TRUE(run({"key", "Tab"}));
    EXPECT_TRUE(shows("20")) << "shows \"" << edit->text().toStdString() << "\"";

    // Leaving by another page, and F9 reading the edit that holds the focus.
    for (const bool byPage : {true, false}) {
        SCOPED_TRACE(byPage ? "another page" : "F9");
        ASSERT_TRUE(click(edit, edit->rect().center()));
        ASSERT_TRUE(WaitFor([&] { return edit->hasFocus(); }, ShownWithinMs));
        ASSERT_TRUE(run({"key", "ctrl+a"}));
        ASSERT_TRUE(run({"type", "7"}));
        ASSERT_TRUE(shows("7"));
        ASSERT_TRUE(byPage ? page(TMainFormUi::PageGeneral) : run({"key", "F9"}));
        EXPECT_TRUE(shows("20")) << "shows \"" << edit->text().toStdString() << "\"";
        ASSERT_TRUE(page(TMainFormUi::PageCanExport));
    }
    main.close();
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
