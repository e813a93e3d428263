// The region stream on any bytes: a stream that is short, claims a wrong
// count or holds no valid region is refused and keeps the old region; one
// that loads saves back to the same bytes and describes the same region.
// Any bytes taken as a block either save to a stream that loads them back
// or are refused with nothing written.
#include "fuzz/FuzzSupport.h"
#include <QWidget> // the region components hold widgets by pointer

#include "widgets/Std2Regions.h"

#include <QBuffer>
#include <QRegion>

using fuzzsupport::check;

namespace {

// The union of a block's rectangles added one at a time, in their order.
QRegion plainUnion(const QByteArray &block)
{
    const auto at = [&](qsizetype i) {
        std::uint32_t v = 0;
        for (int b = 3; b >= 0; --b)
            v = (v << 8) | std::uint8_t(block[i + b]);
        return std::int32_t(v);
    };
    QRegion region;
    for (qsizetype i = 32; i + 16 <= block.size() && (i - 32) / 16 < at(8); i += 16)
        if (at(i) < at(i + 8) && at(i + 4) < at(i + 12))
            region += QRect(QPoint(at(i), at(i + 4)), QPoint(at(i + 8) - 1, at(i + 12) - 1));
    return region;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzsupport::ensureApplication();
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    {
        TzcRgn raw;
        raw.SetRgn(bytes.constData(), int(bytes.size()));
        QByteArray saved;
        QBuffer out(&saved);
        out.open(QIODevice::WriteOnly);
        bool written = true;
        try {
            raw.SaveToStream(out);
        } catch (const widgets::EStreamError &) {
            written = false;
            check(saved.isEmpty(), "a refused save writes nothing");
        }
        if (written) {
            QBuffer in(&saved);
            in.open(QIODevice::ReadOnly);
            TzcRgn back;
            try {
                back.LoadFromStream(in);
            } catch (const widgets::EStreamError &) {
                check(false, "what is saved loads back");
            }
            check(back.Data() == raw.Data(), "what is saved loads back unchanged");
        }
    }

    TzcRgn rgn;
    const QByteArray old = widgets::RgnDataFromRegion(QRegion(1, 2, 3, 4));
    rgn.SetRgn(old.constData(), int(old.size()));

    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    try {
        rgn.LoadFromStream(in);
    } catch (const widgets::EStreamError &) {
        check(rgn.Data() == old, "a refused stream keeps the old region");
        return 0;
    }
    if (bytes.startsWith(QByteArray(4, '\0'))) {
        check(rgn.Data() == old, "a count of 0 keeps the old region");
        return 0;
    }
    // A block whose rectangles have no area is a valid, empty region.
    const std::optional<QRegion> region = widgets::RegionFromRgnData(rgn.Data());
    check(region.has_value(), "a loaded region is valid");
    check(rgn.Region().value_or(QRegion()) == region.value_or(QRegion()),
          "the kept region is the block's");
    check(region->xored(plainUnion(rgn.Data())).isEmpty(),
          "the region covers what its rectangles cover, one by one");

    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::WriteOnly);
    rgn.SaveToStream(out);
    check(saved == bytes.left(saved.size()), "a loaded stream saves to the same bytes");

    if (region && !region->isEmpty()) {
        const std::optional<QRegion> again =
            widgets::RegionFromRgnData(widgets::RgnDataFromRegion(*region));
        check(again && *again == *region, "a region survives its block");
    }
    return 0;
}
