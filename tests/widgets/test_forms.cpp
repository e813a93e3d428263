// Form lookup, the movable panel and the title-bar switch.
#include "widgets/MystdForms.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QRubberBand>
#include <QSignalSpy>

namespace {

using namespace widgets;

TEST(FindForm, WalksTheParentChain)
{
    QWidget form;
    QObject holder(&form);
    QObject component(&holder);
    auto *child = new QWidget(&form);
    auto *grandChild = new QWidget(child);
    EXPECT_EQ(FindForm(&component), &form);
    EXPECT_EQ(FindForm(grandChild), &form);
    QObject loose;
    try {
        FindForm(&loose);
        FAIL() << "no form found but no error";
    } catch (const EComponentError &e) {
        EXPECT_STREQ(e.what(), "NoForm");
    }
    EXPECT_THROW(FindForm(&form), EComponentError); // the search starts with the owner
    EXPECT_FALSE(IsPrevius(true));
}

// Counts the steps a release runs.
class CountingPanel : public TzMovePanel
{
public:
    using TzMovePanel::TzMovePanel;
    int updates = 0, sticks = 0;
    void DoUpdate() override
    {
        ++updates;
        TzMovePanel::DoUpdate();
    }
    void DoStick() override
    {
        ++sticks;
        TzMovePanel::DoStick();
    }
};

struct PanelRig
{
    QWidget form;
    QWidget *holder = new QWidget(&form); // a parent that is not a form
    CountingPanel *panel = new CountingPanel(holder);
    PanelRig()
    {
        form.resize(300, 200);
        holder->setGeometry(0, 0, 200, 100);
        panel->setGeometry(10, 10, 40, 30);
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, at, panel->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(panel, &e);
    }
};

TEST(MovePanel, DoUpdateKeepsThePanelInsideItsParent)
{
    const struct
    {
        QRect from;
        bool formParent;
        QRect to;
    } rows[] = {
        {{-5, -7, 40, 30}, false, {0, 0, 40, 30}},
        {{180, 10, 40, 30}, false, {159, 10, 40, 30}}, // parent width - width - 1
        {{10, 90, 40, 30}, false, {10, 69, 40, 30}},
        {{280, 190, 40, 30}, true, {280, 190, 40, 30}}, // a form parent does not hold it
        {{-5, -5, 40, 30}, true, {0, 0, 40, 30}},
    };
    for (const auto &r : rows) {
        PanelRig rig;
        if (r.formParent)
            rig.panel->setParent(&rig.form);
        rig.panel->setGeometry(r.from);
        rig.panel->DoUpdate();
        EXPECT_EQ(rig.panel->geometry(), r.to) << r.from.x() << "," << r.from.y();
    }
    PanelRig rig;
    rig.panel->OnBeforeUpdate = [](TzMovePanel &, int &x, int &y, int &w, int &h) {
        x = 3, y = 4, w = 50, h = 20;
    };
    rig.panel->DoUpdate();
    EXPECT_EQ(rig.panel->geometry(), QRect(3, 4, 50, 20));
}

TEST(MovePanel, Sticking)
{
    const struct
    {
        TzStickType where;
        bool oldStyle;
        QRect to;
        TAlign align;
    } rows[] = {
        {stNone, true, {10, 10, 40, 30}, alNone},     {stleft, true, {0, 10, 40, 30}, alNone},
        {stTop, true, {10, 0, 40, 30}, alNone},       {stRight, true, {160, 10, 40, 30}, alNone},
        {stBottom, true, {10, 70, 40, 30}, alNone},   {stBoth, true, {0, 0, 40, 30}, alNone},
        {stleft, false, {0, 0, 40, 100}, alLeft},     {stTop, false, {0, 0, 200, 30}, alTop},
        {stRight, false, {160, 0, 40, 100}, alRight}, {stBottom, false, {0, 70, 200, 30}, alBottom},
        {stBoth, false, {0, 0, 200, 30}, alTop},
    };
    for (const auto &r : rows) {
        PanelRig rig;
        rig.panel->SetStickOldStyle(r.oldStyle);
        rig.panel->SetStickWhere(r.where);
        EXPECT_EQ(rig.panel->geometry(), r.to) << int(r.where) << r.oldStyle;
        EXPECT_EQ(rig.panel->Align(), r.align);
    }
    PanelRig rig;
    rig.panel->SetStickOldStyle(false);
    rig.panel->SetStickWhere(stRight);
    rig.form.show();
    rig.holder->resize(300, 150); // an aligned panel follows its parent
    EXPECT_EQ(rig.panel->geometry(), QRect(260, 0, 40, 150));
}

TEST(MovePanel, WithoutAParentStickingOnlyStores)
{
    CountingPanel panel;
    panel.setGeometry(5, 6, 40, 30);
    panel.SetStickWhere(stRight);
    panel.SetStickOldStyle(false);
    EXPECT_EQ(panel.StickWhere(), stRight);
    EXPECT_EQ(panel.Align(), alRight);
    panel.DoUpdate();
    EXPECT_EQ(panel.size(), QSize(40, 30));
}

TEST(MovePanel, DragMovesOnRelease)
{
    PanelRig rig;
    rig.form.show();
    rig.mouse(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    EXPECT_TRUE(rig.panel->Dragging());
    rig.mouse(QEvent::MouseMove, {25, 15}, Qt::LeftButton);
    EXPECT_EQ(rig.panel->DragRect(), QRect(30, 20, 40, 30));
    EXPECT_EQ(rig.panel->pos(), QPoint(10, 10));
    rig.mouse(QEvent::MouseButtonRelease, {25, 15}, Qt::NoButton);
    EXPECT_FALSE(rig.panel->Dragging());
    EXPECT_EQ(rig.panel->pos(), QPoint(30, 20));
    EXPECT_EQ(rig.panel->updates, 1);
    EXPECT_EQ(rig.panel->sticks, 1);

    // A click without a move still updates and sticks.
    rig.mouse(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    rig.mouse(QEvent::MouseButtonRelease, {5, 5}, Qt::NoButton);
    EXPECT_EQ(rig.panel->pos(), QPoint(30, 20));
    EXPECT_EQ(rig.panel->updates, 2);
    EXPECT_EQ(rig.panel->sticks, 2);
}

TEST(MovePanel, ADragThatLosesTheMouseEnds)
{
    PanelRig rig;
    rig.form.show();
    rig.mouse(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    rig.mouse(QEvent::MouseMove, {25, 15}, Qt::NoButton); // released outside
    EXPECT_FALSE(rig.panel->Dragging());
    rig.mouse(QEvent::MouseButtonRelease, {25, 15}, Qt::NoButton);
    EXPECT_EQ(rig.panel->pos(), QPoint(10, 10));
    EXPECT_EQ(rig.panel->updates, 0);

    rig.mouse(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    rig.panel->hide();
    EXPECT_FALSE(rig.panel->Dragging());
    const auto bands = rig.form.findChildren<QRubberBand *>();
    ASSERT_EQ(bands.size(), 1);
    EXPECT_FALSE(bands[0]->isVisible());
}

class CountingTitleBar : public TzTitleBar
{
public:
    using TzTitleBar::TzTitleBar;
    int moves = 0;

protected:
    bool StartSystemMove() override
    {
        ++moves;
        return true;
    }
};

TEST(TitleBar, HidesAndShowsTheCaptionOnEveryStyle)
{
    for (Qt::WindowType type : {Qt::Window, Qt::Dialog, Qt::Tool}) {
        QWidget form(nullptr, type);
        form.resize(200, 150);
        form.show();
        TzTitleBar bar(&form);
        QSignalSpy changed(&bar, &TzTitleBar::OnChange);
        bar.SetTitleBar(false);
        bar.SetTitleBar(false);
        EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_FALSE(bar.CaptionShown());
        EXPECT_EQ(changed.count(), 2);
        EXPECT_EQ(form.size(), QSize(200, 150)); // repeated calls never shrink the form
        EXPECT_TRUE(form.isVisible());
        bar.SetTitleBar(true);
        EXPECT_FALSE(form.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_TRUE(bar.CaptionShown());
        EXPECT_EQ(form.size(), QSize(200, 150));
    }
    QWidget frameless(nullptr, Qt::FramelessWindowHint);
    TzTitleBar bar(&frameless);
    QSignalSpy changed(&bar, &TzTitleBar::OnChange);
    bar.SetTitleBar(true);
    EXPECT_EQ(changed.count(), 0); // a form without a border is left alone
    EXPECT_TRUE(frameless.windowFlags() & Qt::FramelessWindowHint);

    QObject loose;
    EXPECT_THROW(TzTitleBar{&loose}, EComponentError);
}

TEST(TitleBar, PressOnTheClientMovesTheFormWhileTheCaptionIsHidden)
{
    QWidget form;
    form.resize(200, 150);
    CountingTitleBar bar(&form);
    bar.TitleBarOnFormShow = false;
    bar.Loaded();
    form.show();
    const auto press = [&form](Qt::MouseButton button) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(10, 10), form.mapToGlobal(QPointF(10, 10)),
                      button, button, Qt::NoModifier);
        QApplication::sendEvent(&form, &e);
    };
    press(Qt::LeftButton);
    EXPECT_EQ(bar.moves, 1);
    press(Qt::RightButton);
    EXPECT_EQ(bar.moves, 1);
    bar.AllowMoveWhitoutTitle = false;
    press(Qt::LeftButton);
    EXPECT_EQ(bar.moves, 1);
    bar.AllowMoveWhitoutTitle = true;
    bar.SetTitleBar(true);
    press(Qt::LeftButton);
    EXPECT_EQ(bar.moves, 1);
}

TEST(MovePanel, Renders)
{
    PanelRig rig;
    rig.panel->SetCaption(QStringLiteral("Drag"));
    rig.panel->resize(80, 40);
    const QImage image = rig.panel->grab().toImage();
    EXPECT_EQ(image.size(), QSize(80, 40));
}

} // namespace
