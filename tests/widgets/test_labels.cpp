// The labels: sizing, 3-D effects, links, rotation and the hot spot.
#include "widgets/Std2Labels.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace {

using namespace widgets;

// Ink of one colour in an image: its count and bounding box.
struct Ink
{
    int count = 0;
    QRect box;
};

Ink inkOf(const QImage &image, QColor color)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color) {
                ++ink.count;
                ink.box |= QRect(x, y, 1, 1);
            }
    return ink;
}

TEST(AngleLabel, TextOriginTurnsAboutTheCentre)
{
    const struct
    {
        int degrees;
        QPoint origin;
    } rows[] = {{0, {30, 45}}, {90, {45, 70}}, {180, {70, 55}}, {270, {55, 30}}};
    for (const auto &r : rows) {
        const double a = r.degrees * std::numbers::pi / 180;
        EXPECT_EQ(AngleTextOrigin(50, 50, 40, 10, std::cos(a), std::sin(a)), r.origin) << r.degrees;
    }
    EXPECT_EQ(AngleTextBackground(50, 50, 40, 10, 1, 0),
              QPolygon({QPoint(30, 45), QPoint(70, 45), QPoint(70, 55), QPoint(30, 55)}));
}

TEST(AngleLabel, AngleIsNormalisedAndNeedsNoParent)
{
    TzAngleLabel label; // no parent yet
    label.SetCaption(QStringLiteral("Angle"));
    const int side = label.fontMetrics().horizontalAdvance(QStringLiteral("Angle")) + 16;
    const struct
    {
        int set, kept;
    } rows[] = {{90, 90}, {-90, 270}, {720, 0}, {365, 5}, {359, 359}};
    for (const auto &r : rows) {
        label.SetAngle(r.set);
        EXPECT_EQ(label.Angle(), r.kept) << r.set;
        EXPECT_EQ(label.size(), QSize(side, side));
    }
    label.SetAngle(90);
    label.resize(5, 5);
    label.SetAngle(90 + 360); // the same angle changes nothing
    EXPECT_EQ(label.size(), QSize(5, 5));
}

TEST(AngleLabel, NinetyDegreesRunsUpwardsThroughTheCentre)
{
    QWidget parent;
    auto *label = new TzAngleLabel(&parent);
    QFont f = label->font();
    f.setPixelSize(14);
    label->setFont(f);
    label->SetCaption(QStringLiteral("Rotated text"));
    label->SetFontColor(vcl::clBlack);
    label->SetAngle(90);
    QSignalSpy painted(label, &TzAngleLabel::OnPaint);
    QImage image(label->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    label->render(&image);
    EXPECT_EQ(painted.count(), 1);
    const Ink ink = inkOf(image, Qt::black);
    ASSERT_GT(ink.count, 20);
    EXPECT_GT(ink.box.height(), 3 * ink.box.width());
    EXPECT_NEAR(ink.box.center().x(), label->width() / 2, 3);
    EXPECT_NEAR(ink.box.center().y(), label->height() / 2, 3);

    label->SetAngle(45);
    label->SetUse3D(true);
    label->SetShadowColor(vcl::clRed);
    label->SetUseDropShadow(true);
    label->SetColor(vcl::clYellow);
    label->SetTransparent(false);
    QImage turned(label->size(), QImage::Format_RGB32);
    turned.fill(Qt::white);
    label->render(&turned);
    int reddish = 0; // turned text is smoothed, so few pixels are pure red
    for (int y = 0; y < turned.height(); ++y)
        for (int x = 0; x < turned.width(); ++x) {
            const QColor c = turned.pixelColor(x, y);
            reddish += c.red() > 180 && c.green() < 120 && c.blue() < 120;
        }
    EXPECT_GT(reddish, 10);
    EXPECT_GT(inkOf(turned, Qt::yellow).count, 100);
}

TEST(BigLabel, AutoSizeMeasuresLongCaptionsWithWordBreaks)
{
    QWidget parent;
    auto *label = new TzBigLabel(&parent);
    label->setGeometry(10, 10, 200, 20);
    const int line = QFontMetrics(label->font()).height();
    QString caption;
    for (int i = 0; i < 60; ++i)
        caption += QStringLiteral("word ");
    ASSERT_GE(caption.size(), 256);
    label->SetCaption(caption);
    EXPECT_GT(label->height(), line);
    EXPECT_LE(label->width(), 200);
    EXPECT_FALSE(label->WordWrap());

    label->SetCaption(QString());
    EXPECT_EQ(label->height(), line); // measured as a space
    EXPECT_GT(label->width(), 0);

    label->setGeometry(100, 10, 200, 20);
    label->SetAlignment(taRightJustify);
    label->SetCaption(QStringLiteral("right"));
    EXPECT_EQ(label->geometry().right(), 299);
    EXPECT_EQ(label->width(), label->fontMetrics().horizontalAdvance(QStringLiteral("right")));
}

QImage render3D(bool use3D, bool dropShadow, bool raised)
{
    Tz3DLabel label;
    QFont f = label.font();
    f.setPixelSize(20);
    f.setBold(true);
    label.setFont(f);
    label.SetCaption(QStringLiteral("3-D"));
    label.resize(label.width() + 6, label.height() + 6);
    label.SetColor(vcl::clWhite);
    label.SetFontColor(vcl::clBlack);
    label.SetShadowColor(vcl::clRed);
    label.SetHighlightColor(vcl::clBlue);
    label.SetUse3D(use3D);
    label.SetUseDropShadow(dropShadow);
    label.SetRaised(raised);
    return label.grab().toImage();
}

TEST(Label3D, EffectsOnlyWithUse3D)
{
    const QImage plain = render3D(false, true, true);
    EXPECT_EQ(inkOf(plain, Qt::red).count, 0);
    EXPECT_EQ(inkOf(plain, Qt::blue).count, 0);

    const QImage shadow = render3D(true, true, true);
    const Ink red = inkOf(shadow, Qt::red);
    const Ink black = inkOf(shadow, Qt::black);
    ASSERT_GT(red.count, 10);
    EXPECT_EQ(red.box.bottomRight(), black.box.bottomRight() + QPoint(2, 2));

    const QImage raised = render3D(true, false, true);
    EXPECT_LT(inkOf(raised, Qt::blue).box.left(), inkOf(raised, Qt::red).box.left());
    const QImage sunken = render3D(true, false, false);
    EXPECT_GT(inkOf(sunken, Qt::blue).box.left(), inkOf(sunken, Qt::red).box.left());
}

class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;
    Q_INVOKABLE void open(const QUrl &url) { opened << url; }
};

TEST(URLLabel, ClickOpensTheAddress)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    TzcURLLabel label;
    QSignalSpy clicks(&label, &TzcURLLabel::OnClick);
    EXPECT_EQ(label.FontColor(), vcl::clGreen);
    EXPECT_TRUE(label.font().underline());
    EXPECT_FALSE(label.Use3D());

    label.SetURL(QString());
    label.Click();
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(label.LastClickOK());
    EXPECT_TRUE(catcher.opened.isEmpty());

    label.SetURL(QStringLiteral("https://docs.example.org/a"));
    label.Click();
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("https://docs.example.org/a")));
    EXPECT_TRUE(label.LastClickOK());

    label.SetURL(QStringLiteral("   "));
    label.Click();
    EXPECT_FALSE(label.LastClickOK());
    EXPECT_EQ(catcher.opened.size(), 1);

    label.SetURL(QStringLiteral("https://docs.example.org/b"));
    label.SetCaption(QStringLiteral("&Help"));
    label.show();
    label.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&label));
    label.setEnabled(false);
    QTest::keyClick(&label, Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(catcher.opened.size(), 1);
    label.setEnabled(true);
    QTest::keyClick(&label, Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(catcher.opened.size(), 2);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

TEST(MouseSpot, InvisibleAndReportsTheMouse)
{
    TzMouseSpot spot;
    EXPECT_EQ(spot.size(), QSize(20, 20));
    QSignalSpy painted(&spot, &TzMouseSpot::OnParentPaint);
    QSignalSpy entered(&spot, &TzMouseSpot::OnMouseEnter);
    QSignalSpy left(&spot, &TzMouseSpot::OnMouseLeave);
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    spot.render(&image, {}, {}, QWidget::DrawChildren);
    EXPECT_EQ(painted.count(), 1);
    EXPECT_EQ(inkOf(image, Qt::white).count, 400);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&spot, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&spot, &leave);
    EXPECT_EQ(entered.count(), 1);
    EXPECT_EQ(left.count(), 1);
}

} // namespace

#include "test_labels.moc"
