// Calibration through the real windows and worker thread against the paced
// simulated unit: the window puts the unit into calibration mode, polls every
// high-power channel, and a ratio computed from a measured current ends up
// stored in the unit.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "link/DeviceCommands.h"
#include "main/ToolWindows.h"
#include "tools/CalibrationUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using testsupport::E2ERig;

namespace {

TEST(EndToEndCalibration, CalibrateOneChannel)
{
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    // Channel 1 drives a steady 10.0 A load; calibration mode keeps it on.
    sim::SimulatedUnit &unit = r.unit->unit();
    unit.setCurrentNoise(0);
    unit.setInput(1, true);
    unit.setChannelLoad(1, 100);

    r.connectThroughSelection();
    ASSERT_TRUE(r.waitFor([&] { return r.main().ReadFromDevice == 1; }, 30000))
        << r.trace().toStdString();

    QString computed;
    QTimer::singleShot(1, &r.main(), [&] {
        TCalibrationForm *form = CalibrationForm;
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(ToolWindows.Calibration.handler, form);
        // Every channel is read in turn.
        EXPECT_TRUE(r.waitFor([&] { return form->Label_AD[17]->text() != "--"; }))
            << r.trace().toStdString();
        EXPECT_EQ(unit.mode(), sim::UnitMode::Calibration);
        EXPECT_TRUE(r.dialogs.texts().contains("Tessaron in Calibration mode"));
        EXPECT_EQ(form->Label_Ratio[0]->text(), "10000");
        EXPECT_EQ(form->Label_AD_Offset[0]->text(), "00");

        form->Edit_Current[0]->setText("10.0");
        form->Btn_NewRation[0]->click();
        computed = form->EditNewRation[0]->text();
        form->BtnStoreRation->click();
        EXPECT_TRUE(r.waitFor([&] { return !form->StoreCalibrationOKlabel->isHidden(); }));
        form->BtnOK->click();
    });
    r.main().Calibration1Click();

    ASSERT_FALSE(watchdog.fired);
    EXPECT_EQ(CalibrationForm, nullptr);
    EXPECT_FALSE(ToolWindows.Calibration.open());
    // 10 A over channel 1's 110 counts: 1e7 / (110 * 10.39) = 8749.6.
    EXPECT_EQ(computed, "8749");
    EXPECT_EQ(unit.calibration().channels[0].storedRatio, 8749);
    EXPECT_EQ(unit.calibration().channels[1].storedRatio, sim::CalibrationState::DefaultRatio);
    // Closing sends nothing: the unit stays in calibration mode.
    EXPECT_EQ(unit.mode(), sim::UnitMode::Calibration);
}

// The first two mode confirmations are lost: the window asks again and the
// poll reads every channel all the same.
TEST(EndToEndCalibration, LostModeConfirmationsStopNothing)
{
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    r.connectThroughSelection();
    ASSERT_TRUE(r.waitFor([&] { return r.main().ReadFromDevice == 1; }, 30000));
    r.unit->line().faultAnswers(sim::SimLine::AnswerFault::Drop, {devlink::MODE_CFM, {}}, 2);

    bool polled = false;
    QTimer::singleShot(1, &r.main(), [&] {
        TCalibrationForm *form = CalibrationForm;
        ASSERT_NE(form, nullptr);
        polled = r.waitFor([&] {
            return std::all_of(form->Label_AD.begin(), form->Label_AD.end(),
                               [](const QLabel *l) { return l->text() != "--"; });
        });
        form->BtnOK->click();
    });
    r.main().Calibration1Click();
    EXPECT_TRUE(polled) << r.trace().toStdString();
    EXPECT_EQ(r.unit->line().faultedAnswers(), 2);
    EXPECT_EQ(r.dialogs.texts().count("Tessaron in Calibration mode"), 1);
}

// Two ratios stored while the link bends every answer from the first write on.
struct CalibrationFault
{
    const char *name;
    std::function<void(sim::SimLine &)> bend;
    bool stored; // else the confirmation time-out reports the write
};

class EndToEndCalibrationFaults : public testing::TestWithParam<CalibrationFault>
{
};

TEST_P(EndToEndCalibrationFaults, RatiosStoredOrReported)
{
    const CalibrationFault &c = GetParam();
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    r.connectThroughSelection();
    ASSERT_TRUE(r.waitFor([&] { return r.main().ReadFromDevice == 1; }, 30000));

    QTimer::singleShot(1, &r.main(), [&] {
        TCalibrationForm *form = CalibrationForm;
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(r.waitFor([&] { return form->Label_AD[2]->text() != "--"; }));
        form->EditNewRation[2]->setText("9000");
        form->EditNewRation[16]->setText("9100");
        c.bend(r.unit->line());
        form->BtnStoreRation->click();
        if (c.stored) {
            EXPECT_TRUE(r.waitFor([&] { return !form->StoreCalibrationOKlabel->isHidden(); }));
            // The poll goes on to the last channel.
            EXPECT_TRUE(r.waitFor([&] { return form->Label_AD[17]->text() != "--"; }));
        } else {
            // The confirmation's time-out, without waiting for it.
            EXPECT_TRUE(r.waitFor([&] {
                return r.unit->unit().calibration().channels[2].storedRatio == 9000 &&
                       !r.unit->line().untilNextEvent();
            }));
            if (form->RatioConfirmTimer->isActive())
                form->RatioConfirmTimeout();
            vcl::ScriptedDialogs::deliverPosted();
            EXPECT_TRUE(form->StoreCalibrationOKlabel->isHidden());
            EXPECT_TRUE(r.dialogs.last().text.contains("did not confirm the ratio of channel 3"))
                << r.dialogs.texts().join('|').toStdString();
        }
        form->BtnOK->click();
    });
    r.main().Calibration1Click();
    ASSERT_FALSE(watchdog.fired);
    const auto stored = r.unit->unit().calibration();
    EXPECT_EQ(stored.channels[2].storedRatio, 9000);
    EXPECT_EQ(stored.channels[16].storedRatio,
              c.stored ? 9100 : sim::CalibrationState::DefaultRatio);
}

INSTANTIATE_TEST_SUITE_P(
    Link, EndToEndCalibrationFaults,
    testing::Values(CalibrationFault{"EveryAnswerTwice",
                                     [](sim::SimLine &l) { l.faultAnswers(sim::SimLine::AnswerFault::Repeat, {}, 1000); }, true},
                    CalibrationFault{"UnitFallsSilent",
                                     [](sim::SimLine &l) { l.dropNextAnswers(1000); }, false}),
    [](const auto &info) { return std::string(info.param.name); });

// One reading of channel 3 bent on its way back while the window polls.
struct PollFault
{
    const char *name;
    std::function<void(sim::SimLine &)> bend;
};

class EndToEndCalibrationPoll : public testing::TestWithParam<PollFault>
{
};

TEST_P(EndToEndCalibrationPoll, OneBadReadingCostsOneReadingNotThePoll)
{
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    r.connectThroughSelection();
    ASSERT_TRUE(r.waitFor([&] { return r.main().ReadFromDevice == 1; }, 30000));
    GetParam().bend(r.unit->line());

    QTimer::singleShot(1, &r.main(), [&] {
        TCalibrationForm *form = CalibrationForm;
        ASSERT_NE(form, nullptr);
        const auto allRead = [&] {
            for (const QLabel *ad : form->Label_AD)
                if (ad->text() == "--")
                    return false;
            return true;
        };
        // A lost reading waits for the poll's time-out: its slot is called
        // once the line is quiet, instead of waiting for the timer.
        const auto stalled = [&] {
            return form->AwaitedReadChannel != 0 && r.unit->line().faultedAnswers() > 0 &&
                   r.linkQuiet();
        };
        EXPECT_TRUE(r.waitFor([&] { return allRead() || stalled(); }))
            << r.trace().toStdString();
        if (!allRead())
            form->ReadTimeout();
        EXPECT_TRUE(r.waitFor(allRead)) << r.trace().toStdString();
        EXPECT_EQ(r.unit->line().faultedAnswers(), 1);
        form->BtnOK->click();
    });
    r.main().Calibration1Click();
    ASSERT_FALSE(watchdog.fired);
}

INSTANTIATE_TEST_SUITE_P(
    Link, EndToEndCalibrationPoll,
    testing::Values(PollFault{"ReadingLost",
                              [](sim::SimLine &l) {
                                  l.faultAnswers(sim::SimLine::AnswerFault::Drop,
                                                 {devlink::CAL_CHANNEL_READ_CFM, 3});
                              }},
                    PollFault{"ReadingForNoChannel",
                              [](sim::SimLine &l) {
                                  l.renumberAnswers({devlink::CAL_CHANNEL_READ_CFM, 3}, 19);
                              }}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
