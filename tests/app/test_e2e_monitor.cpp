// The "Diagnostic" page and the CAN monitor against the simulated unit,
// through the real windows and the real worker thread.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "config/UnitVersion.h"
#include "main/DiagnosticTable.h"

#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <gtest/gtest.h>

using testsupport::E2ERig;
using Ui = TDiagnosticPageUi;

namespace {

void screenshot(QWidget &w, const char *name)
{
    if (const char *dir = std::getenv("QM5230_SCREENSHOT_DIR"))
        w.grab().save(QDir(dir).filePath(name));
}

} // namespace

TEST(EndToEndMonitor, DiagnosticTablesAndCanMonitor)
{
    testsupport::QuickVersionCheck quickCheck;

    E2ERig r({"KeeperEntry"});
    sim::SimulatedUnit &unit = r.unit->unit();
    unit.setChannelLoad(2, 101);
    unit.setChannelFault(1, sim::FaultNegativeShort);
    unit.setChannelFault(2, sim::FaultOverload);
    unit.setChannelFault(19, sim::FaultPositiveShort);
    ModalWatchdog watchdog(30000);
    r.forms->Show();
    r.connectThroughSelection();
    // The automatic read brings the CAN input names the monitor lines carry.
    ASSERT_TRUE(r.waitFor([&] { return r.main().ReadFromDevice && !r.main().RefreshPending; }))
        << r.trace().toStdString();

    // Opening the page fills both tables.
    TMainForm &m = r.main();
    const auto cell = [&](int output, Ui::Column column) {
        return m.Diagnostic
            .Cells[static_cast<std::size_t>(output)][static_cast<std::size_t>(column)]
            ->text();
    };
    m.TabbedNotebook1->setCurrentIndex(TMainFormUi::PageDiagnostic);
    ASSERT_TRUE(r.waitFor([&] { return cell(19, Ui::ColumnShortCircuit) == "1"; }));
    EXPECT_EQ(cell(1, Ui::ColumnShortCircuit), "1");
    EXPECT_EQ(cell(2, Ui::ColumnTripLevel), "1");
    EXPECT_EQ(cell(2, Ui::ColumnTripCurrent), TripCurrentText(25));
    EXPECT_EQ(cell(3, Ui::ColumnLowCurrent), "0");
    EXPECT_EQ(cell(20, Ui::ColumnShortCircuit), "0");
    screenshot(m, "diagnostic.png");

    // The monitor reports the messages the CAN inputs listen to, with their names.
    m.TabbedNotebook1->setCurrentIndex(TMainFormUi::PageCanInputs);
    QComboBox *choice = m.Config.CANmonitorEnableComboBox;
    EXPECT_EQ(choice->itemText(3), "Engine running");
    choice->setCurrentIndex(1);
    Q_EMIT choice->activated(1);
    const auto lines = [&] {
        return m.Config.MemoCanMonitor->toPlainText().split('\n', Qt::SkipEmptyParts).size();
    };
    ASSERT_TRUE(r.waitFor([&] { return lines() >= 5; }));
    const QString text = m.Config.MemoCanMonitor->toPlainText();
    EXPECT_TRUE(text.contains("> ID=  CF, Data= ")) << text.toStdString();
    EXPECT_TRUE(text.contains(", Engine running")) << text.toStdString();
    EXPECT_FALSE(text.contains("ID= 100")) << "another device's message";
    screenshot(*m.Config.MemoCanMonitor->parentWidget(), "canmonitor.png");

    // "Off": every report the unit sent is shown, and no more come.
    choice->setCurrentIndex(0);
    Q_EMIT choice->activated(0);
    ASSERT_TRUE(r.waitFor([&] { return unit.canMonitorSelector() == 0; }));
    const std::uint64_t reports = unit.canMonitorReports();
    ASSERT_TRUE(r.waitFor([&] { return std::uint64_t(lines()) == reports; }));
    const std::uint64_t later = unit.upTimeMs() + 2000;
    ASSERT_TRUE(r.waitFor([&] { return unit.upTimeMs() > later; }));
    ASSERT_TRUE(r.waitFor([&] { return r.unit->line().pendingBytes() == 0; }));
    EXPECT_EQ(unit.canMonitorReports(), reports);
    EXPECT_EQ(std::uint64_t(lines()), reports);

    // The unit pulled: a choice it cannot get is not shown, the window says
    // why, and the polls queue nothing meanwhile.
    choice->setCurrentIndex(1);
    Q_EMIT choice->activated(1);
    ASSERT_TRUE(r.waitFor([&] { return unit.canMonitorSelector() == 1; }));
    r.unit->unplug();
    ASSERT_TRUE(r.waitFor([&] { return r.panel(0) == "USB DISCONNECTED"; }));
    choice->setCurrentIndex(0);
    Q_EMIT choice->activated(0);
    EXPECT_EQ(choice->currentIndex(), 1);
    EXPECT_EQ(r.panel(2), "Unit not connected: frame not sent");
    r.waitFor([] { return false; }, 1000);
    EXPECT_TRUE(r.linkQuiet()) << "nothing queued while the unit is gone";
    r.unit->replug();
    ASSERT_TRUE(r.waitFor([&] {
        return r.panel(0) == "USB CONNECTED" && !m.AutoReadPending && !m.TransferRunning();
    })) << r.trace().toStdString();
    EXPECT_EQ(choice->currentIndex(), unit.canMonitorSelector());

    EXPECT_FALSE(watchdog.fired);
    EXPECT_FALSE(r.trace().contains("Checksum error"));
}
