// The service tools' menu items: each opens its tool window modally.
#include "main/MainUnit.h"

#include "main/ToolWindows.h"

namespace {

void Launch(const ToolLauncher &launcher, QWidget *owner)
{
    if (launcher)
        launcher(owner);
}

// A tool that talks to the unit gets the link to itself: a keypad run that
// goes on would put switching frames into its exchange (into the
// calibration mode, say), so the run stops as the window opens.
void LaunchLinkTool(const ToolLauncher &launcher, TMainForm &form)
{
    if (!launcher)
        return;
    form.StopKeypadRun();
    launcher(&form);
}

} // namespace

void TMainForm::PingTest1Click()
{
    LaunchLinkTool(ToolLaunchers.Ping, *this);
}

void TMainForm::Systemsetup1Click()
{
    LaunchLinkTool(ToolLaunchers.SystemSetup, *this);
}

void TMainForm::Calibration1Click()
{
    LaunchLinkTool(ToolLaunchers.Calibration, *this);
}

void TMainForm::Runtimeerror1Click()
{
    LaunchLinkTool(ToolLaunchers.RunTimeError, *this);
}

void TMainForm::EepromClick()
{
    LaunchLinkTool(ToolLaunchers.EEPROM, *this);
}

void TMainForm::Firmware1Click()
{
    if (!ToolLaunchers.Firmware)
        return;
    // The update owns the link while its window is open.
    PauseStatusPolling();
    // The clicks waiting behind a keypad run go out before the update takes the link.
    StopKeypadRun();
    FirmwareWindowOpen = 1;
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
    LaunchLinkTool(ToolLaunchers.FIA, *this);
    ResumeStatusPolling();
}

void TMainForm::About1Click()
{
    Launch(ToolLaunchers.About, this);
}
