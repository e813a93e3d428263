#include "platform/vcl/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace vcl {

namespace {

QColor systemColor(TColor color)
{
    const QPalette palette = QGuiApplication::palette();
    switch (color) {
    case clWindow:
        return palette.color(QPalette::Active, QPalette::Base);
    case clWindowText:
        return palette.color(QPalette::Active, QPalette::Text);
    case clHighlight:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case clHighlightText:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case clBtnFace:
        return palette.color(QPalette::Active, QPalette::Button);
    case clBtnShadow:
        return palette.color(QPalette::Active, QPalette::Dark);
    case clGrayText:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case clBtnText:
        return palette.color(QPalette::Active, QPalette::ButtonText);
    case clBtnHighlight:
        return palette.color(QPalette::Active, QPalette::Light);
    case clInfoText:
        return palette.color(QPalette::Active, QPalette::ToolTipText);
    case clInfoBk:
        return palette.color(QPalette::Active, QPalette::ToolTipBase);
    default:
        return QColor(Qt::black);
    }
}

} // namespace

QColor ToQColor(TColor color)
{
    if (color == clNone)
        return QColor(Qt::transparent);
    if (IsSystemColor(color))
        return systemColor(color);
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor FromQColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return RGB(std::uint8_t(rgb.red()), std::uint8_t(rgb.green()), std::uint8_t(rgb.blue()));
}

TColor ColorToRGB(TColor color)
{
    return IsSystemColor(color) ? FromQColor(systemColor(color)) : color;
}

} // namespace vcl
