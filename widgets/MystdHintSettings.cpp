#include "widgets/MystdHintSettings.h"

#include <QFont>

QFont THintFont::ToQFont() const
{
    QFont font(Name);
    if (Height < 0)
        font.setPixelSize(-Height);
    else if (Height > 0)
        font.setPixelSize(Height);
    if (Pitch == fpFixed)
        font.setFixedPitch(true);
    font.setBold((Style & fsBold) != 0);
    font.setItalic((Style & fsItalic) != 0);
    font.setUnderline((Style & fsUnderline) != 0);
    font.setStrikeOut((Style & fsStrikeOut) != 0);
    return font;
}

namespace Mystd {

THintSettings &HintSettings()
{
    // Never destroyed: no order of static destruction can leave a hint
    // window with a freed record.
    static THintSettings *const settings = new THintSettings;
    return *settings;
}

void ResetHintSettings()
{
    HintSettings() = THintSettings{};
}

void FreeHintSettings()
{
    ResetHintSettings();
}

} // namespace Mystd
