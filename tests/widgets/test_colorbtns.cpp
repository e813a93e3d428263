// The gradient, glyph and icon faces of the colour buttons and their
// windowless twins: band lists, strip cutting, embossing, glyph placement and
// the glass of a transparent button, then a few renders.
#include "widgets/Std2ShapeBtns.h"
#include "widgets/zAnimateColorBtns.h"
#include "widgets/zAnimateNWColorBtns.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <climits>
#include <memory>
#include <vector>

namespace {

using namespace widgets;

TEST(ColorBtns, MulDivRoundsHalfAwayFromZero)
{
    const struct
    {
        int a, b, c, result;
    } rows[] = {{1, 2, 3, 1},  {1, 1, 3, 0},   {1, 1, 2, 1},         {-1, 1, 2, -1},
                {7, 0, 3, 0},  {5, 7, 0, -1},  {INT_MAX, 2, 1, -1},  {INT_MAX, 2, 4, INT_MAX / 2 + 1},
                {-9, 4, 6, -6}};
    for (const auto &r : rows)
        EXPECT_EQ(MulDiv(r.a, r.b, r.c), r.result) << r.a << "*" << r.b << "/" << r.c;
}

// Every pixel of the area is covered exactly once.
void expectPartition(const std::vector<GradientBand> &bands, TRect area)
{
    std::vector<int> hits(std::size_t(area.Width() * area.Height()), 0);
    for (const GradientBand &b : bands)
        for (int y = b.rect.Top; y < b.rect.Bottom; ++y)
            for (int x = b.rect.Left; x < b.rect.Right; ++x) {
                ASSERT_TRUE(area.Contains(x, y)) << x << "," << y;
                ++hits[std::size_t((y - area.Top) * area.Width() + x - area.Left)];
            }
    for (std::size_t i = 0; i < hits.size(); ++i)
        ASSERT_EQ(hits[i], 1) << "pixel " << i;
}

TEST(ColorBtns, LinearBandsRunFromColorToEndColor)
{
    // 50 x 50: W = H = 49. Enough bands for one a row, and fewer.
    const struct
    {
        gradType kind;
        TColor from, to;
        int bands;
    } rows[] = {{gVert, vcl::clRed, vcl::clBlue, 75},  {gVert, vcl::clRed, vcl::clBlue, 10},
                {gHorz, vcl::clBlue, vcl::clRed, 75},  {gHorz, vcl::clBlue, vcl::clRed, 10},
                {gVert, vcl::clWhite, vcl::clBlack, 1000000000}};
    for (const auto &r : rows) {
        const auto bands =
            GradientBands(r.kind, GradientColorSet(r.from, r.to), r.from, r.to, r.bands, 50, 50, 0);
        ASSERT_FALSE(bands.empty());
        EXPECT_LE(bands.size(), 49u) << "one rectangle a row at most";
        // A row shows the last of the bands that start on it: with a billion
        // bands that is nearly, not exactly, the first colour.
        if (r.bands < 1000) {
            EXPECT_EQ(bands.front().color, r.from);
            EXPECT_EQ(bands.back().color, r.to);
        } else {
            EXPECT_GE(bands.front().color & 0xFF, 0xF0u);
            EXPECT_LE(bands.back().color & 0xFF, 0x0Fu);
        }
        const TRect first = r.kind == gVert ? TRect{0, 0, 49, 1} : TRect{0, 0, 1, 49};
        if (r.bands > 49) {
            EXPECT_EQ(bands.front().rect, first);
        }
        expectPartition(bands, {0, 0, 49, 49});
        // Pressed: the same bands one pixel down and right.
        const auto pressed =
            GradientBands(r.kind, GradientColorSet(r.from, r.to), r.from, r.to, r.bands, 50, 50, 1);
        expectPartition(pressed, {1, 1, 50, 50});
    }
}

TEST(ColorBtns, CentreBandsShrinkToTheMiddle)
{
    const GradientColors c = GradientColorSet(vcl::clWhite, vcl::clNavy);
    // Bands beyond half the size: 24 rings of one pixel over (1, 1, 49, 49),
    // which leave no middle.
    const auto bands = GradientBands(gCenter, c, vcl::clWhite, vcl::clNavy, 75, 50, 50, 0);
    ASSERT_EQ(bands.size(), 24u * 4);
    EXPECT_EQ(bands.front().rect, (TRect{1, 1, 49, 2}));
    EXPECT_EQ(bands.front().color, vcl::clWhite);
    EXPECT_EQ(bands[4 * 23].rect, (TRect{24, 24, 26, 25}));
    // Ten bands on 52 x 52: steps of 2 leave a middle in the end colour.
    const auto odd = GradientBands(gCenter, c, vcl::clWhite, vcl::clNavy, 10, 52, 52, 0);
    EXPECT_EQ(odd.back().rect, (TRect{21, 21, 31, 31}));
    EXPECT_EQ(odd.back().color, vcl::clNavy);
}

TEST(ColorBtns, NoGradientWhereItCannotBeDrawn)
{
    const GradientColors c = GradientColorSet(vcl::clRed, vcl::clBlue);
    const struct
    {
        const char *why;
        gradType kind;
        TColor to;
        int bands, w, h;
    } rows[] = {{"same colours", gVert, vcl::clRed, 75, 50, 50},
                {"no bands", gVert, vcl::clBlue, 0, 50, 50},
                {"negative bands", gHorz, vcl::clBlue, -3, 50, 50},
                {"centre without bands", gCenter, vcl::clBlue, 0, 50, 50},
                {"centre 2 wide", gCenter, vcl::clBlue, 75, 2, 50},
                {"centre 2 high", gCenter, vcl::clBlue, 75, 50, 2},
                {"diagonal", gTopLeftBottomRight, vcl::clBlue, 75, 50, 50},
                {"diagonal", gDiagRight, vcl::clBlue, 75, 50, 50}};
    for (const auto &r : rows)
        EXPECT_TRUE(GradientBands(r.kind, c, vcl::clRed, r.to, r.bands, r.w, r.h, 0).empty())
            << r.why;
}

TEST(ColorBtns, GradientStartIsTheStoredColour)
{
    // A system colour's bytes as stored: button face gives red 0x0F.
    const GradientColors c = GradientColorSet(vcl::clBtnFace, vcl::RGB(0x10, 0x80, 0x20));
    EXPECT_EQ(c.start, (std::array<std::int16_t, 3>{0x0F, 0, 0}));
    EXPECT_EQ(c.delta, (std::array<std::int16_t, 3>{1, 0x80, 0x20}));
    // End below start: the steps are negative.
    EXPECT_EQ(GradientColorSet(vcl::clWhite, vcl::clBlack).delta[1], -255);
}

// The steps follow every write of the colours, before any paint.
template <class Btn>
void expectColorSetOnWrite()
{
    Btn b;
    b.SetColor(vcl::RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(b.Gradient().start, (std::array<std::int16_t, 3>{0x10, 0x20, 0x30}));
    b.SetEndColor(vcl::RGB(0x00, 0x20, 0x40));
    EXPECT_EQ(b.Gradient().delta, (std::array<std::int16_t, 3>{-0x10, 0, 0x10}));
}

TEST(ColorBtns, GradientSettersRunColorSet)
{
    expectColorSetOnWrite<TzGradBtn>();
    expectColorSetOnWrite<TzcShapeGradBtn>();
}

// A new face colour cuts the strip again: the embossed image lies on it.
template <class Btn>
void expectStripCutOnColour()
{
    QImage glyph(4, 4, QImage::Format_RGB32);
    glyph.fill(Qt::white);
    glyph.setPixel(1, 1, qRgb(0, 0, 0));
    Btn b;
    b.SetBitmap(glyph);
    b.SetColor(vcl::clRed);
    EXPECT_EQ(b.Images().disabled.pixelColor(3, 0), QColor(Qt::red));
}

TEST(ColorBtns, GlyphColourCutsTheStripAgain)
{
    expectStripCutOnColour<TzBitColBtn>();
    expectStripCutOnColour<TzcShapeBitColBtn>();
    expectStripCutOnColour<TzNWBitColBtn>();
}

QImage strip(int parts)
{
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    QImage img(16 * parts, 16, QImage::Format_RGB32);
    QPainter p(&img);
    for (int k = 0; k < parts; ++k)
        p.fillRect(16 * k, 0, 16, 16, colours[k]);
    return img;
}

QColor colourOf(const QImage &img)
{
    return img.isNull() ? QColor() : img.pixelColor(8, 8);
}

TEST(ColorBtns, StripsSplitIntoStateImages)
{
    const QColor R = Qt::red, G = Qt::green, B = Qt::blue, Y = Qt::yellow;
    const struct
    {
        int parts;
        QColor up, disabled, down, hot;
    } rows[] = {{4, R, G, B, Y},
                // No fourth image: the hover image is the up image.
                {3, R, G, B, R},
                {2, R, G, R, R}};
    for (const auto &r : rows) {
        const GlyphImages g = SplitGlyph(strip(r.parts), r.parts, 0xC0C0C0, 0xFFFFFF, 0x808080);
        EXPECT_EQ(g.up.size(), QSize(16, 16));
        EXPECT_EQ(colourOf(g.up), r.up) << r.parts;
        EXPECT_EQ(colourOf(g.disabled), r.disabled) << r.parts;
        EXPECT_EQ(colourOf(g.down), r.down) << r.parts;
        EXPECT_EQ(colourOf(g.hot), r.hot) << r.parts;
    }
    const GlyphImages empty = SplitGlyph(QImage(), 2, 0, 0, 0);
    EXPECT_TRUE(empty.up.isNull() && empty.disabled.isNull() && empty.hot.isNull());
    GlyphStrip s;
    EXPECT_FALSE(s.SetNumGlyphs(0));
    EXPECT_FALSE(s.SetNumGlyphs(5));
    EXPECT_EQ(s.NumGlyphs(), 1);
}

TEST(ColorBtns, OneImageIsEmbossedForDisabled)
{
    // A white 4 x 4 glyph with one black pixel: the black pixel's mask gives
    // highlight one pixel down-right and shadow in place, face elsewhere.
    QImage glyph(4, 4, QImage::Format_RGB32);
    glyph.fill(Qt::white);
    glyph.setPixel(1, 1, qRgb(0, 0, 0));
    const TColor face = 0x00C0C0C0, light = 0x00FFFFFF, shadow = 0x00808080;
    const GlyphImages g = SplitGlyph(glyph, 1, face, light, shadow);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const TColor want = (x == 1 && y == 1) ? shadow : (x == 2 && y == 2) ? light : face;
            EXPECT_EQ(vcl::FromQColor(g.disabled.pixelColor(x, y)), want) << x << "," << y;
        }
    EXPECT_EQ(g.up, glyph.copy(0, 0, 4, 4));
}

TEST(ColorBtns, TransparentColourAndBackground)
{
    QImage img(2, 2, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setPixel(0, 1, qRgb(255, 0, 0));
    // Colours with red in the low byte.
    EXPECT_EQ(BottomLeftColor(img), std::optional<TColor>(0x0000FF));
    EXPECT_EQ(BottomLeftColor(QImage()), std::nullopt);
    const QImage out = BrushCopy(img, vcl::clRed, vcl::clLime);
    EXPECT_EQ(out.pixelColor(0, 1), QColor(Qt::green));
    EXPECT_EQ(out.pixelColor(1, 1), QColor(Qt::white));

    GlyphStrip s;
    s.SetTransparentColor(vcl::clBlue);
    s.SetAutoBackColor(true);
    s.Split(vcl::clSilver); // an empty glyph keeps the colour it had
    EXPECT_EQ(s.TransparentColor(), vcl::clBlue);
    s.SetGlyph(img);
    s.Split(vcl::clSilver);
    EXPECT_EQ(s.TransparentColor(), vcl::clRed);
    s.SetTransparentColor(vcl::clBlack);
    EXPECT_FALSE(s.AutoBackColor());
}

TEST(ColorBtns, GlyphAndCaptionPlaces)
{
    // An 89 x 33 button (W 88, H 32) with a 16 x 16 glyph, margin 5.
    const struct
    {
        tBitWhere where;
        bool pressed;
        QPoint at;
    } rows[] = {{z_BWLeft, false, {5, 9}},
                {z_BWLeft, true, {6, 10}},
                {z_BWRight, false, {67, 9}},
                {z_BWRight, true, {68, 10}}};
    for (const auto &r : rows)
        EXPECT_EQ(GlyphPosition(88, 32, 16, 16, r.where, 5, r.pressed, r.pressed), r.at);
    EXPECT_EQ(CaptionBesideGlyph({5, 5, 84, 28}, z_BWLeft, 16), (TRect{21, 5, 84, 28}));
    EXPECT_EQ(CaptionBesideGlyph({5, 5, 84, 28}, z_BWRight, 16 + 5), (TRect{5, 5, 63, 28}));
}

TEST(ColorBtns, MissingIconsAreFilled)
{
    QPixmap a(4, 4), b(8, 8);
    const struct
    {
        int given; // 0 enabled, 1 disabled, 2 down
    } rows[] = {{0}, {1}, {2}};
    for (const auto &r : rows) {
        IconSet icons;
        QPixmap *slot[] = {&icons.enabled, &icons.disabled, &icons.down};
        *slot[r.given] = a;
        icons.Complete();
        for (const QPixmap *p : slot)
            EXPECT_EQ(p->cacheKey(), a.cacheKey()) << r.given;
    }
    IconSet two;
    two.enabled = a;
    two.down = b;
    two.Complete();
    EXPECT_EQ(two.disabled.cacheKey(), a.cacheKey()); // enabled comes first
    IconSet off;
    off.autoAll = false;
    off.down = b;
    off.Complete();
    EXPECT_TRUE(off.enabled.isNull());
}

TEST(ColorBtns, GreyAndGlass)
{
    EXPECT_EQ(Grey(vcl::RGB(10, 20, 31)), vcl::RGB(20, 20, 20) | 0x02000000);
    EXPECT_EQ(Grey(vcl::RGB(1, 1, 2)), vcl::RGB(1, 1, 1) | 0x02000000);
    EXPECT_EQ(Grey(vcl::RGB(1, 2, 2)), vcl::RGB(2, 2, 2) | 0x02000000);
    // The palette flag means nothing on a true-colour display.
    EXPECT_EQ(vcl::ToQColor(Grey(vcl::RGB(10, 20, 31))), QColor(20, 20, 20));
    EXPECT_EQ(GlassOver(vcl::RGB(0x10, 0x20, 0x30), 128), vcl::RGB(0x90, 0xA0, 0xB0));
    EXPECT_EQ(GlassOver(vcl::RGB(0x10, 0x20, 0x30), 0), vcl::RGB(0x10, 0x20, 0x30));
}

class ColorBtnRender : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = std::make_unique<QWidget>();
        form->resize(200, 100);
        QPalette pal = form->palette();
        pal.setColor(QPalette::Window, QColor(0x10, 0x20, 0x30));
        form->setPalette(pal);
        form->setAutoFillBackground(true);
    }
    static QImage image(QWidget *w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    std::unique_ptr<QWidget> form;
};

TEST_F(ColorBtnRender, EqualGradientColoursPaintLikeTheColourButton)
{
    auto *plain = new TzColorBtn(form.get());
    auto *grad = new TzGradBtn(form.get());
    for (TzColorBtn *b : std::initializer_list<TzColorBtn *>{plain, grad}) {
        b->resize(89, 33);
        b->SetColor(vcl::clTeal);
        b->SetCaption("Go");
    }
    grad->SetEndColor(vcl::clTeal);
    EXPECT_EQ(image(plain), image(grad));
    grad->SetEndColor(vcl::clYellow);
    EXPECT_NE(image(plain), image(grad));
    // The last column inside the bevel was never a band: it has the face.
    grad->SetBands(0);
    EXPECT_EQ(image(plain), image(grad));
}

// A gradient button whose colour was never written takes its window's: on a
// window of the default colour that is the button face, EndColor's default,
// so the face is plain; a window of its own colour still starts a gradient.
TEST_F(ColorBtnRender, DefaultColoursPaintPlain)
{
    QWidget plainWindow;
    plainWindow.resize(200, 100);
    const struct
    {
        QWidget *window;
        bool plain;
    } rows[] = {{&plainWindow, true}, {form.get(), false}};
    for (const auto &row : rows) {
        auto *plain = new TzColorBtn(row.window);
        auto *grad = new TzGradBtn(row.window);
        for (TzColorBtn *b : std::initializer_list<TzColorBtn *>{plain, grad}) {
            b->resize(89, 33);
            b->SetCaption("Go");
        }
        const QImage face = image(grad);
        EXPECT_EQ(face == image(plain), row.plain);
        // The rows above the bevel's bottom are the top row's colour.
        EXPECT_EQ(face.pixel(40, 29) == face.pixel(40, 2), row.plain);
    }
}

TEST_F(ColorBtnRender, GlyphShowsWithItsTransparentPixelsInTheFace)
{
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(Qt::white);
    QPainter(&glyph).fillRect(4, 4, 8, 8, Qt::red);
    auto *b = new TzBitColBtn(form.get());
    b->resize(89, 33);
    b->SetColor(vcl::clSilver);
    b->SetBitmap(glyph);
    b->SetAuto(true); // white, from the bottom-left pixel
    EXPECT_EQ(b->TransparentColor(), vcl::clWhite);
    const QImage img = image(b);
    // Glyph at (5, 9): its red middle, its white border in the face.
    EXPECT_EQ(img.pixelColor(5 + 8, 9 + 8), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(5 + 1, 9 + 1), vcl::ToQColor(vcl::clSilver));
    b->SetTransColor(vcl::clBlack);
    EXPECT_FALSE(b->AutoBackColor());
    EXPECT_EQ(image(b).pixelColor(5 + 1, 9 + 1), QColor(Qt::white));
}

TEST_F(ColorBtnRender, OnlyADisabledIconShowsInEveryState)
{
    QPixmap icon(10, 10);
    icon.fill(Qt::magenta);
    auto *b = new TzIconColBtn(form.get());
    EXPECT_EQ(b->size(), QSize(140, 44));
    b->SetOffIcon(icon);
    // (5, (43 - 10) / 2 + 1) = (5, 17).
    EXPECT_EQ(image(b).pixelColor(7, 19), QColor(Qt::magenta));
    b->setEnabled(false);
    EXPECT_EQ(image(b).pixelColor(7, 19), QColor(Qt::magenta));
}

TEST_F(ColorBtnRender, PressedWhileDisabledKeepsTheDisabledIconsPlace)
{
    QPixmap down(20, 20);
    down.fill(Qt::red);
    QPixmap off(10, 10);
    off.fill(Qt::magenta);
    auto *b = new TzIconColBtn(form.get()); // not shown: no focus to lose
    b->SetAuto(false);
    b->SetDownIcon(down);
    b->SetOffIcon(off);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(b, &space);
    b->setEnabled(false);
    ASSERT_TRUE(b->Down());
    // Shown pressed, placed by the disabled icon: (5, (43 - 10) / 2 + 1 + 1);
    // by the pressed icon's own size it would start at y = 13.
    const QImage img = image(b);
    EXPECT_EQ(img.pixelColor(5, 18), QColor(Qt::red));
    EXPECT_NE(img.pixelColor(5, 14), QColor(Qt::red));
}

TEST_F(ColorBtnRender, GlassLightensTheParent)
{
    auto *b = new TzNWColorBtn(form.get());
    b->setGeometry(10, 10, 89, 33);
    b->SetTransparent(true);
    b->SetGlass(128);
    form->show();
    // A face pixel away from bevel and caption.
    EXPECT_EQ(image(form.get()).pixelColor(10 + 3, 10 + 3), QColor(0x90, 0xA0, 0xB0));
    b->SetGlass(0);
    EXPECT_EQ(image(form.get()).pixelColor(10 + 3, 10 + 3), QColor(0x10, 0x20, 0x30));
    b->SetTransparent(false);
    b->SetColor(vcl::clRed);
    EXPECT_EQ(image(form.get()).pixelColor(10 + 3, 10 + 3), QColor(Qt::red));
}

TEST_F(ColorBtnRender, WithoutFrameAndMovementPressingShowsNothing)
{
    auto *b = new TzNWColorBtn(form.get());
    b->setGeometry(10, 10, 89, 33);
    b->SetCaption("Still");
    b->SetFrame(false);
    b->SetMove(false);
    form->show();
    const QImage up = image(b);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 10), QPointF(b->mapToGlobal(QPoint(20, 10))),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b, &press);
    ASSERT_TRUE(b->Down());
    EXPECT_EQ(image(b), up);
    b->SetMove(true);
    EXPECT_NE(image(b), up);
}

TEST_F(ColorBtnRender, WindowlessCaptionRectangle)
{
    auto *b = new TzNWColorBtn(form.get());
    b->resize(89, 33);
    b->SetLeftOffSet(10);
    EXPECT_EQ(b->CaptionRect(), (TRect{10, 5, 79, 28}));
}

} // namespace
