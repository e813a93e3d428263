// The picture controls: bitmap file headers for resources, the animation's
// frame stepping, and what the controls paint (grabbed offscreen).
#include "widgets/zAnimateBitmapControls.h"

#include <gtest/gtest.h>

#include <climits>

#include <QBuffer>
#include <QPushButton>
#include <QSignalSpy>

namespace {

using namespace widgets;

TColor at(const QImage &image, int x, int y)
{
    return vcl::FromQColor(image.pixelColor(x, y));
}

QImage grab(QWidget &w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage solid(int w, int h, TColor color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(vcl::ToQColor(color));
    return image;
}

// What Qt's own bitmap writer puts in a file, less the file header, must come
// back byte for byte: the pixel offset depends on the header and colour table.
TEST(BitmapResource, RebuildsTheFileHeader)
{
    QImage indexed(3, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)});
    indexed.fill(1);
    const QImage pictures[] = {
        solid(3, 2, vcl::clRed).convertToFormat(QImage::Format_RGB888), solid(5, 3, vcl::clBlue),
        solid(9, 2, vcl::clWhite).convertToFormat(QImage::Format_Mono), indexed};
    for (const QImage &picture : pictures) {
        QByteArray file;
        QBuffer buffer(&file);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(picture.save(&buffer, "BMP"));
        const std::optional<QByteArray> rebuilt = BitmapFileFromResource(file.mid(14));
        ASSERT_TRUE(rebuilt.has_value());
        EXPECT_EQ(*rebuilt, file) << "format " << picture.format();
    }
}

TEST(BitmapResource, HeaderKindsAndBrokenResources)
{
    // A core header of a 1-bit picture: 2 colours of 3 bytes each.
    QByteArray core(12 + 6 + 4, '\0');
    core[0] = 12;
    core[10] = 1;
    const auto file = BitmapFileFromResource(core);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(std::uint8_t(file->at(10)), 14 + 12 + 6);
    EXPECT_EQ(file->left(2), "BM");
    EXPECT_EQ(std::uint8_t(file->at(2)), 14 + core.size());

    EXPECT_FALSE(BitmapFileFromResource(QByteArray(11, '\0')));
    QByteArray unknown(40, '\0');
    unknown[0] = 20; // no such header
    EXPECT_FALSE(BitmapFileFromResource(unknown));
    QByteArray hostile(40, '\0');
    hostile[0] = 40;
    hostile[14] = 8;
    hostile[35] = char(0x7F); // two thousand million colours
    EXPECT_FALSE(BitmapFileFromResource(hostile));
}

TEST(BitmapResource, LoadsByNameOrRaises)
{
    const TzResBitmap quad("QUAD");
    ASSERT_EQ(quad.size(), QSize(2, 2));
    EXPECT_EQ(at(quad, 0, 0), vcl::clRed);
    EXPECT_EQ(at(quad, 1, 0), vcl::clBlue);
    EXPECT_EQ(at(quad, 0, 1), vcl::clLime);
    EXPECT_EQ(at(quad, 1, 1), vcl::clWhite);
    EXPECT_THROW(TzResBitmap("NOSUCHBITMAP"), EResNotFound);
}

TEST(Animated, StepsStopsAndWraps)
{
    struct Case
    {
        bool reverse;
        bool loop;
        int start;
        std::vector<int> frames; // after each tick
        bool playingAtEnd;
    };
    const Case cases[] = {
        {false, false, 0, {1, 2, 3}, false},
        {true, false, 3, {2, 1, 0}, false},
        {false, true, 2, {3, 0, 1}, true},
        {true, true, 1, {0, 3, 2}, true},
    };
    for (const Case &c : cases) {
        TzAnimated anim;
        anim.SetFrameCount(4);
        anim.SetFrame(c.start);
        anim.SetReverse(c.reverse);
        anim.SetLoop(c.loop);
        anim.SetInterval(50);
        anim.SetPlay(true);
        QSignalSpy changes(&anim, &TzAnimated::OnChangeFrame);
        std::vector<int> seen;
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            anim.TimeHit();
            seen.push_back(anim.Frame());
        }
        EXPECT_EQ(seen, c.frames) << "reverse " << c.reverse << " loop " << c.loop;
        EXPECT_EQ(anim.Play(), c.playingAtEnd);
        EXPECT_EQ(anim.Playing(), c.playingAtEnd);
        EXPECT_EQ(changes.count(), int(c.frames.size()));
    }
}

TEST(Animated, FrameArithmetic)
{
    TzAnimated anim;
    anim.SetFrameCount(4);
    anim.SetFrame(-1);
    EXPECT_EQ(anim.Frame(), 3);
    anim.SetFrame(6);
    EXPECT_EQ(anim.Frame(), 2);
    QSignalSpy changes(&anim, &TzAnimated::OnChangeFrame);
    anim.SetFrame(2);
    EXPECT_EQ(changes.count(), 0);
    // A count below 1 would divide by zero.
    anim.SetFrameCount(0);
    EXPECT_EQ(anim.FrameCount(), 1);
    anim.SetFrame(5);
    EXPECT_EQ(anim.Frame(), 0);
    // No timer without an interval; one once the interval is set.
    anim.SetPlay(true);
    EXPECT_FALSE(anim.Playing());
    anim.SetInterval(100);
    EXPECT_TRUE(anim.Playing());
    anim.SetPlay(false);
    EXPECT_FALSE(anim.Playing());
}

TEST(Animated, PaintsTheCurrentFrame)
{
    QImage strip(20, 10, QImage::Format_RGB32);
    strip.fill(Qt::red);
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 20; ++x)
            strip.setPixel(x, y, qRgb(0, 0, 255));
    TzAnimated anim;
    anim.SetFrameCount(2);
    anim.SetBitMap(strip);
    anim.resize(10, 10);
    anim.SetFrame(1);
    const QImage shot = grab(anim);
    EXPECT_EQ(at(shot, 0, 0), vcl::clBlue);
    EXPECT_EQ(at(shot, 9, 9), vcl::clBlue);
}

TEST(BitmapControl, PaintsByTheTransparencySettings)
{
    QWidget parent;
    parent.resize(40, 40);
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(parent.backgroundRole(), QColor(0, 255, 0));
    parent.setPalette(palette);

    QImage picture = solid(4, 4, vcl::clWhite);
    picture.setPixel(1, 1, qRgb(255, 0, 0));
    TzBitmap bitmap(&parent);
    bitmap.SetColor(vcl::clBlue);
    EXPECT_EQ(at(grab(bitmap), 0, 0), vcl::clWhite) << "without a picture";

    bitmap.SetBitMap(picture);
    EXPECT_EQ(bitmap.size(), QSize(4, 4));
    struct Case
    {
        bool transparent;
        bool real;
        TColor corner;
    };
    const Case cases[] = {
        {false, false, vcl::clWhite}, {true, false, vcl::clBlue}, {true, true, vcl::clLime}};
    for (const Case &c : cases) {
        bitmap.SetTransparent(c.transparent);
        bitmap.SetRealTransparent(c.real);
        const QImage shot = c.real ? grab(parent) : grab(bitmap);
        EXPECT_EQ(at(shot, 0, 0), c.corner) << c.transparent << c.real;
        EXPECT_EQ(at(shot, 1, 1), vcl::clRed);
    }
}

TEST(BitmapControl, AutoBackColorFromThePicturesLastRow)
{
    QImage picture = solid(4, 4, vcl::clWhite);
    picture.setPixel(0, 3, qRgb(0, 0, 255));
    TzBitmap bitmap;
    bitmap.SetDrawType(bdDrawStretch);
    bitmap.resize(8, 20); // taller than the picture
    bitmap.SetBitMap(picture);
    bitmap.SetAuto(true);
    EXPECT_EQ(bitmap.TransparentColor(), vcl::clBlue);
    bitmap.SetTransparentColor(vcl::clRed);
    EXPECT_FALSE(bitmap.AutoBackColor());
    // The centred picture with the key colour round it, shown in Color.
    bitmap.SetDrawType(bdDrawCenter);
    bitmap.SetTransparentColor(vcl::clWhite);
    bitmap.SetColor(vcl::clLime);
    const QImage shot = grab(bitmap);
    EXPECT_EQ(at(shot, 0, 0), vcl::clLime);
    EXPECT_EQ(at(shot, 2, 11), vcl::clBlue); // picture at (2, 8)
}

TEST(BitmapControl, BlackAndWhite)
{
    QImage picture = solid(3, 1, vcl::clWhite);
    picture.setPixel(1, 0, qRgb(250, 250, 250));
    picture.setPixel(2, 0, qRgb(0, 0, 80));
    TzBitmap bitmap;
    bitmap.SetBitMap(picture);
    bitmap.BW();
    EXPECT_EQ(at(bitmap.BitMap(), 0, 0), vcl::clWhite);
    EXPECT_EQ(at(bitmap.BitMap(), 1, 0), vcl::clBlack);
    EXPECT_EQ(at(bitmap.BitMap(), 2, 0), vcl::clBlack);
    EXPECT_EQ(bitmap.BitMap().format(), picture.format());
}

// The control's blur of the largest amount returns, with the picture of the
// largest amount that still changes it.
TEST(BitmapControl, GaussianBlurOfTheLargestAmountReturns)
{
    QImage picture = solid(6, 4, vcl::clWhite);
    for (int x = 0; x < 6; ++x)
        picture.setPixel(x, x % 4, qRgb(40 * x, 0, 255 - 40 * x));
    TzBitmap bitmap;
    bitmap.SetBitMap(picture);
    bitmap.GaussianBlur(INT_MAX);
    QImage settled = picture;
    widgets::GaussianBlur(settled, 1000);
    EXPECT_EQ(bitmap.BitMap(), settled);
    EXPECT_NE(bitmap.BitMap(), picture);
}

TEST(Divider, KeepsTwoPixelsAndOrdersItsColours)
{
    TzDivider divider;
    divider.SetHeight(1);
    EXPECT_EQ(divider.height(), 2);
    divider.SetWidth(10);
    const TColor shadow = vcl::ColorToRGB(vcl::clBtnShadow);
    const TColor light = vcl::ColorToRGB(vcl::clBtnHighlight);
    ASSERT_NE(shadow, light);
    QImage shot = grab(divider);
    EXPECT_EQ(at(shot, 9, 0), shadow);
    EXPECT_EQ(at(shot, 9, 1), light);
    divider.SetRaised(true);
    divider.SetOrientation(doVert);
    divider.resize(2, 10);
    shot = grab(divider);
    EXPECT_EQ(at(shot, 0, 9), light);
    EXPECT_EQ(at(shot, 1, 9), shadow);
}

TEST(Frame, BevelsAndPassingTheMouseOn)
{
    QWidget form;
    form.resize(100, 100);
    QPushButton beneath(&form);
    beneath.setGeometry(10, 10, 30, 30);
    TzFrame frame(&form);
    frame.setGeometry(0, 0, 60, 60);
    frame.SetBorderWidth(1);
    frame.SetBevelInner(bvLowered);
    frame.SetFilled(true);
    frame.SetColor(vcl::clRed);
    EXPECT_TRUE(frame.PassMouseOn());
    EXPECT_EQ(form.childAt(20, 20), &beneath);
    frame.SetPassMouseOn(false);
    EXPECT_EQ(form.childAt(20, 20), &frame);

    const TColor shadow = vcl::ColorToRGB(vcl::clBtnShadow);
    const TColor light = vcl::ColorToRGB(vcl::clBtnHighlight);
    const QImage shot = grab(frame);
    EXPECT_EQ(at(shot, 0, 0), light); // raised outer bevel
    EXPECT_EQ(at(shot, 59, 59), shadow);
    EXPECT_EQ(at(shot, 1, 1), vcl::clRed); // border
    EXPECT_EQ(at(shot, 2, 2), shadow);     // lowered inner bevel
    EXPECT_EQ(at(shot, 57, 57), light);
    EXPECT_EQ(at(shot, 30, 30), vcl::clRed);
}

TEST(Desktop, IsAsLargeAsTheScreen)
{
    TzDesktop desktop;
    EXPECT_GT(desktop.Width(), 0);
    EXPECT_GT(desktop.Height(), 0);
    EXPECT_GT(desktop.Depth(), 0);
    desktop.Brush.Color = vcl::clRed;
    desktop.FillRect({0, 0, 2, 2});
    EXPECT_EQ(at(desktop.Image(), 1, 1), vcl::clRed);
}

} // namespace
