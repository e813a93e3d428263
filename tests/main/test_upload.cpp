// The upload's chain, its guards and its endings, played against the
// simulated unit's settings memory one worker pass at a time.
#include "tests/main/UnitScript.h"

#include "config/SettingsFile.h"
#include "config/Settingsunit.h"
#include "config/Transfer.h"
#include "forms/ConfigPagesUi.h"
#include "sim/SimulatedUnit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "support/ReadRequests.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace devlink;
using testsupport::Bytes;
using testsupport::MainRig;
using testsupport::UnitScript;
using testsupport::wire;

namespace {

// Write requests of a complete upload, in the order of the chain.
std::vector<std::uint8_t> uploadCommands()
{
    std::vector<std::uint8_t> c;
    const auto add = [&c](std::uint8_t command, int times) { c.insert(c.end(), times, command); };
    add(INPUT_CONFIG_WRITE_REQ, 11);
    add(OUTPUT_CONFIG_WRITE_REQ, 34);
    add(LOW_BATTERY_WRITE_REQ, 1);
    add(CAN_SETUP_WRITE_REQ, 1);
    add(START_KILL_WRITE_REQ, 1);
    add(CAN_INPUT_WRITE_REQ, 32);
    add(CAN_INPUT_ENABLE_WRITE_REQ, 1);
    add(BOX_NAME_WRITE_REQ, 1);
    add(VIRTUAL_INPUT_WRITE_REQ, 20);
    add(FLASH_WRITE_REQ, 5);
    for (std::uint8_t one :
         {WIPER_WRITE_REQ, SEQUENCE_WRITE_REQ, PWM_CONFIG_WRITE_REQ, CAN_EXPORT1_WRITE_REQ})
        add(one, 1);
    add(CAN_EXPORT_WRITE_REQ, 3);
    return c;
}

// A main window connected with read/write access, its pages read from the
// simulated unit, which then answers every request.
struct UploadRig : MainRig
{
    sim::SimulatedUnit unit;
    UnitScript script{*this};

    UploadRig()
    {
        std::memset(CanInputTable.data(), 0, sizeof CanInputTable);
        std::memset(VirtualInputTable.data(), 0, sizeof VirtualInputTable);
        std::memset(FlashTable.data(), 0, sizeof FlashTable);
        connect();
        receive(passwords({}, {}));
        main().TimerSerial->stop();
        sent();
        main().Wait = [](std::uint32_t) {};
        script.answer = [this](const Bytes &request) { return fromUnit(request); };
        main().BtnLoadClick();
        EXPECT_EQ(main().ReadFromDevice, 1);
        main().TimerVersionTimer(); // the refresh after the read
        sent();
        script.sent.clear();
        dialogs.clear();
    }

    std::vector<Bytes> fromUnit(const Bytes &request)
    {
        return unit.feed(SlipEncode(request.data(), request.size()));
    }

    // The write requests the tool sent.
    std::vector<std::uint8_t> writes() const
    {
        std::vector<std::uint8_t> w;
        for (std::uint8_t c : script.commands())
            if (c != REBOOT_REQ)
                w.push_back(c);
        return w;
    }
};

TEST(Upload, CompleteUploadFollowsTheChainOnlyOnItsOwnAcknowledgements)
{
    for (const vcl::MsgButton reboot : {vcl::MsgButton::Yes, vcl::MsgButton::No}) {
        SCOPED_TRACE(reboot == vcl::MsgButton::Yes ? "reboot" : "no reboot");
        UploadRig r;
        // Before each true acknowledgement, acknowledgements of something
        // else: another record of the same block, another block.
        r.script.answer = [&r](const Bytes &request) {
            std::vector<Bytes> answers = {
                MainRig::frame(NodeApplication, CAN_INPUT_WRITE_CFM, {40})};
            const std::uint8_t code = request[3];
            if (code != INPUT_CONFIG_WRITE_REQ)
                answers.push_back(MainRig::frame(NodeApplication, INPUT_CONFIG_WRITE_CFM));
            if (code == CAN_INPUT_WRITE_REQ || code == VIRTUAL_INPUT_WRITE_REQ ||
                code == FLASH_WRITE_REQ || code == CAN_EXPORT_WRITE_REQ)
                answers.push_back(
                    MainRig::frame(NodeApplication, ReplyCode(NodeApplication, code),
                                   {static_cast<std::uint8_t>(request[4] ? request[4] - 1 : 1)}));
            for (Bytes &a : r.fromUnit(request))
                answers.push_back(a);
            return answers;
        };
        r.main().SettingsModified = 1;
        SetBoxName(QStringLiteral("Uploaded"));
        r.dialogs.answer(reboot);
        // Refresh times typed below their minimum, the focus still in their
        // edits (F9 and the menu do not take it): sent as the minimum.
        QLineEdit *export1 = r.main().Config.Edit_REFRESS_Export[1];
        QLineEdit *export3 = r.main().Config.Edit_REFRESS_Export[3];
        export1->selectAll();
        MainRig::type(export1, "\b");
        export3->selectAll();
        MainRig::type(export3, "5");

        r.main().BtnSaveClick();
        const std::vector<Bytes> afterwards = r.sent(5);

        ASSERT_FALSE(r.script.stuck);
        EXPECT_EQ(r.writes(), uploadCommands());
        ASSERT_EQ(r.writes().size(), 114u);
        EXPECT_EQ(r.dialogs.texts(), QStringList{"Reboot Target to use new settings?"});
        EXPECT_EQ(r.dialogs.last().defaultButton, vcl::MsgButton::Yes);
        EXPECT_EQ(afterwards, reboot == vcl::MsgButton::Yes ? std::vector<Bytes>{wire(REBOOT_REQ)}
                                                            : std::vector<Bytes>{});
        EXPECT_EQ(TransferState, tsIdle);
        EXPECT_EQ(TransferItem, 0);
        EXPECT_EQ(r.main().TransferBusy, 0);
        EXPECT_EQ(r.main().RefreshPending, 1);
        EXPECT_EQ(r.main().SettingsModified, 0);
        EXPECT_EQ(sim::nameText(r.unit.settings().boxName), "Uploaded");
        EXPECT_EQ(r.unit.settings().canExport1.refreshTime, 20);
        EXPECT_EQ(r.unit.settings().canExports[1].refreshTime, 20);
        EXPECT_EQ(export3->text(), "20");
    }
}

TEST(Upload, CancelOrTimeoutIsReportedAsNotDone)
{
    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancel" : "timeout");
        UploadRig r;
        std::optional<Bytes> heldBack;
        r.script.answer = [&](const Bytes &request) {
            std::vector<Bytes> answers = r.fromUnit(request);
            if (request[3] == CAN_INPUT_WRITE_REQ && request[4] == 3) {
                heldBack = answers.front();
                return std::vector<Bytes>{};
            }
            return answers;
        };
        r.script.onTurn = [&](UnitScript &) {
            if (!heldBack || !UpdateForm->isVisible())
                return;
            if (cancel)
                UpdateForm->BtnCancel->click();
            else if (UpdateForm->Timer1->interval() != 0)
                UpdateForm->Timer1->setInterval(0); // the wait dialog ticks fast
        };
        r.main().SettingsModified = 1;
        SetBoxName(QStringLiteral("Never sent"));
        SetInputName(1, QStringLiteral("Sent"));
        r.main().RefreshPending = 0; // asked for by the name edit itself
        r.dialogs.answer(vcl::MsgButton::Ok);
        r.dialogs.answer(vcl::MsgButton::Ok);
        r.dialogs.answer(vcl::MsgButton::No); // no reboot

        r.main().BtnSaveClick();
        UpdateForm->Timer1->setInterval(100);

        ASSERT_FALSE(r.script.stuck);
        ASSERT_TRUE(heldBack);
        // Up to CAN input record 3: inputs, outputs, three blocks, four records.
        const std::vector<std::uint8_t> all = uploadCommands();
        EXPECT_EQ(r.writes(), std::vector<std::uint8_t>(all.begin(), all.begin() + 48 + 4));
        // The report, then the reboot question, which follows every upload.
        const QStringList texts = r.dialogs.texts();
        ASSERT_EQ(texts.size(), cancel ? 2 : 3) << texts.join('|').toStdString();
        EXPECT_EQ(texts.contains(" Update timeout "), !cancel);
        EXPECT_TRUE(texts[texts.size() - 2].startsWith("The upload did not complete"));
        EXPECT_EQ(texts.last(), "Reboot Target to use new settings?");
        EXPECT_EQ(r.dialogs.last().defaultButton, vcl::MsgButton::No)
            << "Enter does not reboot the unit on part of the settings";
        EXPECT_EQ(r.main().SettingsModified, 1);
        EXPECT_EQ(r.main().RefreshPending, 0);
        EXPECT_EQ(r.main().TransferBusy, 0);
        EXPECT_EQ(TransferState, tsIdle);
        EXPECT_EQ(sim::nameText(r.unit.settings().inputs[0].name), "Sent");
        EXPECT_NE(sim::nameText(r.unit.settings().boxName), "Never sent");

        // The acknowledgement that comes late goes on with nothing.
        r.receive(*heldBack);
        EXPECT_TRUE(r.sent(5).empty());
    }
}

TEST(Upload, GuardsSendNothing)
{
    const struct
    {
        const char *name;
        std::function<void(UploadRig &)> set;
        const char *message; // nullptr: none
        // What the pages show afterwards, unchanged by the refusal.
        std::function<void(UploadRig &)> shown = {};
    } cases[] = {
        {"read-only access", [](UploadRig &r) { r.main().ReadWriteAccess = 0; }, nullptr},
        {"transfer running", [](UploadRig &r) { r.main().TransferBusy = 1; }, nullptr},
        {"firmware window open", [](UploadRig &r) { r.main().FirmwareWindowOpen = 1; },
         "Is not connected to target, please connect USB"},
        {"not connected", [](UploadRig &) { Connected = 0; },
         "Is not connected to target, please connect USB"},
        {"an entry that cannot go",
         [](UploadRig &r) { r.main().Config.EditCAN_ID_Export[3]->setText("XYZ"); },
         "Nothing was uploaded.\n\nCAN Export, CAN export 3, CAN ID: \"XYZ\" is no hexadecimal "
         "number."},
        {"letters for a current",
         [](UploadRig &r) { r.main().Config.EditMaxCurrentCH[1]->setText("abc"); },
         "Nothing was uploaded.\n\nOutputs, channel 1, maximum current: \"abc\" is no number."},
        {"letters for a switch-off voltage",
         [](UploadRig &r) { r.main().Config.EditLowVoltageTrig->setText("low"); },
         "Nothing was uploaded.\n\nLow Battery, switch-off voltage: \"low\" is no number."},
        // Loaded as the file has them, refused only on their way to the unit.
        {"an on-time of 25.9 s loaded",
         [](UploadRig &r) {
             ASSERT_TRUE(LoadSettingsText("[OUTPUT]\nON_TIME5=259\n").ok());
             EXPECT_EQ(r.main().Config.EditOnTimeCH[5]->text(), "25.9");
         },
         "Nothing was uploaded.\n\nOutputs, channel 5, on time: \"25.9\" is outside what the "
         "unit takes, 0.0 to 25.5.",
         [](UploadRig &r) { EXPECT_EQ(r.main().Config.EditOnTimeCH[5]->text(), "25.9"); }},
        {"a CAN export identifier above FFFF loaded",
         [](UploadRig &r) {
             ASSERT_TRUE(LoadSettingsText("[CAN_EXPORT_2]\nCAN_ID=536870912\n").ok());
             EXPECT_EQ(r.main().Config.EditCAN_ID_Export[2]->text(), "20000000");
         },
         "Nothing was uploaded.\n\nCAN Export, CAN export 2, CAN ID: \"20000000\" is outside "
         "what the unit takes, 0 to FFFF.",
         [](UploadRig &r) { EXPECT_EQ(r.main().Config.EditCAN_ID_Export[2]->text(), "20000000"); }},
        {"a negative maximum current typed",
         [](UploadRig &r) { r.main().Config.EditMaxCurrentCH[3]->setText("-5"); },
         "Nothing was uploaded.\n\nOutputs, channel 3, maximum current: \"-5\" is outside what "
         "the unit takes, 0.0 to 6553.5.",
         [](UploadRig &r) { EXPECT_EQ(r.main().Config.EditMaxCurrentCH[3]->text(), "-5"); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        UploadRig r;
        c.set(r);
        bool versionAsked = false;
        r.script.onTurn = [&](UnitScript &) { versionAsked = versionAsked || VersionForm; };
        r.main().BtnSaveClick();
        if (c.message)
            EXPECT_EQ(r.dialogs.texts(), QStringList{c.message});
        else
            EXPECT_EQ(r.dialogs.count(), 0);
        EXPECT_FALSE(versionAsked);
        EXPECT_TRUE(r.sent(5).empty());
        EXPECT_TRUE(r.script.sent.empty());
        if (c.shown)
            c.shown(r);
    }
}

TEST(Upload, FactoryResetAsksThenReadsBack)
{
    for (const vcl::MsgButton answer : {vcl::MsgButton::Yes, vcl::MsgButton::No}) {
        SCOPED_TRACE(answer == vcl::MsgButton::Yes ? "yes" : "no");
        UploadRig r;
        sim::SettingsMemory changed = r.unit.settings();
        changed.boxName = sim::nameField<16>("Changed");
        r.unit.setSettings(changed);
        r.main().SettingsModified = 1;
        r.dialogs.answer(answer);

        r.main().BtnDefaultValueClick();

        ASSERT_FALSE(r.script.stuck);
        EXPECT_EQ(r.dialogs.texts(),
                  QStringList{"This will reset the tessaron to factory settings?"});
        if (answer == vcl::MsgButton::No) {
            EXPECT_TRUE(r.script.sent.empty());
            EXPECT_EQ(r.unit.settings(), changed);
            continue;
        }
        ASSERT_FALSE(r.script.sent.empty());
        EXPECT_EQ(r.script.sent.front(), wire(FACTORY_RESET_REQ));
        EXPECT_EQ(std::vector<Bytes>(r.script.sent.begin() + 1, r.script.sent.end()),
                  testsupport::fullReadRequests());
        EXPECT_EQ(r.unit.settings(), sim::SettingsMemory::factory());
        EXPECT_EQ(GetBoxName(), "Tessaron QM5230");
        EXPECT_EQ(r.main().SettingsModified, 0);
        EXPECT_EQ(r.main().TransferBusy, 0);
        EXPECT_EQ(TransferState, tsIdle);
    }
}

} // namespace
