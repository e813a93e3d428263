#include "widgets/MystdTabList.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace widgets {

std::uint32_t GetDialogBaseUnits()
{
    const QFont font = QApplication::font();
    const int width = std::max(1, int(std::lround(double(AverageCharWidth(font)))));
    const int height = std::max(1, QFontMetrics(font).height());
    return std::uint32_t(std::min(width, 0xFFFF)) | (std::uint32_t(std::min(height, 0xFFFF)) << 16);
}

std::uint16_t DlgUnitsToPixels(std::uint16_t units, int baseUnit, int divisor)
{
    return std::uint16_t(
        std::min<std::int64_t>(0xFFFF, std::int64_t(units) * std::max(1, baseUnit) / divisor));
}

std::uint16_t PixelsToDlgUnits(std::uint16_t pixels, int baseUnit, int divisor)
{
    return std::uint16_t(
        std::min<std::int64_t>(0xFFFF, std::int64_t(pixels) * divisor / std::max(1, baseUnit)));
}

std::uint16_t DlgUnitsToPixelsX(std::uint16_t units)
{
    return DlgUnitsToPixels(units, int(GetDialogBaseUnits() & 0xFFFF), 4);
}

std::uint16_t DlgUnitsToPixelsY(std::uint16_t units)
{
    return DlgUnitsToPixels(units, int(GetDialogBaseUnits() >> 16), 8);
}

std::uint16_t PixelsToDlgUnitsX(std::uint16_t pixels)
{
    return PixelsToDlgUnits(pixels, int(GetDialogBaseUnits() & 0xFFFF), 4);
}

std::uint16_t PixelsToDlgUnitsY(std::uint16_t pixels)
{
    return PixelsToDlgUnits(pixels, int(GetDialogBaseUnits() >> 16), 8);
}

long double AverageCharWidth(const QFont &font)
{
    const qreal w = QFontMetricsF(font).horizontalAdvance(
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    return w > 0 ? static_cast<long double>(w) / 52.0L : 1.0L;
}

int PixelsToTabUnits(int pixels, long double averageWidth)
{
    return int(std::trunc(pixels * 4.0L / (averageWidth > 0 ? averageWidth : 1.0L)));
}

} // namespace widgets

namespace {

// A window-system scroll code for a scroll bar action; -1 for none.
int scrollCode(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return 0;
    case QAbstractSlider::SliderSingleStepAdd:
        return 1;
    case QAbstractSlider::SliderPageStepSub:
        return 2;
    case QAbstractSlider::SliderPageStepAdd:
        return 3;
    case QAbstractSlider::SliderMove:
        return 5;
    case QAbstractSlider::SliderToMinimum:
        return 6;
    case QAbstractSlider::SliderToMaximum:
        return 7;
    default:
        return -1;
    }
}

qint16 smallint(int v)
{
    return qint16(std::clamp(v, -32768, 32767));
}

} // namespace

// Draws an item's text at the list's pixel tab stops.
class TzTabListbox::Delegate : public QStyledItemDelegate
{
public:
    explicit Delegate(TzTabListbox *list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget *w = opt.widget;
        QStyle *style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
        QTextOption to;
        to.setWrapMode(QTextOption::NoWrap);
        QList<qreal> stops;
        for (int t : m_list->TabStops())
            stops << qreal(t);
        to.setTabArray(stops);
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(
            opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(QRectF(opt.rect.adjusted(2, 0, 0, 0)), text, to);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QSize base = QStyledItemDelegate::sizeHint(option, index);
        return {m_list->GetLBStringLength(index.data().toString()), base.height()};
    }

private:
    TzTabListbox *m_list;
};

TzTabListbox::TzTabListbox(QWidget *parent) : QListWidget(parent)
{
    setItemDelegate(new Delegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) {
                for (int row = first; row <= last; ++row)
                    SetScrollLength(item(row)->text());
            });
    connect(model(), &QAbstractItemModel::rowsRemoved, this, [this] {
        if (SizeAfterDel)
            LongestString();
    });
    connect(this, &QListWidget::currentRowChanged, this, [this] { DoChange(); });
    watchScrollBar(zScrollHor);
    watchScrollBar(zScrollVer);
}

TzTabListbox::~TzTabListbox() = default;

void TzTabListbox::watchScrollBar(ScrollDirection dir)
{
    QScrollBar *bar = dir == zScrollHor ? horizontalScrollBar() : verticalScrollBar();
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, dir](int action) {
        const int code = scrollCode(action);
        if (code >= 0)
            Q_EMIT OnScroll(code == 5 ? smallint(bar->sliderPosition()) : qint16(0), qint16(code),
                            dir);
    });
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar, dir] {
        Q_EMIT OnScroll(smallint(bar->sliderPosition()), 4, dir);
        Q_EMIT OnScroll(0, 8, dir);
    });
}

void TzTabListbox::SetTabStops(std::span<const int> tabs)
{
    if (tabs.size() > std::size_t(MaxTabs))
        throw EzTabListboxError();
    InternalSetTabs(tabs);
}

void TzTabListbox::SetFromHeader(const QHeaderView &header)
{
    if (header.count() > MaxTabs)
        throw EzTabListboxError();
    std::vector<int> tabs;
    int sum = 0;
    for (int i = 0; i < header.count(); ++i)
        tabs.push_back(sum += header.sectionSize(i));
    InternalSetTabs(tabs);
}

void TzTabListbox::SetfromHeaderControl(const QHeaderView &header)
{
    if (header.count() > MaxTabs)
        throw EzTabListboxError();
    std::vector<int> tabs;
    for (int i = 0; i < header.count(); ++i)
        tabs.push_back(header.sectionPosition(i) + header.sectionSize(i));
    InternalSetTabs(tabs);
}

void TzTabListbox::Loaded()
{
    SetTabStops({25, 50, 75, 100, 125, 150, 175, 200});
}

void TzTabListbox::InternalSetTabs(std::span<const int> tabs)
{
    if (count() == 0)
        return;
    const long double w = widgets::AverageCharWidth(font());
    FTabUnits.clear();
    for (int t : tabs)
        FTabUnits.push_back(widgets::PixelsToTabUnits(t, w));
    FTabs.assign(tabs.begin(), tabs.end());
    LongestString();
    viewport()->update();
}

int TzTabListbox::GetLBStringLength(const QString &text) const
{
    // Qt takes a zero-terminated array of pixel stops.
    std::vector<int> stops(FTabs.begin(), FTabs.end());
    stops.push_back(0);
    const QFontMetrics fm(font());
    return fm.size(Qt::TextSingleLine | Qt::TextExpandTabs, text, 0, stops.data()).width() +
           fm.horizontalAdvance(u'Z');
}

void TzTabListbox::SetScrollLength(const QString &text)
{
    const int length = GetLBStringLength(text);
    if (length > FExtent) {
        FExtent = length;
        updateGeometries();
    }
}

void TzTabListbox::LongestString()
{
    FExtent = 0;
    for (int row = 0; row < count(); ++row)
        SetScrollLength(item(row)->text());
    updateGeometries();
}

void TzTabListbox::DoChange()
{
    const int index = currentRow();
    if (index != FPrevIndex)
        Q_EMIT OnChange(FPrevIndex);
    FPrevIndex = index;
}

void TzTabListbox::enterEvent(QEnterEvent *e)
{
    QListWidget::enterEvent(e);
    if (AutoFocus && !hasFocus() && focusPolicy() != Qt::NoFocus && isEnabled() && isVisible())
        setFocus(Qt::MouseFocusReason);
    Q_EMIT OnMouseEnter();
}

void TzTabListbox::leaveEvent(QEvent *e)
{
    QListWidget::leaveEvent(e);
    Q_EMIT OnMouseLeave();
}

void TzTabListbox::updateGeometries()
{
    QListWidget::updateGeometries();
    // The range follows the recorded extent, which shrinks only where said.
    QScrollBar *bar = horizontalScrollBar();
    bar->setRange(0, std::max(0, FExtent - viewport()->width()));
    bar->setPageStep(viewport()->width());
    bar->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
}
