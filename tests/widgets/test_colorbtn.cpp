// The colour button: its pixels in each state on a 30 x 20 channel button,
// worked out by hand from the bevel polylines (W = 29, H = 19), and its
// mouse and keyboard behaviour.
#include "widgets/zAnimate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>
#include <set>
#include <utility>

namespace {

using vcl::TColor;
using widgets::TRect;

constexpr TColor Green = vcl::clLime;
constexpr TColor Black = vcl::clBlack;
constexpr TColor White = vcl::clWhite;
constexpr TColor Grey = vcl::clGray;
// Distinct bevel colours so every line can be told apart.
constexpr TColor Shadow = 0x404080;
constexpr TColor Light = 0xC0FFFF;

// Unsmoothed glyphs: caption ink is exactly the text colours.
QFont captionFont(int pixels = 11)
{
    QFont f("Sans Serif");
    f.setPixelSize(pixels);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

class ColorBtn : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = std::make_unique<QWidget>();
        form->resize(200, 120);
        btn = new TzColorBtn(form.get());
        btn->setGeometry(10, 10, 30, 20);
        btn->setFont(captionFont());
        btn->SetColor(Green);
        btn->SetShadow(Shadow);
        btn->SetHigh(Light);
        other = new QLineEdit(form.get());
        other->setGeometry(10, 60, 80, 20);
    }

    // Shown, active and with the focus away from the button.
    void show()
    {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        other->setFocus();
    }

    QImage image() { return btn->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    TColor at(const QImage &img, int x, int y) { return vcl::FromQColor(img.pixelColor(x, y)); }

    // Pixels inside `area` of any of `colours`.
    std::set<std::pair<int, int>> pixelsOf(const QImage &img, std::initializer_list<TColor> colours,
                                           TRect area)
    {
        std::set<std::pair<int, int>> out;
        for (int y = area.Top; y < area.Bottom; ++y)
            for (int x = area.Left; x < area.Right; ++x)
                for (TColor c : colours)
                    if (at(img, x, y) == c)
                        out.insert({x, y});
        return out;
    }

    static TRect bounds(const std::set<std::pair<int, int>> &pixels)
    {
        TRect r{1 << 20, 1 << 20, -1, -1};
        for (const auto &[x, y] : pixels) {
            r.Left = std::min(r.Left, x);
            r.Top = std::min(r.Top, y);
            r.Right = std::max(r.Right, x + 1);
            r.Bottom = std::max(r.Bottom, y + 1);
        }
        return r;
    }

    void mouse(QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton,
               Qt::MouseButtons held = Qt::LeftButton)
    {
        QMouseEvent e(type, QPointF(p), QPointF(btn->mapToGlobal(p)), button, held, Qt::NoModifier);
        QApplication::sendEvent(btn, &e);
    }
    void press(QPoint p) { mouse(QEvent::MouseButtonPress, p); }
    void release(QPoint p) { mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
    void move(QPoint p) { mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }

    void key(QEvent::Type type, int k, bool autoRepeat = false)
    {
        QKeyEvent e(type, k, Qt::NoModifier, k == Qt::Key_Space ? QStringLiteral(" ") : QString(),
                    autoRepeat);
        QApplication::sendEvent(btn, &e);
    }

    std::unique_ptr<QWidget> form;
    TzColorBtn *btn = nullptr;
    QLineEdit *other = nullptr;
};

struct PixelRow
{
    int x, y;
    TColor color;
};

void expectPixels(const QImage &img, std::initializer_list<PixelRow> rows, const char *state)
{
    for (const PixelRow &row : rows)
        EXPECT_EQ(vcl::FromQColor(img.pixelColor(row.x, row.y)), row.color)
            << state << " at " << row.x << "," << row.y;
}

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

TEST_F(ColorBtn, ClickOnReleaseInsideOnly)
{
    // The client area is 0 <= x < 30, 0 <= y < 20.
    const struct
    {
        QPoint at;
        int clicks;
    } rows[] = {{{5, 5}, 1},   {{29, 19}, 1}, {{0, 0}, 1},
                {{30, 10}, 0}, {{10, 20}, 0}, {{-1, 5}, 0}};
    show();
    for (const auto &row : rows) {
        QSignalSpy clicks(btn, &TzColorBtn::OnClick);
        press({5, 5});
        EXPECT_TRUE(btn->Down());
        EXPECT_TRUE(btn->Tracking());
        EXPECT_TRUE(btn->hasFocus());
        EXPECT_EQ(clicks.count(), 0);
        release(row.at);
        EXPECT_EQ(clicks.count(), row.clicks) << row.at.x() << "," << row.at.y();
        EXPECT_FALSE(btn->Down());
        EXPECT_FALSE(btn->Tracking());
    }
}

TEST_F(ColorBtn, DraggingOutRaisesAndBackInPresses)
{
    show();
    QSignalSpy clicks(btn, &TzColorBtn::OnClick);
    press({5, 5});
    move({30, 5});
    EXPECT_FALSE(btn->Down());
    EXPECT_TRUE(btn->Tracking());
    move({29, 19});
    EXPECT_TRUE(btn->Down());
    move({10, 40});
    EXPECT_FALSE(btn->Down());
    release({10, 40});
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ColorBtn, DoubleClickGivesOneClick)
{
    show();
    QSignalSpy clicks(btn, &TzColorBtn::OnClick);
    QSignalSpy doubles(btn, &TzColorBtn::OnDblClick);
    // As the window system delivers it: the second press comes with a
    // double-click event.
    press({5, 5});
    release({5, 5});
    press({5, 5});
    mouse(QEvent::MouseButtonDblClick, {5, 5});
    release({5, 5});
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_FALSE(btn->Down());
    // The test library's double click comes without the press before it.
    QTest::mouseDClick(btn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(btn->Down());
    QTest::mouseRelease(btn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(doubles.count(), 2);
}

TEST_F(ColorBtn, SpaceClicksOnceOnRelease)
{
    show();
    QSignalSpy clicks(btn, &TzColorBtn::OnClick);
    key(QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(btn->Down());
    EXPECT_TRUE(btn->hasFocus());
    // A held key repeats as release-press pairs: no clicks from those.
    for (int i = 0; i < 3; ++i) {
        key(QEvent::KeyRelease, Qt::Key_Space, true);
        key(QEvent::KeyPress, Qt::Key_Space, true);
    }
    EXPECT_EQ(clicks.count(), 0);
    key(QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(btn->Down());

    // Space while the mouse tracks: no click, on either release.
    press({5, 5});
    key(QEvent::KeyPress, Qt::Key_Space);
    key(QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_TRUE(btn->Down());
    release({50, 50});
    EXPECT_EQ(clicks.count(), 1);

    QTest::keyClick(btn, Qt::Key_Return); // Return clicks the focused button
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ColorBtn, AcceleratorClicks)
{
    btn->SetCaption("C&H1");
    show();
    QSignalSpy clicks(btn, &TzColorBtn::OnClick);
    QTest::keyClick(other, Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(other, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    // A new caption moves the accelerator; "&&" is none.
    btn->SetCaption("&&C");
    QTest::keyClick(other, Qt::Key_H, Qt::AltModifier);
    QTest::keyClick(other, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    btn->SetCaption("&On");
    btn->setEnabled(false);
    QTest::keyClick(other, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    btn->setEnabled(true);
    QTest::keyClick(other, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ColorBtn, DefaultTakesReturnAndCancelEscape)
{
    auto *second = new TzColorBtn(form.get());
    second->setGeometry(50, 10, 30, 20);
    btn->SetDefault(true);
    show();
    EXPECT_TRUE(btn->Active());
    QSignalSpy clicks(btn, &TzColorBtn::OnClick);
    QSignalSpy secondClicks(second, &TzColorBtn::OnClick);

    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(other, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(clicks.count(), 1);
    // Another colour button with the focus takes over, and gives it back.
    second->setFocus();
    EXPECT_FALSE(btn->Active());
    EXPECT_TRUE(second->Active());
    QTest::keyClick(second, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(secondClicks.count(), 1);
    other->setFocus();
    EXPECT_TRUE(btn->Active());
    EXPECT_FALSE(second->Active());
    btn->SetDefault(false);
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);

    QTest::keyClick(other, Qt::Key_Escape);
    EXPECT_EQ(clicks.count(), 1);
    btn->SetCancel(true);
    QTest::keyClick(other, Qt::Key_Escape);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ColorBtn, ModalResultEndsTheDialog)
{
    QDialog dialog;
    auto *ok = new TzColorBtn(&dialog);
    ok->SetModalresult(QDialog::Accepted);
    dialog.open();
    ASSERT_TRUE(dialog.isVisible());
    ok->Click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
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

} // namespace

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
