// What the main window's start-up does to the configuration pages, step by
// step as the window is built: the constructor's defaults, the form creation
// and the completion after all windows exist. Main thread only.
#pragma once

#include <array>
#include <cstdint>

class QComboBox;
class TConfigPagesUi;

// Byte positions (1..8, 0 = none) being edited on the CAN input page's ON and
// OFF selectors.
struct CanBytePositions
{
    std::uint8_t Lo = 0;
    std::uint8_t Hi = 0;
};
extern CanBytePositions CanOnBytePos;
extern CanBytePositions CanOffBytePos;

// Constructor: the on-time hints and the initial contents of the CAN setup
// controls and the sequence step labels.
void ConfigConstructorDefaults(TConfigPagesUi &ui);

// Form creation: empty byte-position selectors, empty trigger descriptions,
// the 132 CAN export bit combos in transfer order into `canExportBitCombos`,
// and the connector-pin labels.
void ConfigFormCreate(TConfigPagesUi &ui, std::array<QComboBox *, 132> &canExportBitCombos);

// After all windows exist: builds the trigger-source lists and gives them to
// their combos (every trigger on "DISABLED"), then writes the default names
// "CAN 1".."CAN 32" and "Virtual 1".."Virtual 20" into the tables.
void ConfigAllFormsCreated(TConfigPagesUi &ui);
