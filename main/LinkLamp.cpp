#include "main/LinkLamp.h"

#include <QPainter>

LinkLamp::LinkLamp(QWidget *parent) : QWidget(parent)
{
    setFixedSize(Size, Size);
    // The lamp fills its square with the window's colour before it draws
    // itself, so a lamp that turns on or off repaints only its own square,
    // not the tabs and the window beneath it.
    setAutoFillBackground(true);
}

void LinkLamp::setLit(bool lit)
{
    if (lit == lit_)
        return;
    lit_ = lit;
    update();
}

void LinkLamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(lit_ ? QColor(0x00, 0x40, 0x00) : QColor(0x00, 0x20, 0x00), 1));
    p.setBrush(lit_ ? QColor(0x00, 0xE0, 0x00) : QColor(0x00, 0x40, 0x00));
    p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
