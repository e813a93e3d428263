#include "widgets/MystdHint.h"

#include "widgets/Canvas.h"
#include "widgets/MystdApp.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QImage>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <utility>

using Mystd::HintSettings;

namespace widgets {

namespace {

bool showHint = true;
vcl::TColor hintColor = vcl::clInfoBk;

int margin(bool use3D)
{
    return use3D ? 6 : 4;
}

unsigned textFlags()
{
    return dtNoPrefix | (HintSettings().MultiLine ? unsigned(dtWordBreak) : 0u);
}

} // namespace

bool ApplicationShowHint()
{
    return showHint;
}

void SetApplicationShowHint(bool value)
{
    showHint = value;
}

vcl::TColor ApplicationHintColor()
{
    return hintColor;
}

void SetApplicationHintColor(vcl::TColor value)
{
    hintColor = value;
}

int HintTextWidth(int screenWidth, int partOfScreen, bool use3D)
{
    return screenWidth / std::clamp(partOfScreen, 1, 10) - 2 * margin(use3D);
}

QPoint HintPlacement(QPoint anchor, QSize size, TzHintPos position, const QRect &screen)
{
    int x = anchor.x() - screen.x(), y = anchor.y() - screen.y();
    const int w = size.width(), h = size.height();
    switch (position) {
    case hpLeftAbove:
        x -= w + 4, y -= h + 4;
        break;
    case hpLeftUnder:
        x -= w + 4, y += 24;
        break;
    case hpRightAbove:
        x += 4, y -= h + 4;
        break;
    case hpRightUnder:
        x += 4, y += 24;
        break;
    case hpNormal:
        break;
    }
    if (y + h + 8 > screen.height())
        y = screen.height() - h - 8;
    if (x + w + 8 > screen.width())
        x = screen.width() - w - 8;
    return screen.topLeft() + QPoint(std::max(x, 8), std::max(y, 8));
}

} // namespace widgets

namespace {

QPointer<TzHintWindow> &currentWindow()
{
    static QPointer<TzHintWindow> window;
    return window;
}

// Which TzHint installed each shared event, so that its going drops them.
QPointer<TzHint> &paintOwner()
{
    static QPointer<TzHint> owner;
    return owner;
}

QPointer<TzHint> &showOwner()
{
    static QPointer<TzHint> owner;
    return owner;
}

// How long a hint stays when the application leaves it to the text: as long
// as a plain tool tip of that text stays.
int HintShowTimeOfText(const QString &hint)
{
    return 10000 + 40 * std::max(0, int(hint.size()) - 100);
}

// Takes the program's tool tips and shows them in the hint window; hides the
// hint when the hint window says so, and once the application's hint hide
// pause has passed, as the plain tool tips go.
class HintFilter : public QObject
{
public:
    explicit HintFilter(QObject *parent) : QObject(parent)
    {
        m_hide.setSingleShot(true);
        connect(&m_hide, &QTimer::timeout, this, [] {
            if (TzHintWindow *window = currentWindow())
                window->hide();
        });
    }

    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::ToolTip) {
            auto *w = qobject_cast<QWidget *>(watched);
            if (!w)
                return false;
            if (!widgets::ApplicationShowHint())
                return true;
            QString hint = w->toolTip();
            if (hint.isEmpty())
                return false; // the parent's hint, if any, comes next
            if (widgets::TApplication *app = widgets::ExistingApplication())
                if (!app->AllowShowHint(hint))
                    return true;
            if (!currentWindow())
                currentWindow() = new TzHintWindow;
            const QPoint at = static_cast<QHelpEvent *>(e)->globalPos();
            // The class library proposes the place under the pointer.
            currentWindow()->ActivateHint(QRect(at + QPoint(0, 20), QSize(1, 1)), hint);
            if (currentWindow() && currentWindow()->isVisible()) {
                const widgets::TApplication *app = widgets::ExistingApplication();
                const int stay = app ? app->HintShowTime(*w) : 2500;
                m_hide.start(stay > 0 ? stay : HintShowTimeOfText(hint));
            }
            return true;
        }
        TzHintWindow *window = currentWindow();
        if (window && window->isVisible() && watched != window) {
            // A move reaches the window first and may then pass on through
            // several widgets: count it once, at the window.
            const bool counted = e->type() != QEvent::MouseMove || watched->isWindowType();
            if (counted && window->IsHintMsg(e))
                window->hide();
        }
        return false;
    }

private:
    QTimer m_hide;
};

QPointer<HintFilter> &filter()
{
    static QPointer<HintFilter> f;
    return f;
}

} // namespace

bool widgets::HintWindowTakesHints()
{
    return filter() != nullptr;
}

TzHintWindow::TzHintWindow(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_DeleteOnClose);
}

void TzHintWindow::ActivateHint(const QRect &rect, const QString &hint)
{
    THintSettings &s = HintSettings();
    bool showHint = true;
    if (s.OnHintShow)
        s.OnHintShow(this, showHint);
    if (!showHint)
        return;
    FMoveCount = 0;
    const QPoint pointer = QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(pointer);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const int m = s.Use3D ? 6 : 4;

    QImage scratch(1, 1, QImage::Format_RGB32);
    widgets::TCanvas canvas(&scratch);
    canvas.Font = widgets::TFont(s.Font.ToQFont(), s.Font.Color);
    const widgets::TRect room{
        m, m, m + widgets::HintTextWidth(area.width(), s.PartOfScreen, s.Use3D), -m};
    const widgets::TRect text = canvas.CalcTextRect(hint, room, widgets::textFlags());
    FCaption = hint;
    const QSize size(text.Width() + 2 * m, text.Height() + 2 * m);
    const QPoint anchor = s.HintPosition == hpNormal ? rect.topLeft() : pointer;
    setGeometry(QRect(widgets::HintPlacement(anchor, size, s.HintPosition, area), size));
    show();
    raise();
    update();
}

bool TzHintWindow::IsHintMsg(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        if (++FMoveCount > HintSettings().MoveBeforeOff) {
            FMoveCount = 0;
            return true;
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::ApplicationDeactivate:
        return true;
    default:
        return false;
    }
}

void TzHintWindow::paintEvent(QPaintEvent *)
{
    const THintSettings &s = HintSettings();
    widgets::TCanvas canvas(this);
    const int R = width(), B = height();
    canvas.Brush.Color = widgets::ApplicationHintColor();
    canvas.FillRect({0, 0, R, B});
    canvas.Pen.Color = vcl::clBlack;
    if (s.Use3D) {
        canvas.Polyline({{R - 1, 0}, {R - 1, B - 1}, {0, B - 1}});
        canvas.Pen.Color = s.ShadowColor;
        canvas.Polyline({{0, B - 1}, {0, 0}, {R - 1, 0}});
        canvas.Polyline({{R - 2, 1}, {R - 2, B - 2}, {0, B - 2}});
        canvas.Pen.Color = s.HighLightColor;
        canvas.Polyline({{1, B - 3}, {1, 1}, {R - 2, 1}});
    } else {
        canvas.Rectangle({0, 0, R, B});
    }
    const int m = s.Use3D ? 6 : 4;
    canvas.Font = widgets::TFont(s.Font.ToQFont(), s.Font.Color);
    canvas.Brush.Style = widgets::bsClear;
    canvas.DrawText(FCaption, {m, m, R - m, B - m}, widgets::textFlags());
    if (s.OnHintPaint)
        s.OnHintPaint(this);
}

TzHint::TzHint(QObject *owner) : QObject(owner)
{
    Mystd::ResetHintSettings();
}

TzHint::~TzHint()
{
    // The shared record outlives this component; events that call into its
    // owner must not.
    if (paintOwner() == this) {
        HintSettings().OnHintPaint = nullptr;
        paintOwner() = nullptr;
    }
    if (showOwner() == this) {
        HintSettings().OnHintShow = nullptr;
        showOwner() = nullptr;
    }
}

vcl::TColor TzHint::HighLightColor() const
{
    return HintSettings().HighLightColor;
}

vcl::TColor TzHint::ShadowColor() const
{
    return HintSettings().ShadowColor;
}

TzHintPos TzHint::HintPosition() const
{
    return HintSettings().HintPosition;
}

TzHintDiv TzHint::PartOfScreen() const
{
    return HintSettings().PartOfScreen;
}

TzMoveDist TzHint::MoveBeforeOff() const
{
    return HintSettings().MoveBeforeOff;
}

bool TzHint::MultiLine() const
{
    return HintSettings().MultiLine;
}

bool TzHint::Use3D() const
{
    return HintSettings().Use3D;
}

const THintFont &TzHint::Font() const
{
    return HintSettings().Font;
}

namespace {
template <typename T, typename V> void store(TzHint &hint, T &field, V value)
{
    if (field == T(value))
        return;
    field = T(value);
    hint.UpDate();
}
} // namespace

void TzHint::SetHighLightColor(vcl::TColor value)
{
    store(*this, HintSettings().HighLightColor, value);
}

void TzHint::SetShadowColor(vcl::TColor value)
{
    store(*this, HintSettings().ShadowColor, value);
}

void TzHint::SetHintPosition(TzHintPos value)
{
    store(*this, HintSettings().HintPosition, value);
}

void TzHint::SetPartOfScreen(int value)
{
    store(*this, HintSettings().PartOfScreen, std::clamp(value, 1, 10));
}

void TzHint::SetMoveBeforeOff(int value)
{
    store(*this, HintSettings().MoveBeforeOff, std::clamp(value, 2, 20));
}

void TzHint::SetMultiLine(bool value)
{
    store(*this, HintSettings().MultiLine, value);
}

void TzHint::SetUse3D(bool value)
{
    store(*this, HintSettings().Use3D, value);
}

void TzHint::SetFont(const THintFont &value)
{
    store(*this, HintSettings().Font, value);
}

void TzHint::SetOnHintPaint(TNotifyEvent event)
{
    HintSettings().OnHintPaint = std::move(event);
    paintOwner() = this;
    UpDate();
}

void TzHint::SetOnHintShow(THintShowEvent event)
{
    HintSettings().OnHintShow = std::move(event);
    showOwner() = this;
    UpDate();
}

void TzHint::Loaded()
{
    UpDate();
}

void TzHint::UpDate()
{
    if (!filter()) {
        filter() = new HintFilter(qApp);
        qApp->installEventFilter(filter());
    }
    // The next hint opens a fresh window with the new settings. The old one
    // is forgotten first: its destruction passes events through the filter,
    // which must no longer take it for the hint window.
    delete std::exchange(currentWindow(), nullptr).data();
}

TzHintWindow *TzHint::HintWindow()
{
    return currentWindow();
}
