// The real windows, the real worker thread and the paced simulated unit.
#pragma once

#include "app/AutoForms.h"
#include "config/UnitVersion.h"
#include "link/USB_Unit.h"
#include "link/UsbSelectUnit.h"
#include "main/LogUnit.h"
#include "main/MainUnit.h"
#include "platform/vcl/TestDialogs.h"
#include "sim/SimBackend.h"
#include "sim/SimLine.h"
#include "sim/SimulatedUnit.h"
#include "tests/support/EventLoopWait.h"
#include "tests/support/PatternHex.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextEdit>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <memory>

namespace testsupport {

// The version check before a transfer goes on as soon as the version came,
// instead of showing it for half a second; restored when the test ends.
struct QuickVersionCheck
{
    int saved = TVersionForm::ShowVersionMs;
    QuickVersionCheck() { TVersionForm::ShowVersionMs = 0; }
    ~QuickVersionCheck() { TVersionForm::ShowVersionMs = saved; }
    QuickVersionCheck(const QuickVersionCheck &) = delete;
    QuickVersionCheck &operator=(const QuickVersionCheck &) = delete;
};

struct E2ERig
{
    QTemporaryDir dir;
    std::shared_ptr<sim::SimBackend> unit = sim::makeSimBackend();
    d2xx::Driver driver;
    vcl::ScriptedDialogs dialogs;
    std::unique_ptr<AutoForms> forms;

    explicit E2ERig(const QStringList &args = {})
    {
        driver.addBackend(unit);
        forms = std::make_unique<AutoForms>(args, dir.path() + "/qm5230.INI", driver);
        TraceEnabled = 1;
    }
    ~E2ERig()
    {
        TraceEnabled = 0;
        forms.reset();
        QCoreApplication::processEvents();
    }
    TMainForm &main() { return *forms->Main; }
    QString panel(int i) { return main().StatusPanels[static_cast<std::size_t>(i)]->text(); }
    QString trace() { return forms->Log->RichEdit->toPlainText(); }

    // Picks the simulator in the selection window and presses OK.
    void connectThroughSelection()
    {
        devlink::TUSB_SelectForm &select = *forms->UsbSelect;
        select.FormActivate();
        const auto found = select.ListBox1->findItems(sim::SimulatorDescription, Qt::MatchExactly);
        if (!found.isEmpty())
            select.ListBox1->setCurrentItem(found.first());
        select.BtnOpenClick();
    }

    // Connects and waits for the automatic read and the refresh after it.
    void connectAndRead()
    {
        connectThroughSelection();
        ASSERT_TRUE(waitFor([&] { return main().ReadFromDevice == 1; }, 30000))
            << trace().toStdString();
        ASSERT_TRUE(waitFor([&] { return main().RefreshPending == 0; }));
    }

    // Nothing waits in the tool's transmit queue and nothing is on the line:
    // a window that still expects an answer waits for one that cannot come.
    bool linkQuiet()
    {
        const auto queue = main().usb()->queueSnapshot();
        return std::none_of(queue.begin(), queue.end(),
                            [](const devlink::TxSlot &s) { return s.Used != 0; }) &&
               !unit->line().untilNextEvent();
    }

    // Tests that drive a modal tool window start their steps from a timer of
    // 1 ms, not 0: a zero-time single shot is delivered as a posted event, and
    // waiting in a nested loop inside a posted event can hold back the worker
    // thread's hand-overs that were posted meanwhile, stalling the link.

    // Runs the event loop until `done` holds or `ms` pass (a generous bound: the
    // unit answers within milliseconds, the bound only keeps a broken run finite).
    bool waitFor(const std::function<bool()> &done, int ms = 20000)
    {
        return testsupport::waitFor(done, ms);
    }
};


} // namespace testsupport
