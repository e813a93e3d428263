#include "app/AutoForms.h"

#include "config/WaitUnit.h"
#include "link/UsbSelectUnit.h"
#include "main/Login.h"
#include "main/LogUnit.h"
#include "main/MainUnit.h"
#include "main/ToolWindows.h"
#include "tools/About.h"
#include "tools/RuntimeErrorUnit.h"
#include "tools/ToolRegistry.h"

AutoForms::AutoForms(const QStringList &arguments, const QString &iniPath, d2xx::Driver &driver)
{
    Main = std::make_unique<TMainForm>(arguments, iniPath, driver);
    Log = std::make_unique<TLogForm>();
    LogForm = Log.get();
    Update = std::make_unique<TUpdateForm>(Main.get());
    Update->CancelTransfer = [] {
        if (MainForm)
            MainForm->CancelTransfer();
    };
    UpdateForm = Update.get();
    About = std::make_unique<TAboutForm>(Main.get());
    AboutForm = About.get();
    UsbSelect = std::make_unique<devlink::TUSB_SelectForm>(
        driver, [] { return MainForm ? MainForm->usb() : nullptr; },
        [](const QString &description) {
            if (MainForm)
                MainForm->Connect(description);
        },
        Main.get());
    devlink::USB_SelectForm = UsbSelect.get();
    // Hidden: it reads the log only when shown, which the menu's own window is.
    RunTimeError = std::make_unique<TRunTimeErrorForm>(Main.get());
    SetRunTimeErrorForm(RunTimeError.get());
    Login = std::make_unique<TLoginForm>(Main.get());
    LoginForm = Login.get();
    SetPassword = std::make_unique<TSetPasswordForm>(
        [](const std::uint8_t *frame, std::uint8_t count) {
            if (MainForm)
                MainForm->SendFrame(frame, count);
        },
        Main.get());
    SetPasswordForm = SetPassword.get();

    RegisterToolWindows();
    Main->AllFormsCreated();
}

AutoForms::~AutoForms()
{
    ToolLaunchers = ToolLauncherSet{};
    SetPasswordForm = nullptr;
    SetPassword.reset();
    LoginForm = nullptr;
    Login.reset();
    RunTimeError.reset(); // clears its global and slot while it holds them
    devlink::USB_SelectForm = nullptr;
    UsbSelect.reset();
    AboutForm = nullptr;
    About.reset();
    UpdateForm = nullptr;
    Update.reset();
    LogForm = nullptr;
    Main.reset();
    Log.reset();
}

void AutoForms::Show()
{
    Main->show();
    Log->FormCreate();
}
