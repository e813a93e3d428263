// The CAN monitor: its lines, the choice sent to the unit, and the log file.
#include "main/CanMonitorLine.h"
#include "tests/main/UnitScript.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace devlink;
using testsupport::Bytes;
using testsupport::MainRig;
using testsupport::UnitScript;

namespace {

CanInputRecord input(std::uint32_t on, std::uint32_t off, const char *name)
{
    CanInputRecord r{};
    r.CanIdOn = on;
    r.CanIdOff = off;
    NameToField(r.Name, sizeof r.Name, NameLength, QString::fromLatin1(name));
    return r;
}

Bytes ind(std::uint16_t id, Bytes data, int length = -1)
{
    Bytes payload{static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8),
                  static_cast<std::uint8_t>(data.size())};
    payload.insert(payload.end(), data.begin(), data.end());
    return MainRig::frame(NodeApplication, CAN_MONITOR_IND, payload, length);
}

// The CAN input table is global: each test leaves it as it found it.
struct CanInputTableGuard
{
    decltype(CanInputTable) saved = CanInputTable;
    ~CanInputTableGuard() { CanInputTable = saved; }
};

QStringList memoLines(MainRig &r)
{
    return r.main().Config.MemoCanMonitor->toPlainText().split('\n', Qt::SkipEmptyParts);
}

QByteArray fileText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void choose(MainRig &r, int item)
{
    QComboBox *combo = r.main().Config.CANmonitorEnableComboBox;
    combo->setCurrentIndex(item);
    Q_EMIT combo->activated(item);
}

} // namespace

TEST(CanMonitorLine, Format)
{
    const CanInputRecord inputs[] = {input(0x123, 0, "Engine"), input(0, 0x123, "Door"),
                                     input(0x123, 0x123, "Both"), input(0x124, 0x125, "Other"),
                                     input(0, 0, "Zero")};
    const struct
    {
        std::uint16_t id;
        Bytes data;
        QTime at;
        const char *line;
    } cases[] = {
        {0x123,
         {0x01, 0xA0},
         QTime(14, 5, 9, 7),
         "14:05:09.007> ID= 123, Data= 01 A0, Engine, Door, Both"},
        {0x7E8, {}, QTime(23, 59, 59, 999), "23:59:59.999> ID= 7E8, Data="},
        {0, {0x00}, QTime(0, 0, 0, 0), "00:00:00.000> ID=   0, Data= 00"}, // no "Zero"
        {0xABCD, {0xFF, 0x0F, 0x10}, QTime(1, 2, 3, 40), "01:02:03.040> ID=ABCD, Data= FF 0F 10"},
        {0x125, {}, QTime(12, 0, 0, 0), "12:00:00.000> ID= 125, Data=, Other"},
    };
    for (const auto &c : cases) {
        CanMonitorMessage m;
        m.id = c.id;
        m.data = c.data;
        m.declared = static_cast<std::uint8_t>(c.data.size());
        EXPECT_EQ(CanMonitorLine(c.at, m, inputs), c.line);
    }
}

// The choice goes out as a fifth byte outside Length and checksum, whether
// connected or not.
TEST(CanMonitor, ChoiceIsSentAsTheFifthByte)
{
    MainRig r({"KeeperEntry"});
    EXPECT_EQ(r.main().usb()->Open("Unit A"), 1);
    for (int item : {7, 1, 0, 34}) {
        choose(r, item);
        const auto sent = r.sent();
        ASSERT_EQ(sent.size(), 1u) << item;
        EXPECT_EQ(sent[0], (Bytes{0x59, 0x04, 0x01, 0x5C, static_cast<std::uint8_t>(item)}));
    }
}

// Lines go to the memo and, while the box is ticked, to the file, one per
// message and at once; only unticking the box closes the file.
TEST(CanMonitor, LinesAndTheLogFile)
{
    CanInputTableGuard guard;
    MainRig r({"KeeperEntry"});
    CanInputTable[4] = input(0x2F1, 0x2F1, "Hazard");
    r.main().CanMonitorClock = [] { return QTime(8, 30, 0, 5); };
    r.connect();
    TConfigPagesUi &ui = r.main().Config;
    const QString path = r.dir.path() + "/can.txt";
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("earlier\n");
    }
    ui.CANmonitorFileLogNameEdit->setText(path);
    ui.CANmonitorFileLogBtn->click();
    ASSERT_NE(r.main().CanLogFile, nullptr);
    EXPECT_FALSE(ui.CANmonitorFileLogNameEdit->isEnabled());
    EXPECT_FALSE(ui.CANmonitorFileLogNameBtn->isEnabled());

    choose(r, 2);
    r.receive(ind(0x2F1, {0x04, 0x00}));
    r.receive(ind(0x100, {}));
    r.receive(ind(0x100, {0xAA, 0xBB}, 8)); // announces two, one arrived
    r.receive(ind(0x100, {0xCC}, 6));       // no room for the count: dropped
    QByteArray expected = "earlier\n"
                          "08:30:00.005> ID= 2F1, Data= 04 00, Hazard\n"
                          "08:30:00.005> ID= 100, Data=\n"
                          "08:30:00.005> ID= 100, Data= AA\n";
    EXPECT_EQ(fileText(path), expected) << "each line is in the file while it is open";
    EXPECT_EQ(memoLines(r).size(), 3);

    ui.CANmonitorFileLogBtn->click();
    EXPECT_EQ(r.main().CanLogFile, nullptr);
    EXPECT_TRUE(ui.CANmonitorFileLogNameEdit->isEnabled());
    r.receive(ind(0x100, {1}));
    EXPECT_EQ(fileText(path), expected);
    EXPECT_EQ(memoLines(r).size(), 4);

    ui.ClearLogBtn->click();
    EXPECT_TRUE(memoLines(r).isEmpty());
    EXPECT_EQ(fileText(path), expected);

    // Ticked again and the window closed: the file is closed with it.
    ui.CANmonitorFileLogBtn->click();
    ASSERT_NE(r.main().CanLogFile, nullptr);
    r.main().close();
    EXPECT_EQ(r.main().CanLogFile, nullptr);
}

// "Off", a read, a refresh and a return to the page tell the unit "Off" but
// leave the log file open and its box ticked.
TEST(CanMonitor, LogStaysOpenUntilTheBoxIsUnticked)
{
    const struct
    {
        const char *what;
        std::function<void(MainRig &)> act;
    } cases[] = {
        {"Off chosen", [](MainRig &r) { choose(r, 0); }},
        {"read",
         [](MainRig &r) {
             UnitScript unit(r);
             unit.version = "7.99"; // the check refuses, after the monitor was stopped
             r.main().BtnLoadClick();
         }},
        {"refresh", [](MainRig &r) { r.main().RefreshAllControls(); }},
        {"page selected again",
         [](MainRig &r) {
             r.main().TabbedNotebook1->setCurrentIndex(TMainFormUi::PageGeneral);
             r.main().TabbedNotebook1->setCurrentIndex(TMainFormUi::PageCanInputs);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        MainRig r({"KeeperEntry"});
        r.main().Wait = [](std::uint32_t) {};
        r.main().CanMonitorClock = [] { return QTime(9, 0, 0, 0); };
        r.connect();
        r.receive(MainRig::passwords({}, {}));
        r.main().TimerSerial->stop();
        TConfigPagesUi &ui = r.main().Config;
        const QString path = r.dir.path() + "/can.txt";
        ui.CANmonitorFileLogNameEdit->setText(path);
        ui.CANmonitorFileLogBtn->click();
        choose(r, 2);
        r.sent();

        c.act(r);
        EXPECT_EQ(ui.CANmonitorEnableComboBox->currentIndex(), 0);
        EXPECT_NE(r.main().CanLogFile, nullptr);
        EXPECT_TRUE(ui.CANmonitorFileLogBtn->isChecked());
        EXPECT_FALSE(ui.CANmonitorFileLogNameEdit->isEnabled());
        r.receive(ind(0x100, {7}));
        EXPECT_EQ(fileText(path), "09:00:00.000> ID= 100, Data= 07\n");
    }
}

// A file that cannot be opened or written is reported, and the box tells the truth.
TEST(CanMonitor, LogFileFailures)
{
    MainRig r({"KeeperEntry"});
    r.connect();
    TConfigPagesUi &ui = r.main().Config;
    for (const QString &name : {r.dir.path(), QString()}) {
        ui.CANmonitorFileLogNameEdit->setText(name);
        ui.CANmonitorFileLogBtn->click();
        EXPECT_EQ(r.main().CanLogFile, nullptr) << name.toStdString();
        EXPECT_FALSE(ui.CANmonitorFileLogBtn->isChecked());
        EXPECT_TRUE(ui.CANmonitorFileLogNameEdit->isEnabled());
        ASSERT_GT(r.dialogs.count(), 0);
        EXPECT_TRUE(r.dialogs.last().text.startsWith("Cannot open the CAN monitor log file"));
    }

    if (QFile::exists("/dev/full")) {
        r.dialogs.clear();
        ui.CANmonitorFileLogNameEdit->setText("/dev/full");
        ui.CANmonitorFileLogBtn->click();
        ASSERT_NE(r.main().CanLogFile, nullptr);
        r.receive(ind(0x100, {1, 2}));
        EXPECT_EQ(r.main().CanLogFile, nullptr);
        EXPECT_FALSE(ui.CANmonitorFileLogBtn->isChecked());
        EXPECT_EQ(memoLines(r).size(), 1) << "the line is still shown";
        EXPECT_EQ(r.dialogs.count(), 0) << "no box inside the frame handler";
        QCoreApplication::processEvents();
        ASSERT_EQ(r.dialogs.count(), 1);
        EXPECT_TRUE(r.dialogs.last().text.startsWith("Cannot write the CAN monitor log file"));
    }
}

// Selecting the page shows the CAN input names in the choice, and a monitor
// left running is switched off, so that "Off" is what the unit does.
TEST(CanMonitor, PageSelectionResetsTheChoice)
{
    MainRig r({"KeeperEntry"});
    r.connect();
    TConfigPagesUi &ui = r.main().Config;
    ui.ListBoxCAN_INPUT->item(0)->setText("Engine");
    ui.ListBoxCAN_INPUT->item(31)->setText("Last one");

    r.main().TabbedNotebook1->setCurrentIndex(TMainFormUi::PageCanInputs);
    EXPECT_TRUE(r.sent().empty()) << "nothing runs, nothing to stop";
    EXPECT_EQ(ui.CANmonitorEnableComboBox->itemText(3), "Engine");
    EXPECT_EQ(ui.CANmonitorEnableComboBox->itemText(34), "Last one");
    EXPECT_EQ(ui.CANmonitorEnableComboBox->itemText(2), "All Messages");

    choose(r, 5);
    r.sent();
    r.main().TabbedNotebook1->setCurrentIndex(TMainFormUi::PageGeneral);
    r.main().TabbedNotebook1->setCurrentIndex(TMainFormUi::PageCanInputs);
    EXPECT_EQ(ui.CANmonitorEnableComboBox->currentIndex(), 0);
    const auto sent = r.sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x59, 0x04, 0x01, 0x5C, 0x00}));

    ui.ListBoxCAN_INPUT->item(1)->setText("Door");
    ui.ClearLogBtn->click();
    EXPECT_EQ(ui.CANmonitorEnableComboBox->itemText(4), "Door");
}

// A choice the transmit queue refused, full or with the unit pulled, never
// reached the unit: the selector goes on showing what the unit monitors, the
// status bar says why, and the next switch-off tries again.
TEST(CanMonitor, RefusedChoiceIsNotShown)
{
    const struct
    {
        const char *what;
        std::function<void(MainRig &)> refused; // runs with the queue full
        int shown;                              // the choice shown afterwards
    } cases[] = {
        {"a new choice", [](MainRig &r) { choose(r, 2); }, 5},
        {"the switch-off of the CAN inputs page",
         [](MainRig &r) {
             r.main().TabbedNotebook1->setCurrentIndex(TMainFormUi::PageCanInputs);
         },
         5},
    };
    for (const testsupport::Refusal &x : testsupport::Refusals)
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", " + x.what);
            MainRig r({"KeeperEntry"});
            r.connect();
            QComboBox *combo = r.main().Config.CANmonitorEnableComboBox;
            choose(r, 5);
            r.sent();
            (r.*x.refuse)();
            c.refused(r);
            EXPECT_EQ(combo->currentIndex(), c.shown);
            QString why = x.text;
            why[0] = why[0].toUpper();
            EXPECT_EQ(r.panel(2), why + ": frame not sent");
            x.recover(r);
            for (const Bytes &f : r.sent(60))
                EXPECT_NE(f[3], CAN_MONITOR_REQ) << "nothing but the polls was queued";
            // Room again: the page's switch-off goes out and is shown.
            r.main().TabbedNotebook1->setCurrentIndex(TMainFormUi::PageGeneral);
            r.main().TabbedNotebook1->setCurrentIndex(TMainFormUi::PageCanInputs);
            EXPECT_EQ(combo->currentIndex(), 0);
            const auto sent = r.sent();
            ASSERT_FALSE(sent.empty());
            EXPECT_EQ(sent.back(), (Bytes{0x59, 0x04, 0x01, 0x5C, 0x00}));
        }
}
