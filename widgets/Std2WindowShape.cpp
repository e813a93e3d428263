#include "widgets/Std2WindowShape.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace widgets {

std::vector<QRect> NativeShapeRects(const QRegion &shape, qreal scale)
{
    // Left of or above a window, or beyond the largest one, nothing shows.
    const QRect shown(0, 0, 32767, 32767);
    std::vector<QRect> rects;
    rects.reserve(std::size_t(shape.rectCount()));
    for (const QRect &r : shape) {
        // Each edge is rounded on its own, as Qt scales a mask, so that the
        // rectangles still meet where they met, without overlapping.
        const QRect scaled =
            scale == 1.0 ? r
                         : QRectF(QPointF(r.topLeft()) * scale, QSizeF(r.size()) * scale).toRect();
        const QRect part = scaled & shown;
        if (!part.isEmpty())
            rects.push_back(part);
    }
    return rects;
}

int ShapeRectsPerRequest(std::uint32_t maxRequestUnits)
{
    // The request's own 16 bytes, then 8 bytes a rectangle.
    return int(std::max<qint64>(1, (qint64(maxRequestUnits) * 4 - 16) / 8));
}

} // namespace widgets

namespace {

const char KeeperName[] = "qm_window_shape";

struct FreeReply
{
    void operator()(void *p) const { std::free(p); }
};

// The X server's connection when the application runs on one with the SHAPE
// extension, else null.
xcb_connection_t *ShapingConnection()
{
#if QT_CONFIG(xcb)
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    auto *x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return nullptr;
    const xcb_query_extension_reply_t *shape = xcb_get_extension_data(c, &xcb_shape_id);
    return shape && shape->present ? c : nullptr;
#else
    return nullptr;
#endif
}

// Whether Qt's one request could not hold `shape` on the server of `c`.
bool BeyondOneRequest(xcb_connection_t *c, const QRegion &shape)
{
    return shape.rectCount() >
           widgets::ShapeRectsPerRequest(xcb_get_setup(c)->maximum_request_length);
}

// Whether `shape` is too large for a window on the server: Qt would send it
// as it stands to a control that becomes a window later.
bool BeyondWindowBound(const QRegion &shape)
{
    return shape.rectCount() > widgets::MaxServerWindowShapeRects;
}

// Checks the requests of `cookies` (each must be, for xcb to let go of it)
// and tells of the first one the server refused.
void Check(xcb_connection_t *c, const std::vector<xcb_void_cookie_t> &cookies, xcb_window_t window)
{
    bool told = false;
    for (const xcb_void_cookie_t cookie : cookies) {
        const std::unique_ptr<xcb_generic_error_t, FreeReply> error(xcb_request_check(c, cookie));
        if (error && !told)
            qWarning("The X server refused the shape of window 0x%x (error %d)", window,
                     int(error->error_code));
        told = told || error;
    }
}

// Takes any shape off `window`, so that it shows whole.
void SendNoShape(xcb_connection_t *c, xcb_window_t window)
{
    Check(c,
          {xcb_shape_mask_checked(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, window, 0, 0,
                                  XCB_NONE)},
          window);
}

// Makes `rects` the bounding shape of `window`. They are gathered in parts on
// a window of our own that is never shown and then copied over in one
// request, so that the window never shows a part of its shape.
void SendShape(xcb_connection_t *c, xcb_window_t window, const std::vector<QRect> &rects)
{
    const std::unique_ptr<xcb_get_geometry_reply_t, FreeReply> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!geometry) {
        qWarning("The window 0x%x to be shaped is gone from the X server", window);
        return;
    }
    const xcb_window_t scratch = xcb_generate_id(c);
    std::vector<xcb_void_cookie_t> sent;
    sent.push_back(xcb_create_window_checked(c, 0, scratch, geometry->root, 0, 0, 1, 1, 0,
                                             XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0,
                                             nullptr));
    const std::size_t perRequest =
        std::size_t(widgets::ShapeRectsPerRequest(xcb_get_setup(c)->maximum_request_length));
    std::vector<xcb_rectangle_t> part;
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(perRequest, rects.size() - at);
        part.resize(std::max<std::size_t>(n, 1));
        for (std::size_t i = 0; i < n; ++i) {
            const QRect &r = rects[at + i];
            part[i] = {std::int16_t(r.x()), std::int16_t(r.y()), std::uint16_t(r.width()),
                       std::uint16_t(r.height())};
        }
        sent.push_back(xcb_shape_rectangles_checked(
            c, at == 0 ? XCB_SHAPE_SO_SET : XCB_SHAPE_SO_UNION, XCB_SHAPE_SK_BOUNDING,
            XCB_CLIP_ORDERING_UNSORTED, scratch, 0, 0, std::uint32_t(n), part.data()));
        at += n;
    } while (at < rects.size());
    sent.push_back(xcb_shape_combine_checked(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                                             XCB_SHAPE_SK_BOUNDING, window, 0, 0, scratch));
    sent.push_back(xcb_destroy_window_checked(c, scratch));
    Check(c, sent, window);
}

// The shape of a widget that Qt's one request cannot hold, or that no window
// on the server may take. While the widget has no native window, Qt shapes
// it in software; a control's native window takes a shape one request holds
// from Qt's own mask, as before, and a larger one in parts from here, where
// Qt then has no mask for it. A window of a shape beyond the bound shows
// whole, without its cut-out, however it became a window: the shape stays
// the widget's, for painting and for its clicks.
class ShapeKeeper : public QObject
{
public:
    ShapeKeeper(QWidget &widget, xcb_connection_t *c) : QObject(&widget), m_widget(widget), m_c(c)
    {
        setObjectName(QLatin1String(KeeperName));
        widget.installEventFilter(this);
    }

    const QRegion &Shape() const { return m_shape; }

    void SetShape(const QRegion &shape)
    {
        m_shape = shape;
        m_sent = 0;
        Apply();
    }

    // Hands the widget back to Qt's own mask.
    void Release(const QRegion &shape)
    {
        m_widget.removeEventFilter(this);
        // Qt sends nothing for an empty mask when it holds none already.
        const QWindow *window = m_widget.windowHandle();
        if (shape.isEmpty() && OwnWindow() && window && window->handle())
            SendNoShape(m_c, xcb_window_t(window->winId()));
        m_widget.setMask(shape);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (watched == &m_widget) {
            if (e->type() == QEvent::WinIdChange) {
                m_sent = 0;
                Apply();
            } else if (e->type() == QEvent::ParentChange || e->type() == QEvent::Show) {
                // A control may become a window, or a window a control, in
                // the native window it has.
                Apply();
            }
        } else if (watched == m_window && e->type() == QEvent::Expose) {
            // Qt may make the window anew while showing it, without a word.
            Send();
        }
        return false;
    }

private:
    // Whether the widget is shaped by the server (a window, or a control with
    // a native window of its own) rather than by Qt alone.
    bool OwnWindow() const
    {
        return m_widget.isWindow() || m_widget.testAttribute(Qt::WA_NativeWindow);
    }

    // Whether Qt's own mask shapes the widget: in software, or, for a
    // control's native window, in the one request that holds the shape.
    bool QtShapes() const
    {
        return !OwnWindow() || (!m_widget.isWindow() && !BeyondOneRequest(m_c, m_shape));
    }

    void Apply()
    {
        if (QtShapes()) {
            m_sent = 0;
            m_widget.setMask(m_shape);
            return;
        }
        m_widget.clearMask();
        QWindow *window = m_widget.windowHandle();
        if (window != m_window) {
            if (m_window)
                m_window->removeEventFilter(this);
            m_window = window;
            if (window)
                window->installEventFilter(this);
        }
        Send();
    }

    void Send()
    {
        const QWindow *window = m_widget.windowHandle();
        if (QtShapes() || !m_widget.internalWinId() || !window || !window->handle())
            return;
        const auto id = xcb_window_t(window->winId());
        const bool whole = m_widget.isWindow() && BeyondWindowBound(m_shape);
        if (id == m_sent && whole == m_sentWhole)
            return;
        m_sent = id;
        m_sentWhole = whole;
        if (whole)
            SendNoShape(m_c, id);
        else
            SendShape(m_c, id, widgets::NativeShapeRects(m_shape, window->devicePixelRatio()));
    }

    QWidget &m_widget;
    xcb_connection_t *m_c;
    QPointer<QWindow> m_window;
    QRegion m_shape;
    xcb_window_t m_sent = 0; // the native window that has the shape, 0 for none
    bool m_sentWhole = false; // whether m_sent was left whole instead
};

ShapeKeeper *KeeperOf(const QWidget &widget)
{
    return dynamic_cast<ShapeKeeper *>(
        widget.findChild<QObject *>(QLatin1String(KeeperName), Qt::FindDirectChildrenOnly));
}

} // namespace

void widgets::SetWindowMask(QWidget &widget, const QRegion &shape)
{
    ShapeKeeper *keeper = KeeperOf(widget);
    xcb_connection_t *c = ShapingConnection();
    if (!c || !(BeyondOneRequest(c, shape) || BeyondWindowBound(shape))) {
        if (keeper) {
            keeper->Release(shape);
            delete keeper;
        } else {
            widget.setMask(shape);
        }
        return;
    }
    if (!keeper)
        keeper = new ShapeKeeper(widget, c);
    keeper->SetShape(shape);
}

bool widgets::ServerTakesShape(const QWidget &widget, const QRegion &shape)
{
    return !widget.isWindow() || ServerTakesWindowShape(shape);
}

bool widgets::ServerTakesWindowShape(const QRegion &shape)
{
    return !BeyondWindowBound(shape) || !ShapingConnection();
}

QRegion widgets::WindowMask(const QWidget &widget)
{
    const ShapeKeeper *keeper = KeeperOf(widget);
    return keeper ? keeper->Shape() : widget.mask();
}
