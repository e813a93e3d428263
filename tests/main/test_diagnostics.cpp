// The "Diagnostic" page: the counters from hand-built frames, frames that do
// not hold the tables, and the reset of the counters.
#include "main/DiagnosticTable.h"
#include "tests/main/MainRig.h"

#include "config/Settingsunit.h"
#include "platform/vcl/Colors.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace devlink;
using testsupport::Bytes;
using testsupport::MainRig;
using Ui = TDiagnosticPageUi;

namespace {

QLabel *cell(MainRig &r, int output, Ui::Column column)
{
    return r.main()
        .Diagnostic.Cells[static_cast<std::size_t>(output)][static_cast<std::size_t>(column)];
}

bool red(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText) == vcl::ToQColor(vcl::clRed);
}

// A DIAGNOSTIC_READ_CFM whose arrays hold `a`, `b`, `c` from output 1 on.
Bytes highPowerFrame(const Bytes &a, const Bytes &b, const Bytes &c, int length = 58)
{
    Bytes data(54, 0);
    std::copy(a.begin(), a.end(), data.begin());
    std::copy(b.begin(), b.end(), data.begin() + 18);
    std::copy(c.begin(), c.end(), data.begin() + 36);
    return MainRig::frame(NodeApplication, DIAGNOSTIC_READ_CFM, data, length);
}

} // namespace

// The page holds both images at their sizes and the CAN setup's automatic
// reset edit; the tables stay blank until the unit's first answers.
TEST(DiagnosticPage, ImagesBlankUntilTheFirstAnswer)
{
    MainRig r({"KeeperEntry"});
    TMainForm &m = r.main();
    QWidget *page = m.Pages[TMainFormUi::PageDiagnostic];
    EXPECT_EQ(m.Diagnostic.ImageHighPowerDiagnostic->size(), QSize(561, 441));
    EXPECT_EQ(m.Diagnostic.ImageLowPowerDiagnostic->size(), QSize(233, 441));
    EXPECT_TRUE(page->isAncestorOf(m.Config.AutoResetChannelErrorEdit));
    EXPECT_TRUE(m.Config.AutoResetChannelErrorEdit->isVisibleTo(page));
    EXPECT_FALSE(m.Diagnostic.HighPowerTable->isVisibleTo(page));
    EXPECT_FALSE(m.Diagnostic.LowPowerTable->isVisibleTo(page));

    r.connect();
    r.receive(highPowerFrame({1}, {}, {}));
    EXPECT_TRUE(m.Diagnostic.HighPowerTable->isVisibleTo(page));
    EXPECT_FALSE(m.Diagnostic.LowPowerTable->isVisibleTo(page));
    r.receive(MainRig::frame(NodeApplication, LP_DIAGNOSTIC_READ_CFM, Bytes(16, 0)));
    EXPECT_TRUE(m.Diagnostic.LowPowerTable->isVisibleTo(page));
    EXPECT_EQ(m.Diagnostic.HighPowerTable->geometry(), QRect(0, 0, 561, 441));
    EXPECT_EQ(m.Diagnostic.LowPowerTable->geometry(), QRect(0, 0, 231, 397));
}

// The high-power answer fills its table cell by cell and asks for the
// low-power one, whose answer fills the second table; every byte read lies
// inside the frame (AddressSanitizer run).
TEST(DiagnosticPage, TablesFromTheUnitsAnswers)
{
    MainRig r({"KeeperEntry"});
    r.connect();
    SetOutputName(1, "Headlights");
    SetOutputName(19, "Pump");
    r.sent();
    r.receive(highPowerFrame({0x3F, 0x00, 0xF1}, {25, 0, 1}, {0xF2, 0x00, 0x0F}));
    EXPECT_EQ(MainRig::commands(r.sent()), std::vector<std::uint8_t>{LP_DIAGNOSTIC_READ_REQ});

    const struct
    {
        int output;
        Ui::Column column;
        const char *text;
        bool red;
    } cells[] = {
        {1, Ui::ColumnName, "1: Headlights", false}, {1, Ui::ColumnShortCircuit, "> 15", true},
        {1, Ui::ColumnTripLevel, "3", true},         {1, Ui::ColumnTripCurrent, "10.0", true},
        {1, Ui::ColumnLowCurrent, "2", true}, // the high nibble is not shown
        {2, Ui::ColumnShortCircuit, "0", false},     {2, Ui::ColumnTripLevel, "0", false},
        {2, Ui::ColumnTripCurrent, "0", false},      {2, Ui::ColumnLowCurrent, "0", false},
        {3, Ui::ColumnShortCircuit, "1", true},      {3, Ui::ColumnTripLevel, "> 15", true},
        {3, Ui::ColumnTripCurrent, "0.4", true},     {3, Ui::ColumnLowCurrent, "> 15", true},
        {18, Ui::ColumnName, "18: ", false},
    };
    for (const auto &c : cells) {
        const QLabel *label = cell(r, c.output, c.column);
        EXPECT_EQ(label->text(), c.text) << c.output << "/" << c.column;
        EXPECT_EQ(red(label), c.red) << c.output << "/" << c.column;
    }

    Bytes d(16, 0);
    d[0] = 0xA3; // only the low nibble counts
    d[15] = 0x0F;
    r.receive(MainRig::frame(NodeApplication, LP_DIAGNOSTIC_READ_CFM, d));
    EXPECT_EQ(cell(r, 19, Ui::ColumnName)->text(), "19: Pump");
    EXPECT_EQ(cell(r, 19, Ui::ColumnShortCircuit)->text(), "3");
    EXPECT_TRUE(red(cell(r, 19, Ui::ColumnShortCircuit)));
    EXPECT_EQ(cell(r, 20, Ui::ColumnShortCircuit)->text(), "0");
    EXPECT_EQ(cell(r, 34, Ui::ColumnShortCircuit)->text(), "> 15");
    EXPECT_TRUE(r.sent().empty());

    // Answers too short for their tables change nothing and ask for nothing.
    r.receive(highPowerFrame(Bytes(18, 0x22), {}, {}, 57));
    r.receive(MainRig::frame(NodeApplication, LP_DIAGNOSTIC_READ_CFM, Bytes(15, 2)));
    EXPECT_EQ(cell(r, 2, Ui::ColumnShortCircuit)->text(), "0");
    EXPECT_EQ(cell(r, 20, Ui::ColumnShortCircuit)->text(), "0");
    EXPECT_TRUE(r.sent().empty());
}

TEST(DiagnosticPage, ResetLog)
{
    MainRig r({"KeeperEntry"});
    r.main().Diagnostic.BtnClearDiagnostic->click();
    ASSERT_EQ(r.dialogs.count(), 1);
    EXPECT_EQ(r.dialogs.last().text, "Is not connected to target, please connect USB");
    r.connect();
    EXPECT_TRUE(r.sent().empty());

    r.main().Diagnostic.BtnClearDiagnostic->click();
    EXPECT_EQ(MainRig::commands(r.sent()), std::vector<std::uint8_t>{DIAGNOSTIC_CLEAR_REQ});
    r.receive(MainRig::frame(NodeApplication, DIAGNOSTIC_CLEAR_CFM));
    EXPECT_EQ(MainRig::commands(r.sent()), std::vector<std::uint8_t>{DIAGNOSTIC_READ_REQ});
    EXPECT_EQ(r.dialogs.count(), 1) << "the box waits until the frame was handled";
    QCoreApplication::processEvents();
    ASSERT_EQ(r.dialogs.count(), 2);
    EXPECT_EQ(r.dialogs.last().text, "Diagnostic log cleared");

    // During a transfer nothing is asked of the unit, but the news is still shown.
    r.main().TransferBusy = 1;
    r.main().Diagnostic.BtnClearDiagnostic->click();
    r.receive(MainRig::frame(NodeApplication, DIAGNOSTIC_CLEAR_CFM));
    r.receive(highPowerFrame({}, {}, {}));
    EXPECT_TRUE(r.sent().empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(r.dialogs.last().text, "Diagnostic log cleared");
}
