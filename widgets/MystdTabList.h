// A list box whose items are laid out in columns by tab characters, and the
// dialog-unit conversions of the Mystd widget unit.
#pragma once

#include <QListWidget>

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

class QFont;
class QHeaderView;

namespace widgets {

// The dialog base units: the width (low word) and height (high word) of the
// application font's average character; each at least 1. Main thread only.
std::uint32_t GetDialogBaseUnits();

// 16-bit values as the window system has them; results beyond 65535 stay at
// 65535 instead of wrapping.
std::uint16_t DlgUnitsToPixelsX(std::uint16_t units);
std::uint16_t DlgUnitsToPixelsY(std::uint16_t units);
std::uint16_t PixelsToDlgUnitsX(std::uint16_t pixels);
std::uint16_t PixelsToDlgUnitsY(std::uint16_t pixels);
// The same on given base units (pure).
std::uint16_t DlgUnitsToPixels(std::uint16_t units, int baseUnit, int divisor);
std::uint16_t PixelsToDlgUnits(std::uint16_t pixels, int baseUnit, int divisor);

// The width of "a".."z" "A".."Z" in `font` divided by 52; 1.0 when that is
// not positive.
long double AverageCharWidth(const QFont &font);
// Truncation of pixels * 4 / averageWidth; an average of 0 or less counts as 1.
int PixelsToTabUnits(int pixels, long double averageWidth);

} // namespace widgets

class EzTabListboxError : public std::runtime_error
{
public:
    EzTabListboxError() : std::runtime_error("TabError") {}
};

enum ScrollDirection : std::uint8_t { zScrollHor, zScrollVer };

// The list's tab stops are pixel positions; they take effect only while the
// list holds items (stops set on an empty list are dropped). The horizontal
// scroll range follows the widest item: it grows as items come, and is
// measured again after a deletion (with SizeAfterDel) and after new stops.
//
// Thread contract: main thread only, like every widget.
class TzTabListbox : public QListWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(TzTabListbox)

public:
    static constexpr int MaxTabs = 128;

    explicit TzTabListbox(QWidget *parent = nullptr);
    ~TzTabListbox() override;

    bool AutoFocus = false;
    bool SizeAfterDel = true;

    // More than MaxTabs stops raise EzTabListboxError and keep the old ones.
    void SetTabStops(std::span<const int> tabs);
    void SetTabStops(std::initializer_list<int> tabs)
    {
        SetTabStops(std::span<const int>(tabs.begin(), tabs.size()));
    }
    // Stop i at the sum of the widths of sections 0 to i.
    void SetFromHeader(const QHeaderView &header);
    // Stop i at the right edge of section i.
    void SetfromHeaderControl(const QHeaderView &header);
    // Applies the stops 25, 50, ... 200 once the list is built.
    void Loaded();

    const std::vector<int> &TabStops() const { return FTabs; }
    // The stops as last handed to the list in tab units.
    const std::vector<int> &TabUnits() const { return FTabUnits; }
    int HorizontalExtent() const { return FExtent; }

    int GetLBStringLength(const QString &text) const;
    void SetScrollLength(const QString &text);
    void LongestString();

Q_SIGNALS:
    void OnChange(int prevItemIndex);
    void OnMouseEnter();
    void OnMouseLeave();
    // Codes of the window system: 0/1 line up/down, 2/3 page up/down,
    // 4 thumb position, 5 thumb track, 6 top, 7 bottom, 8 end of scroll.
    void OnScroll(qint16 position, qint16 scrollCode, ScrollDirection scrollDir);

protected:
    void DoChange();
    void InternalSetTabs(std::span<const int> tabs);

    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void updateGeometries() override;

private:
    class Delegate;
    void watchScrollBar(ScrollDirection dir);

    std::vector<int> FTabs{32};
    std::vector<int> FTabUnits;
    int FExtent = 0;
    int FPrevIndex = -1;
};
