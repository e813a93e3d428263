// Uploading through the real windows and worker thread to the paced simulated
// unit: what the pages show after a read and a few edits is what the unit
// holds after the upload; a factory reset brings back the unit's factory set.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "config/Settingsunit.h"
#include "config/Transfer.h"
#include "forms/ConfigPagesUi.h"
#include "sim/SettingsMemory.h"

#include <QComboBox>
#include <QEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstring>

using testsupport::E2ERig;

namespace {

// Whether the main window was asked to show its settings again: the link
// timer's next tick shows them and clears the request, so a slow machine can
// see that tick before the test looks. Watched on the timer's own event,
// before its handler runs.
struct RefreshAsked : QObject
{
    TMainForm &main;
    bool seen = false;
    explicit RefreshAsked(TMainForm &m) : main(m) { main.TimerVersion->installEventFilter(this); }
    ~RefreshAsked() override { main.TimerVersion->removeEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        seen = seen || (event->type() == QEvent::Timer && main.RefreshPending);
        return false;
    }
    bool operator()() const { return seen || main.RefreshPending; }
};

// The factory set as it comes back from a read and an unchanged upload: the
// pages list channels in channel order, show an erased sequence name as no
// name, and give outputs on input 1 (the supply) no level of their own.
sim::SettingsMemory factoryThroughThePages()
{
    sim::SettingsMemory m = sim::SettingsMemory::factory();
    std::sort(m.startKill.startChannels.begin(), m.startKill.startChannels.end());
    for (sim::SequenceSettings &s : m.sequences)
        if (static_cast<std::uint8_t>(s.name[0]) == 255)
            s.name = {};
    for (sim::OutputSettings &o : m.outputs)
        if (o.trigger == 0xC0)
            o.triggerLevel = 1;
    return m;
}

TEST(EndToEndUpload, ReadEditUploadAndReadBack)
{
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    r.connectAndRead();
    TConfigPagesUi &ui = r.main().Config;

    sim::SettingsMemory expected = factoryThroughThePages();
    // A name, a current, a trigger on the pages.
    SetOutputName(3, QStringLiteral("Fog lamp"));
    expected.outputs[2].name = sim::nameField<15>("Fog lamp");
    SetMaxCurrent(2, 123);
    expected.outputs[1].maxCurrentTenths = 123;
    SetTriggerCode(12, 0xC4);
    expected.outputs[11].trigger = 0xC4;
    // A CAN input record and a flash record in their tables.
    CanInputRecord &can = CanInputTable[6];
    can.Enabled = 1;
    can.CanIdOn = 0x1F0;
    can.ValueOn = 500;
    can.OperatorOn = 2;
    can.Multiplicator = 0.5f;
    SetCanInputName(7, QStringLiteral("Oil level"));
    sim::CanInputSettings &c = expected.canInputs[6];
    c.enabled = 1;
    c.canIdOn = 0x1F0;
    c.valueOn = 500;
    c.operatorOn = 2;
    c.multiplicator = 0.5f;
    c.name = sim::nameField<15>("Oil level");
    FlashTable[3] = {1, 0, 0xC6, 3, 4, 20, {9, 255, 255, 255}, {}};
    SetFlashName(4, QStringLiteral("Beacon flash"));
    expected.flash[3] = {
        1, 0, 0xC6, 3, 4, 20, {9, 255, 255, 255}, sim::nameField<15>("Beacon flash")};
    // A sequence.
    SetTriggerCode(41, 0xC7);
    ui.SequenceTypeComboBox[2]->setCurrentIndex(3);
    SetSequenceName(2, QStringLiteral("Work lights"));
    expected.sequences[1] = {0xC7, 3, sim::nameField<16>("Work lights")};

    r.main().BtnSaveClick();

    ASSERT_FALSE(watchdog.fired);
    EXPECT_EQ(r.dialogs.texts(), QStringList{"Reboot Target to use new settings?"});
    EXPECT_EQ(TransferState, tsIdle);
    EXPECT_EQ(r.main().TransferBusy, 0);
    const sim::SettingsMemory held = r.unit->unit().settings();
    EXPECT_EQ(held.outputs, expected.outputs);
    EXPECT_EQ(held.canInputs, expected.canInputs);
    EXPECT_EQ(held.flash, expected.flash);
    EXPECT_EQ(held.sequences, expected.sequences);
    EXPECT_EQ(held, expected);

    // A read gives back what was uploaded.
    SetOutputName(3, QStringLiteral("Overwritten"));
    std::memset(FlashTable.data(), 0, sizeof FlashTable);
    r.main().BtnLoadClick();
    EXPECT_EQ(GetOutputName(3), "Fog lamp");
    EXPECT_EQ(GetMaxCurrent(2), 123);
    EXPECT_EQ(GetTriggerCode(12), 0xC4);
    EXPECT_EQ(+CanInputTable[6].CanIdOn, 0x1F0u);
    EXPECT_EQ(GetFlashName(4), "Beacon flash");
    EXPECT_EQ(GetSequenceName(2), "Work lights");
}

TEST(EndToEndUpload, FactoryResetRestoresTheFactorySetAndReadsItBack)
{
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    sim::SettingsMemory changed = sim::SettingsMemory::factory();
    changed.boxName = sim::nameField<16>("Workshop unit");
    changed.outputs[0].name = sim::nameField<15>("Spot lamp");
    changed.flash[0].name = sim::nameField<15>("Strobe");
    r.unit->unit().setSettings(changed);
    ModalWatchdog watchdog(60000);
    r.connectAndRead();
    ASSERT_EQ(GetBoxName(), "Workshop unit");

    r.main().BtnDefaultValueClick();

    ASSERT_FALSE(watchdog.fired);
    EXPECT_EQ(r.dialogs.texts(), QStringList{"This will reset the tessaron to factory settings?"});
    EXPECT_EQ(r.unit->unit().settings(), sim::SettingsMemory::factory());
    EXPECT_EQ(GetBoxName(), "Tessaron QM5230");
    EXPECT_EQ(GetOutputName(1), "Headlight L");
    EXPECT_EQ(GetFlashName(1), "Indicator L");
    EXPECT_EQ(r.main().ReadFromDevice, 1);
    EXPECT_EQ(r.main().TransferBusy, 0);
}

// Faults on the link in the middle of an upload. An acknowledgement that is
// lost for good stops the chain, and the wait dialog, ticking fast once the
// fault has hit, ends it as not completed; the others are recovered from.
// The reboot question follows every upload and is answered No here.
TEST(EndToEndUpload, LinkFaults)
{
    using Fault = sim::SimLine::AnswerFault;
    using namespace std::chrono_literals;
    testsupport::QuickVersionCheck quickCheck;
    const struct
    {
        const char *what;
        std::function<void(sim::SimLine &)> arm;
        bool unplug;
        bool timesOut; // the wait dialog gives up
        bool completes;
    } cases[] = {
        {"CAN input 6 acknowledgement lost",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Drop, {0xD2, 5});
         },
         false, true, false},
        {"output acknowledgement corrupted",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Corrupt, {0x81, std::nullopt});
         },
         false, true, false},
        {"virtual input 4 acknowledged twice",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Repeat, {0xD4, 3});
         },
         false, false, true},
        {"wiper acknowledged late",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Delay, {0xE5, std::nullopt}, 1, 300ms);
         },
         false, false, true},
        {"flash 3 acknowledged as 9",
         [](sim::SimLine &l) {
             l.renumberAnswers({0xD8, 2}, 9);
         },
         false, false, true},
        {"CAN export 3 acknowledged as 9",
         [](sim::SimLine &l) {
             l.renumberAnswers({0xDA, 1}, 7);
         },
         false, false, false},
        {"bad-frame report for CAN input 3",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::SerialError, {0xD2, 2});
         },
         false, false, true},
        {"silent from virtual input 10 on",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Silence, {0xD4, 9});
         },
         false, true, false},
        {"unplugged at virtual input 10",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Silence, {0xD4, 9});
         },
         true, true, false},
    };
    // One connection serves every case; the cable is pulled in the last.
    E2ERig r;
    r.connectAndRead();
    SetOutputName(3, QStringLiteral("Fog lamp"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ModalWatchdog watchdog(60000);
        r.dialogs.clear();
        r.unit->line().clearAnswerFaults();
        r.unit->unit().setSettings(sim::SettingsMemory::factory());
        r.main().RefreshPending = 0; // asked for by the name edit itself
        RefreshAsked refreshAsked(r.main());
        const int faultedBefore = r.unit->line().faultedAnswers();
        c.arm(r.unit->line());
        if (c.timesOut)
            r.dialogs.answer(vcl::MsgButton::Ok);
        if (!c.completes)
            r.dialogs.answer(vcl::MsgButton::Ok);
        r.dialogs.answer(vcl::MsgButton::No);
        QTimer watch;
        bool pulled = false;
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            if (r.unit->line().faultedAnswers() == faultedBefore || !UpdateForm->isVisible())
                return;
            if (c.unplug && !pulled) {
                pulled = true;
                r.unit->unplug();
            }
            if (c.timesOut && UpdateForm->Timer1->interval() != 0)
                UpdateForm->Timer1->setInterval(0);
        });
        watch.start(5);

        r.main().BtnSaveClick();
        watch.stop();
        UpdateForm->Timer1->setInterval(100);

        ASSERT_FALSE(watchdog.fired);
        const QStringList texts = r.dialogs.texts();
        ASSERT_FALSE(texts.isEmpty());
        EXPECT_EQ(texts.last(), "Reboot Target to use new settings?");
        EXPECT_EQ(texts.contains(" Update timeout "), c.timesOut) << texts.join('|').toStdString();
        EXPECT_EQ(texts.size(), 1 + (c.timesOut ? 1 : 0) + (c.completes ? 0 : 1))
            << texts.join('|').toStdString();
        EXPECT_EQ(r.main().TransferBusy, 0);
        EXPECT_EQ(TransferState, tsIdle);
        EXPECT_EQ(refreshAsked(), c.completes);
        if (c.completes) {
            EXPECT_EQ(r.main().SettingsModified, 0);
            sim::SettingsMemory expected = factoryThroughThePages();
            expected.outputs[2].name = sim::nameField<15>("Fog lamp");
            EXPECT_EQ(r.unit->unit().settings(), expected);
        } else {
            EXPECT_TRUE(texts[texts.size() - 2].startsWith("The upload did not complete"));
        }
    }
}

} // namespace
