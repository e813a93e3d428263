// The region stream on any bytes: a stream that is short, claims a wrong
// count or holds no valid region is refused and keeps the old region; one
// that loads saves back to the same bytes and describes the same region.
#include "fuzz/FuzzSupport.h"
#include <QWidget> // the region components hold widgets by pointer

#include "widgets/Std2Regions.h"

#include <QBuffer>
#include <QRegion>

using fuzzsupport::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzsupport::ensureApplication();
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

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
    // A block whose rectangles have no area is a valid, empty region.
    const std::optional<QRegion> region = widgets::RegionFromRgnData(rgn.Data());
    check(rgn.Data().isEmpty() || region.has_value(), "a loaded region is valid");

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
