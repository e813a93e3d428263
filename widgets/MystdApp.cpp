#include "widgets/MystdApp.h"

#include "platform/vcl/Dialogs.h"
#include "platform/win/SingleInstance.h"
#include "platform/win/SystemInfo.h"
#include "widgets/MystdForms.h"
#include "widgets/MystdHint.h"
#include "widgets/MystdProbe.h"
#include "widgets/zAnimateBitmapControls.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QProxyStyle>
#include <QSessionManager>
#include <QStatusTipEvent>
#include <QStyleFactory>
#include <QToolTip>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <vector>

namespace widgets {

namespace {

// The application's style with the hint pause as the tool tips' delay.
class HintDelayStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            if (TApplication *app = ExistingApplication())
                return app->HintPause();
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QPointer<TApplication> &theApplication()
{
    static QPointer<TApplication> app;
    return app;
}

} // namespace

TApplication::TApplication() : QObject(qApp)
{
    ShowToolTip = [](QPoint pos, const QString &text, QWidget *w, int msecDisplayTime) {
        QToolTip::showText(pos, text, w, {}, msecDisplayTime);
    };
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        const TNotifyEvent &e = s == Qt::ApplicationActive ? OnActivate : OnDeActivate;
        if (e && (s == Qt::ApplicationActive || s == Qt::ApplicationInactive))
            e(this);
    });
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (OnActiveControlChange)
            OnActiveControlChange(this);
    });
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] {
        if (OnActiveFormChange)
            OnActiveFormChange(this);
    });
    if (QAbstractEventDispatcher *d = QAbstractEventDispatcher::instance())
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            bool done = true;
            if (OnIdle)
                OnIdle(this, done);
        });
    qApp->installEventFilter(this);
}

QString TApplication::Title() const
{
    return QGuiApplication::applicationDisplayName();
}

void TApplication::SetTitle(const QString &value)
{
    QGuiApplication::setApplicationDisplayName(value);
}

QIcon TApplication::Icon() const
{
    return QApplication::windowIcon();
}

void TApplication::SetIcon(const QIcon &value)
{
    QApplication::setWindowIcon(value);
}

vcl::TColor TApplication::HintColor() const
{
    return ApplicationHintColor();
}

void TApplication::SetHintColor(vcl::TColor value)
{
    SetApplicationHintColor(value);
    QPalette p = QToolTip::palette();
    p.setColor(QPalette::ToolTipBase, vcl::ToQColor(value));
    QToolTip::setPalette(p);
}

bool TApplication::ShowHint() const
{
    return ApplicationShowHint();
}

void TApplication::SetShowHint(bool value)
{
    SetApplicationShowHint(value);
}

void TApplication::SetHint(const QString &value)
{
    if (FHint == value)
        return;
    FHint = value;
    if (OnHint)
        OnHint(this);
}

void TApplication::SetHintPause(int value)
{
    FHintPause = value;
    // The delay is the style's to say; a style of our own is put in only once
    // a program sets it, so programs that never do keep theirs untouched.
    if (!FStyleInstalled && qobject_cast<QApplication *>(QCoreApplication::instance())) {
        FStyleInstalled = true;
        QApplication::setStyle(
            new HintDelayStyle(QStyleFactory::create(QApplication::style()->name())));
    }
}

void TApplication::Terminate()
{
    FTerminated = true;
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

int TApplication::Run()
{
    if (FTerminated)
        return 0;
    if (QWidget *main = ApplicationMainForm(); main && ShowMainForm)
        main->show();
    return QCoreApplication::exec();
}

void TApplication::HandleException(QObject *sender, const std::exception &e)
{
    if (OnExecption) {
        OnExecption(sender, e);
        return;
    }
    const QString text = QString::fromLocal8Bit(e.what());
    vcl::PostMessageBox(text.isEmpty() ? QStringLiteral("Unexpected error") : text, Title(),
                        vcl::MsgType::Error, vcl::MsgButton::Ok);
}

bool TApplication::HelpCommand(std::uint16_t command, int data)
{
    bool callHelp = true;
    return OnHelp ? OnHelp(command, data, callHelp) : false;
}

bool TApplication::HelpContext(int context)
{
    constexpr std::uint16_t helpContext = 1;
    return HelpCommand(helpContext, context);
}

bool TApplication::AllowShowHint(QString &hint)
{
    bool canShow = true;
    if (OnShowHint)
        OnShowHint(hint, canShow);
    return canShow;
}

int TApplication::HintShowTime(const QWidget &w) const
{
    return w.toolTipDuration() > 0 ? w.toolTipDuration() : FHintHidePause;
}

bool TApplication::toolTip(QWidget *w, QHelpEvent *e)
{
    QString hint = w->toolTip();
    if (hint.isEmpty())
        return false; // the parent's hint, if any, comes next
    if (!AllowShowHint(hint)) {
        QToolTip::hideText();
        return true;
    }
    const int duration = HintShowTime(*w);
    if (ShowToolTip)
        ShowToolTip(e->globalPos(), hint, w, duration);
    return true;
}

bool TApplication::eventFilter(QObject *watched, QEvent *e)
{
    if (OnMessage) {
        bool handled = false;
        OnMessage(e, handled);
        if (handled)
            return true;
    }
    switch (e->type()) {
    case QEvent::ToolTip:
        // Once a hint component is loaded, its window shows the hints.
        if (auto *w = qobject_cast<QWidget *>(watched); w && !HintWindowTakesHints())
            return toolTip(w, static_cast<QHelpEvent *>(e));
        break;
    case QEvent::StatusTip:
        SetHint(static_cast<QStatusTipEvent *>(e)->tip());
        break;
    case QEvent::KeyPress: {
        // A key reaches the window only when no control took it.
        const auto *key = static_cast<QKeyEvent *>(e);
        auto *w = qobject_cast<QWidget *>(watched);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier && w && w->isWindow())
            HelpContext(0);
        break;
    }
    default:
        break;
    }
    if (e->type() == QEvent::WindowStateChange && watched == ApplicationMainForm()) {
        const auto *change = static_cast<QWindowStateChangeEvent *>(e);
        const bool now = static_cast<QWidget *>(watched)->isMinimized();
        const bool was = change->oldState() & Qt::WindowMinimized;
        // A copy, as a handler may put another in its place while it runs.
        const TNotifyEvent handler = now && !was ? OnMinimize : !now && was ? OnRestore : nullptr;
        if (handler)
            handler(this);
    }
    return QObject::eventFilter(watched, e);
}

TApplication &Application()
{
    QPointer<TApplication> &app = theApplication();
    if (!app)
        app = new TApplication;
    return *app;
}

TApplication *ExistingApplication()
{
    return theApplication();
}

TApplicationHost::TApplicationHost(int &argc, char **argv) : QApplication(argc, argv) {}

bool TApplicationHost::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        Application().HandleException(receiver, e);
    } catch (...) {
        Application().HandleException(receiver, std::runtime_error("Unexpected error"));
    }
    return false;
}

namespace {
QString &shortDate()
{
    static QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    return format;
}
} // namespace

QString ShortDateFormat()
{
    return shortDate();
}

void SetShortDateFormat(const QString &format)
{
    shortDate() = format;
}

QString RewriteShortDate(const QString &format, TzShortDateFormat style)
{
    QString out = format;
    if (style == sdf4DigitYear) {
        const qsizetype first = out.indexOf(u'y');
        if (first < 0)
            return out;
        qsizetype run = 0;
        while (first + run < out.size() && out[first + run] == u'y')
            ++run;
        if (run < 4)
            out.insert(first, QString(4 - run, u'y'));
    } else if (style == sdf2DigitYear) {
        for (qsizetype at = out.indexOf(QStringLiteral("yyy")); at >= 0;
             at = out.indexOf(QStringLiteral("yyy")))
            out.remove(at, 1);
    }
    return out;
}

QString TrimTempDir(const QString &path)
{
    QString out = path;
    while (out.size() > 1 && out.endsWith(u'/'))
        out.chop(1);
    return out;
}

QString CpuString(bool cpuIdPresent, int family, int model, int type, const QString &vendor)
{
    if (!cpuIdPresent) {
        const QString name = Mystd::CpuFamilyNames[family];
        return name.isEmpty() ? QStringLiteral("P%1").arg(family) : name;
    }
    const bool amd = vendor == QLatin1StringView("AuthenticAMD");
    const bool cyrix = vendor == QLatin1StringView("CyrixInstead");
    const QString overdrive = type == 1 ? QStringLiteral(" Overdrive") : QString();
    switch (family) {
    case 4: {
        if (amd)
            return QStringLiteral("AMD Am486/Am5x86");
        if (cyrix)
            return QStringLiteral("Cyrix MediaGX");
        static const char *const models[] = {
            " DX", " DX", " SX", " DX2", " SL", " SX2", "", " DX2 WriteBack", " DX4"};
        const char *m = model >= 0 && model < 9 ? models[model] : "";
        return QStringLiteral("80486") + overdrive + QLatin1StringView(m);
    }
    case 5: {
        if (amd)
            return QStringLiteral("AMD K5/K6");
        if (cyrix)
            return model == 4 ? QStringLiteral("Cyrix Gxm") : QStringLiteral("Cyrix 6x86");
        const char *m = model == 1   ? " 60/66 MHz"
                        : model == 2 ? " 75-200 MHz"
                        : model == 4 ? " MMX 166/200 MHz"
                                     : "";
        return QStringLiteral("Pentium") + overdrive + QLatin1StringView(m);
    }
    case 6: {
        if (cyrix)
            return QStringLiteral("Cyrix 6x86MX");
        const char *m = model == 1   ? "Intel Pentium pro"
                        : model == 3 ? "Intel Pentium II"
                        : model == 5 ? "Intel P6 (Model 5)"
                        : model == 6 ? "Intel Celeron (Model 6)"
                                     : "Intel Pentium P6";
        return QLatin1StringView(m) + overdrive;
    }
    default:
        return {};
    }
}

QString WindowsString(WTypes kind, unsigned major, unsigned minor, unsigned build)
{
    switch (kind) {
    case z_Windows:
        return QStringLiteral("Windows %1.%2").arg(major).arg(minor);
    case z_WFW:
        return QStringLiteral("Windows for Workgroups %1.%2").arg(major).arg(minor);
    case z_Win32S:
        return QStringLiteral("Win32S %1.%2 (Build: %3)").arg(major).arg(minor).arg(build);
    case z_NT:
        return QStringLiteral("Windows NT %1.%2 (Build: %3)").arg(major).arg(minor).arg(build);
    case z_95:
        return QStringLiteral("Windows'95 %1.%2 (Build: %3)").arg(major).arg(minor).arg(build);
    }
    return {};
}

Qt::WindowState StartWindowState(int showCommand)
{
    switch (showCommand) {
    case 2:
    case 6:
    case 7:
        return Qt::WindowMinimized;
    case 3:
        return Qt::WindowMaximized;
    default:
        return Qt::WindowNoState;
    }
}

} // namespace widgets

using widgets::Application;

namespace {

// The instance locks this process took: held until it ends, whatever
// becomes of the components that took them.
win::InstanceLock *keepForTheProcess(std::unique_ptr<win::InstanceLock> lock)
{
    // Never freed, like the process's hold on the lock.
    static auto *const kept = new std::vector<std::unique_ptr<win::InstanceLock>>;
    // No message is delivered once the application has gone: its sockets go
    // with it, so that a copy that ended leaves no file behind.
    if (kept->empty())
        qAddPostRoutine([] {
            for (const auto &held : *kept)
                held->StopListening();
        });
    kept->push_back(std::move(lock));
    return kept->back().get();
}

} // namespace

TzShowApp::TzShowApp(QObject *owner) : QObject(owner)
{
    Application().ShowMainForm = true;
    FCPUType = Mystd::CpuID();
    FSavedShortDate = widgets::ShortDateFormat();
    UpdateEnvironment();
#if QT_CONFIG(sessionmanager)
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        if (!formIsMainForm())
            return;
        if (QueryEndSession())
            FSessionEnding = true;
        else
            manager.cancel();
    });
#endif
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (FSessionEnding && formIsMainForm())
            EndSession();
    });
}

TzShowApp::~TzShowApp() = default;

QWidget *TzShowApp::form() const
{
    return widgets::FindForm(this);
}

QWidget *TzShowApp::formIfAny() const
{
    try {
        return form();
    } catch (const EComponentError &) {
        return nullptr;
    }
}

bool TzShowApp::formIsMainForm() const
{
    QWidget *main = widgets::ApplicationMainForm();
    return main && formIfAny() == main;
}

void TzShowApp::SetShortDate(TzShortDateFormat value)
{
    FShortDate = value;
    widgets::SetShortDateFormat(value == sdfDontTouch
                                    ? FSavedShortDate
                                    : widgets::RewriteShortDate(widgets::ShortDateFormat(), value));
}

QString TzShowApp::HelpFile() const
{
    return Application().HelpFile;
}
void TzShowApp::SetHelpFile(const QString &v)
{
    Application().HelpFile = v;
}
QString TzShowApp::Hint() const
{
    return Application().Hint();
}
void TzShowApp::SetHint(const QString &v)
{
    Application().SetHint(v);
}
vcl::TColor TzShowApp::HintColor() const
{
    return Application().HintColor();
}
void TzShowApp::SetHintColor(vcl::TColor v)
{
    Application().SetHintColor(v);
}
int TzShowApp::HintPause() const
{
    return Application().HintPause();
}
void TzShowApp::SetHintPause(int v)
{
    Application().SetHintPause(v);
}
int TzShowApp::HintHidePause() const
{
    return Application().HintHidePause();
}
void TzShowApp::SetHintHidePause(int v)
{
    Application().SetHintHidePause(v);
}
bool TzShowApp::ShowMainForm() const
{
    return Application().ShowMainForm;
}
void TzShowApp::SetShowMainForm(bool v)
{
    Application().ShowMainForm = v;
}
QIcon TzShowApp::Icon() const
{
    return Application().Icon();
}
void TzShowApp::SetIcon(const QIcon &v)
{
    Application().SetIcon(v);
}
bool TzShowApp::ShowHint() const
{
    return Application().ShowHint();
}
void TzShowApp::SetShowHint(bool v)
{
    Application().SetShowHint(v);
}
QString TzShowApp::Title() const
{
    return Application().Title();
}
void TzShowApp::SetTitle(const QString &v)
{
    Application().SetTitle(v);
}
void TzShowApp::SetOnActivate(TNotifyEvent e)
{
    Application().OnActivate = std::move(e);
}
void TzShowApp::SetOnDeActivate(TNotifyEvent e)
{
    Application().OnDeActivate = std::move(e);
}
void TzShowApp::SetOnHint(TNotifyEvent e)
{
    Application().OnHint = std::move(e);
}
void TzShowApp::SetOnMinimize(TNotifyEvent e)
{
    Application().OnMinimize = std::move(e);
}
void TzShowApp::SetOnRestore(TNotifyEvent e)
{
    Application().OnRestore = std::move(e);
}
void TzShowApp::SetOnExecption(std::function<void(QObject *, const std::exception &)> e)
{
    Application().OnExecption = std::move(e);
}
void TzShowApp::SetOnHelp(std::function<bool(std::uint16_t, int, bool &)> e)
{
    Application().OnHelp = std::move(e);
}
void TzShowApp::SetOnIdle(std::function<void(QObject *, bool &)> e)
{
    Application().OnIdle = std::move(e);
}
void TzShowApp::SetOnMessage(std::function<void(QEvent *, bool &)> e)
{
    Application().OnMessage = std::move(e);
}
void TzShowApp::SetOnShowHint(std::function<void(QString &, bool &)> e)
{
    Application().OnShowHint = std::move(e);
}
void TzShowApp::SetOnActiveControlChange(TNotifyEvent e)
{
    Application().OnActiveControlChange = std::move(e);
}
void TzShowApp::SetOnActiveFormChange(TNotifyEvent e)
{
    Application().OnActiveFormChange = std::move(e);
}

int TzShowApp::BitsPerColor() const
{
    const TzDesktop desktop;
    return desktop.Depth();
}

long double TzShowApp::NumberOfColors() const
{
    const int bits = BitsPerColor();
    return bits < 25 ? static_cast<long double>(1u << bits) : std::pow(2.0L, bits);
}

QString TzShowApp::WinDir() const
{
    return win::GetWindowsDirectory();
}
QString TzShowApp::SystemDir() const
{
    return win::GetSystemDirectory();
}
QString TzShowApp::TempDir() const
{
    return widgets::TrimTempDir(win::GetTempPath());
}
WTypes TzShowApp::WindowKind() const
{
    return Zhelper::WindowsType();
}
int TzShowApp::WinVerMajor() const
{
    return int(Zhelper::MajorVersion());
}
int TzShowApp::WinVerMinor() const
{
    return int(Zhelper::MinorVersion());
}
int TzShowApp::WinVerBuild() const
{
    return int(Zhelper::BuildVersion());
}

QString TzShowApp::WindowsString() const
{
    return widgets::WindowsString(Zhelper::WindowsType(), Zhelper::MajorVersion(),
                                  Zhelper::MinorVersion(), Zhelper::BuildVersion());
}

QString TzShowApp::CPUString() const
{
    const std::uint32_t signature = Mystd::Processor().CpuSignature[0];
    return widgets::CpuString(Mystd::Processor().CpuIdPresent, FCPUType,
                              int((signature >> 4) & 0xF), int((signature >> 12) & 0x3),
                              Mystd::CpuVendor());
}

QString TzShowApp::CPUVendor() const
{
    return Mystd::CpuVendor();
}
bool TzShowApp::CPUMMX() const
{
    return Mystd::CpuMMX();
}
int TzShowApp::CPUStepping() const
{
    return Mystd::CpuStepping();
}
int TzShowApp::CPUModel() const
{
    return Mystd::CpuModel();
}
int TzShowApp::CPUSpeed() const
{
    return Mystd::CpuSpeed();
}
QString TzShowApp::ComputerName() const
{
    return win::GetComputerName();
}
QString TzShowApp::UserName() const
{
    return win::GetUserName();
}

QString TzShowApp::IPHostName() const
{
    if (!EnabledHostInfo)
        return QStringLiteral("-Unknown-");
    QString name, address;
    win::GetHostInfo(name, address);
    return name;
}

QString TzShowApp::IPHostAddress() const
{
    if (!EnabledHostInfo)
        return QStringLiteral("-Unknown-");
    QString name, address;
    win::GetHostInfo(name, address);
    return address;
}

QString TzShowApp::GetEnvironmentString(const QString &name) const
{
    const QString prefix = name + u'=';
    for (const QString &line : FEnvironmentLines)
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return {};
}

bool TzShowApp::SetEnvironmentString(const QString &name, const QString &value)
{
    const bool ok = win::SetEnvironmentVariable(name, value);
    UpdateEnvironment();
    return ok;
}

void TzShowApp::UpdateEnvironment()
{
    FEnvironmentLines = win::GetEnvironmentStrings();
}

int TzShowApp::StartupShowCommand() const
{
    return win::StartupShowCommand();
}

QString TzShowApp::instanceMessage() const
{
    return QCoreApplication::applicationFilePath() + QStringLiteral("_Afslut");
}

void TzShowApp::Loaded()
{
    widgets::TApplication &app = Application();
    if (UseCmdShow) {
        const Qt::WindowState state = widgets::StartWindowState(StartupShowCommand());
        form()->setWindowState(state);
        if (state == Qt::WindowMinimized) {
            FSavedOnRestore = app.OnRestore;
            app.OnRestore = [this](QObject *) { tempRestore(); };
            app.ShowMainForm = false;
            // The application minimised: with no window of its own, the form
            // waits minimised in the task bar, so that the user can restore it.
            form()->showMinimized();
        }
    }
    FCPUType = Mystd::CpuID();
    UpdateEnvironment();
    if (!ShowOnStatusBar) {
        // A tool window gets no task-bar button (nor an entry in the window
        // switcher, which is all ShowNonOnStatusBar adds; it never puts the
        // form above other windows).
        QWidget *f = form();
        const bool visible = f->isVisible();
        // A tool window would no longer end the program when it closes.
        const bool quitOnClose = f->testAttribute(Qt::WA_QuitOnClose);
        f->setWindowFlag(Qt::Tool, true);
        f->setAttribute(Qt::WA_QuitOnClose, quitOnClose);
        if (visible)
            f->show();
    }

    auto lock = std::make_unique<win::InstanceLock>(QCoreApplication::applicationFilePath(),
                                                    InstanceDirectory());
    if (!lock->Acquire()) {
        FIsSecondInstance = OnlyOneInstance;
    } else {
        win::InstanceLock *held = keepForTheProcess(std::move(lock));
        if (OnlyOneInstance) {
            const QPointer<TzShowApp> self(this);
            held->Listen([self](const QString &message) {
                if (self && message == self->instanceMessage())
                    self->AnotherInstance();
            });
        }
    }
    if (!FIsSecondInstance)
        return;
    if (QWidget *f = formIfAny())
        f->move(-(f->width() + 10), f->y());
    bool bringToFront = true;
    if (OnSecondInstance)
        OnSecondInstance(*this, bringToFront);
    if (bringToFront)
        win::InstanceLock(QCoreApplication::applicationFilePath(), InstanceDirectory())
            .Send(instanceMessage());
    app.Terminate();
}

void TzShowApp::tempRestore()
{
    widgets::TApplication &app = Application();
    app.ShowMainForm = true;
    if (QWidget *f = formIfAny()) {
        f->showNormal();
        f->show();
    }
    app.OnRestore = FSavedOnRestore;
}

void TzShowApp::AnotherInstance()
{
    if (!OnlyOneInstance || FIsSecondInstance)
        return;
    if (OnAnotherInstance)
        OnAnotherInstance(this);
    if (!formIsMainForm())
        return;
    QWidget *top = form()->window();
    const auto front = [](QWidget *w) {
        if (w->isMinimized())
            w->showNormal();
        w->raise();
        w->activateWindow();
    };
    front(top);
    QWidget *popup = QApplication::activeModalWidget();
    if (popup && popup != top)
        front(popup);
}

bool TzShowApp::QueryEndSession()
{
    bool doEnd = true;
    if (formIsMainForm() && OnAskEndSession)
        OnAskEndSession(doEnd);
    return doEnd;
}

void TzShowApp::EndSession()
{
    if (formIsMainForm() && OnEndSession)
        OnEndSession();
}
