// Region blocks whose rectangles do not come in rows from the top: loading a
// 1 MiB region stream (65534 rectangles, the runs of a 4096-row picture)
// shuffled and from the bottom row up, and one of 64 covered staircases; and
// a press and release of a picture button whose up and down shapes are such
// blocks of 256 KiB, shuffled. The fastest of several runs counts.
//
//   bench_regions [--runs N]
//
// Prints markdown table rows: figure, measured, target.
#include "widgets/Std2BitmapButtons.h"
#include "widgets/Std2Regions.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QMenu> // the button holds its popup menu by QPointer
#include <QMouseEvent>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

struct Rect
{
    std::int32_t left, top, right, bottom;
};

void putI32(QByteArray &out, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((std::uint32_t(value) >> (8 * i)) & 0xFF));
}

// Runs of three pixels, 16 a row, each row shifted a little against the last.
std::vector<Rect> pictureRuns(int count, int shift)
{
    std::vector<Rect> rects;
    for (int y = 0; int(rects.size()) < count; ++y)
        for (int k = 0; k < 16 && int(rects.size()) < count; ++k) {
            const int x = 8 * k + (y + shift) % 5;
            rects.push_back({x, y, x + 3, y + 1});
        }
    return rects;
}

QByteArray blockOf(const std::vector<Rect> &rects)
{
    QByteArray out;
    for (const std::int32_t v :
         {32, 1, std::int32_t(rects.size()), std::int32_t(rects.size() * 16), 0, 0, 0, 0})
        putI32(out, v);
    for (const Rect &r : rects)
        for (const std::int32_t v : {r.left, r.top, r.right, r.bottom})
            putI32(out, v);
    return out;
}

std::string fixed(double value, int decimals)
{
    char buffer[32];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, r.ptr);
}

// The fastest load of `stream` in ms; negative when it did not load.
double loadTime(const QByteArray &stream, int runs)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QByteArray bytes = stream;
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        TzcRgn rgn;
        QElapsedTimer t;
        t.start();
        try {
            rgn.LoadFromStream(in);
        } catch (const widgets::EStreamError &) {
            return -1;
        }
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
        if (!rgn.Region())
            return -1;
    }
    return best;
}

void send(QWidget &w, QEvent::Type type)
{
    const QPointF p(1, 0);
    QMouseEvent e(type, p, w.mapToGlobal(p), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    int runs = 5;
    if (const qsizetype at = args.indexOf("--runs"); at > 0 && at + 1 < args.size())
        runs = std::max(1, args.at(at + 1).toInt());

    constexpr int MiBRects = ((1 << 20) - 32) / 16;
    std::vector<Rect> rects = pictureRuns(MiBRects, 0);
    std::mt19937 rng(1);
    std::shuffle(rects.begin(), rects.end(), rng);
    QByteArray shuffled;
    putI32(shuffled, 1 << 20);
    shuffled += blockOf(rects);
    std::sort(rects.begin(), rects.end(), [](const Rect &a, const Rect &b) {
        return a.top != b.top ? a.top > b.top : a.left < b.left;
    });
    QByteArray bottomUp;
    putI32(bottomUp, 1 << 20);
    bottomUp += blockOf(rects);
    // Each of 64 squares cut into a staircase of 1022 columns, whose halves
    // unite into half a million rectangles, and covered by one rectangle.
    std::vector<Rect> covered;
    for (int g = 0; g < 64; ++g) {
        covered.push_back({-10, 4096 * g, 3000, 4096 * g + 3000});
        for (int i = 0; i < 1022; ++i)
            covered.push_back({2 * i, 4096 * g + i, 2 * i + 1, 4096 * g + i + 1024});
    }
    std::shuffle(covered.begin(), covered.end(), rng);
    const QByteArray coveredBlock = blockOf(covered);
    QByteArray staircases;
    putI32(staircases, std::int32_t(coveredBlock.size()));
    staircases += coveredBlock;

    for (const auto &[name, stream] : {std::pair{"shuffled", shuffled},
                                       {"bottom row first", bottomUp},
                                       {"in covered staircases", staircases}}) {
        const double ms = loadTime(stream, runs);
        if (ms < 0) {
            std::fprintf(stderr, "bench_regions: the %s block did not load\n", name);
            return 1;
        }
        std::printf(
            "| loading a 1 MiB region stream, rectangles %s | %s ms | well under 100 ms |\n", name,
            fixed(ms, 1).c_str());
    }

    // Up and down shapes of 256 KiB each, their rectangles shuffled.
    constexpr int QuarterRects = ((1 << 18) - 32) / 16;
    TzcRgn up;
    TzcRgn down;
    for (const auto &[rgn, shift] : {std::pair{&up, 0}, {&down, 1}}) {
        std::vector<Rect> shape = pictureRuns(QuarterRects, shift);
        std::shuffle(shape.begin(), shape.end(), rng);
        const QByteArray block = blockOf(shape);
        rgn->SetRgn(block.constData(), int(block.size()));
    }
    TzcFancyButton button;
    button.SetUpRgn(&up);
    button.SetDownRgn(&down);
    button.Loaded();
    // The first press works out the down shape; later ones find it kept.
    double first = 0;
    double best = 1e300;
    for (int i = 0; i < runs + 1; ++i) {
        QElapsedTimer t;
        t.start();
        send(button, QEvent::MouseButtonPress);
        send(button, QEvent::MouseButtonRelease);
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (i == 0)
            first = ms;
        else
            best = std::min(best, ms);
    }
    std::printf("| a press and release of a picture button shaped by 256 KiB region blocks | first "
                "%s ms, then %s ms | - |\n",
                fixed(first, 1).c_str(), fixed(best, 2).c_str());
    return 0;
}
