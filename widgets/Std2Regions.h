// Window regions kept as the bytes of a region-data block (a 32-byte header
// and a list of rectangles, as the Windows region functions exchange them),
// so that a shape can live in a file or a stream and be applied to a window
// whenever it is needed; and two components that shape a control or their
// form with such a region.
//
// Region-data block, all numbers 32-bit little-endian:
//   0  dwSize 32 | 4 iType 1 (rectangles) | 8 nCount | 12 nRgnSize |
//   16 rcBound (left, top, right, bottom) | 32 nCount rectangles of 16 bytes.
// Region stream: a 32-bit little-endian byte count n, then n bytes of block.
//
// Thread contract: the codec functions and TzcRgn are plain logic for any
// thread (one thread per object, const calls included: Region() fills a
// cache); SerRgnFromBmp shows the busy cursor only on the main thread. The
// components are main-thread objects.
#pragma once

#include "platform/vcl/Colors.h"
#include "widgets/ComponentError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

class QIODevice;
class QImage;
class QWidget;

namespace widgets {

constexpr int RgnDataHeaderSize = 32;

// The region of a block, or none when the header is not that of a
// rectangle list, the rectangles do not fit in the bytes, one of them lies
// beyond the window system's coordinates (2^27 either way), or there are or
// would be more than a region holds (2^20 rectangles). Rectangles without
// area add nothing; nRgnSize and rcBound are not relied on. The rectangles
// may come in any order and overlap: O((n + m) log n) for n rectangles that
// make a region of m.
std::optional<QRegion> RegionFromRgnData(QByteArrayView data);
// The block of a region: its rectangles in rows from the top, each row left
// to right; empty for an empty region.
QByteArray RgnDataFromRegion(const QRegion &region);
// The block of every pixel of `bitmap` whose colour differs from
// `transparent` (a system colour is resolved first): one rectangle per run
// of such pixels, rows with the same runs joined. Empty when there is none;
// none when it would need more rectangles than a region holds (2^20), so
// that no block is made that could not be used, saved and loaded back.
std::optional<QByteArray> RgnDataFromBitmap(const QImage &bitmap, vcl::TColor transparent);
// The largest block a region stream carries: a header and 2^20 rectangles.
constexpr qsizetype MaxRgnDataSize = RgnDataHeaderSize + (qsizetype(1) << 20) * 16;

// A stream or file that cannot be read or written, or holds no region.
class EStreamError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace widgets

// A window region held as a private copy of its block's bytes.
class TzcRgn
{
public:
    TzcRgn() = default;
    TzcRgn(const TzcRgn &) = delete;
    TzcRgn &operator=(const TzcRgn &) = delete;

    const QByteArray &Data() const { return FData; }
    int Size() const { return int(FData.size()); }
    bool Modified() const { return FModified; }
    // True marks the region changed (OnChange); false only clears the mark.
    void SetModified(bool value);
    void Changed();
    bool ExsistData() const { return !FData.isEmpty(); }

    // Copies the bytes of `source`; null empties the region. Then OnChange.
    void Assign(const TzcRgn *source);
    // Replaces the bytes without OnChange; null or a size of 0 or less empties.
    void SetRgn(const void *data, int size);
    // The region, or an empty one when there is no data or it is not valid.
    QRegion Handle() const;
    // The region when the data holds a valid, non-empty one. Worked out once
    // and kept until the bytes change.
    std::optional<QRegion> Region() const;

    // Writes the region stream. Bytes that LoadFromStream would refuse (not a
    // region, or beyond the largest one) raise EStreamError and nothing is
    // written: what is saved always loads back.
    void SaveToStream(QIODevice &stream) const;
    // Reads one region stream: a count of 0 keeps the region's bytes as they
    // are (OnChange still fires). A negative count, one beyond the end of the
    // stream or above the block of the largest region (16 MiB and its
    // header), a short read or bytes that are not a region raise EStreamError
    // and keep the region as it was.
    void LoadFromStream(QIODevice &stream);
    void LoadFromFile(const QString &fileName);
    // Raises EStreamError before the file is made when the bytes cannot be
    // saved (see SaveToStream).
    void SaveToFile(const QString &fileName) const;

    // The region of the bitmap's pixels that differ from `transparent`, taken
    // over through Assign; an empty bitmap empties the region. A bitmap whose
    // region needs more rectangles than a region holds raises EStreamError
    // "Stream read error", as loading a stream of such a region does, and
    // keeps the region as it was.
    void SerRgnFromBmp(const QImage &bitmap, vcl::TColor transparent);

    std::function<void()> OnChange;

private:
    // What RegionFromRgnData gives for FData, worked out once.
    const std::optional<QRegion> &Parsed() const;
    void CheckSavable() const;

    QByteArray FData;
    // RegionFromRgnData of FData, once it has been asked; reset with FData.
    mutable std::optional<std::optional<QRegion>> FParsed;
    bool FModified = false;
};

// A component that shapes a window with its Region. It acts once Loaded has
// been called (a form calls it after building its components), and at every
// change after that.
//
// A window (not a control inside one) on an X server takes no shape of more
// rectangles than MaxServerWindowShapeRects: a region that would shape one
// so raises EStreamError "Stream read error" before anything changes, and
// the region and the window keep their shape (Loaded and SetTW still take
// effect).
class TzcFancyRgnComponent : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcFancyRgnComponent)

public:
    TzcRgn *GetRgn() { return &FRegion; }
    void SetRgn(const TzcRgn *region);
    void SerRgnFromBmp(const QImage &bitmap, vcl::TColor transparent);
    virtual void Clear();
    void Loaded();
    bool IsLoaded() const { return FLoaded; }
    virtual void DoUpdate() = 0;

protected:
    explicit TzcFancyRgnComponent(QObject *owner);
    // The widget DoUpdate shapes now; null when it shapes none.
    virtual QWidget *ShapedWidget() const = 0;
    // Raises the error of a region the widget DoUpdate shapes cannot take.
    void CheckShape(const std::optional<QRegion> &region) const;

private:
    TzcRgn FRegion;
    bool FLoaded = false;
};

// Shapes ControlComponent with Region (the full control when the region is
// empty) and sizes the control to the region's right and bottom edges.
class TzcFancyControl : public TzcFancyRgnComponent
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcFancyControl)

public:
    explicit TzcFancyControl(QObject *owner = nullptr) : TzcFancyRgnComponent(owner) {}

    void Clear() override;
    QWidget *ControlComponent() const { return FControl; }
    void SetTW(QWidget *control);
    void DoUpdate() override;

protected:
    QWidget *ShapedWidget() const override;

private:
    QPointer<QWidget> FControl; // not owned; null once the control goes
};

// Shapes the form that owns it (the first window up its owner chain): the
// form loses its frame and takes the region's size.
class TzcFancyForm : public TzcFancyRgnComponent
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcFancyForm)

public:
    explicit TzcFancyForm(QObject *owner = nullptr) : TzcFancyRgnComponent(owner) {}

    // Raises EComponentError "NoForm" when no form owns the component.
    void DoUpdate() override;

protected:
    QWidget *ShapedWidget() const override;
};

namespace widgets {

// Shapes `widget` with `region` (its whole rectangle when none) and sizes it
// to the region's right and bottom edges; returns the region applied.
QRegion ApplyWindowRegion(QWidget &widget, const std::optional<QRegion> &region);

} // namespace widgets
