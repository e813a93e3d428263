// Calibration through the real windows and worker thread against the paced
// simulated unit: the window puts the unit into calibration mode, polls every
// high-power channel, and a ratio computed from a measured current ends up
// stored in the unit.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "main/ToolWindows.h"
#include "tools/CalibrationUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using testsupport::E2ERig;

namespace {

struct ShowTime
{
    int saved = TVersionForm::ShowVersionMs;
    ShowTime() { TVersionForm::ShowVersionMs = 0; }
    ~ShowTime() { TVersionForm::ShowVersionMs = saved; }
};

TEST(EndToEndCalibration, CalibrateOneChannel)
{
    ShowTime showTime;
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

} // namespace
