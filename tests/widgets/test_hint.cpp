// The hint window: placement, the move count, the shared settings and the
// tool tips it takes over.
#include "widgets/MystdApp.h"
#include "widgets/MystdHint.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

#include <memory>

namespace {

using namespace widgets;

TEST(HintPlacement, KeepsTheHintOnTheScreen)
{
    const QRect screen(0, 0, 1024, 768);
    const struct
    {
        TzHintPos position;
        QPoint anchor;
        QSize size;
        QPoint at;
    } rows[] = {
        {hpLeftAbove, {5, 5}, {100, 40}, {8, 8}},
        {hpRightUnder, {1020, 760}, {100, 40}, {916, 720}}, // right and bottom 8 inside
        {hpNormal, {300, 200}, {100, 40}, {300, 200}},
        {hpLeftUnder, {500, 300}, {100, 40}, {396, 324}},
        {hpRightAbove, {500, 300}, {100, 40}, {504, 256}},
        {hpLeftAbove, {500, 300}, {100, 40}, {396, 256}},
        {hpRightUnder, {10, 10}, {2000, 40}, {8, 34}}, // wider than the screen
    };
    for (const auto &r : rows)
        EXPECT_EQ(HintPlacement(r.anchor, r.size, r.position, screen), r.at) << int(r.position);
    EXPECT_EQ(HintPlacement({1030, 10}, {100, 40}, hpLeftAbove, QRect(1024, 0, 800, 600)),
              QPoint(1032, 8));

    EXPECT_EQ(HintTextWidth(1024, 2, true), 500);
    EXPECT_EQ(HintTextWidth(1024, 2, false), 504);
    EXPECT_EQ(HintTextWidth(1024, 0, true), 1012);
}

TEST(Hint, SettingsAreSharedAndClamped)
{
    auto first = std::make_unique<TzHint>();
    first->SetShadowColor(vcl::clRed);
    first->SetHintPosition(hpRightUnder);
    EXPECT_EQ(Mystd::HintSettings().ShadowColor, vcl::clRed);
    TzHint second; // resets what the first set
    EXPECT_EQ(first->ShadowColor(), vcl::clBtnShadow);
    EXPECT_EQ(first->HintPosition(), hpLeftAbove);

    const struct
    {
        int set, part, moves;
    } rows[] = {{0, 1, 2}, {-3, 1, 2}, {5, 5, 5}, {50, 10, 20}};
    for (const auto &r : rows) {
        second.SetPartOfScreen(r.set);
        second.SetMoveBeforeOff(r.set);
        EXPECT_EQ(second.PartOfScreen(), r.part) << r.set;
        EXPECT_EQ(second.MoveBeforeOff(), r.moves) << r.set;
    }

    int painted = 0;
    first->SetOnHintPaint([&painted](QObject *) { ++painted; });
    first->SetOnHintShow([](QObject *, bool &) {});
    first.reset(); // its events go with it
    EXPECT_FALSE(Mystd::HintSettings().OnHintPaint);
    EXPECT_FALSE(Mystd::HintSettings().OnHintShow);
}

TEST(HintWindow, HidesAfterMoreThanMoveBeforeOffMoves)
{
    TzHint hint;
    hint.SetMoveBeforeOff(5);
    TzHintWindow window;
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(window.IsHintMsg(&move));
    EXPECT_TRUE(window.IsHintMsg(&move));
    EXPECT_EQ(window.MoveCount(), 0);
    QEvent key(QEvent::KeyPress);
    EXPECT_TRUE(window.IsHintMsg(&key));
}

TEST(HintWindow, ShowsWholeTextsAndHonoursTheVeto)
{
    TzHint hint;
    auto *window = new TzHintWindow;
    bool allow = false;
    hint.SetOnHintShow([&allow](QObject *, bool &show) { show = allow; });
    window->ActivateHint({}, QStringLiteral("no"));
    EXPECT_FALSE(window->isVisible());

    allow = true;
    QString longText;
    for (int i = 0; i < 200; ++i)
        longText += QStringLiteral("hint ");
    ASSERT_EQ(longText.size(), 1000);
    int painted = 0;
    hint.SetOnHintPaint([&painted](QObject *) { ++painted; });
    window->ActivateHint({}, longText);
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->Caption(), longText);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(window->width(), screen.width() / 2);
    EXPECT_GT(window->height(), 5 * QFontMetrics(Mystd::HintSettings().Font.ToQFont()).height());
    const QImage image = window->grab().toImage();
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(image.pixelColor(window->width() - 1, 5), QColor(Qt::black));
    // Inside the frame, the application's hint colour.
    EXPECT_EQ(image.pixelColor(3, 3), vcl::ToQColor(vcl::clInfoBk));
    SetApplicationHintColor(vcl::clYellow);
    EXPECT_EQ(window->grab().toImage().pixelColor(3, 3), QColor(Qt::yellow));
    SetApplicationHintColor(vcl::clInfoBk);
    window->ActivateHint({}, QStringLiteral("A hint shows here,\nin two lines."));
    EXPECT_GT(window->height(), 2 * QFontMetrics(Mystd::HintSettings().Font.ToQFont()).height());
    delete window;
}

TEST(HintWindow, TakesOverTheToolTips)
{
    QWidget form;
    form.resize(200, 100);
    auto *child = new QWidget(&form);
    child->setGeometry(10, 10, 50, 50);
    form.setToolTip(QStringLiteral("Form hint"));
    form.show();
    TzHint hint;
    hint.SetMoveBeforeOff(2);
    hint.Loaded();
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), form.mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(child, &help); // no hint of its own: the form's shows
    TzHintWindow *window = TzHint::HintWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Caption(), QStringLiteral("Form hint"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(window->isVisible()) << i;
        QMouseEvent move(QEvent::MouseMove, QPointF(30 + i, 30),
                         form.mapToGlobal(QPointF(30 + i, 30)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(form.windowHandle(), &move);
    }
    EXPECT_FALSE(window->isVisible());

    SetApplicationShowHint(false);
    QApplication::sendEvent(&form, &help);
    EXPECT_FALSE(window->isVisible());
    SetApplicationShowHint(true);
}

// When a watched window hides, on a clock of the test's own.
class HideClock : public QObject
{
public:
    QElapsedTimer clock;
    qint64 hiddenAt = -1;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Hide && hiddenAt < 0)
            hiddenAt = clock.elapsed();
        return false;
    }
};

// A hint under a resting pointer still shows shortly before the
// application's hint hide pause ends, and goes once it has passed, as a plain
// tool tip does.
TEST(HintWindow, GoesAfterTheApplicationsHidePause)
{
    QWidget form;
    form.resize(200, 100);
    form.setToolTip(QStringLiteral("Form hint"));
    form.show();
    TzHint hint;
    hint.Loaded();
    TApplication &app = Application();
    const int pause = app.HintHidePause();
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), form.mapToGlobal(QPoint(20, 20)));
    const struct
    {
        int hidePause;
        int ownDuration; // the control's own tool-tip duration, 0 for none
    } rows[] = {{400, 0}, {60000, 400}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.hidePause);
        app.SetHintHidePause(row.hidePause);
        form.setToolTipDuration(row.ownDuration);
        const int stay = row.ownDuration ? row.ownDuration : row.hidePause;
        // A coarse timer may come up to 5% early: shortly before is 90%.
        const int shortlyBefore = stay * 9 / 10;
        HideClock watch; // started before the hint's own timer
        watch.clock.start();
        QApplication::sendEvent(&form, &help);
        TzHintWindow *window = TzHint::HintWindow();
        ASSERT_TRUE(window);
        ASSERT_TRUE(window->isVisible());
        window->installEventFilter(&watch);
        QTest::qWait(shortlyBefore);
        // On a busy machine this look may come late: when the hint went
        // tells then.
        EXPECT_TRUE(window->isVisible() || watch.hiddenAt >= shortlyBefore)
            << "gone after " << watch.hiddenAt << " ms";
        EXPECT_TRUE(QTest::qWaitFor([window] { return !window->isVisible(); }, stay + 5000));
        EXPECT_GE(watch.hiddenAt, shortlyBefore);
        window->removeEventFilter(&watch);
    }
    app.SetHintHidePause(pause);
}

} // namespace
