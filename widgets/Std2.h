// Enumerations of the Std2 widget unit shared with the colour buttons.
#pragma once

#include <cstdint>

// Vertical placement of a button caption (the name says horizontal, but the
// buttons use it for the vertical axis).
enum zbHorzAlign : std::uint8_t { zbha_Center = 0, zbha_Top = 1, zbha_Bottom = 2 };

// Which side of a button a glyph or icon sits on.
enum tBitWhere : std::uint8_t { z_BWLeft = 0, z_BWRight = 1 };
// How many images a glyph strip holds: 1 to 4.
using tBitNumber = std::uint8_t;
// How a focused or default shape button marks its caption.
enum TzcFanceDefLook : std::uint8_t { dlfBold = 0, dlfNone = 1 };
