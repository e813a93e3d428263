#include "widgets/Std2Regions.h"

#include "widgets/MystdForms.h"
#include "widgets/Std2WindowShape.h"
#include "widgets/zAnimateFastBmp.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace widgets {

namespace {

constexpr std::uint32_t RdhRectangles = 1;
constexpr qsizetype RectSize = 16;
constexpr std::int64_t MaxCoordinate = std::int64_t(1) << 27;
// A full-HD screen shaped pixel by pixel in every other column (960 runs in
// each of 1080 rows) fits; a block of that many still becomes a region in a
// fraction of a second, and a stream can make us allocate no more than it.
constexpr qsizetype MaxRgnRects = qsizetype(1) << 20;
static_assert(MaxRgnDataSize == RgnDataHeaderSize + MaxRgnRects * RectSize);

std::int32_t ReadI32(QByteArrayView bytes, qsizetype at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(bytes[at + i]);
    return std::int32_t(v);
}

void PutI32(QByteArray &out, std::int32_t value)
{
    const auto v = std::uint32_t(value);
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

// A rectangle as the window system keeps it: right and bottom exclusive.
struct Rect
{
    std::int32_t left, top, right, bottom;
    [[maybe_unused]] friend bool operator==(const Rect &, const Rect &) = default;
};

QByteArray Encode(const std::vector<Rect> &rects)
{
    if (rects.empty())
        return {};
    Rect bound = rects.front();
    for (const Rect &r : rects) {
        bound.left = std::min(bound.left, r.left);
        bound.top = std::min(bound.top, r.top);
        bound.right = std::max(bound.right, r.right);
        bound.bottom = std::max(bound.bottom, r.bottom);
    }
    QByteArray out;
    out.reserve(RgnDataHeaderSize + qsizetype(rects.size()) * RectSize);
    PutI32(out, RgnDataHeaderSize);
    PutI32(out, RdhRectangles);
    PutI32(out, std::int32_t(rects.size()));
    PutI32(out, std::int32_t(rects.size() * RectSize));
    for (const std::int32_t v : {bound.left, bound.top, bound.right, bound.bottom})
        PutI32(out, v);
    for (const Rect &r : rects)
        for (const std::int32_t v : {r.left, r.top, r.right, r.bottom})
            PutI32(out, v);
    return out;
}

// Rows from the top, each row's rectangles left to right with a gap between
// them: the form QRegion takes as it stands.
bool IsBanded(const QList<QRect> &rects)
{
    for (qsizetype i = 1; i < rects.size(); ++i) {
        const QRect &a = rects[i - 1];
        const QRect &b = rects[i];
        const bool sameRow =
            b.top() == a.top() && b.bottom() == a.bottom() && b.left() > a.right() + 1;
        if (!sameRow && b.top() <= a.bottom())
            return false;
    }
    return true;
}

// How many rectangles cover each column piece, over pieces 0 .. n - 1: a
// count added to a whole node is kept there, with the least and the most of
// the node's range, so that adding to a span, asking whether any piece of it
// is uncovered and listing the covered runs each cost a path per run.
class CoverTree
{
public:
    explicit CoverTree(std::size_t pieces)
        : m_pieces(pieces), m_add(4 * pieces), m_least(4 * pieces), m_most(4 * pieces)
    {
    }

    void Add(std::size_t from, std::size_t to, int count) { Add(1, 0, m_pieces, from, to, count); }
    // Whether a piece of [from, to) is covered by no rectangle.
    bool AnyUncovered(std::size_t from, std::size_t to) const
    {
        return Least(1, 0, m_pieces, from, to) == 0;
    }
    // The covered runs of pieces from the left, [first, end) each.
    void Runs(std::vector<std::pair<std::size_t, std::size_t>> &runs) const
    {
        runs.clear();
        Runs(1, 0, m_pieces, 0, runs);
    }

private:
    void Add(std::size_t node, std::size_t lo, std::size_t hi, std::size_t from, std::size_t to,
             int count)
    {
        if (to <= lo || hi <= from)
            return;
        if (from <= lo && hi <= to) {
            m_add[node] += count;
            m_least[node] += count;
            m_most[node] += count;
            return;
        }
        const std::size_t mid = lo + (hi - lo) / 2;
        Add(2 * node, lo, mid, from, to, count);
        Add(2 * node + 1, mid, hi, from, to, count);
        m_least[node] = m_add[node] + std::min(m_least[2 * node], m_least[2 * node + 1]);
        m_most[node] = m_add[node] + std::max(m_most[2 * node], m_most[2 * node + 1]);
    }

    int Least(std::size_t node, std::size_t lo, std::size_t hi, std::size_t from,
              std::size_t to) const
    {
        if (from <= lo && hi <= to)
            return m_least[node];
        const std::size_t mid = lo + (hi - lo) / 2;
        int least = std::numeric_limits<int>::max();
        if (from < mid)
            least = std::min(least, Least(2 * node, lo, mid, from, to));
        if (mid < to)
            least = std::min(least, Least(2 * node + 1, mid, hi, from, to));
        return m_add[node] + least;
    }

    void Runs(std::size_t node, std::size_t lo, std::size_t hi, int above,
              std::vector<std::pair<std::size_t, std::size_t>> &runs) const
    {
        if (above + m_most[node] == 0)
            return;
        if (above + m_least[node] > 0) {
            if (!runs.empty() && runs.back().second == lo)
                runs.back().second = hi;
            else
                runs.emplace_back(lo, hi);
            return;
        }
        const std::size_t mid = lo + (hi - lo) / 2;
        Runs(2 * node, lo, mid, above + m_add[node], runs);
        Runs(2 * node + 1, mid, hi, above + m_add[node], runs);
    }

    std::size_t m_pieces;
    std::vector<int> m_add, m_least, m_most;
};

// The union of rectangles with area, or none once it needs more rectangles
// than a region holds. Swept from the top: a row of the result starts only
// where the covered columns change, so the work grows with the rectangles
// and the result (O((n + result) log n)), never with a part's union.
std::optional<QRegion> SweepUnion(const QList<QRect> &rects)
{
    std::vector<int> xs;
    xs.reserve(std::size_t(2 * rects.size()));
    for (const QRect &r : rects) {
        xs.push_back(r.left());
        xs.push_back(r.right() + 1);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    const auto piece = [&xs](int x) {
        return std::size_t(std::lower_bound(xs.begin(), xs.end(), x) - xs.begin());
    };
    struct Edge
    {
        int y;
        int count; // +1 where a rectangle starts, -1 below its last row
        std::size_t from, to;
    };
    std::vector<Edge> edges;
    edges.reserve(std::size_t(2 * rects.size()));
    for (const QRect &r : rects) {
        const std::size_t from = piece(r.left()), to = piece(r.right() + 1);
        edges.push_back({r.top(), 1, from, to});
        edges.push_back({r.bottom() + 1, -1, from, to});
    }
    // At one height the starts come first: a rectangle that takes over from
    // one ending there changes nothing, and every change seen is real.
    std::sort(edges.begin(), edges.end(), [](const Edge &a, const Edge &b) {
        return a.y != b.y ? a.y < b.y : a.count > b.count;
    });
    CoverTree cover(xs.size() - 1);
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    QList<QRect> out;
    int rowTop = 0;
    for (std::size_t i = 0; i < edges.size();) {
        const int y = edges[i].y;
        bool changed = false;
        for (; i < edges.size() && edges[i].y == y; ++i) {
            const Edge &e = edges[i];
            if (e.count > 0 && cover.AnyUncovered(e.from, e.to))
                changed = true;
            cover.Add(e.from, e.to, e.count);
            if (e.count < 0 && cover.AnyUncovered(e.from, e.to))
                changed = true;
        }
        if (!changed)
            continue;
        for (const auto &[from, to] : runs)
            out.append(QRect(xs[from], rowTop, xs[to] - xs[from], y - rowTop));
        if (out.size() > MaxRgnRects)
            return std::nullopt;
        cover.Runs(runs);
        rowTop = y;
    }
    QRegion region;
    region.setRects(out.constData(), int(out.size()));
    return region;
}

// The union of `rects` for any order: sorted into rows from the top, a list
// of separate rows is taken as it is, and any other is swept.
std::optional<QRegion> UniteRects(QList<QRect> &rects)
{
    if (rects.isEmpty())
        return QRegion();
    std::sort(rects.begin(), rects.end(), [](const QRect &a, const QRect &b) {
        return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
    if (IsBanded(rects)) {
        QRegion region;
        region.setRects(rects.constData(), int(rects.size()));
        return region;
    }
    return SweepUnion(rects);
}

// Shows the busy cursor while it lives, then whatever was shown before.
class BusyCursor
{
public:
    BusyCursor()
        : m_shown(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) &&
                  QCoreApplication::instance()->thread() == QThread::currentThread())
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_shown;
};

QByteArray ReadExactly(QIODevice &stream, qint64 count)
{
    // In pieces, so that a count larger than the stream allocates no more
    // than the stream holds.
    QByteArray out;
    while (out.size() < count) {
        const qint64 piece = std::min<qint64>(count - out.size(), 64 * 1024);
        const QByteArray part = stream.read(piece);
        if (part.isEmpty())
            break;
        out.append(part);
    }
    return out;
}

// The runs of every pixel of `bitmap` whose colour differs from
// `transparent`, in rows from the top, rows with the same runs joined; none
// beyond what a region holds.
std::optional<std::vector<Rect>> ScanBitmap(const QImage &bitmap, vcl::TColor transparent)
{
    if (bitmap.width() <= 0 || bitmap.height() <= 0)
        return std::vector<Rect>();
    if (bitmap.width() + 2 > MaxCoordinate || bitmap.height() + 2 > MaxCoordinate)
        return std::nullopt;
    const vcl::TColor key = vcl::ColorToRGB(transparent);
    // Two transparent columns and rows more, so every row ends transparent.
    QImage work(bitmap.width() + 2, bitmap.height() + 2, QImage::Format_RGB32);
    work.fill(vcl::ToQColor(key));
    {
        QPainter painter(&work);
        painter.drawImage(0, 0, bitmap);
    }
    const TzFastBmp pixels(work);
    std::vector<Rect> rects;
    std::size_t bandStart = 0; // first rectangle of the last row of runs
    std::vector<Rect> row;
    for (int y = 0; y < pixels.Height(); ++y) {
        row.clear();
        int x = 0;
        while (x < pixels.Width()) {
            while (x < pixels.Width() && pixels.GetPixel(x, y) == key)
                ++x;
            const int x1 = x;
            while (x < pixels.Width() && pixels.GetPixel(x, y) != key)
                ++x;
            if (x > x1)
                row.push_back({x1, y, x, y + 1});
        }
        if (row.empty())
            continue;
        // A row with the same runs right below the last one extends it.
        const std::size_t last = rects.size() - bandStart;
        bool same = last == row.size() && !rects.empty() && rects.back().bottom == y;
        for (std::size_t i = 0; same && i < row.size(); ++i)
            same = rects[bandStart + i].left == row[i].left &&
                   rects[bandStart + i].right == row[i].right;
        if (same) {
            for (std::size_t i = bandStart; i < rects.size(); ++i)
                rects[i].bottom = y + 1;
        } else {
            bandStart = rects.size();
            rects.insert(rects.end(), row.begin(), row.end());
            // Given up as soon as it is too many, before it costs more.
            if (qsizetype(rects.size()) > MaxRgnRects)
                return std::nullopt;
        }
    }
    return rects;
}

} // namespace

std::optional<QRegion> RegionFromRgnData(QByteArrayView data)
{
    if (data.size() < RgnDataHeaderSize || ReadI32(data, 0) != RgnDataHeaderSize ||
        std::uint32_t(ReadI32(data, 4)) != RdhRectangles)
        return std::nullopt;
    const std::int64_t count = std::uint32_t(ReadI32(data, 8));
    if (count * RectSize > data.size() - RgnDataHeaderSize || count > MaxRgnRects)
        return std::nullopt;
    QList<QRect> rects;
    rects.reserve(qsizetype(count));
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype at = RgnDataHeaderSize + i * RectSize;
        const std::int64_t left = ReadI32(data, at);
        const std::int64_t top = ReadI32(data, at + 4);
        const std::int64_t right = ReadI32(data, at + 8);
        const std::int64_t bottom = ReadI32(data, at + 12);
        if (left >= right || top >= bottom)
            continue;
        // The window system's coordinates have 28 bits; beyond them a union of
        // rectangles no longer fits the region's integer arithmetic.
        for (const std::int64_t v : {left, top, right, bottom})
            if (v < -MaxCoordinate || v > MaxCoordinate)
                return std::nullopt;
        rects.append(QRect(int(left), int(top), int(right - left), int(bottom - top)));
    }
    return UniteRects(rects);
}

QByteArray RgnDataFromRegion(const QRegion &region)
{
    std::vector<Rect> rects;
    for (const QRect &r : region)
        rects.push_back({r.x(), r.y(), r.x() + r.width(), r.y() + r.height()});
    return Encode(rects);
}

std::optional<QByteArray> RgnDataFromBitmap(const QImage &bitmap, vcl::TColor transparent)
{
    const std::optional<std::vector<Rect>> rects = ScanBitmap(bitmap, transparent);
    if (!rects)
        return std::nullopt;
    return Encode(*rects);
}

QRegion ApplyWindowRegion(QWidget &widget, const std::optional<QRegion> &region)
{
    const QRegion shape = region.value_or(QRegion(0, 0, widget.width(), widget.height()));
    // Region coordinates start at the window's corner: the size reaches the
    // region's right and bottom edges, whatever its box's top-left corner.
    const QRect box = shape.boundingRect();
    const QSize size(box.x() + box.width(), box.y() + box.height());
    if (widget.size() != size)
        widget.resize(size);
    if (WindowMask(widget) != shape)
        SetWindowMask(widget, shape);
    return shape;
}

} // namespace widgets

using namespace widgets;

namespace {

// A region without any pixel shapes nothing: it counts as no region.
std::optional<QRegion> NonEmpty(std::optional<QRegion> region)
{
    if (region && region->isEmpty())
        return std::nullopt;
    return region;
}

// What a component shapes `widget` with: the region, or the whole widget.
QRegion ShapeOf(const QWidget &widget, const std::optional<QRegion> &region)
{
    return region.value_or(QRegion(0, 0, widget.width(), widget.height()));
}

// Refuses a shape the window system would take too long to show, as a
// region that cannot be made is refused.
void CheckWindowShape(const QWidget &widget, const QRegion &shape)
{
    if (!ServerTakesShape(widget, shape))
        throw EStreamError("Stream read error");
}

} // namespace

void TzcRgn::Changed()
{
    FModified = true;
    if (OnChange)
        OnChange();
}

void TzcRgn::SetModified(bool value)
{
    if (value)
        Changed();
    else
        FModified = false;
}

void TzcRgn::Assign(const TzcRgn *source)
{
    if (source != this) {
        FData = source ? source->FData : QByteArray();
        FParsed = source ? source->FParsed : std::nullopt;
    }
    Changed();
}

void TzcRgn::SetRgn(const void *data, int size)
{
    if (!data || size <= 0)
        FData.clear();
    else
        FData = QByteArray(static_cast<const char *>(data), size);
    FParsed.reset();
}

QRegion TzcRgn::Handle() const
{
    return Region().value_or(QRegion());
}

const std::optional<QRegion> &TzcRgn::Parsed() const
{
    if (!FParsed)
        FParsed = RegionFromRgnData(FData);
    return *FParsed;
}

std::optional<QRegion> TzcRgn::Region() const
{
    if (FData.isEmpty())
        return std::nullopt;
    return NonEmpty(Parsed());
}

void TzcRgn::CheckSavable() const
{
    if (FData.isEmpty())
        return;
    if (FData.size() > MaxRgnDataSize || !Parsed())
        throw EStreamError("Stream write error");
}

void TzcRgn::SaveToStream(QIODevice &stream) const
{
    CheckSavable();
    QByteArray out;
    PutI32(out, std::int32_t(FData.size()));
    out.append(FData);
    if (stream.write(out) != out.size())
        throw EStreamError("Stream write error");
}

void TzcRgn::LoadFromStream(QIODevice &stream)
{
    const QByteArray countBytes = stream.read(4);
    if (countBytes.size() != 4)
        throw EStreamError("Stream read error");
    const std::int32_t count = ReadI32(countBytes, 0);
    if (count < 0 || count > MaxRgnDataSize)
        throw EStreamError("Stream read error");
    if (count == 0) {
        Changed();
        return;
    }
    if (!stream.isSequential() && count > stream.size() - stream.pos())
        throw EStreamError("Stream read error");
    const QByteArray bytes = ReadExactly(stream, count);
    if (bytes.size() != count)
        throw EStreamError("Stream read error");
    std::optional<QRegion> region = RegionFromRgnData(bytes);
    if (!region)
        throw EStreamError("Invalid region data");
    FData = bytes;
    FParsed = std::move(region);
    Changed();
}

void TzcRgn::LoadFromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EStreamError("Cannot open file \"" + fileName.toStdString() + "\". " +
                           file.errorString().toStdString());
    LoadFromStream(file);
}

void TzcRgn::SaveToFile(const QString &fileName) const
{
    CheckSavable();
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EStreamError("Cannot create file \"" + fileName.toStdString() + "\". " +
                           file.errorString().toStdString());
    SaveToStream(file);
}

void TzcRgn::SerRgnFromBmp(const QImage &bitmap, vcl::TColor transparent)
{
    if (bitmap.width() <= 0 || bitmap.height() <= 0) {
        Assign(nullptr);
        return;
    }
    const BusyCursor busy;
    const std::optional<std::vector<Rect>> rects = ScanBitmap(bitmap, transparent);
    if (!rects)
        throw EStreamError("Stream read error");
    const QByteArray bytes = Encode(*rects);
    TzcRgn built;
    built.SetRgn(bytes.constData(), int(bytes.size()));
    // The runs are rows from the top, each left to right with gaps between:
    // the region as it stands, without working it out from the bytes again.
    QList<QRect> banded;
    banded.reserve(qsizetype(rects->size()));
    for (const Rect &r : *rects)
        banded.append(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
    QRegion region;
    region.setRects(banded.constData(), int(banded.size()));
    built.FParsed = std::optional<QRegion>(std::move(region));
    Assign(&built);
}

TzcFancyRgnComponent::TzcFancyRgnComponent(QObject *owner) : QObject(owner) {}

void TzcFancyRgnComponent::SetRgn(const TzcRgn *region)
{
    if (region)
        CheckShape(region->Region());
    FRegion.Assign(region);
    DoUpdate();
}

void TzcFancyRgnComponent::SerRgnFromBmp(const QImage &bitmap, vcl::TColor transparent)
{
    TzcRgn built;
    built.SerRgnFromBmp(bitmap, transparent);
    CheckShape(built.Region());
    FRegion.Assign(&built);
    DoUpdate();
}

void TzcFancyRgnComponent::CheckShape(const std::optional<QRegion> &region) const
{
    if (QWidget *widget = ShapedWidget())
        CheckWindowShape(*widget, ShapeOf(*widget, region));
}

void TzcFancyRgnComponent::Clear()
{
    SetRgn(nullptr);
}

void TzcFancyRgnComponent::Loaded()
{
    FLoaded = true;
    DoUpdate();
}

void TzcFancyControl::Clear()
{
    TzcFancyRgnComponent::Clear();
    DoUpdate();
}

void TzcFancyControl::SetTW(QWidget *control)
{
    FControl = control;
    DoUpdate();
}

void TzcFancyControl::DoUpdate()
{
    QWidget *control = ShapedWidget();
    if (!control)
        return;
    const QRegion shape = ShapeOf(*control, GetRgn()->Region());
    CheckWindowShape(*control, shape);
    ApplyWindowRegion(*control, shape);
}

QWidget *TzcFancyControl::ShapedWidget() const
{
    return IsLoaded() ? FControl.data() : nullptr;
}

void TzcFancyForm::DoUpdate()
{
    if (!IsLoaded())
        return;
    QWidget *form = FindForm(this);
    const QRegion shape = ShapeOf(*form, GetRgn()->Region());
    CheckWindowShape(*form, shape);
    if (!(form->windowFlags() & Qt::FramelessWindowHint)) {
        // Changing the flags hides a shown window.
        const bool shown = form->isVisible();
        form->setWindowFlag(Qt::FramelessWindowHint, true);
        if (shown)
            form->show();
    }
    ApplyWindowRegion(*form, shape);
}

QWidget *TzcFancyForm::ShapedWidget() const
{
    if (!IsLoaded())
        return nullptr;
    // Without a form the update itself raises "NoForm", after the region
    // has changed, as it always has.
    try {
        return FindForm(this);
    } catch (const EComponentError &) {
        return nullptr;
    }
}
