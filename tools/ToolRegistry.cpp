#include "tools/ToolRegistry.h"

#include "main/ToolWindows.h"
#include "tools/About.h"
#include "tools/PingUnit.h"
#include "tools/SystemSetup.h"
#include "tools/CalibrationUnit.h"
#include "tools/FIA_Unit.h"
#include "tools/RuntimeErrorUnit.h"
#include "tools/EEPROM.h"
#include "tools/FirmwareUnit.h"

void RegisterToolWindows()
{
    // Each tool adds its launcher here.
    ToolLaunchers.Ping = LaunchPingForm;
    ToolLaunchers.SystemSetup = LaunchSystemSetupForm;
    ToolLaunchers.About = LaunchAboutForm;
    ToolLaunchers.Calibration = LaunchCalibration;
    ToolLaunchers.FIA = &TFIA_Form::Launch;
    ToolLaunchers.RunTimeError = LaunchRunTimeErrorForm;
    ToolLaunchers.EEPROM = LaunchEEPROMForm;
    ToolLaunchers.Firmware = LaunchFirmware;
}
