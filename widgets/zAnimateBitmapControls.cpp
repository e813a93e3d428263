#include "widgets/zAnimateBitmapControls.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <cstring>

namespace widgets {

namespace {

constexpr int FileHeaderSize = 14;

std::uint32_t ReadU32(QByteArrayView bytes, qsizetype at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(bytes[at + i]);
    return v;
}

std::uint16_t ReadU16(QByteArrayView bytes, qsizetype at)
{
    return std::uint16_t(std::uint8_t(bytes[at]) | (std::uint8_t(bytes[at + 1]) << 8));
}

void PutU32(QByteArray &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

} // namespace

std::optional<QByteArray> BitmapFileFromResource(QByteArrayView resource)
{
    if (resource.size() < 12)
        return std::nullopt;
    const std::uint32_t headerSize = ReadU32(resource, 0);
    std::uint64_t colours = 0;
    std::uint64_t entrySize = 4;
    std::uint64_t masks = 0;
    if (headerSize == 12) {
        // The old core header: 16-bit sizes and 3-byte colour entries.
        const std::uint16_t bits = ReadU16(resource, 10);
        colours = bits <= 8 ? (1u << bits) : 0;
        entrySize = 3;
    } else if (headerSize >= 40 && resource.size() >= 40) {
        const std::uint16_t bits = ReadU16(resource, 14);
        const std::uint32_t compression = ReadU32(resource, 16);
        const std::uint32_t used = ReadU32(resource, 32);
        colours = used != 0 ? used : (bits <= 8 ? (1u << bits) : 0);
        // Only the plain info header keeps its colour masks after itself.
        if (headerSize == 40 && compression == 3)
            masks = 12;
        else if (headerSize == 40 && compression == 6)
            masks = 16;
    } else {
        return std::nullopt;
    }
    const std::uint64_t offset = FileHeaderSize + headerSize + colours * entrySize + masks;
    const std::uint64_t fileSize = FileHeaderSize + std::uint64_t(resource.size());
    if (offset > fileSize)
        return std::nullopt;
    QByteArray file;
    file.reserve(qsizetype(fileSize));
    file.append("BM", 2);
    PutU32(file, std::uint32_t(fileSize));
    PutU32(file, 0); // two reserved words
    PutU32(file, std::uint32_t(offset));
    file.append(resource.data(), resource.size());
    return file;
}

} // namespace widgets

using namespace widgets;

TzcCustomBitmap::TzcCustomBitmap(QWidget *parent) : QWidget(parent)
{
    resize(30, 30);
}

void TzcCustomBitmap::Changed()
{
    update();
}

void TzcCustomBitmap::BackgroundPick()
{
    // The picture's own last row: the control may be taller than the picture.
    if (FBitMap.width() > 0 && FBitMap.height() > 0)
        FTransparentColor = vcl::FromQColor(FBitMap.pixelColor(0, FBitMap.height() - 1));
}

void TzcCustomBitmap::AutoPick()
{
    if (FAutoBackColor)
        BackgroundPick();
}

void TzcCustomBitmap::SetAuto(bool value)
{
    const TColor before = FTransparentColor;
    const bool changed = value != FAutoBackColor;
    FAutoBackColor = value;
    AutoPick();
    if (changed || FTransparentColor != before)
        Changed();
}

void TzcCustomBitmap::SetRealTransparent(bool value)
{
    if (value == FRealTransparent)
        return;
    FRealTransparent = value;
    Changed();
}

void TzcCustomBitmap::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    Changed();
}

void TzcCustomBitmap::SetTransparentColor(TColor value)
{
    if (value == FTransparentColor)
        return;
    FAutoBackColor = false;
    FTransparentColor = value;
    Changed();
}

void TzcCustomBitmap::SetColor(TColor value)
{
    if (value == FColor)
        return;
    FColor = value;
    Changed();
}

void TzcCustomBitmap::SetDrawMode(zcBitmapDraw mode)
{
    if (mode == FDrawMode)
        return;
    FDrawMode = mode;
    Changed();
}

void TzcCustomBitmap::SetBitMap(const QImage &value)
{
    FBitMap = value;
    if (FDrawMode == bdDrawNormal) {
        resize(FBitMap.width() > 0 ? FBitMap.width() : 30,
               FBitMap.height() > 0 ? FBitMap.height() : 30);
    }
    AutoPick();
    Changed();
}

void TzcCustomBitmap::SetWidth(int value)
{
    resize(value, height());
}

void TzcCustomBitmap::Setheight(int value)
{
    resize(width(), value);
}

template <typename Effect> void TzcCustomBitmap::ApplyEffect(bool pick, Effect effect)
{
    if (pick)
        AutoPick();
    effect(FBitMap);
    Changed();
}

void TzcCustomBitmap::Darken(bool skipTransparent, std::int8_t percent)
{
    ApplyEffect(true,
                [&](QImage &b) { DarkenBMP(b, percent, skipTransparent, FTransparentColor); });
}

void TzcCustomBitmap::Lighten(bool skipTransparent, std::int8_t percent)
{
    ApplyEffect(true,
                [&](QImage &b) { LightenBMP(b, percent, skipTransparent, FTransparentColor); });
}

void TzcCustomBitmap::GreyScale(bool skipTransparent)
{
    ApplyEffect(true, [&](QImage &b) { GreyBMP(b, skipTransparent, FTransparentColor); });
}

void TzcCustomBitmap::Raster(TzRast kind)
{
    // The parent paints beneath every repaint, so no hide and show is needed.
    ApplyEffect(true, [&](QImage &b) { RasterBMP(b, FTransparentColor, kind); });
}

void TzcCustomBitmap::ColorNoise(int amount)
{
    ApplyEffect(true, [&](QImage &b) { AddColorNoise(b, amount); });
}

void TzcCustomBitmap::BWNoise(int amount)
{
    ApplyEffect(true, [&](QImage &b) { AddBWNoise(b, amount); });
}

void TzcCustomBitmap::Contrast(int amount)
{
    ApplyEffect(true, [&](QImage &b) { widgets::Contrast(b, amount); });
}

void TzcCustomBitmap::Saturation(int amount)
{
    ApplyEffect(true, [&](QImage &b) { widgets::Saturation(b, amount); });
}

void TzcCustomBitmap::Sharpen(int amount)
{
    ApplyEffect(true, [&](QImage &b) { widgets::Sharpen(b, amount); });
}

void TzcCustomBitmap::Blur(int amount)
{
    ApplyEffect(true, [&](QImage &b) { widgets::Blur(b, amount); });
}

void TzcCustomBitmap::GaussianBlur(int amount)
{
    ApplyEffect(true, [&](QImage &b) { widgets::GaussianBlur(b, amount); });
}

void TzcCustomBitmap::Rotate(int degrees)
{
    ApplyEffect(true, [&](QImage &b) {
        QImage turned(width(), height(), QImage::Format_RGB32);
        turned.fill(vcl::ToQColor(vcl::ColorToRGB(FTransparentColor)));
        BMPRotate(b, turned, degrees);
        b = turned;
    });
}

void TzcCustomBitmap::Flip()
{
    ApplyEffect(false, [](QImage &b) { FlipBMP(b); });
}

void TzcCustomBitmap::Mirror()
{
    ApplyEffect(false, [](QImage &b) { MirrorBMP(b); });
}

void TzcCustomBitmap::ReplaceColor(TColor from, TColor to)
{
    ApplyEffect(false, [&](QImage &b) { widgets::ReplaceColor(b, from, to); });
}

void TzcCustomBitmap::BW()
{
    if (FBitMap.format() == QImage::Format_Mono || FBitMap.format() == QImage::Format_MonoLSB)
        return;
    ApplyEffect(false, [](QImage &b) {
        const QImage::Format format = b.format();
        QImage rgb = b.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(rgb.scanLine(y));
            for (int x = 0; x < rgb.width(); ++x)
                line[x] = (line[x] & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFFFF : 0xFF000000;
        }
        b = rgb.convertToFormat(format);
    });
}

void TzcCustomBitmap::PaintPicture(const QImage &work, int frame)
{
    QPainter painter(this);
    TCanvas canvas(painter);
    const int w = width();
    const int h = height();
    if (FBitMap.height() <= 0 || FBitMap.width() <= 0) {
        canvas.Brush.Color = vcl::clWhite;
        canvas.FillRect({0, 0, w, h});
    } else {
        // The slice of the strip that this frame shows; parts beyond the
        // picture show the control's colour, or the parent when see-through.
        const bool keyed = FTransparent && !IsNegativeColor(FTransparentColor);
        if (!keyed || !FRealTransparent) {
            canvas.Brush.Color = FColor;
            canvas.FillRect({0, 0, w, h});
        }
        const QRect inside =
            QRect(0, 0, w, h).intersected(QRect(-w * frame, 0, work.width(), work.height()));
        if (!inside.isEmpty()) {
            const QImage part = work.copy(inside.translated(w * frame, 0));
            if (keyed)
                TransparentBlt(canvas, part, inside.x(), inside.y(), FTransparentColor);
            else
                canvas.Draw(inside.x(), inside.y(), part);
        }
    }
    Q_EMIT OnPaint();
}

void TzcCustomBitmap::enterEvent(QEnterEvent *)
{
    Q_EMIT OnMouseEnter();
}

void TzcCustomBitmap::leaveEvent(QEvent *)
{
    Q_EMIT OnMouseLeave();
}

TzBitmap::TzBitmap(QWidget *parent) : TzcCustomBitmap(parent) {}

void TzBitmap::paintEvent(QPaintEvent *)
{
    AutoPick();
    const QImage &picture = BitMap();
    switch (DrawType()) {
    case bdDrawNormal:
        PaintPicture(picture, 0);
        break;
    case bdDrawStretch:
        PaintPicture(picture.isNull() ? picture
                                      : picture.scaled(width(), height(), Qt::IgnoreAspectRatio,
                                                       Qt::FastTransformation),
                     0);
        break;
    case bdDrawCenter: {
        if (picture.isNull()) {
            PaintPicture(picture, 0);
            break;
        }
        QImage centred(width(), height(), QImage::Format_RGB32);
        centred.fill(vcl::ToQColor(vcl::ColorToRGB(TransparentColor())));
        {
            QPainter p(&centred);
            p.drawImage(QPoint((width() - picture.width()) / 2, (height() - picture.height()) / 2),
                        picture);
        }
        PaintPicture(centred, 0);
        break;
    }
    }
}

TzAnimated::TzAnimated(QWidget *parent) : TzcCustomBitmap(parent)
{
    connect(&FTimer, &QTimer::timeout, this, &TzAnimated::TimeHit);
}

void TzAnimated::SetFrameCount(int value)
{
    // The frame arithmetic divides by it.
    FFrameCount = value < 1 ? 1 : value;
}

void TzAnimated::StartTimer()
{
    FTimer.start(FInterval);
}

void TzAnimated::SetInterval(int value)
{
    if (value == FInterval)
        return;
    FTimer.stop();
    FInterval = value;
    if (FPlay && value >= 1)
        StartTimer();
}

void TzAnimated::SetPlay(bool value)
{
    if (value == FPlay)
        return;
    FPlay = value;
    if (!value)
        FTimer.stop();
    else if (FInterval > 0)
        StartTimer();
}

void TzAnimated::SetFrame(int value)
{
    const int frame = value >= 0 ? value % FFrameCount : FFrameCount - 1;
    if (frame == CurrentFrame())
        return;
    SetCurrentFrame(frame);
    Q_EMIT OnChangeFrame();
    update();
}

void TzAnimated::TimeHit()
{
    const int end = FReverse ? 0 : FFrameCount - 1;
    SetFrame(FReverse ? Frame() - 1 : Frame() + 1);
    if (Frame() == end && !FLoop) {
        FPlay = false;
        FTimer.stop();
    }
}

void TzAnimated::paintEvent(QPaintEvent *)
{
    AutoPick();
    PaintPicture(BitMap(), Frame());
}

TzResBitmap::TzResBitmap(const char *name)
{
    const QString path = QStringLiteral(":/bitmaps/") + QString::fromLatin1(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EResNotFound("Resource " + std::string(name) + " not found");
    const std::optional<QByteArray> bmp = BitmapFileFromResource(file.readAll());
    if (!bmp || !loadFromData(*bmp, "BMP"))
        throw EResNotFound("Resource " + std::string(name) + " is not a bitmap");
}

detail::DesktopSurface::DesktopSurface()
{
    QSize size(640, 480);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = screen->geometry().size();
    FSurface = QImage(size, QImage::Format_RGB32);
    FSurface.fill(Qt::black);
}

TzDesktop::TzDesktop() : TCanvas(&FSurface) {}

int TzDesktop::Depth() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : FSurface.depth();
}

TzDivider::TzDivider(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(2, 2);
    resize(50, 50);
}

void TzDivider::SetOrientation(doType value)
{
    if (value == FOrientation)
        return;
    FOrientation = value;
    update();
}

void TzDivider::SetRaised(bool value)
{
    if (value == FRaised)
        return;
    FRaised = value;
    update();
}

void TzDivider::SetWidth(int value)
{
    resize(value < 2 ? 2 : value, height());
}

void TzDivider::SetHeight(int value)
{
    resize(width(), value < 2 ? 2 : value);
}

void TzDivider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    TCanvas canvas(painter);
    canvas.Pen.Style = psSolid;
    canvas.Pen.Width = 1;
    canvas.Pen.Color = FRaised ? vcl::clBtnHighlight : vcl::clBtnShadow;
    const int w = width();
    const int h = height();
    if (FOrientation == doHorz) {
        canvas.Polyline({{0, 0}, {w, 0}});
        canvas.Pen.Color = FRaised ? vcl::clBtnShadow : vcl::clBtnHighlight;
        canvas.Polyline({{0, 1}, {w, 1}});
    } else {
        canvas.Polyline({{0, 0}, {0, h}});
        canvas.Pen.Color = FRaised ? vcl::clBtnShadow : vcl::clBtnHighlight;
        canvas.Polyline({{1, 0}, {1, h}});
    }
    Q_EMIT OnPaint();
}

TzFrame::TzFrame(QWidget *parent) : QWidget(parent)
{
    resize(50, 50);
    SetPassMouseOn(true);
}

void TzFrame::SetFilled(bool value)
{
    if (value == FFilled)
        return;
    FFilled = value;
    update();
}

void TzFrame::SetBevelInner(TBevelCut value)
{
    if (value == FBevelInner)
        return;
    FBevelInner = value;
    update();
}

void TzFrame::SetBevelOuter(TBevelCut value)
{
    if (value == FBevelOuter)
        return;
    FBevelOuter = value;
    update();
}

void TzFrame::SetBevelWidth(int value)
{
    if (value == FBevelWidth)
        return;
    FBevelWidth = value;
    update();
}

void TzFrame::SetBorderWidth(int value)
{
    if (value == FBorderWidth)
        return;
    FBorderWidth = value;
    update();
}

void TzFrame::SetColor(TColor value)
{
    if (value == FColor)
        return;
    FColor = value;
    update();
}

void TzFrame::SetPassMouseOn(bool value)
{
    // A disabled widget hands clicks to its parent; the control beneath is a
    // sibling, so the frame must not take part in hit testing at all.
    setEnabled(!value);
    setAttribute(Qt::WA_TransparentForMouseEvents, value);
}

void TzFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    TCanvas canvas(painter);
    TRect rect{0, 0, width(), height()};
    canvas.Brush.Color = FColor;
    if (FFilled)
        canvas.FillRect(rect);
    const auto bevel = [&](TBevelCut cut) {
        const bool lowered = cut == bvLowered;
        Frame3D(canvas, rect, lowered ? vcl::clBtnShadow : vcl::clBtnHighlight,
                lowered ? vcl::clBtnHighlight : vcl::clBtnShadow, FBevelWidth);
    };
    if (FBevelOuter != bvNone)
        bevel(FBevelOuter);
    Frame3D(canvas, rect, FColor, FColor, FBorderWidth);
    if (FBevelInner != bvNone)
        bevel(FBevelInner);
    Q_EMIT OnPaint();
}
