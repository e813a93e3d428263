// The windows that exist for the whole run, created in their start-up order.
// Main thread only.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace d2xx {
class Driver;
}
namespace devlink {
class TUSB_SelectForm;
}
class TMainForm;
class TLogForm;
class TUpdateForm;
class TAboutForm;
class TRunTimeErrorForm;
class TLoginForm;
class TSetPasswordForm;

class AutoForms
{
public:
    // Creates the forms and sets their globals; then AllFormsCreated runs.
    AutoForms(const QStringList &arguments, const QString &iniPath, d2xx::Driver &driver);
    ~AutoForms();
    AutoForms(const AutoForms &) = delete;
    AutoForms &operator=(const AutoForms &) = delete;

    // Shows the main window and the trace window.
    void Show();

    std::unique_ptr<TMainForm> Main;
    std::unique_ptr<TLogForm> Log;
    std::unique_ptr<TUpdateForm> Update;
    std::unique_ptr<TAboutForm> About;
    std::unique_ptr<devlink::TUSB_SelectForm> UsbSelect;
    std::unique_ptr<TRunTimeErrorForm> RunTimeError;
    std::unique_ptr<TLoginForm> Login;
    std::unique_ptr<TSetPasswordForm> SetPassword;
};
