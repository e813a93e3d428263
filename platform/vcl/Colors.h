#pragma once

#include <QColor>

#include <cstdint>

namespace vcl {

// Colours as the window system stores them: 0x00BBGGRR with red in the low
// byte. A value with 0x80 in the top byte is a system colour, its low byte
// the index of the element (button face, window, ...) whose colour the
// current palette gives.
using TColor = std::uint32_t;

constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// "No colour" (transparent).
constexpr TColor clNone = 0x1FFFFFFF;

constexpr TColor SystemColorFlag = 0x80000000;
constexpr TColor clWindow = SystemColorFlag | 5;
constexpr TColor clWindowText = SystemColorFlag | 8;
constexpr TColor clHighlight = SystemColorFlag | 13;
constexpr TColor clHighlightText = SystemColorFlag | 14;
constexpr TColor clBtnFace = SystemColorFlag | 15;
constexpr TColor clBtnShadow = SystemColorFlag | 16;
constexpr TColor clGrayText = SystemColorFlag | 17;
constexpr TColor clBtnText = SystemColorFlag | 18;
constexpr TColor clBtnHighlight = SystemColorFlag | 20;
constexpr TColor clInfoText = SystemColorFlag | 23;
constexpr TColor clInfoBk = SystemColorFlag | 24;

constexpr bool IsSystemColor(TColor c)
{
    return (c & 0xFF000000) == SystemColorFlag;
}

// System colours come from the application palette at the time of the call
// (an unknown system index gives black); clNone gives a transparent colour;
// any other value its low 24 bits. Main thread only when system colours are
// involved, as the palette belongs to the application.
QColor ToQColor(TColor color);
// Alpha is dropped.
TColor FromQColor(const QColor &color);
// A system colour resolved to its current RGB value; other values unchanged.
TColor ColorToRGB(TColor color);

} // namespace vcl
