#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "config/UnitVersion.h"

#include "forms/GeneralPageUi.h"
#include "widgets/zAnimate.h"

#include <QDir>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

using testsupport::E2ERig;

namespace {

void screenshot(QWidget &w, const char *name)
{
    if (const char *dir = std::getenv("QM5230_SCREENSHOT_DIR"))
        w.grab().save(QDir(dir).filePath(name));
}

} // namespace

// Connect through the selection window: the password exchange grants access,
// the status poll fills the General page, and the frames on the wire are the
// protocol's.
TEST(EndToEnd, ConnectShowsTheLiveUnit)
{
    E2ERig r;
    r.unit->unit().setChannelFault(4, 4);
    r.forms->Show();
    r.connectThroughSelection();
    ASSERT_EQ(r.panel(0), "USB CONNECTED");
    ASSERT_TRUE(r.waitFor([&] { return r.panel(1) == "Read / Write"; })) << r.trace().toStdString();

    TGeneralPageUi &g = r.main().General;
    ASSERT_TRUE(r.waitFor(
        [&] { return g.lblVbat->text() != "--" && g.ChannelStates[4]->text() == "OPEN"; }));
    EXPECT_EQ(g.ChannelButtons[4]->Caption(), "fail");
    const QString trace = r.trace();
    // VERSION_REQ, PASSWORD_READ_REQ, BOX_STATUS_REQ and CHANNEL_STATUS_REQ as stuffed on the wire.
    EXPECT_TRUE(trace.contains("-> Tx;add to Tx buffer: 192 3 4 1 6 192 "));
    EXPECT_TRUE(trace.contains("-> Tx;add to Tx buffer: 192 110 4 1 107 192 "));
    EXPECT_TRUE(trace.contains("-> Tx;add to Tx buffer: 192 37 4 1 32 192 "));
    EXPECT_TRUE(trace.contains("-> Tx;add to Tx buffer: 192 217 5 1 34 255 192 "));
    EXPECT_TRUE(trace.contains("<- Rx buffer: 192 "));
    EXPECT_FALSE(trace.contains("Checksum error"));
    screenshot(r.main(), "general.png");
}

// A unit pulled out is reported, blanks the view, and is reopened with a new
// password exchange when it returns.
TEST(EndToEnd, PullAndReplug)
{
    E2ERig r;
    r.connectThroughSelection();
    ASSERT_TRUE(r.waitFor([&] { return r.panel(1) == "Read / Write"; }));
    r.unit->unplug();
    ASSERT_TRUE(r.waitFor([&] { return r.panel(0) == "USB DISCONNECTED"; }));
    EXPECT_EQ(r.panel(1), "");
    EXPECT_EQ(r.main().General.lblVbat->text(), "--");
    r.unit->replug();
    ASSERT_TRUE(r.waitFor([&] { return r.panel(0) == "USB CONNECTED"; }));
    ASSERT_TRUE(r.waitFor([&] { return r.panel(1) == "Read / Write"; }));
}

// A unit that stops answering is declared lost after seven silent ticks.
TEST(EndToEnd, SilentUnitBlanksTheView)
{
    E2ERig r({"KeeperEntry"});
    r.connectThroughSelection();
    ASSERT_TRUE(r.waitFor([&] { return r.main().General.lblVbat->text() != "--"; }));
    r.unit->line().dropNextAnswers(1000000);
    ASSERT_TRUE(r.waitFor([&] { return r.main().LinkLost == 1; }));
    EXPECT_EQ(r.main().General.lblVbat->text(), "--");
}

// The keypad "/" in manual mode switches every output on, without one frame
// lost on the way (the outputs start off, so this press is the one that turns
// them on).
TEST(EndToEnd, KeypadSwitchesEveryOutput)
{
    testsupport::QuickVersionCheck quickCheck;

    E2ERig r({"KeeperEntry"});
    ModalWatchdog watchdog(30000);
    r.forms->Show();
    r.connectThroughSelection();
    // The automatic read first, so that the outputs are switched on a quiet link.
    ASSERT_TRUE(r.waitFor([&] { return r.main().ReadFromDevice && !r.main().RefreshPending; }))
        << r.trace().toStdString();
    TGeneralPageUi &g = r.main().General;
    g.RadioButtonManuel->click();
    // The queue writes its lowest slot first: a switch queued right behind
    // the mode could reach the unit before it.
    ASSERT_TRUE(r.waitFor([&] { return r.unit->unit().mode() == sim::UnitMode::Manual; }));
    KeypadSwitchAllOn = 1;
    r.main().KeypadSwitchAll();
    const auto allOn = [&] {
        for (int ch = 1; ch <= TGeneralPageUi::Channels; ++ch)
            if (g.ChannelButtons[static_cast<std::size_t>(ch)]->Caption() != "On")
                return false;
        return true;
    };
    ASSERT_TRUE(r.waitFor(allOn)) << r.panel(2).toStdString() << "\n" << r.trace().toStdString();
    EXPECT_FALSE(r.trace().contains("Tx buffer full")) << r.trace().toStdString();
    EXPECT_TRUE(r.panel(2).isEmpty());
    EXPECT_FALSE(watchdog.fired);
}
