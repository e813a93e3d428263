// The colour button: its pixels in each state on a 30 x 20 channel button,
// worked out by hand from the bevel polylines (W = 29, H = 19), and the mouse
// and keyboard behaviour it shares with the library's other buttons.
#include "widgets/zAnimate.h"
#include "widgets/zAnimateColorBtns.h"
#include "widgets/zAnimateNWColorBtns.h"
#include "widgets/zAnimateShapeBtn.h"
#include "widgets/Std2BitmapButtons.h"
#include "widgets/Std2ShapeBtns.h"

#include "ButtonRig.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <functional>
#include <string>
#include <type_traits>

namespace {

using namespace testrig;
using ColorBtn = ButtonRig<TzColorBtn>;

TEST_F(ColorBtn, RaisedBevel)
{
    const QImage img = image();
    ASSERT_EQ(img.size(), QSize(30, 20));
    // Outer top-left shadow (its start corner included), outer bottom-right
    // black, inner top-left highlight, inner bottom-right shadow, then face.
    expectPixels(
        img, {{0, 0, Shadow}, {0, 10, Shadow}, {15, 0, Shadow}, {28, 0, Shadow}, {0, 19, Shadow}},
        "outer shadow");
    expectPixels(
        img, {{29, 0, Black}, {29, 10, Black}, {29, 19, Black}, {15, 19, Black}, {1, 19, Black}},
        "outer black");
    expectPixels(img,
                 {{1, 1, Light}, {1, 10, Light}, {15, 1, Light}, {28, 1, Light}, {1, 18, Light}},
                 "inner light");
    expectPixels(img, {{28, 10, Shadow}, {15, 18, Shadow}, {28, 18, Shadow}, {2, 18, Shadow}},
                 "inner shadow");
    expectPixels(img, {{2, 2, Green}, {15, 3, Green}, {27, 17, Green}}, "face");
}

TEST_F(ColorBtn, PressedBevelSwapsBlackAndHighlight)
{
    show();
    press({5, 5});
    ASSERT_TRUE(btn->Down());
    btn->SetFocusRect(false);
    const QImage img = image();
    expectPixels(img, {{0, 10, Shadow}, {15, 0, Shadow}, {28, 10, Shadow}, {15, 18, Shadow}},
                 "shadow lines stay");
    expectPixels(img, {{1, 1, Black}, {1, 10, Black}, {15, 1, Black}}, "inner top-left black");
    expectPixels(img, {{29, 0, Light}, {29, 10, Light}, {15, 19, Light}, {1, 19, Light}},
                 "outer bottom-right light");
    expectPixels(img, {{2, 2, Green}}, "face");
}

TEST_F(ColorBtn, FrameLookMovesTheBevelInsideABlackFrame)
{
    btn->SetDefLook(dlFrame);
    // Neither default nor focused: the plain bevel.
    expectPixels(image(), {{0, 0, Shadow}, {1, 1, Light}, {29, 10, Black}}, "frame, idle");
    btn->SetDefault(true);
    const QImage img = image();
    expectPixels(img,
                 {{0, 0, Black}, {15, 0, Black}, {0, 10, Black}, {29, 10, Black}, {15, 19, Black}},
                 "frame");
    expectPixels(
        img,
        {{1, 10, Shadow}, {15, 1, Shadow}, {1, 18, Shadow}, {27, 10, Shadow}, {15, 17, Shadow}},
        "shadow");
    expectPixels(img, {{2, 10, Light}, {15, 2, Light}, {28, 10, Black}, {15, 18, Black}},
                 "light and black");
    expectPixels(img, {{3, 3, Green}}, "face");
}

TEST_F(ColorBtn, FocusRectangle)
{
    btn->SetCaption("");
    show();
    btn->setFocus();
    ASSERT_TRUE(btn->hasFocus());
    // Client rectangle less 3 = (3, 3, 27, 17); where x + y is even the
    // green face turns black.
    expectPixels(image(),
                 {{3, 3, Black},
                  {5, 3, Black},
                  {26, 16, Black},
                  {3, 5, Black},
                  {26, 4, Black},
                  {4, 16, Black}},
                 "dots");
    expectPixels(image(), {{4, 3, Green}, {25, 16, Green}, {3, 4, Green}}, "between dots");
    expectPixels(image(), {{2, 2, Green}, {4, 4, Green}, {27, 17, Green}}, "outside and inside");
    btn->SetDefLook(dlFrame); // one pixel further in
    expectPixels(image(), {{3, 3, Green}, {4, 4, Black}, {25, 15, Black}, {5, 4, Green}},
                 "focused frame");
    btn->SetDefLook(dlBold);
    btn->SetFocusRect(false);
    expectPixels(image(), {{3, 3, Green}, {5, 3, Green}}, "focus hidden");
}

TEST_F(ColorBtn, CaptionCentredInsideItsRectangle)
{
    // "---" on the channel button: within (5, 5, 25, 15), centred both ways.
    btn->SetCaption("---");
    const TRect ink = bounds(pixelsOf(image(), {Black}, {2, 2, 28, 18}));
    EXPECT_GE(ink.Left, 5);
    EXPECT_LE(ink.Right, 25);
    EXPECT_GE(ink.Top, 5);
    EXPECT_LE(ink.Bottom, 15);
    EXPECT_LE(std::abs(ink.Left + ink.Right - 30), 2);
    EXPECT_LE(std::abs(ink.Top + ink.Bottom - 20), 3);
}

TEST_F(ColorBtn, CaptionPlacementSettings)
{
    // An 89 x 33 button: caption rectangle (5, 5, 84, 28).
    btn->resize(89, 33);
    btn->SetCaption("CH1");
    const auto inkFor = [&](zbHorzAlign v, widgets::TAlignment h) {
        btn->SetHorzAlign(v);
        btn->SetAlign(h);
        return bounds(pixelsOf(image(), {Black}, {2, 2, 87, 31}));
    };
    const TRect top = inkFor(zbha_Top, widgets::taLeftJustify);
    const TRect mid = inkFor(zbha_Center, widgets::taCenter);
    const TRect bot = inkFor(zbha_Bottom, widgets::taRightJustify);
    EXPECT_LE(top.Left, 6);
    EXPECT_GE(bot.Right, 82);
    EXPECT_LE(std::abs(mid.Left + mid.Right - 89), 2);
    // One line of height h at the top (5), at 5 + (23 - h) / 2, or at 28 - h.
    const int h = QFontMetrics(captionFont()).height();
    EXPECT_EQ(mid.Top - top.Top, (23 - h) / 2);
    EXPECT_EQ(bot.Top - top.Top, 23 - h);
    EXPECT_GE(top.Top, 5);
    EXPECT_LE(bot.Bottom, 28);
}

TEST_F(ColorBtn, PressedCaptionMovesDownRight)
{
    btn->SetCaption("-");
    btn->SetFocusRect(false);
    btn->SetDefLook(dlNone); // the press focuses; keep the caption plain
    show();
    const TRect up = bounds(pixelsOf(image(), {Black}, {2, 2, 28, 18}));
    press({5, 5});
    EXPECT_EQ(bounds(pixelsOf(image(), {Black}, {2, 2, 28, 18})), up.Offset(1, 1));
}

TEST_F(ColorBtn, DisabledCaptionIsEmbossedAndFaceKeepsItsColour)
{
    btn->SetCaption("CH1");
    show();
    btn->setEnabled(false);
    const QImage img = image();
    EXPECT_EQ(at(img, 2, 2), Green);
    const auto grey = pixelsOf(img, {Grey}, {0, 0, 30, 20});
    const auto white = pixelsOf(img, {White}, {0, 0, 30, 20});
    ASSERT_FALSE(grey.empty());
    ASSERT_FALSE(white.empty());
    EXPECT_TRUE(pixelsOf(img, {Black}, {2, 2, 28, 18}).empty());
    // The white copy lies one pixel down and right, under the grey one.
    for (const auto &[x, y] : white)
        EXPECT_TRUE(grey.count({x - 1, y - 1})) << x << "," << y;
    btn->SetColor(vcl::clRed);
    EXPECT_EQ(at(image(), 2, 2), vcl::clRed);
}

TEST_F(ColorBtn, FaceColourFollowsParentUntilWritten)
{
    auto *plain = new TzColorBtn(form.get());
    QPalette pal = form->palette();
    pal.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    form->setPalette(pal);
    EXPECT_TRUE(plain->ParentColor());
    EXPECT_EQ(plain->GetColor(), 0x563412u);
    EXPECT_EQ(plain->grab().toImage().pixelColor(5, 5), QColor(0x12, 0x34, 0x56));
    plain->SetColor(vcl::clBtnFace);
    EXPECT_FALSE(plain->ParentColor());
    EXPECT_EQ(plain->grab().toImage().pixel(5, 5), vcl::ToQColor(vcl::clBtnFace).rgb());
}

TEST_F(ColorBtn, FlatBevelOnlyWhileHovered)
{
    btn->SetFlat(true);
    show();
    EXPECT_EQ(at(image(), 0, 0), Green);
    EXPECT_EQ(at(image(), 29, 10), Green);
    QCursor::setPos(btn->mapToGlobal(QPoint(15, 10)));
    QEnterEvent enter(QPointF(15, 10), QPointF(15, 10), QPointF(btn->mapToGlobal(QPoint(15, 10))));
    QApplication::sendEvent(btn, &enter);
    EXPECT_TRUE(btn->MouseIn());
    EXPECT_EQ(at(image(), 0, 0), Shadow);
    QCursor::setPos(form->mapToGlobal(QPoint(150, 100)));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(btn, &leave);
    EXPECT_FALSE(btn->MouseIn());
    EXPECT_EQ(at(image(), 0, 0), Green);
}

// Every button of the library, windowed or not: the press, the drag off
// and back, and the release that clicks only on the button.
template <class Btn>
class PushButton : public ButtonRig<Btn>
{
protected:
    static constexpr bool Windowless =
        std::is_base_of_v<TzNWColorBtn, Btn> || std::is_same_v<Btn, TzShapeBtn>;
    // The shape button's region leaves out its last column and row.
    static constexpr bool LastPixelInside = !std::is_same_v<Btn, TzShapeBtn>;
};
using PushButtons =
    ::testing::Types<TzColorBtn, TzGradBtn, TzBitColBtn, TzIconColBtn, TzcShapeColorBtn,
                     TzcShapeGradBtn, TzcShapeBitColBtn, TzcShapeIconColBtn, TzNWColorBtn,
                     TzNWBitColBtn, TzNWIconColBtn, TzShapeBtn>;
TYPED_TEST_SUITE(PushButton, PushButtons);

TYPED_TEST(PushButton, ClickOnReleaseInsideOnly)
{
    // The client area is 0 <= x < 30, 0 <= y < 20.
    const struct
    {
        QPoint at;
        int clicks;
    } rows[] = {{{5, 5}, 1},   {{28, 18}, 1}, {{0, 0}, 1},  {{29, 19}, this->LastPixelInside},
                {{30, 10}, 0}, {{10, 20}, 0}, {{-1, 5}, 0}};
    this->show();
    for (const auto &row : rows) {
        QSignalSpy clicks(this->btn, &TypeParam::OnClick);
        this->press({5, 5});
        EXPECT_TRUE(this->btn->Down());
        EXPECT_TRUE(this->btn->Tracking());
        // A windowed button takes the focus; a windowless one leaves it.
        EXPECT_EQ(this->btn->hasFocus(), !this->Windowless);
        EXPECT_EQ(this->other->hasFocus(), this->Windowless);
        EXPECT_EQ(clicks.count(), 0);
        this->release(row.at);
        EXPECT_EQ(clicks.count(), row.clicks) << row.at.x() << "," << row.at.y();
        EXPECT_FALSE(this->btn->Down());
        EXPECT_FALSE(this->btn->Tracking());
    }
}

TYPED_TEST(PushButton, DraggingOutRaisesAndBackInPresses)
{
    this->show();
    QSignalSpy clicks(this->btn, &TypeParam::OnClick);
    QSignalSpy downs(this->btn, &TypeParam::OnMouseDown);
    QSignalSpy moves(this->btn, &TypeParam::OnMouseMove);
    QSignalSpy ups(this->btn, &TypeParam::OnMouseUp);
    this->press({5, 5});
    this->move({30, 5});
    EXPECT_FALSE(this->btn->Down());
    EXPECT_TRUE(this->btn->Tracking());
    this->move({28, 18});
    EXPECT_TRUE(this->btn->Down());
    this->move({10, 40});
    EXPECT_FALSE(this->btn->Down());
    this->release({10, 40});
    EXPECT_EQ(clicks.count(), 0);
    // The mouse events of the class library, held button and all.
    EXPECT_EQ(downs.count(), 1);
    EXPECT_EQ(moves.count(), 3);
    EXPECT_EQ(ups.count(), 1);
}

// Every button with a popup menu: a right click let go opens it, and so
// does the keyboard's menu key.
template <class Btn>
class MenuButton : public ButtonRig<Btn>
{
};
using MenuButtons =
    ::testing::Types<TzColorBtn, TzGradBtn, TzBitColBtn, TzIconColBtn, TzcShapeColorBtn,
                     TzcShapeGradBtn, TzcShapeBitColBtn, TzcShapeIconColBtn, TzNWColorBtn,
                     TzNWBitColBtn, TzNWIconColBtn>;
TYPED_TEST_SUITE(MenuButton, MenuButtons);

TYPED_TEST(MenuButton, RightClickOpensThePopupMenu)
{
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    this->show();
    const auto rightClick = [&] {
        this->mouse(QEvent::MouseButtonPress, {5, 5}, Qt::RightButton, Qt::RightButton);
        this->mouse(QEvent::MouseButtonRelease, {5, 5}, Qt::RightButton, Qt::NoButton);
    };
    rightClick();
    EXPECT_FALSE(menu.isVisible());
    this->btn->SetPopupMenu(&menu);
    rightClick();
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(15, 10),
                          this->btn->mapToGlobal(QPoint(15, 10)));
    QApplication::sendEvent(this->btn, &key);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    EXPECT_FALSE(this->btn->Down());
}

// What every windowed button shares with the colour button: double click,
// space bar, Return, accelerator, default and cancel.
template <class Btn>
class WindowedButton : public ButtonRig<Btn>
{
};
using WindowedButtons =
    ::testing::Types<TzColorBtn, TzGradBtn, TzBitColBtn, TzIconColBtn, TzcShapeColorBtn,
                     TzcShapeGradBtn, TzcShapeBitColBtn, TzcShapeIconColBtn>;
TYPED_TEST_SUITE(WindowedButton, WindowedButtons);

TYPED_TEST(WindowedButton, DoubleClickGivesOneClick)
{
    this->show();
    QSignalSpy clicks(this->btn, &TypeParam::OnClick);
    QSignalSpy doubles(this->btn, &TypeParam::OnDblClick);
    // As the window system delivers it: the second press comes with a
    // double-click event.
    this->press({5, 5});
    this->release({5, 5});
    this->press({5, 5});
    this->mouse(QEvent::MouseButtonDblClick, {5, 5});
    this->release({5, 5});
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_FALSE(this->btn->Down());
    // The test library's double click comes without the press before it.
    QTest::mouseDClick(this->btn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(this->btn->Down());
    QTest::mouseRelease(this->btn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(doubles.count(), 2);
}

TYPED_TEST(WindowedButton, SpaceClicksOnceOnRelease)
{
    this->show();
    QSignalSpy clicks(this->btn, &TypeParam::OnClick);
    this->key(QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(this->btn->Down());
    EXPECT_TRUE(this->btn->hasFocus());
    // A held key repeats as release-press pairs: no clicks from those.
    for (int i = 0; i < 3; ++i) {
        this->key(QEvent::KeyRelease, Qt::Key_Space, true);
        this->key(QEvent::KeyPress, Qt::Key_Space, true);
    }
    EXPECT_EQ(clicks.count(), 0);
    this->key(QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(this->btn->Down());

    // Space while the mouse tracks: no click, on either release.
    this->press({5, 5});
    this->key(QEvent::KeyPress, Qt::Key_Space);
    this->key(QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_TRUE(this->btn->Down());
    this->release({50, 50});
    EXPECT_EQ(clicks.count(), 1);

    QTest::keyClick(this->btn, Qt::Key_Return); // Return clicks the focused button
    EXPECT_EQ(clicks.count(), 2);
}

TYPED_TEST(WindowedButton, AcceleratorClicks)
{
    this->btn->SetCaption("C&H1");
    this->show();
    QSignalSpy clicks(this->btn, &TypeParam::OnClick);
    QTest::keyClick(this->other, Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(this->other, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    // A new caption moves the accelerator; "&&" is none.
    this->btn->SetCaption("&&C");
    QTest::keyClick(this->other, Qt::Key_H, Qt::AltModifier);
    QTest::keyClick(this->other, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    this->btn->SetCaption("&On");
    this->btn->setEnabled(false);
    QTest::keyClick(this->other, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    this->btn->setEnabled(true);
    QTest::keyClick(this->other, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 2);
    this->btn->hide();
    QTest::keyClick(this->other, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 2);
}

TYPED_TEST(WindowedButton, DefaultTakesReturnAndCancelEscape)
{
    auto *second = new TypeParam(this->form.get());
    second->setGeometry(50, 10, 30, 20);
    this->btn->SetDefault(true);
    this->show();
    EXPECT_TRUE(this->btn->Active());
    QSignalSpy clicks(this->btn, &TypeParam::OnClick);
    QSignalSpy secondClicks(second, &TypeParam::OnClick);

    QTest::keyClick(this->other, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(this->other, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(clicks.count(), 1);
    // Another colour button with the focus takes over, and gives it back.
    second->setFocus();
    EXPECT_FALSE(this->btn->Active());
    EXPECT_TRUE(second->Active());
    QTest::keyClick(second, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(secondClicks.count(), 1);
    this->other->setFocus();
    EXPECT_TRUE(this->btn->Active());
    EXPECT_FALSE(second->Active());
    this->btn->SetDefault(false);
    QTest::keyClick(this->other, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);

    QTest::keyClick(this->other, Qt::Key_Escape);
    EXPECT_EQ(clicks.count(), 1);
    this->btn->SetCancel(true);
    QTest::keyClick(this->other, Qt::Key_Escape);
    EXPECT_EQ(clicks.count(), 2);
}

// A dialog button of one kind on a form, counting its clicks.
template <class Btn> QWidget *dialogButton(QWidget *form, bool isDefault, int &clicks)
{
    auto *b = new Btn(form);
    b->setGeometry(10 + 40 * int(form->children().size()), 10, 30, 20);
    b->SetDefault(isDefault);
    QObject::connect(b, &Btn::OnClick, b, [&clicks] { ++clicks; });
    return b;
}

// Each kind of dialog button holds Return as the window's shortcut while it
// is the default button; the focused button, of whatever kind, still takes
// Return and Enter first.
TEST(DialogButtons, FocusedButtonTakesReturnBeforeAnotherKindsDefault)
{
    using MakeButton = QWidget *(*)(QWidget *, bool, int &);
    const struct
    {
        const char *name;
        MakeButton make;
    } kinds[] = {{"colour", dialogButton<TzColorBtn>},
                 {"gradient", dialogButton<TzGradBtn>},
                 {"shape", dialogButton<TzcShapeColorBtn>},
                 {"shape gradient", dialogButton<TzcShapeGradBtn>},
                 {"picture", dialogButton<TzcFancyButton>}};
    for (const auto &focusedKind : kinds) {
        for (const auto &defaultKind : kinds) {
            SCOPED_TRACE(std::string(focusedKind.name) + " focused, " + defaultKind.name +
                         " default");
            QWidget form;
            form.resize(200, 100);
            auto *edit = new QLineEdit(&form);
            edit->setGeometry(10, 60, 80, 20);
            int focusedClicks = 0, defaultClicks = 0;
            QWidget *focused = focusedKind.make(&form, false, focusedClicks);
            defaultKind.make(&form, true, defaultClicks);
            form.show();
            form.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
            focused->setFocus();
            ASSERT_TRUE(focused->hasFocus());
            QTest::keyClick(focused, Qt::Key_Return);
            EXPECT_EQ(focusedClicks, 1);
            QTest::keyClick(focused, Qt::Key_Enter, Qt::KeypadModifier);
            EXPECT_EQ(focusedClicks, 2);
            EXPECT_EQ(defaultClicks, 0);
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Return);
            EXPECT_EQ(focusedClicks, 2);
            EXPECT_EQ(defaultClicks, 1);
        }
    }
}

TEST_F(ColorBtn, OnPaintAfterEachPaintWithTheCanvas)
{
    bool canvasSeen = false;
    QObject::connect(btn, &TzColorBtn::OnPaint, btn,
                     [&] { canvasSeen = btn->Canvas() != nullptr; });
    QSignalSpy paints(btn, &TzColorBtn::OnPaint);
    (void)image();
    EXPECT_EQ(paints.count(), 1);
    EXPECT_TRUE(canvasSeen);
    EXPECT_EQ(btn->Canvas(), nullptr);
}

// The windowless buttons: no keys of their own, and an accelerator only
// while enabled and shown.
template <class Btn>
class WindowlessButton : public ButtonRig<Btn>
{
};
using WindowlessButtons = ::testing::Types<TzNWColorBtn, TzNWBitColBtn, TzNWIconColBtn, TzShapeBtn>;
TYPED_TEST_SUITE(WindowlessButton, WindowlessButtons);

void setAccelerator(TzNWColorBtn *b, QChar c)
{
    b->SetCaption(QStringLiteral("&") + c + QStringLiteral("x"));
}

void setAccelerator(TzShapeBtn *b, QChar c)
{
    b->SetAcceleratorKey(c);
}

TYPED_TEST(WindowlessButton, AcceleratorOnlyWhileEnabledAndShown)
{
    setAccelerator(this->btn, u'k');
    this->show();
    QSignalSpy clicks(this->btn, &TypeParam::OnClick);
    QTest::keyClick(this->other, Qt::Key_K, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    this->btn->setEnabled(false);
    QTest::keyClick(this->other, Qt::Key_K, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    this->btn->setEnabled(true);
    this->btn->hide();
    QTest::keyClick(this->other, Qt::Key_K, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    this->btn->show();
    QTest::keyClick(this->other, Qt::Key_K, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 2);
}

TYPED_TEST(WindowlessButton, ReturnEscapeAndSpaceAreNotItsKeys)
{
    this->show();
    QSignalSpy clicks(this->btn, &TypeParam::OnClick);
    QTest::keyClick(this->other, Qt::Key_Return);
    QTest::keyClick(this->other, Qt::Key_Escape);
    this->key(QEvent::KeyPress, Qt::Key_Space);
    this->key(QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(this->btn->Down());
    EXPECT_EQ(this->btn->focusPolicy(), Qt::NoFocus);
}

// Every setter that changes the face, written with the value it holds, then
// with another: only the second repaints (the live view writes the colour and
// caption of its 34 buttons on every status answer).
TEST_F(ColorBtn, SettersRepaintOnlyWhenTheFaceChanges)
{
    show();
    auto *marker = new TzColorBtn(form.get());
    marker->setGeometry(100, 10, 30, 20);
    marker->show();
    QSignalSpy paints(btn, &TzColorBtn::OnPaint);
    QSignalSpy markerPaints(marker, &TzColorBtn::OnPaint);
    // Once the marker is repainted, so is anything else left to paint.
    auto flush = [&] {
        markerPaints.clear();
        marker->SetColor(marker->GetColor() == Green ? Light : Green);
        return QTest::qWaitFor([&] { return markerPaints.count() > 0; }, 10000);
    };
    ASSERT_TRUE(flush());
    btn->SetCaption("Off");
    struct Setter
    {
        const char *name;
        std::function<void(bool)> write; // true: another value
    } setters[] = {
        {"Color", [&](bool other) { btn->SetColor(other ? Light : Green); }},
        {"ParentColor", [&](bool other) { btn->SetParentColor(other); }},
        {"Caption", [&](bool other) { btn->SetCaption(other ? "On" : "Off"); }},
        {"FontColor",
         [&](bool other) { btn->SetFontColor(other ? vcl::clWhite : vcl::clWindowText); }},
        {"ShowFocus", [&](bool other) { btn->SetFocusRect(!other); }},
        {"HorzAlign", [&](bool other) { btn->SetHorzAlign(other ? zbha_Top : zbha_Center); }},
        {"MultipleLines", [&](bool other) { btn->SetMultipleLines(other); }},
        {"WordWrap", [&](bool other) { btn->SetWordWrap(other); }},
        {"Alignment",
         [&](bool other) { btn->SetAlign(other ? widgets::taLeftJustify : widgets::taCenter); }},
        {"DefaultLook", [&](bool other) { btn->SetDefLook(other ? dlFrame : dlBold); }},
        {"HighLightColor", [&](bool other) { btn->SetHigh(other ? White : Light); }},
        {"ShadowColor", [&](bool other) { btn->SetShadow(other ? Black : Shadow); }},
    };
    ASSERT_TRUE(flush());
    for (const Setter &s : setters) {
        paints.clear();
        s.write(false);
        ASSERT_TRUE(flush());
        EXPECT_EQ(paints.count(), 0) << s.name << " written unchanged";
        s.write(true);
        ASSERT_TRUE(flush());
        EXPECT_GE(paints.count(), 1) << s.name << " changed";
        s.write(false);
        ASSERT_TRUE(flush());
    }
}

} // namespace
