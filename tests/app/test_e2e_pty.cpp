// The tool against the simulated unit's own program on a pseudo-terminal:
// the path a real USB-serial bridge takes, through the serial backend.
#include "app/AutoForms.h"
#include "config/Settingsunit.h"
#include "config/UnitVersion.h"
#include "link/UsbSelectUnit.h"
#include "main/MainUnit.h"
#include "platform/d2xx/d2xx.h"
#include "platform/vcl/TestDialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool waitFor(const std::function<bool()> &done, int ms = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace

TEST(EndToEndSerial, ConnectAndReadThroughAPseudoTerminal)
{
    QProcess unit;
    unit.start(QM5230_SIM_PROGRAM, {});
    ASSERT_TRUE(unit.waitForStarted(10000));
    ASSERT_TRUE(unit.waitForReadyRead(10000));
    const QString path = QString::fromLocal8Bit(unit.readLine()).trimmed();
    ASSERT_TRUE(path.startsWith("/dev/")) << path.toStdString();

    const int savedShow = TVersionForm::ShowVersionMs;
    TVersionForm::ShowVersionMs = 0;
    {
        QTemporaryDir dir;
        d2xx::Driver driver;
        driver.addBackend(d2xx::makeExtraPortsBackend(path.toStdString()));
        vcl::ScriptedDialogs dialogs;
        AutoForms forms({}, dir.path() + "/qm5230.INI", driver);

        devlink::TUSB_SelectForm &select = *forms.UsbSelect;
        select.FormActivate();
        ASSERT_EQ(select.ListBox1->count(), 1);
        EXPECT_EQ(select.ListBox1->item(0)->text(), path);
        select.BtnOpenClick();
        TMainForm &main = *forms.Main;
        EXPECT_EQ(main.StatusPanels[0]->text(), "USB CONNECTED");
        EXPECT_TRUE(waitFor([&] { return main.StatusPanels[1]->text() == "Read / Write"; }));
        EXPECT_TRUE(waitFor([&] { return main.ReadFromDevice == 1; }))
            << dialogs.texts().join('|').toStdString();
        EXPECT_EQ(dialogs.count(), 0) << dialogs.texts().join('|').toStdString();
        EXPECT_TRUE(waitFor([&] { return main.General.lblVbat->text() != "--"; }));

        // The unit's program ends: the tool sees the device gone.
        unit.terminate();
        unit.waitForFinished(10000);
        EXPECT_TRUE(waitFor([&] { return main.StatusPanels[0]->text() == "USB DISCONNECTED"; }));
    }
    TVersionForm::ShowVersionMs = savedShow;
}

// The same path with the unit's program bending its answers: a lost output
// block is asked for again, a repeated one does no harm, and a unit that
// falls silent at the wiper block ends the read as not completed.
TEST(EndToEndSerial, ReadThroughFaultsOnAPseudoTerminal)
{
    QProcess unit;
    unit.start(QM5230_SIM_PROGRAM,
               {"--fault", "drop,0x82,10", "--fault", "repeat,0xD5,3", "--fault", "silence,0xE6"});
    ASSERT_TRUE(unit.waitForStarted(10000));
    ASSERT_TRUE(unit.waitForReadyRead(10000));
    const QString path = QString::fromLocal8Bit(unit.readLine()).trimmed();
    ASSERT_TRUE(path.startsWith("/dev/")) << path.toStdString();

    const int savedShow = TVersionForm::ShowVersionMs;
    const int savedAnswer = TMainForm::ReadAnswerTimeoutMs;
    TVersionForm::ShowVersionMs = 0;
    TMainForm::ReadAnswerTimeoutMs = 400;
    {
        QTemporaryDir dir;
        d2xx::Driver driver;
        driver.addBackend(d2xx::makeExtraPortsBackend(path.toStdString()));
        vcl::ScriptedDialogs dialogs;
        AutoForms forms({}, dir.path() + "/qm5230.INI", driver);
        forms.UsbSelect->FormActivate();
        forms.UsbSelect->BtnOpenClick();
        TMainForm &main = *forms.Main;
        ASSERT_TRUE(waitFor([&] { return dialogs.count() > 0 && main.TransferBusy == 0; }));
        EXPECT_EQ(dialogs.texts().join('|').toStdString(),
                  "The read did not complete: the unit did not send wiper; sequences; PWM; CAN "
                  "export 1; CAN exports 2 to 4.\n\nThe pages keep their earlier values there. "
                  "Read the settings again.");
        EXPECT_EQ(main.ReadFromDevice, 0);
        EXPECT_EQ(GetOutputName(10), "Horn"); // asked for again
    }
    TVersionForm::ShowVersionMs = savedShow;
    TMainForm::ReadAnswerTimeoutMs = savedAnswer;
    unit.terminate();
    unit.waitForFinished(10000);
}
