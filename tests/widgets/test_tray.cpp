// The notification-area icons: the meter's arithmetic and picture, its tool
// tip, and the mouse messages turned into events and menus (no tray needed).
#include "widgets/MystdTray.h"

#include "widgets/MystdForms.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>

#include <climits>

namespace {

using namespace widgets;

TEST(TrayMeter, Arithmetic)
{
    const struct
    {
        std::int32_t min, max, value;
        int percent, bar;
    } rows[] = {
        {0, 100, 50, 50, 7}, // the documented examples
        {0, 100, 100, 100, 14},
        {0, 3, 1, 33, 5},
        {-50, 50, 0, 50, 7},
        {0, INT_MAX, INT_MAX, 100, 14}, // ranges that overflow 32 bits
        {INT_MIN, INT_MAX, 0, 50, 7},
        {INT_MIN, INT_MAX, INT_MAX, 100, 14},
        {INT_MIN, INT_MAX, INT_MIN, 0, 0},
        {0, 100, 150, 100, 14}, // outside the range: clamped
        {0, 100, -5, 0, 0},
    };
    for (const auto &r : rows) {
        const TMeterRange range{r.min, r.max, r.value};
        EXPECT_EQ(range.Percent(), r.percent) << r.min << " " << r.max << " " << r.value;
        EXPECT_EQ(range.BarLength(), r.bar);
    }
    EXPECT_EQ((TMeterRange{INT_MIN, INT_MAX, 0}.ValueForPercent(100)), INT_MAX);
    EXPECT_EQ((TMeterRange{0, 10, 0}.ValueForPercent(150)), 10);
}

struct TrayRig
{
    QWidget form;
    QWidget mainForm;
    TrayRig() { SetApplicationMainForm(&mainForm); }
    ~TrayRig() { SetApplicationMainForm(nullptr); }
};

TEST(TrayMeter, LimitsAndPercent)
{
    TrayRig rig;
    TzcTrayMeter meter(&rig.form);
    meter.SetValue(50);
    EXPECT_EQ(meter.Percent(), 50);
    meter.SetMax(0);
    EXPECT_EQ(meter.Max(), 1);
    EXPECT_EQ(meter.Value(), 1);
    meter.SetMax(200);
    meter.SetPercent(150);
    EXPECT_EQ(meter.Value(), 200);
    meter.SetMin(INT_MAX);
    EXPECT_EQ(meter.Min(), INT_MAX - 1);
    EXPECT_EQ(meter.Max(), INT_MAX);
    EXPECT_EQ(meter.Value(), INT_MAX - 1);
    meter.SetPercent(100);
    EXPECT_EQ(meter.Value(), INT_MAX);
    EXPECT_EQ(meter.Percent(), 100);
}

vcl::TColor pixel(const QImage &image, int x, int y)
{
    return vcl::FromQColor(image.pixelColor(x, y));
}

TEST(TrayMeter, Picture)
{
    TMeterLook look;
    look.UsePctOnBar = false;
    look.Color = vcl::clWhite;
    look.BarColor = vcl::clLime;
    look.FrameColor = vcl::clRed;
    const QImage up = MeterImage(look, 50);
    for (int y = 1; y <= 14; ++y)
        EXPECT_EQ(pixel(up, 7, y), y >= 8 ? vcl::clLime : vcl::clWhite) << y;
    for (QPoint corner : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15), QPoint(7, 0)})
        EXPECT_EQ(pixel(up, corner.x(), corner.y()), vcl::clRed);

    look.Direction = TzcTM_Right;
    const QImage right = MeterImage(look, 50);
    for (int x = 1; x <= 14; ++x)
        EXPECT_EQ(pixel(right, x, 7), x <= 7 ? vcl::clLime : vcl::clWhite) << x;

    look.Direction = TzcTM_Up;
    look.UseLed = true;
    const QImage led = MeterImage(look, 100);
    for (int y = 1; y <= 14; ++y) {
        EXPECT_EQ(pixel(led, 5, y), y % 2 == 0 ? vcl::clWhite : vcl::clLime) << y;
        EXPECT_EQ(pixel(led, 14, y), y % 2 == 0 ? vcl::clWhite : vcl::clLime) << y;
    }

    look.UseLed = false;
    look.UsePctOnBar = true;
    look.PctColor = vcl::clBlue;
    const QImage digits = MeterImage(look, 42);
    int blue = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            blue += digits.pixelColor(x, y).blue() > 200 && digits.pixelColor(x, y).green() < 100;
    EXPECT_GT(blue, 3);
}

TEST(TrayMeter, ToolTip)
{
    const struct
    {
        const char *format;
        TzcTrayHintStyle style;
        const char *tip; // nullptr: the format does not fit
    } rows[] = {
        {"%d%%", thsPctBar, "50%"},
        {"%d", thsTotalBar, "25"},
        {"%d/%d%%", thsTotPct, "25/50%"},
        {"%d%% of %d", thsPctTot, "50% of 25"},
        {"%s", thsPctBar, nullptr},
        {"%d %d", thsPctBar, nullptr},
        {"%f", thsTotalBar, nullptr},
        {"%70d", thsPctBar,
         "                                                            "
         "  "}, // cut to 62
    };
    for (const auto &r : rows) {
        const auto tip = MeterTip(QString::fromLatin1(r.format), r.style, 25, 50);
        if (r.tip)
            EXPECT_EQ(tip, QString::fromLatin1(r.tip)) << r.format;
        else
            EXPECT_FALSE(tip.has_value()) << r.format;
    }

    TrayRig rig;
    TzcTrayMeter meter(&rig.form);
    meter.SetValue(50);
    meter.SetToolTip(QStringLiteral("%d%%"));
    EXPECT_EQ(meter.TipText(), QStringLiteral("50%"));
    meter.SetToolTip(QStringLiteral("%s")); // a bad format keeps the last tip
    EXPECT_EQ(meter.TipText(), QStringLiteral("50%"));
    meter.SetToolTip(QString());
    meter.SetValue(60);
    EXPECT_EQ(meter.TipText(), QStringLiteral("50%"));
    meter.SetToolTip(QString(70, u'x'));
    EXPECT_EQ(meter.ToolTip().size(), MaxTrayTip);

    TzTrayIcon icon(&rig.form);
    icon.SetToolTip(QString(63, u'y'));
    EXPECT_EQ(icon.ToolTip(), QString(62, u'y'));
}

// Records the events of a tray icon in the order they come.
struct EventLog
{
    QStringList log;
    explicit EventLog(TzTrayBase &tray)
    {
        QObject::connect(&tray, &TzTrayBase::OnMouseDown, &tray, [this] { log << "down"; });
        QObject::connect(&tray, &TzTrayBase::OnMouseUp, &tray, [this] { log << "up"; });
        QObject::connect(&tray, &TzTrayBase::OnClick, &tray, [this] { log << "click"; });
        QObject::connect(&tray, &TzTrayBase::OnDblClick, &tray, [this] { log << "dblclick"; });
        QObject::connect(&tray, &TzTrayBase::OnRightClick, &tray, [this] { log << "rightclick"; });
        QObject::connect(&tray, &TzTrayBase::OnMidClick, &tray, [this] { log << "midclick"; });
        QObject::connect(&tray, &TzTrayBase::OnleftMenu, &tray, [this] { log << "leftmenu"; });
        QObject::connect(&tray, &TzTrayBase::OnRightMenu, &tray, [this] { log << "rightmenu"; });
    }
};

TEST(TrayIcon, MouseMessagesBecomeEvents)
{
    TrayRig rig;
    TzTrayIcon tray(&rig.form);
    EventLog events(tray);
    QMenu left, right;
    left.addAction(QStringLiteral("Left"));
    right.addAction(QStringLiteral("Right"));
    tray.SetLeftPopupMenu(&left);
    tray.SetPopupMenu(&right);

    const struct
    {
        std::vector<win::TrayMouseMessage> messages;
        QStringList events;
    } rows[] = {
        {{win::WM_LBUTTONDOWN, win::WM_LBUTTONUP}, {"down", "click", "leftmenu", "up"}},
        {{win::WM_LBUTTONUP}, {"up"}},
        {{win::WM_RBUTTONDOWN, win::WM_RBUTTONUP}, {"down", "rightclick", "rightmenu", "up"}},
        {{win::WM_MBUTTONDOWN, win::WM_MBUTTONUP}, {"down", "midclick", "up"}},
        {{win::WM_MBUTTONUP}, {"up"}},
        {{win::WM_LBUTTONDBLCLK}, {"dblclick"}},
    };
    for (const auto &r : rows) {
        events.log.clear();
        for (win::TrayMouseMessage m : r.messages)
            tray.CallbackMessage(m);
        EXPECT_EQ(events.log, r.events) << r.events.join(u',').toStdString();
        left.hide();
        right.hide();
    }
    EXPECT_EQ(left.property("PopupComponent").value<QObject *>(), &tray);

    SetMenuAutoPopup(&left, false);
    events.log.clear();
    tray.CallbackMessage(win::WM_LBUTTONDOWN);
    tray.CallbackMessage(win::WM_LBUTTONUP);
    EXPECT_EQ(events.log, QStringList({"down", "click", "up"}));
    EXPECT_FALSE(left.isVisible());
}

TEST(TrayIcon, DoubleClickRunsTheDefaultMenuItem)
{
    TrayRig rig;
    TzTrayIcon tray(&rig.form);
    EventLog events(tray);
    QMenu menu;
    QAction *open = menu.addAction(QStringLiteral("Open"));
    menu.addAction(QStringLiteral("Close"));
    int opened = 0;
    QObject::connect(open, &QAction::triggered, &menu, [&opened] { ++opened; });
    tray.SetPopupMenu(&menu);
    tray.DoDefaultMenu = true;
    tray.SetActive(true);

    tray.CallbackMessage(win::WM_LBUTTONDBLCLK); // no default item yet
    EXPECT_EQ(events.log, QStringList({"dblclick"}));
    menu.setDefaultAction(open);
    events.log.clear();
    tray.CallbackMessage(win::WM_LBUTTONDBLCLK);
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(events.log.isEmpty());

    tray.OnDefaultMenu = [](TzTrayBase &, bool &doDefault) { doDefault = false; };
    tray.CallbackMessage(win::WM_LBUTTONDBLCLK);
    EXPECT_EQ(opened, 1); // vetoed, and still no OnDblClick
    EXPECT_TRUE(events.log.isEmpty());

    tray.DoDefaultMenu = false;
    tray.CallbackMessage(win::WM_LBUTTONDBLCLK);
    EXPECT_EQ(events.log, QStringList({"dblclick"}));
}

TEST(TrayIcon, HidesItsFormAndAnswersTheSessionEnd)
{
    TrayRig rig;
    rig.form.show();
    rig.mainForm.show();
    TzTrayIcon tray(&rig.form);
    tray.SetHideParentForm(true);
    QApplication::processEvents();
    EXPECT_FALSE(rig.form.isVisible());
    tray.SetHideParentForm(false);
    QApplication::processEvents();
    EXPECT_TRUE(rig.form.isVisible());

    TzTrayIcon onMain(&rig.mainForm);
    onMain.SetHideParentForm(true);
    QApplication::processEvents();
    EXPECT_TRUE(rig.mainForm.isVisible()); // the main form stays

    EXPECT_TRUE(onMain.QueryEndSession());
    onMain.OnAskEndSession = [](bool &doEnd) { doEnd = false; };
    EXPECT_FALSE(onMain.QueryEndSession());

    QObject loose;
    EXPECT_THROW(TzTrayIcon{&loose}, EComponentError);
}

} // namespace
