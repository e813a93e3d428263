// The application wrapper of the Mystd widget unit: the application's
// settings and events on a form, one running copy, the start state, and
// system information.
#pragma once

#include "platform/vcl/Colors.h"
#include "widgets/MystdHintSettings.h"
#include "widgets/ZhelperVersion.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

namespace win {
class InstanceLock;
}

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
    vcl::TColor HintColor() const { return FHintColor; }
    // The tool tips' background.
    void SetHintColor(vcl::TColor value);
    bool ShowHint() const;
    void SetShowHint(bool value);
    // Kept for the program; there is no help system and no hint delay to set.
    QString HelpFile;
    QString Hint;
    int HintPause = 500;
    int HintHidePause = 2500;
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

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    vcl::TColor FHintColor = vcl::clInfoBk;
    bool FTerminated = false;
    QPointer<QWidget> FWatchedMain;
};

TApplication &Application();

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

    // Throws EComponentError "NoForm" when the owner has no form.
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
    // button, and the single-instance check.
    void Loaded();
    bool IsSecondInstance() const { return FIsSecondInstance; }

    // The end-of-session question, and the session's end.
    bool QueryEndSession();
    void EndSession();
    // A later copy announced itself.
    void AnotherInstance();

protected:
    // The start-up show command; a stand-in on Linux.
    virtual int StartupShowCommand() const;
    // Where the instance lock lies; empty for the runtime directory.
    virtual QString InstanceDirectory() const { return {}; }

private:
    bool formIsMainForm() const;
    void tempRestore();
    QString instanceMessage() const;

    QPointer<QWidget> FForm;
    TzShortDateFormat FShortDate = sdfDontTouch;
    QString FSavedShortDate;
    int FCPUType = 0;
    QStringList FEnvironmentLines;
    bool FIsSecondInstance = false;
    bool FSessionEnding = false;
    TNotifyEvent FSavedOnRestore;
    std::unique_ptr<win::InstanceLock> FLock;
};
