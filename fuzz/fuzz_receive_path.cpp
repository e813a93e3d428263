// The main window's receive path on any bytes from the unit, with every
// tool window open and a settings transfer in any of its steps: frames go
// through the decoder, the dispatcher and every frame handler, and bytes in
// bootloader mode to the firmware window, as the worker hands them over.
#include "fuzz/FuzzSupport.h"

#include "app/AutoForms.h"
#include "config/Transfer.h"
#include "config/UnitVersion.h"
#include "main/Login.h"
#include "main/MainUnit.h"
#include "main/ToolWindows.h"
#include "platform/vcl/TestDialogs.h"
#include "tests/support/FakeDriver.h"
#include "tools/CalibrationUnit.h"
#include "tools/EEPROM.h"
#include "tools/FIA_Unit.h"
#include "tools/FirmwareUnit.h"
#include "tools/PingUnit.h"
#include "tools/RuntimeErrorUnit.h"
#include "tools/SystemSetup.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

struct Tool
{
    QTemporaryDir dir;
    std::shared_ptr<testsupport::FakeBackend> backend = std::make_shared<testsupport::FakeBackend>();
    d2xx::Driver driver;
    vcl::ScriptedDialogs dialogs; // every box answered with its first button
    std::unique_ptr<AutoForms> forms;
    std::unique_ptr<TPingForm> ping;
    std::unique_ptr<TSystemSetupForm> setup;
    std::unique_ptr<TCalibrationForm> calibration;
    std::unique_ptr<TRunTimeErrorForm> errorLog;
    std::unique_ptr<TFIA_Form> fia;
    std::unique_ptr<TEEPROMForm> eeprom;
    std::unique_ptr<TVersionForm> version;
    std::unique_ptr<FramesTo<TVersionForm>> versionHandler;
    std::unique_ptr<TFirmware> firmware;

    Tool()
    {
        driver.addBackend(backend);
        forms = std::make_unique<AutoForms>(QStringList{}, dir.path() + "/qm5230.INI", driver);
        TMainForm &m = *forms->Main;
        m.usb()->setAutoStart(false);
        m.usb()->setSleeper([](std::uint32_t) {});
        m.TimerVersion->stop();
        m.Timer1->stop();
        m.Connect("Unit A");

        ping = std::make_unique<TPingForm>(&m);
        setup = std::make_unique<TSystemSetupForm>(&m);
        calibration = std::make_unique<TCalibrationForm>(&m);
        errorLog = std::make_unique<TRunTimeErrorForm>(&m);
        fia = std::make_unique<TFIA_Form>(&m);
        eeprom = std::make_unique<TEEPROMForm>(&m);
        version = std::make_unique<TVersionForm>(&m);
        versionHandler = std::make_unique<FramesTo<TVersionForm>>(*version);
        ToolWindows.Ping = {ping.get(), ping.get()};
        ToolWindows.SystemSetup = {setup.get(), setup.get()};
        ToolWindows.Calibration = {calibration.get(), calibration.get()};
        ToolWindows.RunTimeError = {errorLog.get(), errorLog.get()};
        ToolWindows.FIA = {fia.get(), fia.get()};
        ToolWindows.EEPROM = {eeprom.get(), eeprom.get()};
        ToolWindows.Version = {version.get(), versionHandler.get()};
        ToolWindows.SetPassword = {forms->SetPassword.get(), forms->SetPassword.get()};
        forms->SetPassword->show();
        calibration->show();
        firmware = std::make_unique<TFirmware>(&m);
        if (!m.OnBootByte)
            m.OnBootByte = [this](std::uint8_t byte) { firmware->HandleBootByte(byte); };
    }

    // Lets the queued frames go out, so that the queue has room again.
    void drain()
    {
        for (int i = 0; i < int(devlink::TxSlotCount) + 2; ++i)
            forms->Main->usb()->Pass();
        std::lock_guard lock(backend->state->m);
        backend->state->written.clear();
        backend->state->reads.clear();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzsupport::ensureApplication();
    static Tool tool;
    if (size < 2)
        return 0;
    TMainForm &m = *tool.forms->Main;

    // Byte 0 puts the transfer into one of its steps (or none), byte 1 names
    // the item in hand; the top bit of byte 0 sends the second half of the
    // bytes to the bootloader handler.
    const std::uint8_t state = data[0] & 0x1F;
    TransferState = state <= tsSendBoxName ? static_cast<TTransferState>(state) : tsIdle;
    TransferItem = data[1];
    m.TransferBusy = TransferState != tsIdle;
    const bool boot = (data[0] & 0x80) != 0;

    const std::size_t rest = size - 2;
    const std::size_t frameBytes = boot ? rest / 2 : rest;
    devlink::UsbThreadClient &client = m;
    for (std::size_t i = 0; i < frameBytes; ++i)
        client.RxFrameByte(data[2 + i]);
    for (std::size_t i = 2 + frameBytes; i < size; ++i)
        client.RxBootByte(data[i]);

    tool.drain();
    QCoreApplication::processEvents();
    m.RxDecoder.Reset();
    return 0;
}
