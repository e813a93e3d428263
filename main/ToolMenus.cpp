// The service tools' menu items: each opens its tool window modally.
#include "main/MainUnit.h"

#include "main/ToolWindows.h"

namespace {

void Launch(const ToolLauncher &launcher, QWidget *owner)
{
    if (launcher)
        launcher(owner);
}

} // namespace

void TMainForm::PingTest1Click()
{
    Launch(ToolLaunchers.Ping, this);
}

void TMainForm::Systemsetup1Click()
{
    Launch(ToolLaunchers.SystemSetup, this);
}

void TMainForm::Calibration1Click()
{
    Launch(ToolLaunchers.Calibration, this);
}

void TMainForm::Runtimeerror1Click()
{
    Launch(ToolLaunchers.RunTimeError, this);
}

void TMainForm::EepromClick()
{
    Launch(ToolLaunchers.EEPROM, this);
}

void TMainForm::Firmware1Click()
{
    if (!ToolLaunchers.Firmware)
        return;
    // The update owns the link while its window is open.
    PauseStatusPolling();
    FirmwareWindowOpen = 1;
    StopKeypadRun();
    ClearLiveView();
    ToolLaunchers.Firmware(this);
    FirmwareWindowOpen = 0;
    ResumeStatusPolling();
}

void TMainForm::FIAClick()
{
    if (!ToolLaunchers.FIA)
        return;
    PauseStatusPolling();
    ToolLaunchers.FIA(this);
    ResumeStatusPolling();
}

void TMainForm::About1Click()
{
    Launch(ToolLaunchers.About, this);
}
