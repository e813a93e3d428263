// A form with one button of any of the library's button classes and a line
// edit to hold the focus elsewhere, with the mouse and key events a person
// would cause; shared by the tests of the colour and shape buttons.
#pragma once

#include "widgets/Canvas.h"

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

#include <memory>
#include <set>
#include <utility>


namespace testrig {

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
inline QFont captionFont(int pixels = 11)
{
    QFont f("Sans Serif");
    f.setPixelSize(pixels);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

template <class Btn>
class ButtonRig : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = std::make_unique<QWidget>();
        form->resize(200, 120);
        btn = new Btn(form.get());
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
    Btn *btn = nullptr;
    QLineEdit *other = nullptr;
};

struct PixelRow
{
    int x, y;
    TColor color;
};

inline void expectPixels(const QImage &img, std::initializer_list<PixelRow> rows, const char *state)
{
    for (const PixelRow &row : rows)
        EXPECT_EQ(vcl::FromQColor(img.pixelColor(row.x, row.y)), row.color)
            << state << " at " << row.x << "," << row.y;
}

} // namespace testrig
