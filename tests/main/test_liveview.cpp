#include "main/LiveStatus.h"
#include "tests/main/MainRig.h"
#include "tests/support/EventLoopWait.h"

#include "main/LinkLamp.h"
#include "platform/vcl/Colors.h"
#include "widgets/zAnimate.h"

#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace devlink;
using testsupport::Bytes;
using testsupport::MainRig;

namespace {
constexpr std::uint32_t Face = vcl::clBtnFace;

// Counts the paint events a widget gets.
class PaintCounter : public QObject
{
    Q_DISABLE_COPY(PaintCounter)

public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

bool waitUntil(const std::function<bool()> &done)
{
    return testsupport::waitFor(done, 10000);
}

// The main window shown on its "General" page, as the live view runs.
bool showGeneralPage(MainRig &r)
{
    r.main().show();
    r.main().TabbedNotebook1->setCurrentIndex(0);
    return waitUntil([&] { return r.main().windowHandle()->isExposed(); });
}

bool waitForPaint(const PaintCounter &counter)
{
    return waitUntil([&] { return counter.paints > 0; });
}

// Delivers the layout requests a layout posts up its chain of parents, each
// level posting the next.
void settleLayouts()
{
    for (int level = 0; level < 10; ++level)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}
} // namespace

// Every single error bit, on and off, with and without the warning flag,
// as the live view's tables give them; combined bits take the lowest fault.
TEST(LiveStatus, HighPowerTable)
{
    struct Case
    {
        std::uint8_t err;
        bool on, warn;
        const char *label;
        std::uint32_t labelColour;
        const char *caption;
        std::uint32_t buttonColour;
    } cases[] = {
        {1, true, false, "-SHORT", LiveRed, "fail", LiveRed},
        {2, false, false, "+SHORT", LiveRed, "fail", LiveRed},
        {4, false, true, "OPEN", LiveRed, "fail", LiveRed},
        {8, true, true, "OVERLOAD", LiveRed, "fail", LiveRed},
        {0, true, false, "12.3 A", LiveGreen, "On", LiveGreen},
        {0, true, true, "12.3 A", LiveYellow, "On", LiveYellow},
        {0, false, false, "--", LiveWhite, "Off", Face},
        {0, false, true, "--", LiveWhite, "Off", LiveYellow},
        {16, true, false, "12.3 A", LiveGreen, "On", LiveGreen}, // not a fault bit
        {0x0C, true, false, "OPEN", LiveRed, "fail", LiveRed},   // two faults at once
        {0x0A, true, false, "+SHORT", LiveRed, "fail", LiveRed},
        {0xFF, true, false, "-SHORT", LiveRed, "fail", LiveRed},
    };
    for (const auto &c : cases) {
        const ChannelView v = HighPowerView({c.on, c.err, 123, c.warn});
        EXPECT_EQ(v.labelText, c.label) << int(c.err) << c.on << c.warn;
        EXPECT_EQ(v.labelColour, c.labelColour) << int(c.err);
        EXPECT_EQ(v.caption, c.caption) << int(c.err);
        EXPECT_EQ(v.buttonColour, c.buttonColour) << int(c.err);
    }
}

TEST(LiveStatus, LowPowerTable)
{
    struct Case
    {
        std::uint8_t err;
        bool on, warn;
        const char *caption;
        std::uint32_t colour;
    } cases[] = {
        {1, false, false, "Off", Face},       {4, false, true, "Off", LiveYellow},
        {1, true, false, "fail", LiveRed},    {2, true, true, "fail", LiveRed},
        {4, true, false, "fail", LiveRed},    {8, true, false, "On", LiveGreen},
        {8, true, true, "On", LiveYellow},    {0, true, false, "On", LiveGreen},
        {0x09, true, false, "fail", LiveRed},
    };
    for (const auto &c : cases) {
        const ChannelView v = LowPowerView({c.on, c.err, 0, c.warn});
        EXPECT_EQ(v.caption, c.caption) << int(c.err) << c.on;
        EXPECT_EQ(v.buttonColour, c.colour) << int(c.err) << c.on;
    }
}

TEST(LiveStatus, TenthsFormatting)
{
    EXPECT_EQ(FormatTenthsUnit(5, "A"), "0.5 A");
    EXPECT_EQ(FormatTenthsUnit(123, "A"), "12.3 A");
    EXPECT_EQ(FormatTenthsUnit(0, "V"), "0.0 V");
    EXPECT_EQ(FormatTenthsUnit(65535, "A"), "6553.5 A");
}

TEST(LiveView, FramesFillThePageAndClearBlanksIt)
{
    MainRig r({"KeeperEntry"});
    TGeneralPageUi &g = r.main().General;
    r.connect();
    r.receive(MainRig::frame(1, BOX_STATUS_CFM, {200, 100, 0x01, 0x2C, 138, 41}));
    EXPECT_EQ(g.lblErrors->text(), "300");
    EXPECT_EQ(g.lblCurrentSum->text(), "30.0 A");
    EXPECT_EQ(g.lblVbat->text(), "13.8 V");
    EXPECT_EQ(g.lblTemp->text(), "41 \u00B0C");

    r.receive(MainRig::frame(1, INPUT_STATUS_CFM, {0x01, 0x04, 0x01, 0x00, 0x00, 0x80}));
    EXPECT_EQ(g.InputStates[1]->text(), "On");
    EXPECT_EQ(g.InputStates[2]->text(), "Off");
    EXPECT_EQ(g.InputStates[11]->text(), "On");
    EXPECT_EQ(g.CanInputStates[1]->text(), "On");
    EXPECT_EQ(g.CanInputStates[32]->text(), "On");
    EXPECT_EQ(g.CanInputStates[31]->text(), "Off");

    r.receive(MainRig::frame(1, CHANNEL_STATUS_CFM, {7, 0xF0, 0, 0x00, 0x05, 0}));
    EXPECT_EQ(g.ChannelButtons[7]->Caption(), "On");
    EXPECT_EQ(g.ChannelButtons[7]->GetColor(), LiveGreen);
    EXPECT_EQ(g.ChannelStates[7]->text(), "0.5 A");
    r.receive(MainRig::frame(1, CHANNEL_STATUS_CFM, {3, 0x00, 4, 0, 0, 0}));
    EXPECT_EQ(g.ChannelStates[3]->text(), "OPEN");
    EXPECT_EQ(g.ChannelButtons[3]->Caption(), "fail");
    r.receive(MainRig::frame(1, CHANNEL_STATUS_CFM, {34, 0xF0, 8, 0, 0, 1}));
    EXPECT_EQ(g.ChannelButtons[34]->Caption(), "On");
    EXPECT_EQ(g.ChannelButtons[34]->GetColor(), LiveYellow);

    // Channel numbers outside 1..34 change nothing.
    auto snapshot = [&] {
        QStringList s;
        for (int i = 1; i <= 34; ++i)
            s << g.ChannelButtons[static_cast<std::size_t>(i)]->Caption()
              << QString::number(g.ChannelButtons[static_cast<std::size_t>(i)]->GetColor());
        for (int i = 1; i <= 18; ++i)
            s << g.ChannelStates[static_cast<std::size_t>(i)]->text();
        return s;
    };
    const QStringList before = snapshot();
    for (std::uint8_t ch : {0, 35, 255})
        r.receive(MainRig::frame(1, CHANNEL_STATUS_CFM, {ch, 0xF0, 1, 0, 0, 0}));
    EXPECT_EQ(snapshot(), before);

    r.main().ClearLiveView();
    for (QLabel *l : {g.lblCurrentSum, g.lblVbat, g.lblTemp, g.lblErrors})
        EXPECT_EQ(l->text(), "--");
    for (int i = 1; i <= 34; ++i) {
        EXPECT_EQ(g.ChannelButtons[static_cast<std::size_t>(i)]->Caption(), "Off");
        EXPECT_EQ(g.ChannelButtons[static_cast<std::size_t>(i)]->GetColor(), Face);
    }
    for (int i = 1; i <= 18; ++i)
        EXPECT_EQ(g.ChannelStates[static_cast<std::size_t>(i)]->text(), "--");
    for (int i = 1; i <= 11; ++i)
        EXPECT_EQ(g.InputStates[static_cast<std::size_t>(i)]->text(), "Off");
    for (int i = 1; i <= 32; ++i)
        EXPECT_EQ(g.CanInputStates[static_cast<std::size_t>(i)]->text(), "Off");
}

TEST(ManualControl, ButtonsSwitchOnlyInManualModeWhenConnected)
{
    MainRig r({"KeeperEntry"});
    TGeneralPageUi &g = r.main().General;
    g.RadioButtonManuel->click(); // not connected: buttons on, nothing sent
    EXPECT_TRUE(g.ChannelButtons[1]->isEnabled());
    r.connect();
    r.main().ChannelButtonClick(g.ChannelButtons[7]);
    auto frames = r.sent();
    ASSERT_EQ(frames.size(), 1u);
    Bytes expect{0, 12, 1, 0x24, 7, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    expect[0] = FrameChecksum(expect.data() + 1, 11);
    EXPECT_EQ(frames[0], expect);
    g.ChannelButtons[7]->SetCaption("On");
    r.main().ChannelButtonClick(g.ChannelButtons[7]);
    frames = r.sent();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][5], 0x0F);

    g.RadioButtonAuto->click();
    EXPECT_EQ(MainRig::commands(r.sent()), std::vector<std::uint8_t>{MODE_REQ});
    EXPECT_FALSE(g.ChannelButtons[7]->isEnabled());
    r.main().ChannelButtonClick(g.ChannelButtons[7]);
    EXPECT_TRUE(r.sent().empty());
}

// The status poll brings the same answers every 450 ms while the unit is
// steady: then nothing on the page repaints and the link lamps that stand
// still do not either; a changed answer repaints what it changes.
TEST(LiveView, SteadyStatusRepaintsNothing)
{
    MainRig r({"KeeperEntry"});
    TGeneralPageUi &g = r.main().General;
    ASSERT_TRUE(showGeneralPage(r));
    r.connect();
    const std::vector<Bytes> answers = {
        MainRig::frame(1, BOX_STATUS_CFM, {1, 2, 0x01, 0x2C, 138, 41}),
        MainRig::frame(1, INPUT_STATUS_CFM, {0x05, 0x04, 0x01, 0x00, 0x00, 0x80}),
        MainRig::frame(1, CHANNEL_STATUS_CFM, {7, 0xF0, 0, 0x00, 0x05, 0}),
        MainRig::frame(1, CHANNEL_STATUS_CFM, {3, 0x00, 4, 0, 0, 0}),
        MainRig::frame(1, CHANNEL_STATUS_CFM, {8, 0x00, 0, 0, 0, 0}),
        MainRig::frame(1, CHANNEL_STATUS_CFM, {20, 0xF0, 0, 0, 0, 1}),
        MainRig::frame(1, CHANNEL_STATUS_CFM, {21, 0x00, 0, 0, 0, 0}),
    };
    for (const Bytes &f : answers)
        r.receive(f);
    r.main().TimerVersionTimer();
    auto *lamp0 = r.main().findChild<LinkLamp *>("LinkLamp0");
    auto *lamp1 = r.main().findChild<LinkLamp *>("LinkLamp1");
    ASSERT_NE(lamp0, nullptr);
    ASSERT_NE(lamp1, nullptr);
    EXPECT_TRUE(lamp0->lit());
    EXPECT_TRUE(lamp0->styleSheet().isEmpty()) << "the lamps are painted, not styled";

    struct Watched
    {
        const char *what;
        QWidget *widget;
    } watched[] = {
        {"button 7 on", g.ChannelButtons[7]},  {"label 7 current", g.ChannelStates[7]},
        {"button 3 fail", g.ChannelButtons[3]}, {"label 3 OPEN", g.ChannelStates[3]},
        {"button 8 off", g.ChannelButtons[8]},  {"label 8 off", g.ChannelStates[8]},
        {"button 20 warning", g.ChannelButtons[20]}, {"button 21 off", g.ChannelButtons[21]},
        {"input 1 on", g.InputStates[1]},      {"input 2 off", g.InputStates[2]},
        {"CAN input 32 on", g.CanInputStates[32]}, {"supply", g.lblVbat},
        {"errors", g.lblErrors},               {"lamp lit", lamp0},
        {"lamp dark", lamp1},                  {"tabs", r.main().TabbedNotebook1},
        {"page", r.main().findChild<QWidget *>("GroupBoxHighPower")},
    };
    // Everything laid out and painted once, then every paint from here on is counted.
    settleLayouts();
    PaintCounter flushed(g.ChannelButtons[30]);
    g.ChannelButtons[30]->SetColor(LiveRed);
    ASSERT_TRUE(waitForPaint(flushed));
    std::vector<std::unique_ptr<PaintCounter>> counters;
    for (const Watched &w : watched)
        counters.push_back(std::make_unique<PaintCounter>(w.widget));

    for (const Bytes &f : answers)
        r.receive(f);
    r.main().TimerVersionTimer(); // no version answer: the lamps stand
    // A change on an unwatched button: once it is painted, so is anything
    // the answers above left dirty in the same window.
    PaintCounter marker(g.ChannelButtons[31]);
    g.ChannelButtons[31]->SetColor(LiveRed);
    ASSERT_TRUE(waitForPaint(marker));
    for (std::size_t i = 0; i < counters.size(); ++i)
        EXPECT_EQ(counters[i]->paints, 0) << watched[i].what;

    // A new state repaints the button and label it concerns, not the page.
    r.receive(MainRig::frame(1, CHANNEL_STATUS_CFM, {7, 0xF0, 0, 0x00, 0x06, 0}));
    settleLayouts();
    EXPECT_TRUE(waitForPaint(*counters[1])) << "label 7, new current";
    r.receive(MainRig::frame(1, CHANNEL_STATUS_CFM, {8, 0xF0, 0, 0x00, 0x06, 0}));
    settleLayouts();
    EXPECT_TRUE(waitForPaint(*counters[4])) << "button 8, switched on";
    EXPECT_EQ(counters.back()->paints, 0) << "a new reading lays out and repaints the page";
    const int tabPaints = counters[15]->paints;
    r.main().VersionReplySeen = 1;
    r.main().TimerVersionTimer();
    r.main().TimerVersionTimer(); // the lamp steps on and the next tick shows it
    EXPECT_TRUE(waitForPaint(*counters[14])) << "lamp 1, lit";
    EXPECT_EQ(counters[15]->paints, tabPaints) << "a lamp repaints the tabs beneath it";
    EXPECT_TRUE(lamp1->lit());
    EXPECT_FALSE(lamp0->lit());
}

// A value label keeps its laid-out size while its texts fit; a text that
// needs more room gets it from the layout, as it would have without that,
// also when the same text fitted before the label's font grew.
TEST(LiveView, TextTooWideForItsLabelGetsRoom)
{
    MainRig r({"KeeperEntry"});
    TGeneralPageUi &g = r.main().General;
    ASSERT_TRUE(showGeneralPage(r));
    r.connect();
    r.receive(MainRig::frame(1, CHANNEL_STATUS_CFM, {7, 0xF0, 0, 0x00, 0x05, 0}));
    settleLayouts();
    QLabel *label = g.ChannelStates[7];
    const int laidOut = label->width();
    EXPECT_EQ(label->text(), "0.5 A");
    r.receive(MainRig::frame(1, CHANNEL_STATUS_CFM, {7, 0x00, 8, 0, 0, 0}));
    r.receive(MainRig::frame(1, CHANNEL_STATUS_CFM, {7, 0xF0, 0, 0x00, 0x05, 0}));
    settleLayouts();
    ASSERT_EQ(label->width(), laidOut) << "OVERLOAD fits the label as laid out";

    QFont big = label->font();
    big.setPixelSize(40);
    label->setFont(big);
    r.receive(MainRig::frame(1, CHANNEL_STATUS_CFM, {7, 0x00, 8, 0, 0, 0}));
    EXPECT_EQ(label->text(), "OVERLOAD");
    EXPECT_TRUE(waitUntil([&] {
        settleLayouts();
        return label->width() >= label->sizeHint().width();
    })) << label->width() << " < " << label->sizeHint().width();
    EXPECT_GT(label->width(), laidOut);
}
