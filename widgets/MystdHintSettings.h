// The one process-wide record of hint placement, behaviour, colours, events
// and font that every hint component and hint window of the program shares.
#pragma once

#include "platform/vcl/Colors.h"
#include "widgets/Events.h"

#include <QString>

#include <cstdint>
#include <functional>

class QFont;
class QObject;

// Corner of the mouse pointer a hint window is placed at.
enum TzHintPos : std::uint8_t {
    hpLeftAbove = 0,
    hpLeftUnder = 1,
    hpRightAbove = 2,
    hpRightUnder = 3,
    hpNormal = 4
};
// The hint is at most this fraction (1/n) of the screen width: 1..10.
using TzHintDiv = std::uint8_t;
// Mouse moves before a hint disappears: 2..20.
using TzMoveDist = std::uint8_t;

// Answering ShowHint false keeps the hint hidden.
using THintShowEvent = std::function<void(QObject *Sender, bool &ShowHint)>;

enum TFontPitch : std::uint8_t { fpDefault = 0, fpVariable = 1, fpFixed = 2 };
enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font described by plain values, so that it exists before the
// application object does; turned into a QFont where it is drawn.
struct THintFont
{
    QString Name = QStringLiteral("MS Sans Serif");
    vcl::TColor Color = vcl::clWindowText;
    // Negative: character height in pixels; positive: cell height.
    int Height = -11;
    TFontPitch Pitch = fpDefault;
    std::uint8_t Style = 0; // TFontStyle bits

    QFont ToQFont() const;
    friend bool operator==(const THintFont &, const THintFont &) = default;
};

struct THintSettings
{
    TzHintPos HintPosition = hpLeftAbove;
    TzHintDiv PartOfScreen = 2;
    TzMoveDist MoveBeforeOff = 5;
    bool MultiLine = true;
    bool Use3D = true;
    TNotifyEvent OnHintPaint;
    THintShowEvent OnHintShow;
    vcl::TColor ShadowColor = vcl::clBtnShadow;
    vcl::TColor HighLightColor = vcl::clBtnHighlight;
    THintFont Font;
};

namespace Mystd {

// The shared record. It lives for the whole process (it is never freed, so
// a hint painted late in shut-down still finds it).
// Thread contract: main thread only.
THintSettings &HintSettings();
// Every field and the font back to the start values.
void ResetHintSettings();
// Shut-down's release of the record: as the record itself is never freed,
// this drops its events and font and leaves the start values, so a hint
// painted after shut-down calls into nothing that has gone.
void FreeHintSettings();

} // namespace Mystd
