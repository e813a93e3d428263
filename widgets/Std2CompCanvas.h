// A canvas on a window outside its paint event, and the Std2 unit's start-up.
#pragma once

#include "widgets/Canvas.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <stdexcept>

class EzCompCanvasException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Gives a canvas on ControlComponent between StartPaint() and EndPaint().
// A window here can be drawn on only while it paints itself, so the canvas
// draws into a picture over the control, which the control shows after
// painting itself until the next StartPaint() clears it. Canvas() is the
// same object for the component's whole life; EndPaint() resets its pen,
// brush and font.
//
// Thread contract: main thread only.
class TzCompCanvas : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzCompCanvas)

public:
    explicit TzCompCanvas(QObject *owner = nullptr);
    ~TzCompCanvas() override;

    widgets::TCanvas *Canvas() { return &*m_canvas; }
    QWidget *ControlComponent() const { return m_control; }
    void SetTW(QWidget *control);

    // "We are allready drawing" while drawing; "No component to draw on"
    // without a control.
    void StartPaint();
    // "We are not drawing" when not drawing.
    void EndPaint();
    bool Drawing() const { return m_drawing; }
    // What the control shows over itself.
    const QImage &Overlay() const { return m_overlay; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void endDrawing();

    QImage m_idle{1, 1, QImage::Format_ARGB32_Premultiplied};
    QImage m_overlay;
    std::optional<widgets::TCanvas> m_canvas;
    QPointer<QWidget> m_control;
    bool m_drawing = false;
};

namespace Std2 {

// The unit's start-up builds an 8 x 8 pattern: silver, white where x and y
// are both odd; the last shut-down frees it. Main thread only.
void initialization();
void Finalization();
// The pattern while the unit is started; a null image otherwise.
const QImage &PatternBitmap();

} // namespace Std2
