// Reading all settings from the simulated unit through the real windows and
// the real worker thread: the automatic read after connecting sends the
// chain's requests byte for byte, and every block lands where it belongs.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "config/Settingsunit.h"
#include "config/Transfer.h"
#include "forms/ConfigPagesUi.h"
#include "platform/vcl/Numbers.h"
#include "sim/SettingsMemory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTextEdit>
#include <QTimer>

#include "support/ReadRequests.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

using testsupport::E2ERig;
using testsupport::fullReadRequests;
using testsupport::wire;
using Bytes = std::vector<std::uint8_t>;

namespace {

using Ui = TConfigPagesUi;

// The frames the tool queued for the unit, in order, as the trace shows them.
std::vector<Bytes> framesSent(const QString &trace)
{
    static const QString tx = QStringLiteral("-> Tx;add to Tx buffer: ");
    std::vector<Bytes> frames;
    devlink::RxFrameDecoder decoder(
        [&](const std::uint8_t *f, std::size_t n) { frames.emplace_back(f, f + n); });
    for (const QString &line : trace.split('\n')) {
        const qsizetype at = line.indexOf(tx);
        if (at < 0)
            continue;
        for (const QString &number : line.mid(at + tx.size()).split(' ', Qt::SkipEmptyParts))
            decoder.PutByte(static_cast<std::uint8_t>(number.toUInt()));
    }
    return frames;
}

template <std::size_t N> QString text(const sim::NameField<N> &field)
{
    return QString::fromLatin1(sim::nameText(field).c_str());
}

std::set<int> checkedRows(const QListWidget *list)
{
    std::set<int> rows;
    for (int row = 0; row < list->count(); ++row)
        if (IsItemChecked(list, row))
            rows.insert(row);
    return rows;
}

// Rows for the channels 1..34 listed, 0-based.
template <std::size_t N> std::set<int> channelRows(const std::array<std::uint8_t, N> &channels)
{
    std::set<int> rows;
    for (std::uint8_t c : channels)
        if (c >= 1 && c <= 34)
            rows.insert(c - 1);
    return rows;
}

QString hex3(unsigned value)
{
    return QString::number(value, 16).toUpper().rightJustified(3, '0');
}

// The factory image with values that tell offsets and byte order apart.
sim::SettingsMemory distinctSettings()
{
    sim::SettingsMemory m = sim::SettingsMemory::factory();
    m.inputs[4].mode = 1;
    m.outputs[0].lowCurrentTenths = 0x0102;
    m.outputs[1].maxCurrentTenths = 0x0123;
    sim::CanInputSettings &c = m.canInputs[5];
    c = {.enabled = 1,
         .noCanDataState = 2,
         .canIdOn = 0x123,
         .canIdOff = 0x456,
         .valueOn = 0x789,
         .valueOff = 0xABC,
         .operatorOn = -1,
         .operatorOff = 5,
         .highByteOnPos = 1,
         .lowByteOnPos = 2,
         .highByteOffPos = 3,
         .lowByteOffPos = 4,
         .name = sim::nameField<15>("Oil pressure lo"),
         .rowEnabled = 1,
         .rowIndex = 6,
         .rowValue = 7,
         .dataType = 1,
         .dimensionName = sim::nameField<5>("bar"),
         .multiplicator = 2.5f,
         .calOffset = -7};
    m.virtualInputs[2] = {{2, 255, 40}, {2, 1}, sim::nameField<15>("Both doors"), {1, 2, 3}, 5};
    m.canExport1.dataBytes[17] = 18;
    m.canExports[2].bits[63] = 46;
    return m;
}

TEST(EndToEndRead, AutomaticReadAfterConnecting)
{
    testsupport::QuickVersionCheck quickCheck;

    E2ERig r;
    const sim::SettingsMemory m = distinctSettings();
    r.unit->unit().setSettings(m);
    ModalWatchdog watchdog(30000);
    r.connectThroughSelection();
    // The read runs inside the wait dialog, itself inside the wait below.
    ASSERT_TRUE(r.waitFor([&] { return r.main().ReadFromDevice == 1; }, 30000))
        << r.trace().toStdString();
    ASSERT_FALSE(watchdog.fired);
    EXPECT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(TransferState, tsIdle);
    EXPECT_EQ(r.main().TransferBusy, 0);

    // The requests on the wire, from the first of the read on.
    const std::vector<Bytes> sent = framesSent(r.trace());
    const auto first = std::find(sent.begin(), sent.end(), wire(0x04, {0xFF}));
    ASSERT_NE(first, sent.end());
    ASSERT_GE(sent.end() - first, 71);
    EXPECT_EQ(std::vector<Bytes>(first, first + 71), fullReadRequests());

    const Ui &ui = r.main().Config;

    // Inputs.
    for (int n = 1; n <= 11; ++n) {
        EXPECT_EQ(GetInputName(n), text(m.inputs[n - 1].name)) << n;
        EXPECT_EQ(GetInputMode(n), m.inputs[n - 1].mode) << n;
    }
    // Outputs: the maximum current big-endian, the low current little-endian.
    for (int ch = 1; ch <= 34; ++ch) {
        SCOPED_TRACE(ch);
        const sim::OutputSettings &o = m.outputs[ch - 1];
        EXPECT_EQ(GetOutputName(ch), text(o.name));
        EXPECT_EQ(GetTriggerCode(ch), o.trigger);
        EXPECT_EQ(GetDelay(ch), o.delayTenths);
        EXPECT_EQ(GetOnTime(ch), o.onTimeTenths);
        if (ch <= 18) {
            EXPECT_EQ(GetMaxCurrent(ch), o.maxCurrentTenths);
            EXPECT_EQ(GetPeakTime(ch), o.peakTimeTenths);
            EXPECT_EQ(GetLowCurrent(ch), o.lowCurrentTenths);
            EXPECT_EQ(GetLowCurrentTime(ch), o.lowCurrentTimeTenths);
        }
        // Only inputs 2..11 offer a choice of level.
        const int entry = TriggerCodeToListIndex(o.trigger);
        if (entry >= 3 && entry <= 12) {
            EXPECT_EQ(GetTrigLevel(ch), o.triggerLevel);
        }
    }
    // Low battery.
    EXPECT_EQ(ui.EditLowVoltageTrig->text(), vcl::FormatTenths(m.lowBattery.lowVoltageTenths));
    EXPECT_EQ(ui.EditUpperVoltageTrig->text(), vcl::FormatTenths(m.lowBattery.upperVoltageTenths));
    EXPECT_EQ(checkedRows(ui.CheckListBoxLowBatt), channelRows(m.lowBattery.shedChannels));
    // CAN setup.
    EXPECT_EQ(ui.CANbitRateComboBox->currentText(), "250 kbit/s");
    EXPECT_EQ(ui.CANdelayBeforeNoCANdataEdit->text(), QString::number(m.canSetup.noCanDataDelay));
    EXPECT_EQ(ui.CANresetChannelErrorIDedit->text(), hex3(m.canSetup.resetErrorId));
    EXPECT_EQ(ui.CANresetChannelErrorDataCombo->currentIndex(), m.canSetup.resetErrorDataByte);
    EXPECT_EQ(ui.CANresetChannelErrorBitMaskEdit->text().toInt(nullptr, 16),
              m.canSetup.resetErrorBitMask);
    EXPECT_EQ(ui.AutoResetChannelErrorEdit->text(),
              QString::number(m.canSetup.autoResetChannelErrors));
    EXPECT_EQ(ui.CANexport5IntervalEdit->text(), QString::number(m.canSetup.export5Interval));
    EXPECT_EQ(ui.CANexport5BaseIDEdit->text(), hex3(m.canSetup.export5BaseId));
    // CAN inputs.
    for (int i = 0; i < 32; ++i) {
        SCOPED_TRACE(i);
        const CanInputRecord &t = CanInputTable[static_cast<std::size_t>(i)];
        const sim::CanInputSettings &c = m.canInputs[static_cast<std::size_t>(i)];
        EXPECT_EQ(t.Enabled, c.enabled);
        EXPECT_EQ(+t.NoCanDataState, c.noCanDataState);
        EXPECT_EQ(+t.CanIdOn, c.canIdOn);
        EXPECT_EQ(+t.CanIdOff, c.canIdOff);
        EXPECT_EQ(+t.ValueOn, c.valueOn);
        EXPECT_EQ(+t.ValueOff, c.valueOff);
        EXPECT_EQ(static_cast<std::int32_t>(t.OperatorOn), c.operatorOn);
        EXPECT_EQ(static_cast<std::int32_t>(t.OperatorOff), c.operatorOff);
        EXPECT_EQ(t.HighByteOnPos, c.highByteOnPos);
        EXPECT_EQ(t.LowByteOnPos, c.lowByteOnPos);
        EXPECT_EQ(t.HighByteOffPos, c.highByteOffPos);
        EXPECT_EQ(t.LowByteOffPos, c.lowByteOffPos);
        EXPECT_EQ(NameFromField(t.Name, sizeof t.Name), text(c.name));
        EXPECT_EQ(GetCanInputName(i + 1), text(c.name));
        EXPECT_EQ(t.RowEnabled, c.rowEnabled ? 1 : 0);
        EXPECT_EQ(t.RowIndex, c.rowIndex);
        EXPECT_EQ(t.RowValue, c.rowValue);
        EXPECT_EQ(t.DataType, c.dataType);
        EXPECT_EQ(NameFromField(t.DimensionName, 5), text(c.dimensionName));
        EXPECT_EQ(+t.Multiplicator, c.multiplicator);
        EXPECT_EQ(t.CalOffset, c.calOffset);
    }
    // CAN input enable and the unit's name.
    EXPECT_EQ(ui.CheckBoxCanInputEnable->isChecked(), m.canInputEnable.enabled != 0);
    EXPECT_EQ(ui.ComboBoxInputTrigCAN_Input->currentIndex(),
              TriggerCodeToInputPinIndex(m.canInputEnable.inputPin));
    EXPECT_EQ(GetBoxName(), text(m.boxName));
    // Virtual inputs.
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const VirtualInputRecord &t = VirtualInputTable[static_cast<std::size_t>(i)];
        const sim::VirtualInputSettings &v = m.virtualInputs[static_cast<std::size_t>(i)];
        for (std::size_t s = 0; s < 3; ++s) {
            EXPECT_EQ(t.ChannelIndex[s], v.sources[s] == 255 ? 1 : v.sources[s]);
            EXPECT_EQ(t.InDelay[s], v.delaysTenths[s]);
        }
        EXPECT_EQ(t.OperatorIndex[0], v.operators[0]);
        EXPECT_EQ(t.OperatorIndex[1], v.operators[1]);
        EXPECT_EQ(t.MaskNot, v.maskNot);
        EXPECT_EQ(GetVirtualInputName(i + 1), text(v.name));
    }
    // Start and kill buttons.
    EXPECT_EQ(ListIndexToTriggerCode(ui.ComboBoxInputTrigStartButton->currentIndex()),
              m.startKill.startTrigger);
    EXPECT_EQ(ListIndexToTriggerCode(ui.ComboBoxInputTrigKillButton->currentIndex()),
              m.startKill.killTrigger);
    EXPECT_EQ(ui.KillInputDelayEdit->text(), QString::number(m.startKill.killDelay));
    EXPECT_EQ(checkedRows(ui.CheckListBoxStartButton), channelRows(m.startKill.startChannels));
    EXPECT_EQ(checkedRows(ui.CheckListBoxKillButton), channelRows(m.startKill.killChannels));
    // Flash functions: the record exactly as the unit holds it.
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const FlashRecord &t = FlashTable[static_cast<std::size_t>(i)];
        const sim::FlashSettings &f = m.flash[static_cast<std::size_t>(i)];
        EXPECT_EQ(t.Enabled, f.enabled);
        EXPECT_EQ(t.Continues, f.continues);
        EXPECT_EQ(t.InputTrigger, f.trigger);
        EXPECT_EQ(t.FlashTimeOn, f.timeOn);
        EXPECT_EQ(t.FlashTimeOff, f.timeOff);
        EXPECT_EQ(t.Duration, f.duration);
        EXPECT_EQ(std::memcmp(t.ChannelList, f.channels.data(), 4), 0);
        EXPECT_EQ(GetFlashName(i + 1), text(f.name));
    }
    // Wiper.
    EXPECT_EQ(GetTriggerCode(35), m.wiper.lowSpeedInput);
    EXPECT_EQ(GetTriggerCode(36), m.wiper.washInput);
    EXPECT_EQ(GetTriggerCode(37), m.wiper.highSpeedInput);
    EXPECT_EQ(GetTriggerCode(38), m.wiper.intervalInput);
    EXPECT_EQ(GetTriggerCode(39), m.wiper.homeParkInput);
    EXPECT_EQ(ui.WiperHomeParkILevelComboBox->currentIndex(), m.wiper.homeParkLevel);
    EXPECT_EQ(ui.WiperIntervalTimeEdit->text(), QString::number(m.wiper.intervalTime));
    EXPECT_EQ(ui.WiperWashTimeEdit->text(), QString::number(m.wiper.washTime));
    // Sequences.
    for (int k = 1; k <= 4; ++k) {
        const sim::SequenceSettings &s = m.sequences[static_cast<std::size_t>(k - 1)];
        EXPECT_EQ(GetTriggerCode(39 + k), s.trigger) << k;
        EXPECT_EQ(ui.SequenceTypeComboBox[static_cast<std::size_t>(k)]->currentIndex(), s.type);
        EXPECT_EQ(GetSequenceName(k),
                  static_cast<std::uint8_t>(s.name[0]) == 255 ? QString() : text(s.name));
    }
    // PWM.
    EXPECT_EQ(ui.CheckBoxInputPWMEnable->isChecked(), m.pwm.inputPwm != 0);
    EXPECT_EQ(ui.CheckBoxPWM_enable1->isChecked(), m.pwm.pwm1 != 0);
    EXPECT_EQ(ui.CheckBoxPWM_enable2->isChecked(), m.pwm.pwm2 != 0);
    // CAN export 1.
    EXPECT_EQ(ui.CheckBoxCAN_Export[1]->isChecked(), m.canExport1.enabled != 0);
    EXPECT_EQ(ui.Edit_REFRESS_Export[1]->text(), QString::number(m.canExport1.refreshTime));
    EXPECT_EQ(ui.EditCAN_ID_Export[1]->text(), hex3(m.canExport1.canId));
    for (int n = 1; n <= 18; ++n)
        EXPECT_EQ(ui.ComboBox_CAN_Export1_DataByte[static_cast<std::size_t>(n)]->currentIndex(),
                  m.canExport1.dataBytes[static_cast<std::size_t>(n - 1)])
            << n;
    EXPECT_EQ(ui.EditCAN_EXPORT_1_RowCounter->text(), QString::number(m.canExport1.rowCounter));
    // CAN exports 2..4.
    for (std::size_t e = 0; e < 3; ++e) {
        SCOPED_TRACE(e);
        const sim::CanExportSettings &x = m.canExports[e];
        EXPECT_EQ(ui.CheckBoxCAN_Export[e + 2]->isChecked(), x.enabled != 0);
        EXPECT_EQ(ui.Edit_REFRESS_Export[e + 2]->text(), QString::number(x.refreshTime));
        EXPECT_EQ(ui.EditCAN_ID_Export[e + 2]->text(), hex3(x.canId));
        const std::size_t bits = e == 2 ? 64 : 34;
        for (std::size_t b = 0; b < bits; ++b)
            EXPECT_EQ(ui.CanExportBits[e * 34 + b]->currentIndex(), x.bits[b]) << b;
    }

    // The next link ticks reload the pages and name the unit in the caption;
    // a tick that falls between the read's last block and the end of its
    // wait dialog reloads the pages before the read counts as done, so the
    // caption may come one tick later.
    const QString caption = "Tessaron Tool - [ " + text(m.boxName) + " ]";
    ASSERT_TRUE(r.waitFor(
        [&] { return r.main().RefreshPending == 0 && r.main().windowTitle() == caption; }))
        << r.main().windowTitle().toStdString();
    EXPECT_EQ(ui.ComboBoxInputTrigCH[6]->currentText(), text(m.canInputs[3].name))
        << "output 6 is triggered by CAN input 4, now under its name";

    if (const char *dir = std::getenv("QM5230_SCREENSHOT_DIR")) {
        r.main().show();
        for (int page = 0; page < r.main().TabbedNotebook1->count(); ++page) {
            r.main().TabbedNotebook1->setCurrentIndex(page);
            r.main().grab().save(QStringLiteral("%1/page-%2.png").arg(dir).arg(page));
        }
    }
}

// Faults on the link in the middle of the automatic read: the tool recovers,
// or ends with the read reported as not completed, never as done, and never
// hangs. The answer time is short here so that the lost blocks are asked for
// again soon; a late answer comes after it has run out.
TEST(EndToEndRead, LinkFaults)
{
    using Fault = sim::SimLine::AnswerFault;
    using namespace std::chrono_literals;
    struct Times
    {
        int show = TVersionForm::ShowVersionMs, answer = TMainForm::ReadAnswerTimeoutMs;
        Times()
        {
            TVersionForm::ShowVersionMs = 0;
            TMainForm::ReadAnswerTimeoutMs = 400;
        }
        ~Times()
        {
            TVersionForm::ShowVersionMs = show;
            TMainForm::ReadAnswerTimeoutMs = answer;
        }
    } times;
    const struct
    {
        const char *what;
        std::function<void(sim::SimLine &)> arm;
        bool unplug;         // the cable is pulled once the fault has hit
        const char *missing; // what the report names first; null: the read completes
    } cases[] = {
        {"output 10 lost",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Drop, {0x82, 10});
         },
         false, nullptr},
        {"input 11 lost",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Drop, {0x84, 11});
         },
         false, nullptr},
        {"CAN input 8 corrupted",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Corrupt, {0xD3, 7});
         },
         false, nullptr},
        {"virtual input 4 repeated",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Repeat, {0xD5, 3});
         },
         false, nullptr},
        {"flash 3 late",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Delay, {0xD9, 2}, 1, 900ms);
         },
         false, nullptr},
        {"CAN input 6 numbered 9",
         [](sim::SimLine &l) {
             l.renumberAnswers({0xD3, 5}, 9);
         },
         false, nullptr},
        {"bad-frame report for the wiper",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::SerialError, {0xE6, std::nullopt});
         },
         false, nullptr},
        {"silent from CAN input 11 on",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Silence, {0xD3, 10});
         },
         false, "CAN inputs 11 to 32; CAN input enable"},
        {"unplugged at CAN input 11",
         [](sim::SimLine &l) {
             l.faultAnswers(Fault::Silence, {0xD3, 10});
         },
         true, "CAN inputs 11 to 32; CAN input enable"},
    };
    // One connection serves every case, each a read started by hand; the
    // cable is pulled in the last.
    E2ERig r;
    const sim::SettingsMemory m = distinctSettings();
    r.unit->unit().setSettings(m);
    ASSERT_NO_FATAL_FAILURE(r.connectAndRead());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ModalWatchdog watchdog(30000);
        r.dialogs.clear();
        r.unit->line().clearAnswerFaults();
        SetOutputName(10, QStringLiteral("Not read"));
        SetFlashName(3, QStringLiteral("Not read"));
        CanInputTable[5].CalOffset = 0;
        r.main().ReadFromDevice = 0;
        r.main().RefreshPending = 0;
        const int faultedBefore = r.unit->line().faultedAnswers();
        c.arm(r.unit->line());
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            if (c.unplug && r.unit->line().faultedAnswers() > faultedBefore &&
                r.unit->line().plugged())
                r.unit->unplug();
        });
        watch.start(5);
        r.main().BtnLoadClick();
        watch.stop();
        ASSERT_FALSE(watchdog.fired);
        EXPECT_EQ(TransferState, tsIdle);
        if (!c.missing) {
            EXPECT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
            EXPECT_EQ(r.main().ReadFromDevice, 1);
            EXPECT_EQ(GetOutputName(10), text(m.outputs[9].name));
            EXPECT_EQ(CanInputTable[5].CalOffset, m.canInputs[5].calOffset);
            EXPECT_EQ(GetFlashName(3), text(m.flash[2].name));
            continue;
        }
        ASSERT_EQ(r.dialogs.count(), 1) << r.dialogs.texts().join('|').toStdString();
        EXPECT_TRUE(r.dialogs.last().text.startsWith(
            QStringLiteral("The read did not complete: the unit did not send ") + c.missing))
            << r.dialogs.last().text.toStdString();
        EXPECT_EQ(r.main().ReadFromDevice, 0);
        EXPECT_EQ(r.main().RefreshPending, 0);
    }
}

} // namespace
