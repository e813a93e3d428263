#pragma once

#include <QFlags>
#include <QString>

#include <functional>

class QWidget;

namespace vcl {

enum class MsgType { Information, Warning, Error, Confirmation };

enum class MsgButton { None = 0x0, Ok = 0x1, Yes = 0x2, No = 0x4, Cancel = 0x8 };
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

// Shows one modal box and returns the button pressed (closing the box counts
// as Cancel, else No, else Ok, whichever the box has). `defaultButton` is the
// one Enter presses; None leaves the box's own choice, its first of Ok and
// Yes. Tests install one that answers without a person; the default one shows
// a QMessageBox at least as wide as its caption needs.
class DialogProvider
{
public:
    virtual ~DialogProvider() = default;
    virtual MsgButton show(QWidget *parent, MsgType type, const QString &caption,
                           const QString &text, MsgButtons buttons, MsgButton defaultButton) = 0;
};

// Installs `provider` (nullptr: the default one) and returns the one it
// replaces (nullptr when that was the default). The provider is not owned.
DialogProvider *setDialogProvider(DialogProvider *provider);
DialogProvider &dialogProvider();

// The boxes below are modal and run on the main thread only; frame and timer
// handlers that must not stop inside their work use the *Later forms.

// Information box captioned with the application's display name, button OK.
void ShowMessage(const QString &text, QWidget *parent = nullptr);
// Box captioned after its type ("Information", "Warning", "Error",
// "Confirmation") with the given buttons; returns the one pressed.
MsgButton MessageDlg(const QString &text, MsgType type, MsgButtons buttons,
                     QWidget *parent = nullptr, MsgButton defaultButton = MsgButton::None);
// Box with a caption of the caller's choice.
MsgButton MessageBox(const QString &text, const QString &caption, MsgType type, MsgButtons buttons,
                     QWidget *parent = nullptr, MsgButton defaultButton = MsgButton::None);

// The same boxes shown once the current event handler has returned to the
// main event loop; `answered`, when given, gets the button pressed. May be
// called from any thread (give no parent then); the box and `answered` run on
// the main thread. A parent destroyed in the meantime is replaced by none.
void ShowMessageLater(const QString &text, QWidget *parent = nullptr);
void PostMessageBox(const QString &text, const QString &caption, MsgType type, MsgButtons buttons,
                    QWidget *parent = nullptr, std::function<void(MsgButton)> answered = {});

// The caption MessageDlg gives a type.
QString MsgTypeCaption(MsgType type);

} // namespace vcl
