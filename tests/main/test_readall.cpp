// Reading all settings: the version check, the wait dialog and the chain of
// requests, played against a scripted unit; and the full refresh of the pages.
#include "tests/main/UnitScript.h"

#include "config/PageEditorRules.h"
#include "config/Settingsunit.h"
#include "config/Transfer.h"
#include "config/TriggerLists.h"
#include "forms/ConfigPagesUi.h"
#include "main/ToolWindows.h"

#include <QAction>
#include <QWindow>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "support/ReadRequests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace devlink;
using testsupport::Bytes;
using testsupport::fullReadRequests;
using testsupport::MainRig;
using testsupport::UnitScript;
using testsupport::wire;

namespace {

using Ui = TConfigPagesUi;

// Each read request, the answer code and the answer's length (the block layouts).
struct ReadBlockLayout
{
    std::uint8_t request, answer, length;
};
constexpr ReadBlockLayout ReadBlocks[] = {
    {0x04, 0x84, 21}, {0x02, 0x82, 30}, {0x28, 0xA8, 18}, {0x26, 0xA6, 17}, {0x53, 0xD3, 49},
    {0x65, 0xE4, 6},  {0x63, 0xE2, 20}, {0x55, 0xD5, 31}, {0x2A, 0xAA, 35}, {0x59, 0xD9, 30},
    {0x67, 0xE6, 12}, {0x69, 0xE8, 80}, {0x09, 0x8A, 7},  {0x57, 0xD7, 29}, {0x5B, 0xDB, 74}};

Bytes block(std::uint8_t code, std::uint8_t length, std::uint8_t number, const std::string &name,
            std::size_t nameAt)
{
    Bytes data(length - 4u, 0);
    data[0] = number;
    if (nameAt)
        std::copy(name.begin(), name.end(), data.begin() + static_cast<long>(nameAt - 4));
    return MainRig::frame(NodeApplication, code, data);
}

// A unit that answers every read request with a block of its layout: the
// input and output requests with one block per item, numbered blocks with
// the number asked for. Names show where they came from.
std::vector<Bytes> readAnswers(const Bytes &request)
{
    const auto layout =
        std::find_if(std::begin(ReadBlocks), std::end(ReadBlocks),
                     [&](const ReadBlockLayout &s) { return s.request == request[3]; });
    if (layout == std::end(ReadBlocks))
        return {};
    std::vector<Bytes> answers;
    switch (layout->answer) {
    case INPUT_CONFIG_READ_CFM:
        for (int n = 1; n <= 11; ++n)
            answers.push_back(block(layout->answer, layout->length, std::uint8_t(n),
                                    "IN " + std::to_string(n), 5));
        break;
    case OUTPUT_CONFIG_READ_CFM:
        for (int n = 1; n <= 34; ++n)
            answers.push_back(block(layout->answer, layout->length, std::uint8_t(n),
                                    "OUT " + std::to_string(n), 10));
        break;
    case BOX_NAME_READ_CFM:
        answers.push_back(block(layout->answer, layout->length, 'U', "UNIT 7", 4));
        break;
    case CAN_INPUT_READ_CFM:
        answers.push_back(block(layout->answer, layout->length, request[4],
                                "CANIN " + std::to_string(request[4]), 20));
        break;
    case VIRTUAL_INPUT_READ_CFM:
        answers.push_back(block(layout->answer, layout->length, request[4],
                                "VIRT " + std::to_string(request[4]), 11));
        break;
    default:
        answers.push_back(
            block(layout->answer, layout->length, request.size() > 4 ? request[4] : 0, "", 0));
        break;
    }
    return answers;
}

// A main window connected to the scripted unit with read/write access.
struct ReadRig : MainRig
{
    ReadRig()
    {
        std::memset(CanInputTable.data(), 0, sizeof CanInputTable);
        std::memset(VirtualInputTable.data(), 0, sizeof VirtualInputTable);
        std::memset(FlashTable.data(), 0, sizeof FlashTable);
        connect();
        receive(passwords({}, {}));
        main().TimerSerial->stop(); // the automatic read is started by hand here
        sent();
        main().Wait = [this](std::uint32_t ms) { waits.push_back(ms); };
        // The tests run out the answer time themselves, with ReadAnswerTimeout().
        TMainForm::ReadAnswerTimeoutMs = 1000000;
    }
    ~ReadRig() { TMainForm::ReadAnswerTimeoutMs = savedAnswerMs; }
    std::vector<std::uint32_t> waits;
    int savedAnswerMs = TMainForm::ReadAnswerTimeoutMs;
};

QString notCompleted(const QString &missing)
{
    return "The read did not complete: the unit did not send " + missing +
           ".\n\nThe pages keep their earlier values there. Read the settings again.";
}

// ---- the read ------------------------------------------------------------------

TEST(ReadAll, CompleteReadSendsTheChainAndEndsTheDialog)
{
    ReadRig r;
    UnitScript unit(r);
    unit.answer = readAnswers;
    bool dialogShown = false;
    unit.onTurn = [&](UnitScript &) { dialogShown = dialogShown || UpdateForm->isVisible(); };
    r.main().SettingsModified = 1;

    r.main().BtnLoadClick();

    ASSERT_FALSE(unit.stuck);
    EXPECT_TRUE(dialogShown) << "the answers arrived while the wait dialog was shown";
    EXPECT_EQ(unit.sent, fullReadRequests());
    EXPECT_EQ(TransferState, tsIdle);
    EXPECT_EQ(TransferItem, 0);
    EXPECT_EQ(r.main().TransferBusy, 0);
    EXPECT_EQ(r.main().RefreshPending, 1);
    EXPECT_EQ(r.main().ReadFromDevice, 1);
    EXPECT_EQ(r.main().SettingsModified, 0);
    EXPECT_FALSE(UpdateForm->isVisible());
    EXPECT_EQ(VersionForm, nullptr);
    EXPECT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
    EXPECT_TRUE(r.waits.empty()) << "the CAN monitor was off";

    // The blocks went where they belong.
    EXPECT_EQ(GetInputName(3), "IN 3");
    EXPECT_EQ(GetOutputName(34), "OUT 34");
    EXPECT_EQ(GetBoxName(), "UNIT 7");
    EXPECT_EQ(NameFromField(CanInputTable[31].Name, 16), "CANIN 31");
    EXPECT_EQ(NameFromField(VirtualInputTable[19].Name, 16), "VIRT 19");

    // The next link tick reloads the pages and names the unit in the caption.
    r.main().TimerVersionTimer();
    EXPECT_EQ(r.main().RefreshPending, 0);
    EXPECT_EQ(r.main().windowTitle(), "Tessaron Tool - [ UNIT 7 ]");
    EXPECT_EQ(r.main().Config.ListBoxCAN_INPUT->item(4)->text(), "CANIN 4");
}

TEST(ReadAll, OnlyTheLastOutputAsksForTheLowBatteryBlock)
{
    ReadRig r;
    UnitScript unit(r);
    std::optional<Bytes> lastOutput;
    std::size_t sentBeforeIt = 0;
    unit.answer = [&](const Bytes &request) {
        std::vector<Bytes> answers = readAnswers(request);
        if (request[3] == OUTPUT_CONFIG_READ_REQ) {
            lastOutput = answers.back();
            answers.pop_back();
        }
        return answers;
    };
    unit.onTurn = [&](UnitScript &u) {
        if (lastOutput && u.idle()) {
            sentBeforeIt = u.sent.size();
            u.queue(*lastOutput);
            lastOutput.reset();
        }
    };
    r.main().BtnLoadClick();
    ASSERT_FALSE(unit.stuck);
    ASSERT_EQ(unit.sent.size(), 71u);
    // Channels 1..33 sent nothing; channel 34 exactly one 4-byte request.
    ASSERT_EQ(sentBeforeIt, 2u);
    EXPECT_EQ(unit.sent[2], wire(LOW_BATTERY_READ_REQ));
    const auto cmds = unit.commands();
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), LOW_BATTERY_READ_REQ), 1);
}

// Faults on the link during a read: a block that does not come is asked for
// again (twice at most), a block that is no answer to the request moves
// nothing on, and a read short of any block ends as not completed, naming
// what is missing. The script runs out the answer time when it knows the
// unit left the request unanswered.
TEST(ReadAll, LostOrWrongBlocksAreAskedAgain)
{
    enum Kind { Drop, Renumber, Repeat };
    const struct
    {
        const char *what;
        std::uint8_t answer; // the event hit, and its record (-1: any)
        int record;
        Kind kind;
        int times; // answers hit; -1 every one
        int newNumber;
        Bytes request; // asked this often
        int asked;
        const char *missing; // null: the read completes
    } cases[] = {
        {"input 5 lost", INPUT_CONFIG_READ_CFM, 5, Drop, 1, 0, wire(0x04, {0xFF}), 2, nullptr},
        {"input 11 lost", INPUT_CONFIG_READ_CFM, 11, Drop, 1, 0, wire(0x04, {0xFF}), 2, nullptr},
        {"output 10 lost", OUTPUT_CONFIG_READ_CFM, 10, Drop, 1, 0, wire(0x02, {0xFF}), 2, nullptr},
        {"output 10 never comes", OUTPUT_CONFIG_READ_CFM, 10, Drop, -1, 0, wire(0x02, {0xFF}), 3,
         "output 10; low battery; CAN setup; CAN inputs 1 to 32; CAN input enable; unit name; "
         "virtual inputs 1 to 20; start and kill buttons; flash functions 1 to 5; wiper; "
         "sequences; PWM; CAN export 1; CAN exports 2 to 4"},
        {"input 5 never comes", INPUT_CONFIG_READ_CFM, 5, Drop, -1, 0, wire(0x04, {0xFF}), 3,
         "input 5; outputs 1 to 34; low battery; CAN setup; CAN inputs 1 to 32; CAN input enable; "
         "unit name; virtual inputs 1 to 20; start and kill buttons; flash functions 1 to 5; "
         "wiper; sequences; PWM; CAN export 1; CAN exports 2 to 4"},
        {"CAN setup lost", CAN_SETUP_READ_CFM, -1, Drop, 2, 0, wire(0x26), 3, nullptr},
        {"CAN input 8 lost", CAN_INPUT_READ_CFM, 7, Drop, 1, 0, wire(0x53, {7}), 2, nullptr},
        {"CAN input 8 numbered 10", CAN_INPUT_READ_CFM, 7, Renumber, 1, 9, wire(0x53, {7}), 2,
         nullptr},
        {"CAN input 32 numbered 255", CAN_INPUT_READ_CFM, 31, Renumber, -1, 255, wire(0x53, {31}),
         3,
         "CAN input 32; CAN input enable; unit name; virtual inputs 1 to 20; start and kill "
         "buttons; flash functions 1 to 5; wiper; sequences; PWM; CAN export 1; CAN exports 2 to "
         "4"},
        {"virtual input 4 twice", VIRTUAL_INPUT_READ_CFM, 3, Repeat, 1, 0, wire(0x55, {3}), 1,
         nullptr},
        {"flash 3 numbered 255", FLASH_READ_CFM, 2, Renumber, -1, 255, wire(0x59, {2}), 3,
         "flash functions 3 to 5; wiper; sequences; PWM; CAN export 1; CAN exports 2 to 4"},
        {"sequences twice", SEQUENCE_READ_CFM, -1, Repeat, 1, 0, wire(0x69), 1, nullptr},
        {"CAN export 3 never comes", CAN_EXPORT_READ_CFM, 1, Drop, -1, 0, wire(0x5B, {1}), 3,
         "CAN exports 3, 4"},
        {"CAN export numbered 5", CAN_EXPORT_READ_CFM, 0, Renumber, 1, 5, wire(0x5B, {0}), 1,
         "CAN exports 2 to 4"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ReadRig r;
        UnitScript unit(r);
        int left = c.times;
        bool unanswered = false;
        unit.answer = [&](const Bytes &request) {
            std::vector<Bytes> answers;
            const std::vector<Bytes> proper = readAnswers(request);
            for (std::size_t i = 0; i < proper.size(); ++i) {
                Bytes a = proper[i];
                const bool hit =
                    left != 0 && a[3] == c.answer && (c.record < 0 || a[4] == c.record);
                if (!hit) {
                    answers.push_back(a);
                    continue;
                }
                left = left > 0 ? left - 1 : left;
                // Only the last answer to a request leaves it waiting.
                unanswered = c.kind != Repeat && i + 1 == proper.size();
                if (c.kind == Renumber) {
                    a[0] ^= a[4] ^ std::uint8_t(c.newNumber);
                    a[4] = std::uint8_t(c.newNumber);
                }
                if (c.kind != Drop)
                    answers.push_back(a);
                if (c.kind == Repeat)
                    answers.push_back(a);
            }
            return answers;
        };
        unit.onTurn = [&](UnitScript &u) {
            if (unanswered && u.idle()) {
                unanswered = false;
                r.main().ReadAnswerTimeout();
            }
        };
        r.main().SettingsModified = 1;
        r.main().BtnLoadClick();

        ASSERT_FALSE(unit.stuck);
        EXPECT_EQ(std::count(unit.sent.begin(), unit.sent.end(), c.request), c.asked);
        EXPECT_FALSE(UpdateForm->isVisible());
        EXPECT_EQ(TransferState, tsIdle);
        EXPECT_EQ(r.main().TransferBusy, 0);
        if (!c.missing) {
            EXPECT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
            EXPECT_EQ(r.main().ReadFromDevice, 1);
            EXPECT_EQ(r.main().SettingsModified, 0);
            EXPECT_EQ(r.main().RefreshPending, 1);
            EXPECT_EQ(GetOutputName(10), "OUT 10");
            EXPECT_EQ(NameFromField(CanInputTable[7].Name, 16), "CANIN 7");
            continue;
        }
        EXPECT_EQ(r.dialogs.texts().join('|').toStdString(), notCompleted(c.missing).toStdString());
        EXPECT_EQ(r.main().ReadFromDevice, 0);
        EXPECT_EQ(r.main().SettingsModified, 1);
        EXPECT_EQ(r.main().RefreshPending, 0);
        // An answer that comes after the end goes nowhere.
        r.receive(block(CAN_EXPORT_READ_CFM, 74, 2, "", 0));
        EXPECT_TRUE(r.sent(5).empty());
    }
}

// The sequence labels follow the types as the block is stored, so they are
// right even when a later block never comes.
TEST(ReadAll, SequenceTypesShowTheirStepsAtOnce)
{
    ReadRig r;
    UnitScript unit(r);
    bool unanswered = false;
    unit.answer = [&](const Bytes &request) {
        std::vector<Bytes> answers = readAnswers(request);
        if (request[3] == SEQUENCE_READ_REQ) {
            for (int k = 0; k < 4; ++k)
                answers[0][4 + 19 * k + 1] = std::uint8_t(3 - k);
            answers[0][0] = FrameChecksum(answers[0].data() + 1, answers[0][1] - 1u);
        }
        if (request[3] == PWM_CONFIG_READ_REQ) {
            unanswered = true;
            return std::vector<Bytes>{};
        }
        return answers;
    };
    unit.onTurn = [&](UnitScript &u) {
        if (unanswered && u.idle()) {
            unanswered = false;
            r.main().ReadAnswerTimeout();
        }
    };
    r.main().BtnLoadClick();
    ASSERT_FALSE(unit.stuck);
    ASSERT_EQ(r.dialogs.texts().join('|').toStdString(),
              notCompleted("PWM; CAN export 1; CAN exports 2 to 4").toStdString());
    const Ui &ui = r.main().Config;
    for (int k = 1; k <= 4; ++k) {
        const auto at = static_cast<std::size_t>(k);
        EXPECT_EQ(ui.SequenceTypeComboBox[at]->currentIndex(), 4 - k);
        EXPECT_EQ(ui.SequenceTypeInfoLabel[at]->text(), SequenceStepPattern(4 - k)) << k;
    }
}

TEST(ReadAll, CancelInTheMiddleStopsTheChain)
{
    const std::vector<std::function<void()>> ways = {
        [] { UpdateForm->BtnCancel->click(); },
        [] { UpdateForm->close(); },
        [] {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(UpdateForm, &escape);
        },
    };
    for (std::size_t way = 0; way < ways.size(); ++way) {
        SCOPED_TRACE(way);
        ReadRig r;
        UnitScript unit(r);
        unit.answer = readAnswers;
        bool cancelled = false;
        unit.onTurn = [&](UnitScript &u) {
            if (!cancelled && !u.sent.empty() &&
                u.sent.back() == wire(VIRTUAL_INPUT_READ_REQ, {5})) {
                cancelled = true;
                ways[way]();
            }
        };
        r.main().BtnLoadClick();
        ASSERT_FALSE(unit.stuck);
        ASSERT_TRUE(cancelled);
        EXPECT_EQ(TransferState, tsIdle);
        EXPECT_FALSE(UpdateForm->isVisible());
        EXPECT_EQ(r.main().TransferBusy, 0);
        EXPECT_EQ(r.main().ReadFromDevice, 0);
        EXPECT_EQ(r.main().RefreshPending, 0);
        EXPECT_EQ(r.dialogs.count(), 0);

        // The answer that was on its way, and any later one, is not acted on.
        const std::size_t before = unit.sent.size();
        const QString name = NameFromField(VirtualInputTable[5].Name, 16);
        EXPECT_TRUE(r.sent(10).empty());
        r.receive(block(VIRTUAL_INPUT_READ_CFM, 31, 5, "LATE", 11));
        EXPECT_TRUE(r.sent(5).empty());
        EXPECT_EQ(unit.sent.size(), before);
        EXPECT_EQ(NameFromField(VirtualInputTable[5].Name, 16), name);
    }
}

TEST(ReadAll, DroppedAnswerEndsWithTheTimeout)
{
    ReadRig r;
    UnitScript unit(r);
    unit.answer = [](const Bytes &request) {
        if (request == wire(FLASH_READ_REQ, {2}))
            return std::vector<Bytes>{};
        return readAnswers(request);
    };
    unit.onTurn = [](UnitScript &u) {
        // The wait dialog ticks fast once the answer is missing.
        if (!u.sent.empty() && u.sent.back() == wire(FLASH_READ_REQ, {2}) &&
            UpdateForm->Timer1->interval() != 0)
            UpdateForm->Timer1->setInterval(0);
    };
    r.main().BtnLoadClick();
    UpdateForm->Timer1->setInterval(100);
    ASSERT_FALSE(unit.stuck);
    EXPECT_EQ(r.dialogs.texts(), QStringList{" Update timeout "});
    EXPECT_EQ(unit.sent.back(), wire(FLASH_READ_REQ, {2}));
    EXPECT_FALSE(UpdateForm->isVisible());
    EXPECT_EQ(r.main().TransferBusy, 0);
    EXPECT_EQ(r.main().ReadFromDevice, 0);
    EXPECT_EQ(r.main().RefreshPending, 0);
    EXPECT_EQ(TransferState, tsIdle);

    // The late answer does not start the chain again.
    r.receive(block(FLASH_READ_CFM, 30, 2, "", 0));
    EXPECT_TRUE(r.sent(5).empty());
}

TEST(ReadAll, VersionCheckDecidesWhetherTheReadRuns)
{
    const struct
    {
        std::optional<std::string> version;
        bool userCloses;
        const char *message; // nullptr: none
        bool reads;
    } cases[] = {
        {"8.00", false, nullptr, true},
        {"9.99", false, nullptr, true},
        {"7.99", false, "Wrong software version in target, use other program", false},
        {"10.00", false, "Wrong software version in target, use other program", false},
        {".52", false, "Wrong software version in target, use other program", false},
        {std::nullopt, false, "Timeout for software version", false},
        {std::nullopt, true, nullptr, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.version.value_or(c.userCloses ? "<closed>" : "<none>"));
        ReadRig r;
        UnitScript unit(r);
        unit.answer = readAnswers;
        unit.version = c.version;
        if (!c.version && !c.userCloses)
            TVersionForm::AnswerTimeoutMs = 0;
        if (c.userCloses)
            unit.onTurn = [](UnitScript &) {
                if (VersionForm)
                    VersionForm->close();
            };
        r.main().BtnLoadClick();
        ASSERT_FALSE(unit.stuck);
        EXPECT_EQ(r.dialogs.texts(), c.message ? QStringList{c.message} : QStringList{});
        EXPECT_EQ(unit.sent.size(), c.reads ? 71u : 0u);
        EXPECT_EQ(r.main().ReadFromDevice, c.reads ? 1 : 0);
        EXPECT_EQ(VersionForm, nullptr);
        EXPECT_FALSE(ToolWindows.Version.open());
    }
}

TEST(ReadAll, RefusedWithoutAccessOrConnection)
{
    {
        MainRig noAccess; // no unit has granted anything
        noAccess.main().BtnLoadClick();
        EXPECT_EQ(noAccess.dialogs.count(), 0);
        EXPECT_EQ(VersionForm, nullptr);
    }
    // Every way to start a read ends in the same message while no unit is connected.
    MainRig master({"KeeperEntry"});
    TMainForm &m = master.main();
    const std::vector<std::function<void()>> starts = {
        [&] { m.Config.BtnLoad->click(); },
        [&] { m.Config.BtnCanRead->click(); },
        [&] { m.Config.Button3->click(); },
        [&] { m.Config.Button5->click(); },
        [&] { m.Read2->trigger(); },
        [&] {
            QKeyEvent f8(QEvent::KeyPress, Qt::Key_F8, Qt::NoModifier);
            QCoreApplication::sendEvent(m.windowHandle(), &f8);
        },
    };
    for (const auto &start : starts)
        start();
    EXPECT_EQ(master.dialogs.texts(),
              QStringList(6, "Is not connected to target, please connect USB"));

    // Connected, but the firmware window has the link.
    master.dialogs.clear();
    master.connect();
    m.FirmwareWindowOpen = 1;
    m.BtnLoadClick();
    EXPECT_EQ(master.dialogs.texts(),
              QStringList{"Is not connected to target, please connect USB"});
    EXPECT_TRUE(master.sent().empty());
}

TEST(ReadAll, CanMonitorIsStoppedBeforeTheVersionCheck)
{
    ReadRig r;
    UnitScript unit(r);
    unit.version = "7.99"; // the check fails, so only what comes before it is sent
    bool checkOpenDuringWait = true;
    r.main().Wait = [&](std::uint32_t ms) {
        r.waits.push_back(ms);
        checkOpenDuringWait = VersionForm != nullptr;
    };
    r.main().Config.CANmonitorEnableComboBox->setCurrentIndex(1); // "Active messages"
    r.main().BtnLoadClick();
    EXPECT_EQ(r.main().Config.CANmonitorEnableComboBox->currentIndex(), 0);
    EXPECT_EQ(r.waits, std::vector<std::uint32_t>{200});
    EXPECT_FALSE(checkOpenDuringWait);
    // "Off" travels as a fifth byte outside Length and checksum.
    const Bytes monitorOff{std::uint8_t(4 ^ 1 ^ 0x5C), 4, 1, 0x5C, 0};
    EXPECT_EQ(unit.sent, std::vector<Bytes>{monitorOff});
}

TEST(ReadAll, NoTransferInsideAnother)
{
    ReadRig r;
    UnitScript unit(r);
    unit.answer = readAnswers;
    int reads = 0;
    bool triedNested = false;
    unit.onTurn = [&](UnitScript &u) {
        if (!triedNested && u.sent.size() == 10) {
            triedNested = true;
            EXPECT_TRUE(r.main().TransferRunning());
            r.main().BtnLoadClick(); // returns at once
            r.main().TimerSerial->start();
            r.main().TimerSerialTimer(); // the automatic read waits
            EXPECT_TRUE(r.main().TimerSerial->isActive());
        }
    };
    r.main().BtnLoadClick();
    ++reads;
    ASSERT_FALSE(unit.stuck);
    ASSERT_TRUE(triedNested);
    EXPECT_EQ(unit.sent, fullReadRequests());

    // Once the read is over, the automatic read runs.
    r.main().TimerSerialTimer();
    EXPECT_FALSE(r.main().TimerSerial->isActive());
    EXPECT_EQ(unit.sent.size(), 2 * 71u);
    EXPECT_EQ(r.dialogs.count(), 0);
}

TEST(ReadAll, ReadEventsOutsideAReadAreIgnored)
{
    ReadRig r;
    SetInputName(2, "KEEP");
    r.main().RefreshPending = 0; // asked for by the name edit itself
    r.receive(block(INPUT_CONFIG_READ_CFM, 21, 2, "STRAY", 5));
    r.receive(block(INPUT_CONFIG_READ_CFM, 21, 11, "STRAY", 5));
    r.receive(block(CAN_EXPORT_READ_CFM, 74, 7, "", 0));
    EXPECT_EQ(GetInputName(2), "KEEP");
    EXPECT_TRUE(r.sent().empty());
    EXPECT_EQ(r.main().RefreshPending, 0);
}

// ---- the full refresh ------------------------------------------------------------

TEST(FullRefresh, SelectionsStayByPositionWhileNamesChange)
{
    MainRig r;
    TMainForm &m = r.main();
    Ui &ui = m.Config;
    SetTriggerCode(7, 5);                      // CAN input 5
    SetTriggerCode(36, 0xC2);                  // wiper wash: input 3
    ui.CanExportBits[40]->setCurrentIndex(37); // input 3
    ui.EditCanInputName_ch[5]->setText("BRAKE");
    ui.EditInputName_ch[3]->setText("PUMP");
    ui.EditOutputName_ch[2]->setText("WIPER");
    FillCheckList(ui.CheckListBoxLowBatt, QStringList(34, "x"));
    SetCheckedQuietly(ui.CheckListBoxLowBatt, 2, true);
    SetCheckedQuietly(ui.CheckListBoxLowBatt, 17, true);
    SelectRowQuietly(ui.ListBoxCAN_INPUT, 4);

    m.RefreshPending = 1;
    m.TimerVersionTimer();
    EXPECT_EQ(m.RefreshPending, 0);

    EXPECT_EQ(ui.ComboBoxInputTrigCH[7]->currentIndex(), 17);
    EXPECT_EQ(ui.ComboBoxInputTrigCH[7]->currentText(), "BRAKE");
    EXPECT_EQ(GetTriggerCode(7), 5);
    EXPECT_EQ(ui.WiperWashInputComboBox->currentText(), "PUMP");
    EXPECT_EQ(ui.CanExportBits[40]->currentText(), "PUMP");
    for (int n = 1; n <= TriggerComboCount; ++n)
        EXPECT_EQ(TriggerCombo(n)->itemText(4), "PUMP") << n;
    for (QComboBox *combo : {ui.ComboBoxFlashInputTrig, ui.ComboBoxInputTrigStartButton,
                             ui.ComboBoxInputTrigKillButton, ui.ComboBoxVirtuel_1_Channel_[1]})
        EXPECT_EQ(combo->itemText(4), "PUMP") << combo->objectName().toStdString();
    for (QComboBox *combo : ui.CanExportBits)
        ASSERT_EQ(combo->itemText(37), "PUMP");
    EXPECT_EQ(ui.ComboBoxInputTrigCAN_Input->itemText(2), "PUMP");
    EXPECT_EQ(ui.LabelInputCh[3]->text(), "3: PUMP");
    EXPECT_EQ(ui.LabelHighPowerCh[2]->text(), "2: WIPER");
    EXPECT_EQ(NameFromField(CanInputTable[4].Name, 16), "BRAKE");

    ASSERT_EQ(ui.CheckListBoxLowBatt->count(), 34);
    EXPECT_EQ(ui.CheckListBoxLowBatt->item(1)->text(), "WIPER");
    for (int row = 0; row < 34; ++row)
        EXPECT_EQ(IsItemChecked(ui.CheckListBoxLowBatt, row), row == 2 || row == 17) << row;
    EXPECT_EQ(ui.CheckListBoxStartButton->count(), 34);
    EXPECT_EQ(ui.ListBoxCAN_INPUT->currentRow(), 4);
    EXPECT_EQ(ui.ListBoxCAN_INPUT->item(4)->text(), "BRAKE");
    EXPECT_EQ(ui.CANmonitorEnableComboBox->itemText(3 + 4), "BRAKE");
    EXPECT_EQ(ui.ComboBoxInputTrigStartButton->currentIndex(), 0);
}

TEST(FullRefresh, ShowsTheSelectedFlashFunction)
{
    MainRig r;
    Ui &ui = r.main().Config;
    FlashRecord record{};
    record.Continues = 1;
    record.InputTrigger = 0xC2; // input 3
    record.FlashTimeOn = 3;
    record.FlashTimeOff = 4;
    record.Duration = 5;
    const std::uint8_t channels[4] = {0, 33, 255, 40};
    std::copy(channels, channels + 4, record.ChannelList);
    NameToField(record.Name, sizeof record.Name, 15, "STROBE");
    FlashTable[0] = record;
    SelectRowQuietly(ui.ListBoxFlashNo, -1);

    r.main().RefreshAllControls();

    EXPECT_EQ(ui.ListBoxFlashNo->currentRow(), 0);
    EXPECT_EQ(ui.ListBoxFlashNo->item(0)->text(), "STROBE");
    EXPECT_EQ(ui.EditFlashName->text(), "STROBE");
    EXPECT_TRUE(ui.CheckBoxFlash->isChecked());
    EXPECT_EQ(ListIndexToTriggerCode(ui.ComboBoxFlashInputTrig->currentIndex()), 0xC2);
    EXPECT_EQ(ui.EditFlashOnTime->text(), "300");
    EXPECT_EQ(ui.EditFlashOffTime->text(), "400");
    EXPECT_EQ(ui.EditFlashDuration->text(), "500");
    ASSERT_EQ(ui.CheckListBoxFlashOutputList->count(), 34);
    for (int row = 0; row < 34; ++row)
        EXPECT_EQ(IsItemChecked(ui.CheckListBoxFlashOutputList, row), row == 0 || row == 33) << row;
}

TEST(FullRefresh, StopsTheCanMonitorAndTellsAConnectedUnit)
{
    {
        MainRig offline;
        offline.main().Config.CANmonitorEnableComboBox->setCurrentIndex(5);
        offline.main().RefreshAllControls();
        EXPECT_EQ(offline.main().Config.CANmonitorEnableComboBox->currentText(), "Off");
        EXPECT_TRUE(offline.sent().empty());
    }
    ReadRig r;
    QComboBox *monitor = r.main().Config.CANmonitorEnableComboBox;
    r.main().RefreshAllControls();
    EXPECT_TRUE(r.sent().empty()) << "already off: nothing to tell";
    monitor->setCurrentIndex(2);
    r.main().RefreshAllControls();
    EXPECT_EQ(monitor->currentIndex(), 0);
    EXPECT_EQ(r.sent(), std::vector<Bytes>{Bytes({std::uint8_t(4 ^ 1 ^ 0x5C), 4, 1, 0x5C, 0})});
}

} // namespace
