// The application wrapper of the Mystd widget unit: the application's
// settings and events on a form, one running copy, the start state, and
// system information.
#pragma once

#include "platform/vcl/Colors.h"
#include "widgets/MystdHintSettings.h"
#include "widgets/ZhelperVersion.h"

#include <QApplication>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <exception>
#include <functional>

class QHelpEvent;

enum TzShortDateFormat : std::uint8_t { sdfDontTouch, sdf4DigitYear, sdf2DigitYear };

namespace widgets {

// The program's application object as the widget library sees it: settings
// that map onto Qt, events Qt raises, and the request to end the program.
//
// Thread contract: main thread only.
class TApplication : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TApplication)

public:
    TApplication();

    QString Title() const;
    void SetTitle(const QString &value);
    QIcon Icon() const;
    void SetIcon(const QIcon &value);
    vcl::TColor HintColor() const;
    // The background of the tool tips and of the hint window.
    void SetHintColor(vcl::TColor value);
    bool ShowHint() const;
    void SetShowHint(bool value);
    // Kept for the program; there is no help system.
    QString HelpFile;
    // The long hint of the control under the mouse (its status tip); a
    // change raises OnHint.
    QString Hint() const { return FHint; }
    void SetHint(const QString &value);
    // Milliseconds before a tool tip shows and while it stays.
    int HintPause() const { return FHintPause; }
    void SetHintPause(int value);
    int HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int value) { FHintHidePause = value; }
    // Milliseconds the hint of `w` stays: its own tool-tip duration when it
    // has one, else HintHidePause; 0 or less leaves it to the text's length.
    int HintShowTime(const QWidget &w) const;
    // Whether Run() shows the main form.
    bool ShowMainForm = true;

    TNotifyEvent OnActivate;
    TNotifyEvent OnDeActivate;
    std::function<void(QObject *sender, const std::exception &e)> OnExecption;
    std::function<bool(std::uint16_t command, int data, bool &callHelp)> OnHelp;
    TNotifyEvent OnHint;
    std::function<void(QObject *sender, bool &done)> OnIdle;
    std::function<void(QEvent *msg, bool &handled)> OnMessage;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    std::function<void(QString &hintStr, bool &canShow)> OnShowHint;
    // Of the screen object.
    TNotifyEvent OnActiveControlChange;
    TNotifyEvent OnActiveFormChange;

    // Ends the program: the loop quits when it runs, and main() must not
    // start it when Terminated() is set already.
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Shows the main form when ShowMainForm is set and runs the message
    // loop; returns at once when the program has been terminated.
    int Run();

    // An exception that left an event handler: to OnExecption, or without
    // one shown to the user in a box opened after the handler.
    void HandleException(QObject *sender, const std::exception &e);
    // A request for help: OnHelp decides; false without it. F1 that no
    // control took asks for the help of context 0.
    bool HelpCommand(std::uint16_t command, int data);
    bool HelpContext(int context);
    // A hint about to show: OnShowHint may change its text or veto it.
    bool AllowShowHint(QString &hint);

    // Where tool tips are shown; the tests put a recorder here.
    std::function<void(QPoint pos, const QString &text, QWidget *w, int msecDisplayTime)>
        ShowToolTip;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    bool toolTip(QWidget *w, QHelpEvent *e);

    bool FTerminated = false;
    QString FHint;
    int FHintPause = 500;
    int FHintHidePause = 2500;
    bool FStyleInstalled = false;
    QPointer<QWidget> FWatchedMain;
};

TApplication &Application();
// The application object if one has been made, else null.
TApplication *ExistingApplication();

// The QApplication of a program built on the widget library: an exception
// that leaves an event handler goes to Application().HandleException and
// the message loop goes on.
class TApplicationHost : public QApplication
{
public:
    TApplicationHost(int &argc, char **argv);
    Q_DISABLE_COPY(TApplicationHost)

    bool notify(QObject *receiver, QEvent *event) override;
};

// The process-wide short date format (a QDate format such as "dd-MM-yy"),
// at first the system's. Main thread only.
QString ShortDateFormat();
void SetShortDateFormat(const QString &format);
// The format with its year lengthened to four digits or shortened to two;
// a format without a year, or with a longer run than asked to change, stays.
QString RewriteShortDate(const QString &format, TzShortDateFormat style);

// Trailing "/" taken off, but the root stays "/".
QString TrimTempDir(const QString &path);
// The name of a processor from its family, model, type and vendor.
QString CpuString(bool cpuIdPresent, int family, int model, int type, const QString &vendor);
QString WindowsString(WTypes kind, unsigned major, unsigned minor, unsigned build);
// A window state from the start-up show command.
Qt::WindowState StartWindowState(int showCommand);

} // namespace widgets

// Placed on a form: the application's settings and events as its own, one
// running copy of the program (OnlyOneInstance), the start state, and
// system information. Its actions on the whole application happen only when
// its form is the application's main form.
//
// Thread contract: main thread only.
class TzShowApp : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzShowApp)

public:
    using TAskEndSession = std::function<void(bool &doEnd)>;
    using TEndSession = std::function<void()>;
    using TOneInstance = std::function<void(TzShowApp &sender, bool &bringFirstInstanceToFront)>;

    // The form is looked for by the actions that need it (FindForm), not
    // here; those throw EComponentError "NoForm" when there is none.
    explicit TzShowApp(QObject *owner);
    ~TzShowApp() override;

    TzShortDateFormat ShortDate() const { return FShortDate; }
    void SetShortDate(TzShortDateFormat value);
    bool EnabledHostInfo = false;
    bool UseCmdShow = false;
    bool OnlyOneInstance = false;
    bool ShowOnStatusBar = true;
    bool ShowNonOnStatusBar = false;
    TAskEndSession OnAskEndSession;
    TEndSession OnEndSession;
    TOneInstance OnSecondInstance;
    TNotifyEvent OnAnotherInstance;

    // Forwarded to the application object.
    QString HelpFile() const;
    void SetHelpFile(const QString &v);
    QString Hint() const;
    void SetHint(const QString &v);
    vcl::TColor HintColor() const;
    void SetHintColor(vcl::TColor v);
    int HintPause() const;
    void SetHintPause(int v);
    int HintHidePause() const;
    void SetHintHidePause(int v);
    bool ShowMainForm() const;
    void SetShowMainForm(bool v);
    QIcon Icon() const;
    void SetIcon(const QIcon &v);
    bool ShowHint() const;
    void SetShowHint(bool v);
    QString Title() const;
    void SetTitle(const QString &v);
    void SetOnActivate(TNotifyEvent e);
    void SetOnDeActivate(TNotifyEvent e);
    void SetOnHint(TNotifyEvent e);
    void SetOnMinimize(TNotifyEvent e);
    void SetOnRestore(TNotifyEvent e);
    void SetOnExecption(std::function<void(QObject *, const std::exception &)> e);
    void SetOnHelp(std::function<bool(std::uint16_t, int, bool &)> e);
    void SetOnIdle(std::function<void(QObject *, bool &)> e);
    void SetOnMessage(std::function<void(QEvent *, bool &)> e);
    void SetOnShowHint(std::function<void(QString &, bool &)> e);
    void SetOnActiveControlChange(TNotifyEvent e);
    void SetOnActiveFormChange(TNotifyEvent e);

    // System information; read-only.
    int BitsPerColor() const;
    long double NumberOfColors() const;
    QString WinDir() const;
    QString SystemDir() const;
    QString TempDir() const;
    const QStringList &EnvironmentLines() const { return FEnvironmentLines; }
    WTypes WindowKind() const;
    int WinVerMajor() const;
    int WinVerMinor() const;
    int WinVerBuild() const;
    QString WindowsString() const;
    int CPUType() const { return FCPUType; }
    QString CPUString() const;
    QString CPUVendor() const;
    bool CPUMMX() const;
    int CPUStepping() const;
    int CPUModel() const;
    int CPUSpeed() const;
    QString ComputerName() const;
    QString UserName() const;
    QString IPHostName() const;
    QString IPHostAddress() const;

    QString GetEnvironmentString(const QString &name) const;
    // False when the system refuses; the list is read again either way.
    bool SetEnvironmentString(const QString &name, const QString &value);
    void UpdateEnvironment();

    // Start-up actions once the form is built: start state, task-bar
    // button, and the single-instance check. The first two need the form.
    // The instance lock taken here is held until the process ends.
    void Loaded();
    bool IsSecondInstance() const { return FIsSecondInstance; }

    // The end-of-session question, and the session's end. Only the main
    // form's component answers them: elsewhere the session may end (true)
    // and no event is called.
    bool QueryEndSession();
    void EndSession();
    // A later copy announced itself.
    void AnotherInstance();

protected:
    // The start-up show command; a stand-in on Linux.
    virtual int StartupShowCommand() const;
    // Where the instance lock and socket lie; empty for the user's own
    // directory of them (win::InstanceDirectory).
    virtual QString InstanceDirectory() const { return {}; }

private:
    // The owner's form, or EComponentError "NoForm".
    QWidget *form() const;
    // The same, or null; for the steps that must go on without one (a second
    // copy still ends, a restore still comes back).
    QWidget *formIfAny() const;
    bool formIsMainForm() const;
    void tempRestore();
    QString instanceMessage() const;

    TzShortDateFormat FShortDate = sdfDontTouch;
    QString FSavedShortDate;
    int FCPUType = 0;
    QStringList FEnvironmentLines;
    bool FIsSecondInstance = false;
    bool FSessionEnding = false;
    TNotifyEvent FSavedOnRestore;
};
