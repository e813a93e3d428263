// The tab list box and the dialog-unit conversions.
#include "widgets/MystdTabList.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>

#include <numeric>
#include <vector>

namespace {

using namespace widgets;

TEST(DialogUnits, Conversions)
{
    const struct
    {
        int pixels;
        long double average;
        int units;
    } tabRows[] = {
        {60, 6.0L, 40},                                  // the documented example
        {25, 7.0L, 14},   {0, 6.5L, 0}, {60, 0.0L, 240}, // no width measured counts as 1
        {60, -3.0L, 240},
    };
    for (const auto &r : tabRows)
        EXPECT_EQ(PixelsToTabUnits(r.pixels, r.average), r.units) << r.pixels;

    for (std::uint16_t u : {0, 1, 4, 100, 1000}) {
        EXPECT_EQ(PixelsToDlgUnits(DlgUnitsToPixels(u, 8, 4), 8, 4), u);
        EXPECT_EQ(PixelsToDlgUnits(DlgUnitsToPixels(u, 16, 8), 16, 8), u);
    }
    EXPECT_EQ(DlgUnitsToPixels(10, 7, 4), 17);
    EXPECT_EQ(DlgUnitsToPixels(65535, 8, 4), 65535); // saturates instead of wrapping
    EXPECT_EQ(PixelsToDlgUnits(100, 0, 4), 400);     // a base unit of 0 counts as 1

    const std::uint32_t base = GetDialogBaseUnits();
    EXPECT_GE(base & 0xFFFF, 1u);
    EXPECT_GE(base >> 16, 1u);
    EXPECT_EQ(DlgUnitsToPixelsY(8), base >> 16);
}

struct TabListRig
{
    TzTabListbox list;
    TabListRig() { list.resize(200, 120); }
};

TEST(TabListbox, StopsApplyOnlyWithItems)
{
    TabListRig rig;
    rig.list.Loaded();
    EXPECT_EQ(rig.list.TabStops(), std::vector<int>{32});
    rig.list.addItem(QStringLiteral("a\tb"));
    rig.list.SetTabStops({60, 120});
    EXPECT_EQ(rig.list.TabStops(), (std::vector<int>{60, 120}));
    const long double w = AverageCharWidth(rig.list.font());
    EXPECT_EQ(rig.list.TabUnits(),
              (std::vector<int>{PixelsToTabUnits(60, w), PixelsToTabUnits(120, w)}));
}

TEST(TabListbox, MoreThan128StopsAreRefused)
{
    TabListRig rig;
    rig.list.addItem(QStringLiteral("x"));
    std::vector<int> stops(129);
    std::iota(stops.begin(), stops.end(), 1);
    rig.list.SetTabStops(std::span<const int>(stops).first(128));
    EXPECT_EQ(rig.list.TabStops().size(), 128u);
    rig.list.SetTabStops({10});
    try {
        rig.list.SetTabStops(stops);
        FAIL() << "129 stops accepted";
    } catch (const EzTabListboxError &e) {
        EXPECT_STREQ(e.what(), "TabError");
    }
    EXPECT_EQ(rig.list.TabStops(), std::vector<int>{10});

    QStandardItemModel model(1, 130);
    QHeaderView header(Qt::Horizontal);
    header.setModel(&model);
    EXPECT_THROW(rig.list.SetFromHeader(header), EzTabListboxError);
    EXPECT_THROW(rig.list.SetfromHeaderControl(header), EzTabListboxError);
}

TEST(TabListbox, StopsFromAHeader)
{
    TabListRig rig;
    rig.list.addItem(QStringLiteral("x"));
    QStandardItemModel model(1, 3);
    QHeaderView header(Qt::Horizontal);
    header.setModel(&model);
    header.resizeSection(0, 40);
    header.resizeSection(1, 70);
    header.resizeSection(2, 30);
    rig.list.SetFromHeader(header);
    EXPECT_EQ(rig.list.TabStops(), (std::vector<int>{40, 110, 140}));
    header.moveSection(2, 0); // the right edges follow the sections where they are shown
    rig.list.SetfromHeaderControl(header);
    EXPECT_EQ(rig.list.TabStops(), (std::vector<int>{70, 140, 30}));
}

TEST(TabListbox, ExtentFollowsTheWidestItem)
{
    TabListRig rig;
    TzTabListbox &list = rig.list;
    list.addItem(QStringLiteral("short"));
    const int narrow = list.GetLBStringLength(QStringLiteral("short"));
    EXPECT_EQ(list.HorizontalExtent(), narrow);
    const QString wide = QStringLiteral("a\tb\tc\t") + QString(60, u'W');
    list.addItem(wide);
    EXPECT_EQ(list.HorizontalExtent(), list.GetLBStringLength(wide));
    EXPECT_GT(list.GetLBStringLength(QStringLiteral("\tx")),
              list.GetLBStringLength(QStringLiteral("x")));

    list.SizeAfterDel = false;
    delete list.takeItem(1);
    EXPECT_EQ(list.HorizontalExtent(), list.GetLBStringLength(wide));
    list.addItem(wide);
    list.SizeAfterDel = true;
    delete list.takeItem(1);
    EXPECT_EQ(list.HorizontalExtent(), narrow);

    // Wider than 16 bits can count.
    const QString huge(12000, u'W');
    list.addItem(huge);
    EXPECT_GT(list.HorizontalExtent(), 65535);
    EXPECT_EQ(list.horizontalScrollBar()->maximum(),
              list.HorizontalExtent() - list.viewport()->width());
}

TEST(TabListbox, ChangeReportsThePreviousIndex)
{
    TabListRig rig;
    for (int i = 0; i < 8; ++i)
        rig.list.addItem(QString::number(i));
    QSignalSpy spy(&rig.list, &TzTabListbox::OnChange);
    rig.list.setCurrentRow(2);
    rig.list.setCurrentRow(5);
    rig.list.setCurrentRow(5);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toInt(), -1);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 2);
}

TEST(TabListbox, ScrollCodesAndDirection)
{
    TabListRig rig;
    for (int i = 0; i < 50; ++i)
        rig.list.addItem(QString(80, u'x'));
    rig.list.show();
    QSignalSpy spy(&rig.list, &TzTabListbox::OnScroll);
    const struct
    {
        QAbstractSlider::SliderAction action;
        int code;
    } rows[] = {
        {QAbstractSlider::SliderSingleStepSub, 0}, {QAbstractSlider::SliderSingleStepAdd, 1},
        {QAbstractSlider::SliderPageStepSub, 2},   {QAbstractSlider::SliderPageStepAdd, 3},
        {QAbstractSlider::SliderToMinimum, 6},     {QAbstractSlider::SliderToMaximum, 7},
    };
    for (const auto &r : rows) {
        rig.list.verticalScrollBar()->triggerAction(r.action);
        rig.list.horizontalScrollBar()->triggerAction(r.action);
    }
    ASSERT_EQ(spy.count(), 2 * int(std::size(rows)));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(spy.at(int(2 * i)).at(1).value<qint16>(), rows[i].code);
        EXPECT_EQ(spy.at(int(2 * i)).at(2).value<ScrollDirection>(), zScrollVer);
        EXPECT_EQ(spy.at(int(2 * i + 1)).at(2).value<ScrollDirection>(), zScrollHor);
    }
}

TEST(TabListbox, AutoFocusOnEnter)
{
    QWidget form;
    auto *other = new QListWidget(&form);
    auto *list = new TzTabListbox(&form);
    list->move(0, 100);
    form.show();
    other->setFocus();
    QSignalSpy entered(list, &TzTabListbox::OnMouseEnter);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(list, &enter);
    EXPECT_EQ(form.focusWidget(), other); // AutoFocus off
    list->AutoFocus = true;
    list->setEnabled(false);
    QApplication::sendEvent(list, &enter);
    EXPECT_EQ(form.focusWidget(), other);
    list->setEnabled(true);
    QApplication::sendEvent(list, &enter);
    EXPECT_EQ(form.focusWidget(), list);
    EXPECT_EQ(entered.count(), 3);
}

TEST(TabListbox, RendersColumns)
{
    TabListRig rig;
    rig.list.addItem(QStringLiteral("Name\tValue\tUnit"));
    rig.list.addItem(QStringLiteral("Out 1\t12.5\tA"));
    rig.list.addItem(QStringLiteral("Out 22\t3.0\tA"));
    rig.list.SetTabStops({70, 130});
    rig.list.setCurrentRow(1);
    const QImage image = rig.list.grab().toImage();
    EXPECT_EQ(image.width(), 200);
}

} // namespace
