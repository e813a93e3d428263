#include "widgets/Std2CompCanvas.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

TzCompCanvas::TzCompCanvas(QObject *owner) : QObject(owner)
{
    m_canvas.emplace(&m_idle);
}

TzCompCanvas::~TzCompCanvas()
{
    m_canvas.reset();
}

void TzCompCanvas::SetTW(QWidget *control)
{
    if (m_control && m_drawing)
        endDrawing();
    if (m_control) {
        m_control->removeEventFilter(this);
        disconnect(m_control, nullptr, this, nullptr);
    }
    m_control = control;
    m_overlay = QImage();
    if (m_control) {
        m_control->installEventFilter(this);
        connect(m_control, &QObject::destroyed, this, [this] {
            if (m_drawing)
                endDrawing();
            m_overlay = QImage();
        });
    }
}

void TzCompCanvas::StartPaint()
{
    if (m_drawing)
        throw EzCompCanvasException("We are allready drawing");
    if (!m_control)
        throw EzCompCanvasException("No component to draw on");
    m_drawing = true;
    m_canvas.reset();
    m_overlay =
        QImage(m_control->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    m_overlay.fill(Qt::transparent);
    // The same storage, so callers' pointers to the canvas stay good.
    m_canvas.emplace(&m_overlay);
}

void TzCompCanvas::EndPaint()
{
    if (!m_drawing)
        throw EzCompCanvasException("We are not drawing");
    endDrawing();
}

void TzCompCanvas::endDrawing()
{
    m_drawing = false;
    m_canvas.reset();
    m_canvas.emplace(&m_idle);
    if (m_control)
        m_control->update();
}

bool TzCompCanvas::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_control || event->type() != QEvent::Paint || m_overlay.isNull() || m_drawing)
        return QObject::eventFilter(watched, event);
    // The control paints itself first; the drawing goes on top.
    static_cast<QObject *>(m_control.data())->event(event);
    QPainter painter(m_control);
    painter.drawImage(0, 0, m_overlay);
    return true;
}

namespace Std2 {

namespace {
int g_unitCount = 0;
QImage &pattern()
{
    static QImage *const image = new QImage;
    return *image;
}
} // namespace

void initialization()
{
    if (g_unitCount++ != 0)
        return;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(QColor(0xC0, 0xC0, 0xC0));
    for (int y = 1; y < 8; y += 2)
        for (int x = 1; x < 8; x += 2)
            image.setPixel(x, y, qRgb(0xFF, 0xFF, 0xFF));
    pattern() = image;
}

void Finalization()
{
    if (g_unitCount == 0 || --g_unitCount != 0)
        return;
    pattern() = QImage();
}

const QImage &PatternBitmap()
{
    return pattern();
}

} // namespace Std2
