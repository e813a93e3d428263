#include "widgets/MystdForms.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QWindow>

namespace widgets {

namespace {
QPointer<QWidget> &mainForm()
{
    static QPointer<QWidget> form;
    return form;
}
} // namespace

QWidget *FindForm(const QObject *component)
{
    for (QObject *o = component ? component->parent() : nullptr; o; o = o->parent()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (w && w->isWindow())
            return w;
    }
    throw EComponentError("NoForm");
}

bool IsPrevius(bool)
{
    return false;
}

QWidget *ApplicationMainForm()
{
    return mainForm();
}

void SetApplicationMainForm(QWidget *form)
{
    mainForm() = form;
}

TFormBorderStyle FormBorderStyle(const QWidget *form)
{
    const Qt::WindowFlags flags = form->windowFlags();
    const bool fixed = form->minimumSize() == form->maximumSize();
    if (flags & Qt::FramelessWindowHint)
        return bsNone;
    if ((flags & Qt::WindowType_Mask) == Qt::Tool)
        return fixed ? bsToolWindow : bsSizeToolWin;
    if ((flags & Qt::WindowType_Mask) == Qt::Dialog)
        return bsDialog;
    return fixed ? bsSingle : bsSizeable;
}

} // namespace widgets

TzMovePanel::TzMovePanel(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    raise();
    watchParent();
}

TzMovePanel::~TzMovePanel()
{
    delete FBand;
}

void TzMovePanel::watchParent()
{
    if (FWatchedParent == parentWidget())
        return;
    if (FWatchedParent)
        FWatchedParent->removeEventFilter(this);
    FWatchedParent = parentWidget();
    if (FWatchedParent)
        FWatchedParent->installEventFilter(this);
}

void TzMovePanel::SetStickWhere(TzStickType value)
{
    FStickWhere = value;
    DoStick();
}

void TzMovePanel::SetStickOldStyle(bool value)
{
    if (value == FStickOldStyle)
        return;
    FStickOldStyle = value;
    DoStick();
}

void TzMovePanel::SetAlign(widgets::TAlign value)
{
    FAlign = value;
    applyAlign();
}

void TzMovePanel::SetCaption(const QString &value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    update();
}

void TzMovePanel::Loaded()
{
    DoStick();
}

void TzMovePanel::applyAlign()
{
    watchParent();
    const QWidget *p = parentWidget();
    if (!p || FAlign == widgets::alNone)
        return;
    const QRect c = p->contentsRect();
    switch (FAlign) {
    case widgets::alTop:
        setGeometry(c.left(), c.top(), c.width(), height());
        break;
    case widgets::alBottom:
        setGeometry(c.left(), c.bottom() + 1 - height(), c.width(), height());
        break;
    case widgets::alLeft:
        setGeometry(c.left(), c.top(), width(), c.height());
        break;
    case widgets::alRight:
        setGeometry(c.right() + 1 - width(), c.top(), width(), c.height());
        break;
    case widgets::alNone:
        break;
    }
}

void TzMovePanel::DoStick()
{
    raise();
    const QWidget *p = parentWidget();
    if (FStickOldStyle) {
        FAlign = widgets::alNone;
        // Without a parent there is no edge to stick to.
        if (!p)
            return;
        switch (FStickWhere) {
        case stleft:
            move(0, y());
            break;
        case stTop:
            move(x(), 0);
            break;
        case stRight:
            move(p->contentsRect().width() - width(), y());
            break;
        case stBottom:
            move(x(), p->contentsRect().height() - height());
            break;
        case stBoth:
            move(0, 0);
            break;
        case stNone:
            break;
        }
        return;
    }
    static constexpr widgets::TAlign aligns[] = {widgets::alNone,   widgets::alLeft,
                                                 widgets::alTop,    widgets::alRight,
                                                 widgets::alBottom, widgets::alTop};
    FAlign = aligns[FStickWhere];
    applyAlign();
    if (FStickWhere == stBoth && p)
        move(0, y());
}

void TzMovePanel::DoUpdate()
{
    int x = this->x(), y = this->y(), w = width(), h = height();
    if (OnBeforeUpdate)
        OnBeforeUpdate(*this, x, y, w, h);
    x = std::max(0, x);
    y = std::max(0, y);
    const QWidget *p = parentWidget();
    if (p && !p->isWindow()) {
        if (x + w > p->width())
            x = p->width() - w - 1;
        if (y + h > p->height())
            y = p->height() - h - 1;
    }
    setGeometry(x, y, w, h);
}

QRect TzMovePanel::DragRect() const
{
    return FBand ? FBand->geometry() : QRect();
}

void TzMovePanel::showDragRect(QPoint offset)
{
    QWidget *top = window();
    if (top == this)
        return;
    if (!FBand)
        FBand = new QRubberBand(QRubberBand::Rectangle, top);
    const QPoint origin = mapTo(top, QPoint(0, 0)) + offset;
    FBand->setGeometry(QRect(origin, size()));
    FBand->show();
    FBand->raise();
}

void TzMovePanel::endDrag()
{
    FDragging = false;
    setMouseTracking(false);
    if (FBand)
        FBand->hide();
}

void TzMovePanel::mousePressEvent(QMouseEvent *e)
{
    QFrame::mousePressEvent(e);
    if (e->button() != Qt::LeftButton)
        return;
    FDragging = true;
    // Moves without a button must arrive too, to notice a release lost elsewhere.
    setMouseTracking(true);
    FGrab = FCurrent = e->position().toPoint();
    showDragRect({});
}

void TzMovePanel::mouseMoveEvent(QMouseEvent *e)
{
    QFrame::mouseMoveEvent(e);
    if (!FDragging)
        return;
    if (!(e->buttons() & Qt::LeftButton)) {
        endDrag(); // the release went elsewhere
        return;
    }
    FCurrent = e->position().toPoint();
    showDragRect(FCurrent - FGrab);
}

void TzMovePanel::mouseReleaseEvent(QMouseEvent *e)
{
    QFrame::mouseReleaseEvent(e);
    if (e->button() != Qt::LeftButton || !FDragging)
        return;
    endDrag();
    const QPoint to = pos() + e->position().toPoint() - FGrab;
    if (to != pos())
        move(to);
    DoUpdate();
    DoStick();
}

void TzMovePanel::enterEvent(QEnterEvent *e)
{
    QFrame::enterEvent(e);
    Q_EMIT OnMouseEnter();
}

void TzMovePanel::leaveEvent(QEvent *e)
{
    QFrame::leaveEvent(e);
    Q_EMIT OnMouseLeave();
}

void TzMovePanel::hideEvent(QHideEvent *e)
{
    QFrame::hideEvent(e);
    endDrag();
}

void TzMovePanel::changeEvent(QEvent *e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::ParentChange)
        applyAlign();
    else if (e->type() == QEvent::ActivationChange && !isActiveWindow())
        endDrag();
}

bool TzMovePanel::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == FWatchedParent && e->type() == QEvent::Resize)
        applyAlign();
    return QFrame::eventFilter(watched, e);
}

void TzMovePanel::paintEvent(QPaintEvent *e)
{
    QFrame::paintEvent(e);
    if (FCaption.isEmpty())
        return;
    QPainter p(this);
    p.drawText(contentsRect(), Qt::AlignCenter | Qt::TextShowMnemonic, FCaption);
}

TzTitleBar::TzTitleBar(QObject *owner) : QObject(owner)
{
    FForm = widgets::FindForm(this);
    FBorderStyle = widgets::FormBorderStyle(FForm);
    FCaptionShown = IsShowTitleBar();
}

TzTitleBar::~TzTitleBar()
{
    if (FHooked && FForm)
        FForm->removeEventFilter(this);
}

bool TzTitleBar::IsShowTitleBar() const
{
    return FForm && !(FForm->windowFlags() & Qt::FramelessWindowHint);
}

void TzTitleBar::SetTitleBar(bool show)
{
    if (FForm && FBorderStyle != widgets::bsNone) {
        // Every style with a frame loses and regains its caption alike; the
        // client area keeps its size, the window system adds the frame.
        if (show != FCaptionShown) {
            const bool visible = FForm->isVisible();
            FForm->setWindowFlag(Qt::FramelessWindowHint, !show);
            if (visible)
                FForm->show();
        }
        DoOnChange();
        FForm->update();
    }
    FCaptionShown = IsShowTitleBar();
}

void TzTitleBar::Loaded()
{
    SetTitleBar(TitleBarOnFormShow);
    if (FForm && !FHooked) {
        FForm->installEventFilter(this);
        FHooked = true;
    }
    FCaptionShown = IsShowTitleBar();
}

void TzTitleBar::DoOnChange()
{
    Q_EMIT OnChange();
}

bool TzTitleBar::StartSystemMove()
{
    QWindow *w = FForm ? FForm->windowHandle() : nullptr;
    return w && w->startSystemMove();
}

bool TzTitleBar::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == FForm && e->type() == QEvent::MouseButtonPress && AllowMoveWhitoutTitle &&
        !FCaptionShown && static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton)
        return StartSystemMove();
    return QObject::eventFilter(watched, e);
}
