#include "platform/vcl/Colors.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

namespace {

using namespace vcl;

TEST(Colors, RedIsTheLowByte)
{
    // The live view's colours as the unit's tool writes them.
    const struct
    {
        TColor color;
        TColor value;
        QColor qt;
    } rows[] = {
        {clRed, 0x0000FF, QColor(255, 0, 0)},      {clLime, 0x00FF00, QColor(0, 255, 0)},
        {clYellow, 0x00FFFF, QColor(255, 255, 0)}, {clWhite, 0xFFFFFF, QColor(255, 255, 255)},
        {clBlue, 0xFF0000, QColor(0, 0, 255)},     {clGreen, 0x008000, QColor(0, 128, 0)},
        {clBlack, 0x000000, QColor(0, 0, 0)},      {clSilver, 0xC0C0C0, QColor(192, 192, 192)},
        {clGray, 0x808080, QColor(128, 128, 128)}, {clNavy, 0x800000, QColor(0, 0, 128)},
        {clMaroon, 0x000080, QColor(128, 0, 0)},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(row.color, row.value);
        EXPECT_EQ(ToQColor(row.color), row.qt) << std::hex << row.value;
        EXPECT_EQ(FromQColor(row.qt), row.value) << std::hex << row.value;
        EXPECT_EQ(ColorToRGB(row.color), row.value);
    }
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(FromQColor(QColor(1, 2, 3, 4)), RGB(1, 2, 3)); // alpha dropped
    EXPECT_EQ(ToQColor(clNone).alpha(), 0);
    EXPECT_EQ(clBtnFace, 0x8000000Fu);
    EXPECT_TRUE(IsSystemColor(clBtnFace));
    EXPECT_FALSE(IsSystemColor(clWhite));
}

TEST(Colors, SystemColoursFollowTheApplicationPalette)
{
    const QPalette saved = QApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Button, QColor(10, 20, 30));
    palette.setColor(QPalette::Dark, QColor(40, 50, 60));
    palette.setColor(QPalette::Light, QColor(70, 80, 90));
    palette.setColor(QPalette::Base, QColor(1, 1, 1));
    palette.setColor(QPalette::Text, QColor(2, 2, 2));
    palette.setColor(QPalette::Highlight, QColor(3, 3, 3));
    QApplication::setPalette(palette);

    EXPECT_EQ(ToQColor(clBtnFace), QColor(10, 20, 30));
    EXPECT_EQ(ToQColor(clBtnShadow), QColor(40, 50, 60));
    EXPECT_EQ(ToQColor(clBtnHighlight), QColor(70, 80, 90));
    EXPECT_EQ(ToQColor(clWindow), QColor(1, 1, 1));
    EXPECT_EQ(ToQColor(clWindowText), QColor(2, 2, 2));
    EXPECT_EQ(ToQColor(clHighlight), QColor(3, 3, 3));
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(10, 20, 30));
    EXPECT_EQ(ToQColor(SystemColorFlag | 0x7F), QColor(Qt::black)); // unknown element

    QApplication::setPalette(saved);
}

} // namespace
