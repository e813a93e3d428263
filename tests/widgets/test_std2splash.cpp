// Splash picture, form size limits and the window canvas.
#include "widgets/MystdForms.h"
#include "widgets/Std2CompCanvas.h"
#include "widgets/Std2MinMax.h"
#include "widgets/Std2Splash.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace {

using widgets::TSplashLayout;
using widgets::TSplashSizing;

struct LayoutCase
{
    const char *what;
    int w, h;
    TSplashSizing sizing;
    TSplashLayout expected;
};

// Screen 800 x 600. Width and height: picture + 4 + extra, square for a
// circle, + 2 x (thickness + margin) with the frame; then cut to the screen.
const LayoutCase kLayouts[] = {
    {"circle of 100 x 60", 100, 60, {ssCircle}, {128, 128, 336, 236, 14, 34}},
    {"rectangle of 100 x 60", 100, 60, {ssZRectangle}, {128, 88, 336, 256, 14, 14}},
    {"ellipse, extra width, no frame",
     100,
     60,
     {ssZEllipse, 10, 0, false},
     {114, 64, 343, 268, 7, 2}},
    {"frame not counted", 100, 60, {ssZRectangle, 0, 0, true, false}, {104, 64, 348, 268, 2, 2}},
    {"wider than the screen", 900, 100, {ssZRectangle}, {800, 128, 0, 236, 0, 0}},
    {"as high as the screen", 100, 600, {ssZRectangle}, {128, 600, 336, 0, 0, 0}},
    {"larger both ways", 790, 590, {ssZRectangle}, {800, 600, 0, 0, 0, 0}},
    {"framed size reaches the width", 772, 100, {ssZRectangle}, {800, 128, 0, 236, 0, 0}},
};

class SplashGeometry : public testing::TestWithParam<LayoutCase>
{
};

TEST_P(SplashGeometry, SizeAndPlace)
{
    const LayoutCase &c = GetParam();
    const TSplashLayout got = widgets::SplashLayout(c.w, c.h, 800, 600, c.sizing);
    EXPECT_EQ(got, c.expected) << c.what << ": " << got.Width << "x" << got.Height << " at "
                               << got.Left << "," << got.Top << " offsets " << got.XOffset << ","
                               << got.YOffset;
}

INSTANTIATE_TEST_SUITE_P(Screen800x600, SplashGeometry, testing::ValuesIn(kLayouts));

TEST(SplashGeometry, RegionFollowsTheShape)
{
    const TSplashLayout l{40, 40, 10, 20, 0, 0};
    EXPECT_TRUE(widgets::SplashRegion(l, ssZRectangle).contains(QPoint(10, 20)));
    EXPECT_FALSE(widgets::SplashRegion(l, ssCircle).contains(QPoint(10, 20)));
    EXPECT_TRUE(widgets::SplashRegion(l, ssCircle).contains(QPoint(30, 40)));
    vcl::TColor c = 0;
    EXPECT_FALSE(widgets::BottomLeftColor(QImage(0, 5, QImage::Format_RGB32), c));
}

// A red picture with a blue square in the middle.
QImage testPicture()
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    QPainter(&image).fillRect(8, 3, 4, 4, QColor(0, 0, 255));
    return image;
}

struct SplashRig
{
    std::unique_ptr<QWidget> form = std::make_unique<QWidget>();
    TzSplashForm *splash = new TzSplashForm(form.get());
    QImage desktop{800, 600, QImage::Format_RGB32};

    SplashRig()
    {
        desktop.fill(Qt::black);
        splash->SetColor(0x00FF00);
        splash->SetHColor(0xFFFF00);
        splash->SetLColor(0x808080);
        splash->SetBitMap(testPicture());
    }
    QRegion paint()
    {
        splash->MakeSplash();
        widgets::TCanvas canvas(&desktop);
        return splash->PaintSplash(canvas);
    }
    QColor at(int x, int y) const { return desktop.pixelColor(x, y); }
    QPoint picture(int x, int y) const
    {
        const auto &l = splash->Layout();
        return {l.Left + l.XOffset + x, l.Top + l.YOffset + y};
    }
};

TEST(TzSplashForm, PictureBackgroundTakesTheSplashColour)
{
    SplashRig rig;
    rig.splash->SetAuto(true); // red, from the bottom-left pixel
    EXPECT_EQ(rig.splash->TransparentColor(), 0x0000FFu);
    rig.paint();
    EXPECT_EQ(rig.at(rig.picture(0, 0).x(), rig.picture(0, 0).y()), QColor(0, 255, 0));
    EXPECT_EQ(rig.at(rig.picture(9, 4).x(), rig.picture(9, 4).y()), QColor(0, 0, 255));
    rig.splash->SetTransparentColor(0xFFFFFFFF); // negative: copied as it is
    EXPECT_FALSE(rig.splash->AutoBackColor());
    rig.paint();
    EXPECT_EQ(rig.at(rig.picture(0, 0).x(), rig.picture(0, 0).y()), QColor(255, 0, 0));
}

TEST(TzSplashForm, RealTransparentLeavesTheKeyOutOfTheShape)
{
    SplashRig rig;
    rig.splash->SetTransparentColor(0x0000FF);
    rig.splash->SetRealTransparent(true);
    rig.splash->SetFill(false); // a filled splash shows its colour there
    const QRegion shape = rig.paint();
    EXPECT_FALSE(shape.contains(rig.picture(0, 0)));
    EXPECT_TRUE(shape.contains(rig.picture(9, 4)));
    EXPECT_EQ(rig.at(rig.picture(0, 0).x(), rig.picture(0, 0).y()), QColor(0, 0, 0))
        << "the desktop shows through";
}

TEST(TzSplashForm, ThreeDimensionalEdgesOfTheRectangle)
{
    SplashRig rig;
    rig.splash->SetDrawFrame(false);
    rig.splash->SetAddWidth(20); // room beside the picture
    rig.paint();
    const auto &l = rig.splash->Layout();
    const int L = l.Left, T = l.Top, W = l.Width, H = l.Height;
    EXPECT_EQ(rig.at(L + 1, T + 5), QColor(0, 255, 255)) << "highlight, left";
    EXPECT_EQ(rig.at(L + 5, T + 1), QColor(0, 255, 255)) << "highlight, top";
    EXPECT_EQ(rig.at(L + W - 2, T + 5), QColor(128, 128, 128)) << "shadow, right";
    EXPECT_EQ(rig.at(L + W - 1, T + 5), QColor(0, 0, 0)) << "black, right";
    EXPECT_EQ(rig.at(L + 5, T + H - 1), QColor(0, 0, 0)) << "black, bottom";
    EXPECT_EQ(rig.at(L + 5, T + 5), QColor(0, 255, 0)) << "filled";
    EXPECT_EQ(rig.at(L - 1, T + 5), QColor(0, 0, 0)) << "outside the region";
}

bool waitFor(const std::function<bool()> &done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(TzSplashForm, ShownAtLoadAndRemovedAfterTheFormsFirstPaint)
{
    SplashRig rig;
    std::string events;
    auto note = [&](const char *what) { return [&events, what](QObject *) { events += what; }; };
    rig.splash->OnCreate = note("create ");
    rig.splash->OnBeforeShow = note("beforeShow ");
    rig.splash->OnShow = note("show ");
    QWidget *redrawn = nullptr;
    rig.splash->OnBeforeDelay = [&](QObject *) {
        events += "beforeDelay ";
        redrawn = rig.splash->SplashWindow();
    };
    rig.splash->OnBeforeClose = note("beforeClose ");
    rig.splash->OnAfterClose = note("afterClose");
    rig.splash->Delay = [&](std::uint32_t ms) { events += "delay" + std::to_string(ms) + " "; };
    rig.splash->SetShape(ssZEllipse);
    rig.splash->SetAddWidth(80);
    rig.splash->SetAddHeight(40);
    rig.splash->Loaded();
    QWidget *window = rig.splash->SplashWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(
        window->windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    const auto &l = rig.splash->Layout();
    EXPECT_EQ(window->geometry().size(), QSize(l.Width, l.Height));
    EXPECT_FALSE(window->mask().contains(QPoint(0, 0))) << "shaped as an ellipse";
    EXPECT_TRUE(window->mask().contains(QPoint(l.Width / 2, l.Height / 2)));
    EXPECT_FALSE(rig.splash->Done());
    rig.form->show();
    ASSERT_TRUE(waitFor([&] { return rig.splash->SplashWindow() == nullptr; }));
    EXPECT_EQ(events, "create beforeShow show beforeDelay delay500 beforeClose afterClose");
    EXPECT_NE(redrawn, nullptr);
    EXPECT_NE(redrawn, window) << "drawn again above the form";
}

TEST(TzSplashForm, GoesWithItsFormBeforeAnyPaint)
{
    SplashRig rig;
    rig.splash->Delay = [](std::uint32_t) {};
    rig.splash->Loaded();
    QPointer<QWidget> window = rig.splash->SplashWindow();
    ASSERT_TRUE(window);
    rig.form.reset();
    EXPECT_FALSE(window);
}

TEST(TzSplashForm, NeedsAForm)
{
    EXPECT_THROW(TzSplashForm(nullptr), EComponentError);
    EXPECT_THROW(TzMinMax(nullptr), EComponentError);
}

TEST(MinMax, LimitsAndFormGeometry)
{
    widgets::TMinMaxValues v;
    v.MinDragWidth = 700;
    v.MinDragHeight = 100;
    widgets::RaiseLimits(v);
    EXPECT_EQ(v.MaxWidth, 700);
    EXPECT_EQ(v.MaxDragWidth, 700);
    EXPECT_EQ(v.MaxHeight, 400);
    v.MaxLeft = 5;
    v.MaxTop = 6;
    EXPECT_EQ(widgets::LimitFormGeometry({10, 10, 900, 50}, false, v), QRect(10, 10, 700, 100));
    EXPECT_EQ(widgets::LimitFormGeometry({10, 10, 900, 900}, true, v), QRect(5, 6, 700, 400));
}

struct BarCase
{
    const char *where;
    QRect available;
    int left, top, dragWidth, dragHeight;
};

// Screen 1024 x 768; the bar 30 pixels deep.
const BarCase kBars[] = {
    {"bottom", {0, 0, 1024, 738}, 0, 0, 1024, 738},
    {"right", {0, 0, 994, 768}, 0, 0, 994, 768},
    {"left", {30, 0, 994, 768}, 30, 0, 995, 768},
    {"top", {0, 30, 1024, 738}, 0, 30, 1024, 739},
};

class TaskBar : public testing::TestWithParam<BarCase>
{
};

TEST_P(TaskBar, MaximumTrackingSizeLeavesTheBarFree)
{
    const BarCase &c = GetParam();
    widgets::TRect bar;
    ASSERT_TRUE(widgets::TaskBarRect({0, 0, 1024, 768}, c.available, bar));
    widgets::TMinMaxValues v;
    widgets::LeaveTaskBarFree(v, 1024, 768, bar);
    EXPECT_EQ(v.MaxLeft, c.left) << c.where;
    EXPECT_EQ(v.MaxTop, c.top) << c.where;
    EXPECT_EQ(v.MaxDragWidth, c.dragWidth) << c.where;
    EXPECT_EQ(v.MaxDragHeight, c.dragHeight) << c.where;
}

INSTANTIATE_TEST_SUITE_P(Sides, TaskBar, testing::ValuesIn(kBars));

TEST(TzMinMax, CutsTheFormAndSetsItsLimits)
{
    QWidget form;
    form.resize(800, 500);
    TzMinMax limits(&form);
    EXPECT_EQ(form.size(), QSize(600, 400));
    limits.Loaded();
    EXPECT_EQ(form.maximumSize(), QSize(600, 400));
    limits.SetMinDragWidth(700);
    EXPECT_EQ(limits.Values().MaxWidth, 700);
    EXPECT_EQ(form.minimumSize(), QSize(700, 0));
    EXPECT_EQ(form.width(), 700);
    limits.OnSizeChange = [](QObject *, std::int32_t &, std::int32_t &minH, std::int32_t &,
                             std::int32_t &, std::int32_t &, std::int32_t &dragH, std::int32_t &,
                             std::int32_t &) {
        minH = 50;
        dragH = 300;
    };
    limits.SetMaxTop(1);
    EXPECT_EQ(form.minimumSize(), QSize(700, 50));
    EXPECT_EQ(form.maximumHeight(), 300);
    const QRect screen(0, 0, 1024, 768);
    limits.OnSizeChange = {};
    limits.SetAuto(true);
    EXPECT_EQ(limits.Answer(screen, {0, 0, 1024, 738}).MaxDragHeight, 738);
    EXPECT_EQ(limits.Answer(screen, screen).MaxDragHeight, 400) << "no bar: the values";
}

TEST(TzCompCanvas, ErrorsAndAStableCanvas)
{
    TzCompCanvas canvas;
    widgets::TCanvas *published = canvas.Canvas();
    try {
        canvas.StartPaint();
        ADD_FAILURE();
    } catch (const EzCompCanvasException &e) {
        EXPECT_STREQ(e.what(), "No component to draw on");
    }
    try {
        canvas.EndPaint();
        ADD_FAILURE();
    } catch (const EzCompCanvasException &e) {
        EXPECT_STREQ(e.what(), "We are not drawing");
    }
    QWidget control;
    control.resize(40, 30);
    canvas.SetTW(&control);
    canvas.StartPaint();
    try {
        canvas.StartPaint();
        ADD_FAILURE();
    } catch (const EzCompCanvasException &e) {
        EXPECT_STREQ(e.what(), "We are allready drawing");
    }
    EXPECT_EQ(canvas.Canvas(), published);
    published->Brush.Color = 0x0000FF;
    published->Pen.Width = 3;
    published->FillRect({5, 5, 15, 15});
    canvas.EndPaint();
    EXPECT_EQ(canvas.Canvas(), published);
    EXPECT_EQ(published->Pen.Width, 1) << "tools back to their defaults";
    EXPECT_EQ(published->Brush.Color, vcl::clWhite);
    EXPECT_EQ(control.grab().toImage().pixelColor(10, 10), QColor(255, 0, 0))
        << "shown over the control";
}

TEST(TzCompCanvas, ControlGoneEndsTheDrawing)
{
    TzCompCanvas canvas;
    auto control = std::make_unique<QWidget>();
    canvas.SetTW(control.get());
    canvas.StartPaint();
    control.reset();
    EXPECT_FALSE(canvas.Drawing());
    EXPECT_EQ(canvas.ControlComponent(), nullptr);
    EXPECT_THROW(canvas.EndPaint(), EzCompCanvasException);
}

TEST(Std2Unit, PatternBitmap)
{
    Std2::initialization();
    const QImage &p = Std2::PatternBitmap();
    ASSERT_EQ(p.size(), QSize(8, 8));
    EXPECT_EQ(p.pixelColor(1, 1), QColor(255, 255, 255));
    EXPECT_EQ(p.pixelColor(0, 0), QColor(192, 192, 192));
    EXPECT_EQ(p.pixelColor(1, 2), QColor(192, 192, 192));
    Std2::Finalization();
    EXPECT_TRUE(Std2::PatternBitmap().isNull());
}

} // namespace
