// Region blocks, their streams and files, regions scanned from bitmaps, and
// the two components that shape windows with them.
#include "widgets/Std2Regions.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <utility>
#include <initializer_list>
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

    // A saved empty region loads back as empty.
    QBuffer empty;
    empty.setData(QByteArray(4, '\0'));
    empty.open(QIODevice::ReadOnly);
    copy.LoadFromStream(empty);
    EXPECT_FALSE(copy.ExsistData());
    EXPECT_EQ(copy.Handle(), QRegion());
    EXPECT_EQ(changes, 2);
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

    TzcFancyForm orphan;
    EXPECT_THROW(orphan.Loaded(), EComponentError);
}

} // namespace
