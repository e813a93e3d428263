// Region blocks, their streams and files, regions scanned from bitmaps, and
// the two components that shape windows with them, also as an X server shows
// them.
#include "widgets/Std2Regions.h"
#include "widgets/Std2WindowShape.h"

#include "app/XSession.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <poll.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace {

using namespace widgets;

// A region block written out field by field.
QByteArray block(std::initializer_list<std::int32_t> header, std::initializer_list<QRect> rects)
{
    QByteArray out;
    const auto put = [&](std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((std::uint32_t(v) >> (8 * i)) & 0xFF));
    };
    for (std::int32_t v : header)
        put(v);
    for (const QRect &r : rects) {
        put(r.x());
        put(r.y());
        put(r.x() + r.width());
        put(r.y() + r.height());
    }
    return out;
}

// A picture from text rows: 'X' opaque (black), '.' transparent (white).
QImage picture(const std::vector<const char *> &rows)
{
    const int w = int(std::strlen(rows.front()));
    QImage image(w, int(rows.size()), QImage::Format_RGB32);
    int y = 0;
    for (const char *row : rows) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, row[x] == 'X' ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        ++y;
    }
    return image;
}

QByteArray streamOf(const TzcRgn &rgn)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    rgn.SaveToStream(buffer);
    return bytes;
}

QByteArray countPrefix(std::int32_t count)
{
    return block({count}, {});
}

struct ScanCase
{
    const char *name;
    std::vector<const char *> rows;
    QByteArray expected; // the block the scan must write, byte for byte
};

class BitmapScan : public testing::TestWithParam<ScanCase>
{
};

TEST_P(BitmapScan, WritesTheBlock)
{
    EXPECT_EQ(RgnDataFromBitmap(picture(GetParam().rows), vcl::clWhite), GetParam().expected);
}

// Blocks in the window system's layout, worked out by hand: rectangles in rows from the top, rows
// with the same runs joined, nRgnSize = 16 x nCount, rcBound the box of all rectangles.
INSTANTIATE_TEST_SUITE_P(
    Regions, BitmapScan,
    testing::Values(
        ScanCase{"LeftEdgePixel",
                 {"...", "X..", "..."},
                 block({32, 1, 1, 16, 0, 1, 1, 2}, {QRect(0, 1, 1, 1)})},
        ScanCase{"TwoColumnsJoined",
                 {"X.X", "X.X"},
                 block({32, 1, 2, 32, 0, 0, 3, 2}, {QRect(0, 0, 1, 2), QRect(2, 0, 1, 2)})},
        ScanCase{"Ring",
                 {"XXX", "X.X", "XXX"},
                 block({32, 1, 4, 64, 0, 0, 3, 3}, {QRect(0, 0, 3, 1), QRect(0, 1, 1, 1),
                                                    QRect(2, 1, 1, 1), QRect(0, 2, 3, 1)})},
        ScanCase{"OffsetBox",
                 {"....", "..XX", "..XX"},
                 block({32, 1, 1, 16, 2, 1, 4, 3}, {QRect(2, 1, 2, 2)})},
        ScanCase{"AllTransparent", {"...", "..."}, QByteArray()}),
    [](const testing::TestParamInfo<ScanCase> &info) { return std::string(info.param.name); });

TEST(RgnData, RegionsComeBackFromTheirBlocks)
{
    const QRegion ring = QRegion(0, 0, 10, 10) - QRegion(3, 3, 4, 4);
    const QRegion shapes[] = {QRegion(5, 6, 7, 8), ring, QRegion(0, 0, 2, 2) + QRegion(8, 8, 2, 2),
                              QRegion(-4, -3, 2, 2)};
    for (const QRegion &shape : shapes) {
        const QByteArray data = RgnDataFromRegion(shape);
        const auto back = RegionFromRgnData(data);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, shape);
        EXPECT_EQ(data.size(), 32 + 16 * shape.rectCount());
    }
    EXPECT_TRUE(RgnDataFromRegion(QRegion()).isEmpty());
}

// Blocks of rectangles as a writer might order them; each must give what
// adding its rectangles one at a time gives.
struct UnionCase
{
    const char *name;
    std::vector<QRect> rects;
};

QByteArray blockOf(const std::vector<QRect> &rects)
{
    QByteArray data = block({32, 1, std::int32_t(rects.size()), 0, 0, 0, 0, 0}, {});
    for (const QRect &r : rects)
        data += block({r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}, {});
    return data;
}

QRegion plainUnion(const std::vector<QRect> &rects)
{
    QRegion region;
    for (const QRect &r : rects)
        region += r;
    return region;
}

// Rows from the top, each row's rectangles apart and left to right: the form
// every region operation relies on.
bool wellFormed(const QRegion &region)
{
    const QRect *previous = nullptr;
    for (const QRect &r : region) {
        if (previous) {
            const bool sameRow = r.top() == previous->top() && r.bottom() == previous->bottom();
            if (sameRow ? r.left() <= previous->right() + 1 : r.top() <= previous->bottom())
                return false;
        }
        previous = &r;
    }
    return true;
}

class RectUnion : public testing::TestWithParam<UnionCase>
{
};

TEST_P(RectUnion, EveryOrderGivesThePlainUnion)
{
    std::vector<QRect> rects = GetParam().rects;
    const QRegion expected = plainUnion(rects);
    std::mt19937 shuffle(7);
    for (int order = 0; order < 4; ++order) {
        const auto region = RegionFromRgnData(blockOf(rects));
        ASSERT_TRUE(region.has_value()) << "order " << order;
        EXPECT_TRUE(region->xored(expected).isEmpty()) << "order " << order;
        EXPECT_TRUE(wellFormed(*region)) << "order " << order;
        if (order == 0)
            std::reverse(rects.begin(), rects.end());
        else
            std::shuffle(rects.begin(), rects.end(), shuffle);
    }
}

// A scan of a random picture: many separate runs, as a region from a bitmap has them.
std::vector<QRect> scannedRuns()
{
    std::mt19937 noise(3);
    QImage image(48, 40, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, noise() % 3 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    const auto region = RegionFromRgnData(RgnDataFromBitmap(image, vcl::clWhite).value());
    return region ? std::vector<QRect>(region->begin(), region->end()) : std::vector<QRect>();
}

INSTANTIATE_TEST_SUITE_P(
    Regions, RectUnion,
    testing::Values(
        UnionCase{"RowsFromTheBottom", {QRect(0, 4, 3, 1), QRect(0, 2, 3, 2), QRect(5, 0, 2, 2)}},
        UnionCase{"Overlapping", {QRect(0, 0, 6, 6), QRect(3, 3, 6, 6), QRect(-2, 4, 4, 9)}},
        UnionCase{"Nested", {QRect(2, 2, 2, 2), QRect(0, 0, 8, 8), QRect(1, 1, 1, 1)}},
        UnionCase{"Duplicates", {QRect(1, 1, 3, 3), QRect(1, 1, 3, 3), QRect(1, 1, 3, 3)}},
        UnionCase{"TouchingSideBySide", {QRect(0, 0, 2, 2), QRect(2, 0, 2, 2), QRect(4, 0, 1, 2)}},
        UnionCase{"TouchingAboveAndBelow",
                  {QRect(0, 2, 4, 2), QRect(0, 0, 4, 2), QRect(1, 4, 2, 1)}},
        UnionCase{"RowsOfOtherHeights", {QRect(0, 0, 2, 4), QRect(3, 1, 2, 1), QRect(6, 0, 1, 2)}},
        UnionCase{"Cross", {QRect(4, 0, 2, 10), QRect(0, 4, 10, 2)}},
        UnionCase{"WithoutArea", {QRect(0, 0, 0, 5), QRect(1, 1, 2, 2), QRect(3, 3, 4, 0)}},
        UnionCase{"ScannedRuns", scannedRuns()}),
    [](const testing::TestParamInfo<UnionCase> &info) { return std::string(info.param.name); });

TEST(RgnData, HostileBlocksAreNoRegion)
{
    const QRect r(0, 0, 4, 4);
    struct Case
    {
        const char *name;
        QByteArray data;
    };
    const Case cases[] = {
        {"short", block({32, 1, 0}, {})},
        {"size", block({40, 1, 1, 16, 0, 0, 4, 4}, {r})},
        {"type", block({32, 2, 1, 16, 0, 0, 4, 4}, {r})},
        {"count beyond the bytes", block({32, 1, 2, 32, 0, 0, 4, 4}, {r})},
        {"huge count", block({32, 1, -1, 16, 0, 0, 4, 4}, {r})},
        // Found by fuzzing: the union of these overflowed the region's width.
        {"beyond the coordinate space",
         block({32, 1, 2, 32, 0, 0, 0, 0}, {QRect(-2000000000, 0, 4, 4), QRect(1000000000, 0, 4, 4)})},
    };
    for (const Case &c : cases)
        EXPECT_FALSE(RegionFromRgnData(c.data).has_value()) << c.name;
    // Rectangles without area, unsorted rectangles and a wrong box are read.
    const QByteArray odd =
        block({32, 1, 3, 0, 9, 9, 9, 9}, {QRect(5, 5, 1, 1), QRect(0, 0, 2, 2), QRect(1, 1, 0, 3)});
    ASSERT_TRUE(RegionFromRgnData(odd).has_value());
    EXPECT_EQ(*RegionFromRgnData(odd), QRegion(5, 5, 1, 1) + QRegion(0, 0, 2, 2));
}

// `bars` columns one pixel wide and `rows` high, and one pixel beside them
// in every other row: each of those rows cuts every column, so the union
// holds about bars x rows rectangles although the block holds bars + rows / 2.
std::vector<QRect> barsCutByDots(int bars, int rows)
{
    std::vector<QRect> rects;
    for (int i = 0; i < bars; ++i)
        rects.emplace_back(2 * i, 0, 1, rows);
    for (int y = 0; y < rows; y += 2)
        rects.emplace_back(2 * bars + 1, y, 1, 1);
    return rects;
}

TEST(RgnData, UnionsBeyondARegionAreRefusedBeforeTheyAreMade)
{
    // 1 MiB of block whose union would hold 2^31 rectangles (32 GiB).
    EXPECT_FALSE(RegionFromRgnData(blockOf(barsCutByDots(32768, 65536))).has_value());
    // The same shape just within a region's 2^20 rectangles, and just beyond.
    const auto within = RegionFromRgnData(blockOf(barsCutByDots(1023, 1024)));
    ASSERT_TRUE(within.has_value());
    EXPECT_EQ(within->rectCount(), 512 * 1024 + 512 * 1023);
    EXPECT_FALSE(RegionFromRgnData(blockOf(barsCutByDots(1024, 1024))).has_value());
}

TEST(RgnData, OnlyTheWholeUnionIsBoundByWhatARegionHolds)
{
    // 4096 columns in a staircase, whose halves alone would unite into two
    // million rectangles, all inside one rectangle: the region is that one.
    const QRect cover(-10, 0, 9010, 9000);
    std::vector<QRect> rects{cover};
    for (int i = 0; i < 4096; ++i)
        rects.emplace_back(2 * i, i, 1, 4096);
    const auto region = RegionFromRgnData(blockOf(rects));
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(*region, QRegion(cover));
}

TEST(TzcRgn, StreamRoundTripAndEmptyRegions)
{
    TzcRgn rgn;
    EXPECT_EQ(streamOf(rgn), QByteArray(4, '\0'));
    rgn.SerRgnFromBmp(picture({"X.X", "XXX"}), vcl::clWhite);
    ASSERT_TRUE(rgn.ExsistData());
    const QByteArray stream = streamOf(rgn);
    EXPECT_EQ(stream.size(), 4 + rgn.Size());

    TzcRgn copy;
    int changes = 0;
    copy.OnChange = [&] { ++changes; };
    QBuffer in;
    in.setData(stream);
    in.open(QIODevice::ReadOnly);
    copy.LoadFromStream(in);
    EXPECT_EQ(copy.Data(), rgn.Data());
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(copy.Modified());

    // A count of 0 leaves the bytes as they are, and still reports a change.
    QBuffer empty;
    empty.setData(QByteArray(4, '\0'));
    empty.open(QIODevice::ReadOnly);
    copy.LoadFromStream(empty);
    EXPECT_EQ(copy.Data(), rgn.Data());
    EXPECT_EQ(changes, 2);
    TzcRgn none;
    empty.seek(0);
    none.LoadFromStream(empty);
    EXPECT_FALSE(none.ExsistData());
    EXPECT_EQ(none.Handle(), QRegion());
}

// A stream whose length is not known in advance, like a pipe.
class Pipe : public QIODevice
{
public:
    explicit Pipe(QByteArray data) : m_data(std::move(data)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_data.size() - m_at + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char *out, qint64 max) override
    {
        const qint64 n = std::min<qint64>(max, m_data.size() - m_at);
        std::memcpy(out, m_data.constData() + m_at, std::size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_at = 0;
};

TEST(TzcRgn, MalformedStreamsKeepTheRegion)
{
    TzcRgn good;
    good.SerRgnFromBmp(picture({"XX", "X."}), vcl::clWhite);
    const QByteArray body = good.Data();
    struct Case
    {
        const char *name;
        QByteArray stream;
        bool sequential;
    };
    const Case cases[] = {
        {"no count", QByteArray(3, '\0'), false},
        {"negative count", countPrefix(-1) + body, false},
        {"count beyond the end", countPrefix(int(body.size()) + 1) + body, false},
        {"huge count on a pipe", countPrefix(0x7FFFFFFF) + body, true},
        {"count beyond any region", countPrefix(0x7FFFFFFF) + QByteArray(64, '\0'), false},
        {"short read on a pipe", countPrefix(int(body.size()) + 1) + body, true},
        {"not a region", countPrefix(8) + QByteArray(8, 'x'), false},
    };
    for (const Case &c : cases) {
        TzcRgn rgn;
        rgn.SetRgn(body.constData(), int(body.size()));
        int changes = 0;
        rgn.OnChange = [&] { ++changes; };
        QBuffer buffer;
        buffer.setData(c.stream);
        buffer.open(QIODevice::ReadOnly);
        Pipe pipe(c.stream);
        QIODevice &device = c.sequential ? static_cast<QIODevice &>(pipe) : buffer;
        EXPECT_THROW(rgn.LoadFromStream(device), EStreamError) << c.name;
        EXPECT_EQ(rgn.Data(), body) << c.name;
        EXPECT_EQ(changes, 0) << c.name;
    }
}

TEST(TzcRgn, RegionIsKeptUntilTheBytesChange)
{
    TzcRgn rgn;
    rgn.SerRgnFromBmp(picture({"X.X", "XXX"}), vcl::clWhite);
    // Copies of one worked-out region share its rectangles; a region worked
    // out again would have rectangles of its own.
    const QRegion first = rgn.Handle();
    const QRegion again = *rgn.Region();
    ASSERT_EQ(first.rectCount(), 3);
    EXPECT_EQ(again.begin(), first.begin());

    QBuffer empty;
    empty.setData(QByteArray(4, '\0'));
    empty.open(QIODevice::ReadOnly);
    rgn.LoadFromStream(empty);
    EXPECT_EQ(rgn.Handle().begin(), first.begin()) << "a count of 0 keeps the bytes";

    const QRegion ring = QRegion(0, 0, 5, 5) - QRegion(2, 2, 1, 1);
    const QByteArray ringBytes = RgnDataFromRegion(ring);
    rgn.SetRgn(ringBytes.constData(), int(ringBytes.size()));
    EXPECT_EQ(rgn.Handle(), ring);
    QBuffer stream;
    stream.setData(streamOf(rgn));
    stream.open(QIODevice::ReadOnly);
    TzcRgn loaded;
    loaded.SerRgnFromBmp(picture({"X"}), vcl::clWhite);
    EXPECT_EQ(loaded.Handle(), QRegion(0, 0, 1, 1));
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.Handle(), ring);
    TzcRgn assigned;
    assigned.Assign(&rgn);
    EXPECT_EQ(assigned.Handle(), ring);
    assigned.Assign(nullptr);
    EXPECT_FALSE(assigned.Region().has_value());
    rgn.SetRgn("not a region at all, no", 24);
    EXPECT_FALSE(rgn.Region().has_value());
}

TEST(TzcRgn, StreamsClaimNoMoreThanARegionHolds)
{
    // One rectangle more than a region holds, each a row of its own.
    constexpr std::int32_t rows = (1 << 20) + 1;
    QByteArray body = block({32, 1, rows, rows * 16, 0, 0, 1, rows}, {});
    body.reserve(32 + qsizetype(rows) * 16);
    for (std::int32_t y = 0; y < rows; ++y)
        body += block({0, y, 1, y + 1}, {});
    const QByteArray stream = countPrefix(std::int32_t(body.size())) + body;
    for (const bool sequential : {false, true}) {
        TzcRgn rgn;
        QBuffer buffer;
        buffer.setData(stream);
        buffer.open(QIODevice::ReadOnly);
        Pipe pipe(stream);
        QIODevice &device = sequential ? static_cast<QIODevice &>(pipe) : buffer;
        EXPECT_THROW(rgn.LoadFromStream(device), EStreamError) << "sequential " << sequential;
        EXPECT_FALSE(rgn.ExsistData());
        EXPECT_EQ(device.bytesAvailable(), stream.size() - 4) << "nothing read beyond the count";
    }
    EXPECT_FALSE(RegionFromRgnData(body).has_value());
    // One row fewer is a region.
    body.replace(8, 4, countPrefix(rows - 1));
    const auto region = RegionFromRgnData(body);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->boundingRect(), QRect(0, 0, 1, rows - 1));
}

TEST(TzcRgn, FilesAndBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TzcRgn rgn;
    rgn.SerRgnFromBmp(picture({".X.", "XXX", ".X."}), vcl::clWhite);
    const QString name = dir.filePath("shape.rgn");
    rgn.SaveToFile(name);
    TzcRgn back;
    back.LoadFromFile(name);
    EXPECT_EQ(back.Data(), rgn.Data());
    EXPECT_EQ(back.Handle(), QRegion(1, 0, 1, 3) + QRegion(0, 1, 3, 1));
    EXPECT_THROW(back.LoadFromFile(dir.filePath("missing.rgn")), EStreamError);
    EXPECT_THROW(rgn.SaveToFile(dir.filePath("no/such/dir.rgn")), EStreamError);

    // Bytes without a size, or a size without bytes, are no region.
    int changes = 0;
    back.OnChange = [&] { ++changes; };
    back.SetRgn(nullptr, 40);
    EXPECT_FALSE(back.ExsistData());
    back.SetRgn(rgn.Data().constData(), 0);
    EXPECT_EQ(back.Size(), 0);
    EXPECT_EQ(changes, 0);
    back.Assign(&rgn);
    EXPECT_EQ(back.Data(), rgn.Data());
    back.Assign(nullptr);
    EXPECT_FALSE(back.ExsistData());
    EXPECT_EQ(changes, 2);
}

// A checkerboard of single pixels: every row has its own width / 2 runs.
QImage checkerboard(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    return image;
}

struct BoardCase
{
    const char *name;
    int width, height;
    bool made;
};

class BitmapBound : public testing::TestWithParam<BoardCase>
{
};

// One bound for making, using, saving and loading: a bitmap whose region
// would need more rectangles than a region holds is refused as loading such
// a region is, and keeps the region; one just within it is made, used, saved
// and read back.
TEST_P(BitmapBound, MakesOnlyRegionsThatLoadBack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const BoardCase &row = GetParam();
    const QImage image = checkerboard(row.width, row.height);
    TzcRgn rgn;
    rgn.SerRgnFromBmp(picture({"X"}), vcl::clWhite);
    const QByteArray before = rgn.Data();
    int changes = 0;
    rgn.OnChange = [&] { ++changes; };
    if (!row.made) {
        try {
            rgn.SerRgnFromBmp(image, vcl::clWhite);
            ADD_FAILURE() << "a region beyond the bound was made";
        } catch (const EStreamError &e) {
            EXPECT_STREQ(e.what(), "Stream read error");
        }
        EXPECT_EQ(rgn.Data(), before);
        EXPECT_EQ(changes, 0);

        // The components keep their region and their control's shape.
        QWidget control;
        control.resize(30, 20);
        TzcFancyControl fancy;
        fancy.SetTW(&control);
        fancy.Loaded();
        fancy.SerRgnFromBmp(picture({"XX", "X."}), vcl::clWhite);
        const QRegion shape = control.mask();
        EXPECT_THROW(fancy.SerRgnFromBmp(image, vcl::clWhite), EStreamError);
        EXPECT_EQ(control.mask(), shape);
        EXPECT_EQ(fancy.GetRgn()->Handle(), shape);
        return;
    }
    rgn.SerRgnFromBmp(image, vcl::clWhite);
    EXPECT_EQ(changes, 1);
    ASSERT_TRUE(rgn.Region().has_value());
    EXPECT_EQ(rgn.Region()->rectCount(), 1 << 20);
    const QString name = dir.filePath(QStringLiteral("board.rgn"));
    rgn.SaveToFile(name);
    TzcRgn back;
    back.LoadFromFile(name);
    EXPECT_EQ(back.Data(), rgn.Data());
    EXPECT_EQ(back.Handle(), rgn.Handle());
}

INSTANTIATE_TEST_SUITE_P(
    Checkerboards, BitmapBound,
    testing::Values(BoardCase{"JustWithin", 2048, 1024, true}, // 1024 x 1024 runs: 2^20
                    BoardCase{"Beyond", 2048, 1025, false}),   // 1024 more
    [](const testing::TestParamInfo<BoardCase> &info) { return std::string(info.param.name); });

// Bytes that loading would refuse are not saved either: no stream, no file.
TEST(TzcRgn, OnlyWhatLoadsBackIsSaved)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray valid = RgnDataFromRegion(QRegion(0, 0, 4, 4));
    const struct
    {
        const char *name;
        QByteArray bytes;
    } rows[] = {
        {"not a region", QByteArray("not a region at all, no")},
        {"beyond the largest region", valid + QByteArray(MaxRgnDataSize, '\0')},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        TzcRgn rgn;
        rgn.SetRgn(row.bytes.constData(), int(row.bytes.size()));
        QByteArray saved;
        QBuffer out(&saved);
        out.open(QIODevice::WriteOnly);
        EXPECT_THROW(rgn.SaveToStream(out), EStreamError);
        EXPECT_TRUE(saved.isEmpty());
        const QString name = dir.filePath(QStringLiteral("bad.rgn"));
        EXPECT_THROW(rgn.SaveToFile(name), EStreamError);
        EXPECT_FALSE(QFileInfo::exists(name));
    }
}

TEST(TzcRgn, BitmapsWithoutPixelsAndSystemColours)
{
    TzcRgn rgn;
    rgn.SerRgnFromBmp(picture({"XX"}), vcl::clWhite);
    rgn.SerRgnFromBmp(QImage(0, 5, QImage::Format_RGB32), vcl::clWhite);
    EXPECT_FALSE(rgn.ExsistData());
    // A system colour is resolved before the comparison.
    QImage face(4, 4, QImage::Format_RGB32);
    face.fill(vcl::ToQColor(vcl::clBtnFace));
    rgn.SerRgnFromBmp(face, vcl::clBtnFace);
    EXPECT_FALSE(rgn.ExsistData());
}

TEST(FancyControl, ShapesAndSizesTheControl)
{
    QWidget form;
    QWidget *control = new QWidget(&form);
    control->setGeometry(7, 9, 50, 50);
    TzcFancyControl fancy(&form);
    fancy.SetTW(control);
    fancy.SerRgnFromBmp(picture({"....", "..XX", "..XX"}), vcl::clWhite);
    EXPECT_EQ(control->size(), QSize(50, 50)) << "nothing before Loaded";
    fancy.Loaded();
    // The box starts at (2, 1): the whole shape stays inside the control.
    EXPECT_EQ(control->geometry(), QRect(7, 9, 4, 3));
    EXPECT_EQ(control->mask(), QRegion(2, 1, 2, 2));
    fancy.Clear();
    EXPECT_EQ(control->mask(), QRegion(0, 0, 4, 3));
    delete control;
    fancy.SerRgnFromBmp(picture({"X"}), vcl::clWhite); // the control has gone
    EXPECT_EQ(fancy.ControlComponent(), nullptr);
}

TEST(FancyForm, FramelessAtTheRegionsSize)
{
    QWidget form;
    form.setGeometry(30, 40, 200, 100);
    TzcFancyForm fancy(new QWidget(&form));
    fancy.SerRgnFromBmp(picture({"X..", "XXX"}), vcl::clWhite);
    fancy.Loaded();
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.geometry(), QRect(30, 40, 3, 2));
    EXPECT_EQ(form.mask(), QRegion(0, 0, 1, 2) + QRegion(1, 1, 2, 1));
    // Where Qt shapes windows itself, a region of more rectangles than one
    // X request holds is its mask as any other.
    fancy.SerRgnFromBmp(checkerboard(400, 200), vcl::clWhite);
    EXPECT_EQ(form.mask().rectCount(), 40000);
    EXPECT_EQ(WindowMask(form), form.mask());

    TzcFancyForm orphan;
    EXPECT_THROW(orphan.Loaded(), EComponentError);
}

// The rectangles an X server is sent for a window's shape: cut to what a
// window there can show, scaled as Qt scales a mask, and as many in one
// request as its largest request holds.
TEST(WindowShape, RectanglesAsTheXServerTakesThem)
{
    EXPECT_EQ(ShapeRectsPerRequest(65535), 32765); // no BIG-REQUESTS: 16 + 8 n <= 65535 * 4
    EXPECT_EQ(ShapeRectsPerRequest(4096), 2046);   // the least a server may take
    const struct
    {
        const char *name;
        QRegion shape;
        qreal scale;
        std::vector<QRect> sent;
    } rows[] = {
        {"as it stands",
         QRegion(1, 2, 3, 4) + QRegion(9, 2, 1, 4),
         1.0,
         {QRect(1, 2, 3, 4), QRect(9, 2, 1, 4)}},
        {"left of and above the window", QRegion(-5, -6, 10, 10), 1.0, {QRect(0, 0, 5, 4)}},
        {"beyond the largest window",
         QRegion(32760, 0, 100, 1) + QRegion(40000, 5, 3, 3),
         1.0,
         {QRect(32760, 0, 7, 1)}},
        {"scaled", QRegion(1, 2, 3, 4), 2.0, {QRect(2, 4, 6, 8)}},
        // Edges rounded, as Qt rounds them: neighbours meet, never overlap.
        {"scaled and rounded",
         QRegion(0, 0, 1, 1) + QRegion(1, 1, 1, 1),
         1.5,
         {QRect(0, 0, 2, 2), QRect(2, 2, 1, 1)}},
        {"nothing", QRegion(), 1.0, {}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(NativeShapeRects(row.shape, row.scale), row.sent) << row.name;
}

struct FreeReply
{
    void operator()(void *p) const { std::free(p); }
};
template <class T> using Reply = std::unique_ptr<T, FreeReply>;

// What an X server shows, asked as one more of its clients.
class ServerView
{
public:
    ServerView() : m_c(xcb_connect(nullptr, nullptr)) {}
    ~ServerView() { xcb_disconnect(m_c); }
    ServerView(const ServerView &) = delete;
    ServerView &operator=(const ServerView &) = delete;

    bool Connected() const { return !xcb_connection_has_error(m_c); }

    std::vector<QRect> BoundingShape(xcb_window_t w) const
    {
        const Reply<xcb_shape_get_rectangles_reply_t> reply(xcb_shape_get_rectangles_reply(
            m_c, xcb_shape_get_rectangles(m_c, w, XCB_SHAPE_SK_BOUNDING), nullptr));
        std::vector<QRect> rects;
        if (!reply)
            return rects;
        const xcb_rectangle_t *r = xcb_shape_get_rectangles_rectangles(reply.get());
        for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i)
            rects.emplace_back(r[i].x, r[i].y, r[i].width, r[i].height);
        return rects;
    }

    // Whether the server answers a request within `ms`, as it answers any
    // other client.
    bool Answers(int ms) const
    {
        const unsigned int request = xcb_get_input_focus(m_c).sequence;
        xcb_flush(m_c);
        pollfd p{xcb_get_file_descriptor(m_c), POLLIN, 0};
        void *reply = nullptr;
        for (QDeadlineTimer deadline(ms); !xcb_poll_for_reply(m_c, request, &reply, nullptr);)
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0) {
                xcb_discard_reply(m_c, request);
                return false;
            }
        std::free(reply);
        return true;
    }

    QSize Size(xcb_window_t w) const
    {
        const Reply<xcb_get_geometry_reply_t> reply(
            xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, w), nullptr));
        return reply ? QSize(reply->width, reply->height) : QSize();
    }

    // Where the window's top-left corner is on the screen.
    QPoint Origin(xcb_window_t w) const
    {
        const Reply<xcb_translate_coordinates_reply_t> reply(xcb_translate_coordinates_reply(
            m_c, xcb_translate_coordinates(m_c, w, Root(), 0, 0), nullptr));
        return reply ? QPoint(reply->dst_x, reply->dst_y) : QPoint();
    }

    // Whether the screen shows red at `at`; none when that is off the screen.
    std::optional<bool> RedAt(QPoint at) const
    {
        const Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
            m_c,
            xcb_get_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, Root(), std::int16_t(at.x()),
                          std::int16_t(at.y()), 1, 1, ~0u),
            nullptr));
        if (!image || xcb_get_image_data_length(image.get()) < 4)
            return std::nullopt;
        const std::uint8_t *p = xcb_get_image_data(image.get()); // blue, green, red
        return p[2] == 0xFF && p[1] == 0 && p[0] == 0;
    }

private:
    xcb_window_t Root() const { return xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root; }

    xcb_connection_t *m_c;
};

// The shape probe on the test's X server, its Qt scaled by `scale` (none
// when empty): commands in, answers out.
class ShapeProbe
{
public:
    explicit ShapeProbe(const QString &scale = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (!scale.isEmpty())
            env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(WIDGET_SHAPE_PROBE));
    }

    // The next answer; empty when none comes. `meanwhile` runs every 10 ms
    // until the answer has come and for 200 ms after, while it holds.
    QByteArray Answer(std::function<bool()> meanwhile = {})
    {
        for (QDeadlineTimer deadline(xtest::DeadlineMs); !m_process.canReadLine();) {
            if (deadline.hasExpired())
                return QByteArray();
            if (meanwhile && !meanwhile())
                meanwhile = nullptr;
            m_process.waitForReadyRead(meanwhile ? 10 : int(deadline.remainingTime()));
        }
        for (QDeadlineTimer after(200); meanwhile && !after.hasExpired() && meanwhile();)
            QThread::msleep(10);
        return m_process.readLine().trimmed();
    }
    QByteArray Ask(const QByteArray &command, std::function<bool()> meanwhile = {})
    {
        m_process.write(command + '\n');
        return Answer(std::move(meanwhile));
    }
    // The shaped native window, named last in an answer.
    static xcb_window_t WindowOf(const QByteArray &line)
    {
        const QList<QByteArray> words = line.split(' ');
        return words.size() >= 2 ? xcb_window_t(words.back().toULong()) : 0;
    }
    // Whether the probe ends as asked, without an error.
    bool Quit()
    {
        m_process.write("quit\n");
        return m_process.waitForFinished(xtest::DeadlineMs) &&
               m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
};

// A form shaped through TzcFancyForm on an X server with a window manager,
// on a busy machine: the server shows every shape the form takes at once
// and answers another client meanwhile; a shape beyond what it takes so
// (the window manager's frame makes its time grow with the square of the
// rectangles) is refused, shown or hidden, and the form keeps its shape on
// the screen. A control with a native window of its own, unframed, holds
// every shape a region holds, however many rectangles one request takes.
// Each shows its pixels in its shape and none beside it; the shape stays
// through hiding and showing and native windows made anew, and gives way to
// a smaller region and to none.
TEST(FancyForm, TheXServerShowsEveryRegionARegionHolds)
{
    xtest::XSession session;
    if (!session.running())
        GTEST_SKIP() << session.missing();
    const xtest::BusyProcessors busy;
    ShapeProbe probe;
    QByteArray line = probe.Answer();
    ASSERT_TRUE(line.startsWith("shown ")) << "the probe did not show its form";
    xcb_window_t window = ShapeProbe::WindowOf(line);
    ServerView server, other;
    ASSERT_TRUE(server.Connected() && other.Connected());

    const struct
    {
        const char *command;
        int runs, rows; // the checkerboard held after the step; 0 for the whole window
        bool shown;
        bool anew;    // whether the answer names a new native window
        bool refused; // whether the library refuses the step's shape
    } steps[] = {
        // The most the form takes, every rectangle on the screen; one more;
        // 64000 on the screen (seconds of the server's time, and 2^18 ended
        // it); near the most a region holds, 2^20 - 32, in the highest window;
        // 8208 given to a component before it is loaded, and to one for
        // another window.
        {"board 16 512", 16, 512, true, false, false},
        {"board 8193 1", 16, 512, true, false, true},
        {"board 64 1000", 16, 512, true, false, true},
        {"board 32 32767", 16, 512, true, false, true},
        {"loaded 16 513", 16, 512, true, false, true},
        {"window 16 513", 16, 512, true, false, true},
        {"hide", 16, 512, false, false, false},
        {"board 32 32767", 16, 512, false, false, true},
        {"show", 16, 512, true, false, false},
        {"ontop", 16, 512, true, true, false},
        {"clear", 0, 0, true, false, false},
        // 40000 rectangles in the inner control: more than one request holds.
        {"inner 2 20000", 2, 20000, true, true, false},
        {"hide", 2, 20000, false, false, false},
        {"inner 32 32767", 32, 32767, false, false, false},
        // 32766: the fewest one request does not hold.
        {"inner 2 16383", 2, 16383, false, false, false},
        {"show", 2, 16383, true, false, false},
        {"anew", 2, 16383, true, true, false},
        {"inner 5 6553", 5, 6553, true, false, false}, // 32765: the most one request holds
        {"inner 2 20000", 2, 20000, true, false, false},
        // A control made a window of its own, a see-through splash and a
        // shape button as a window, each of more rectangles than a window
        // takes, show whole.
        {"apart", 0, 0, true, false, false},
        {"apart", 2, 20000, true, false, false},
        {"inner 16 513", 16, 513, true, false, false},
        {"apart", 0, 0, true, false, false},
        {"clear", 0, 0, true, false, false},
        {"splash 16 513", 0, 0, true, true, false},
        {"button 16 513", 0, 0, true, true, false},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.command);
        bool answers = true;
        line = probe.Ask(step.command, [&] { return answers = other.Answers(3000); });
        ASSERT_TRUE(answers) << "the X server answered no other client for 3 s";
        ASSERT_TRUE(line.contains(step.shown ? "shown " : "hidden ")) << line.constData();
        EXPECT_EQ(line.startsWith("refused "), step.refused) << line.constData();
        const xcb_window_t now = ShapeProbe::WindowOf(line);
        EXPECT_EQ(now != window, step.anew) << "the step tests the native window it means to";
        window = now;
        const QRegion expected =
            step.runs ? RegionFromRgnData(*RgnDataFromBitmap(checkerboard(2 * step.runs, step.rows),
                                                             vcl::clWhite))
                            .value_or(QRegion())
                      : QRegion(QRect(QPoint(0, 0), server.Size(window)));
        const std::vector<QRect> wanted(expected.begin(), expected.end());
        const std::vector<QRect> held = server.BoundingShape(window);
        EXPECT_EQ(held.size(), wanted.size());
        EXPECT_TRUE(held == wanted) << "the server holds another shape";
        if (!step.shown)
            continue;
        // Painted red: the first pixel of the shape in the form's first row
        // on the screen shows (a window manager may place a high form above
        // the screen's top), the one beside it only when the shape holds it.
        std::optional<bool> shows, nextShows;
        bool nextHeld = false;
        for (QDeadlineTimer deadline(5000); !deadline.hasExpired(); QThread::msleep(10)) {
            const QPoint origin = server.Origin(window);
            const int row = std::max(0, -origin.y());
            const QPoint first(row % 2 && step.runs ? 1 : 0, row);
            ASSERT_TRUE(expected.contains(first));
            nextHeld = expected.contains(first + QPoint(1, 0));
            shows = server.RedAt(origin + first);
            nextShows = server.RedAt(origin + first + QPoint(1, 0));
            if (shows == true && nextShows == nextHeld)
                break;
        }
        EXPECT_EQ(shows, std::optional<bool>(true)) << "the shape shows none of the form";
        EXPECT_EQ(nextShows, std::optional<bool>(nextHeld));
    }
    EXPECT_TRUE(probe.Quit());
}

// Qt scales a window's shape by rounding each rectangle's edges to device
// pixels. At 1.5 pixels a point, a shape sent in parts (32766 rectangles)
// shows as Qt shows the same checkerboard one row shorter, sent whole: a
// checkerboard still, not grown together where rounded sizes overlap.
TEST(FancyForm, AShapeSentInPartsIsScaledAsQtScalesOne)
{
    xtest::XSession session;
    if (!session.running())
        GTEST_SKIP() << session.missing();
    ShapeProbe probe(QStringLiteral("1.5"));
    ASSERT_TRUE(probe.Answer().startsWith("shown ")) << "the probe did not show its form";
    ServerView server;
    ASSERT_TRUE(server.Connected());
    // The rows both shapes have: those above the shorter one's last point
    // row, which starts at device row 16381 * 1.5, rounded.
    const auto rowsOf = [&server](xcb_window_t window) {
        std::vector<QRect> rects = server.BoundingShape(window);
        std::erase_if(rects, [](const QRect &r) { return r.bottom() >= 24572; });
        return rects;
    };
    const std::vector<QRect> whole = rowsOf(ShapeProbe::WindowOf(probe.Ask("inner 2 16382")));
    const std::vector<QRect> inParts = rowsOf(ShapeProbe::WindowOf(probe.Ask("inner 2 16383")));
    EXPECT_EQ(whole.size(), 32762u); // two in each of the 16381 point rows
    EXPECT_EQ(inParts.size(), whole.size());
    EXPECT_TRUE(inParts == whole) << "the shape sent in parts is scaled otherwise";
    EXPECT_TRUE(probe.Quit());
}

} // namespace
