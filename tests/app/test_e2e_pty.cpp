// The tool against the simulated unit's own program on a pseudo-terminal:
// the path a real USB-serial bridge takes, through the serial backend.
#include "app/AutoForms.h"
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
