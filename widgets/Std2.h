// Enumerations of the Std2 widget unit shared with the colour buttons.
#pragma once

#include <cstdint>

// Vertical placement of a button caption (the name says horizontal, but the
// buttons use it for the vertical axis).
enum zbHorzAlign : std::uint8_t { zbha_Center = 0, zbha_Top = 1, zbha_Bottom = 2 };
