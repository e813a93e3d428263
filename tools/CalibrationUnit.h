// The calibration window: puts the unit into calibration mode, polls the
// high-power channels' raw measurement one after the other, stores the A/D
// offsets and the ratios computed from a current measured with a meter.
// Main thread only.
#pragma once

#include "forms/CalibrationFormUi.h"
#include "link/TxOutcome.h"
#include "main/ToolWindows.h"
#include "tools/Calibration.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>

class QTimer;

// Ratios of the running "Store Ration", channel 1 first; 0 = nothing to store.
extern calibration::Ratios RatioTable;
// The channel polled next, 1..18.
extern std::uint8_t CurrentChannel;

class TCalibrationForm : public QDialog, public TCalibrationFormUi, public TFrameHandler
{
public:
    // Whether the frame was queued, else why not.
    using Sender = std::function<devlink::TxOutcome(const std::uint8_t *frame, std::uint8_t count)>;
    // The unit answers within milliseconds; a write not confirmed in this
    // time is reported as failed.
    static constexpr int ConfirmMs = 1000;
    // A reading takes a few milliseconds on the line, a full transmit queue a
    // few hundred; one not come in this time was lost and is asked for again.
    static constexpr int ReadTimeoutMs = 500;

    // `send` queues a finished frame; by default the main window's SendFrame.
    explicit TCalibrationForm(QWidget *owner, Sender send = {});
    ~TCalibrationForm() override;
    Q_DISABLE_COPY(TCalibrationForm)

    void FormCreate();
    void FormShow();
    void HandleFrame(const std::uint8_t *frame, std::size_t count) override;
    void RequestChannel(std::uint8_t channel);
    void TimerRefresTimer();
    void SendSwitches();
    void CheckBoxOffsetClick();
    void CheckBoxRationClick();
    void ChannelUpdateBtnClick();
    void ChannelDownBtnClick();
    void ChannelUpBtnClick();
    void BtnUpload_AD_OffsetClick();
    void Btn_NewRationClick(int channel); // channel 1..18
    void BtnStoreRationClick();
    void SendNextRatio(int after);
    void BtnOKClick();
    // A write the unit left unanswered.
    void RatioConfirmTimeout();
    void OffsetConfirmTimeout();
    // The reading awaited did not come: the same channel is asked for again.
    void ReadTimeout();
    // The mode confirmation did not come within a reading's time: calibration
    // mode is asked for again.
    void ModeTimeout();

    QTimer *TimerRefres = nullptr;
    QTimer *RatioConfirmTimer = nullptr;
    QTimer *OffsetConfirmTimer = nullptr;
    QTimer *ReadTimeoutTimer = nullptr;
    QTimer *ModeTimeoutTimer = nullptr;
    // Calibration mode was asked for and not confirmed yet.
    bool AwaitingMode = false;
    // The channel whose ratio write waits for its confirmation, 0 for none.
    int AwaitedRatioChannel = 0;
    // The channel whose reading the poll waits for, 0 for none.
    int AwaitedReadChannel = 0;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void ShowReading(const calibration::ChannelReading &reading);
    void RatioWriteFailed(const QString &text);
    int ChannelEditNumber() const;

    Sender send_;
    std::array<std::uint8_t, TCalibrationFormUi::Channels> activity_{};
    // The switches as the unit last got them (or has them from the start):
    // a change the queue refused goes back to them.
    struct Switches
    {
        bool offset = false;
        bool ratio = false;
        QString number;
    };
    Switches unitSwitches_;
};

// The window while it is open, else null.
extern TCalibrationForm *CalibrationForm;

// The menu's launch: creates the window over `owner`, shows it modally and
// deletes it when it closes.
void LaunchCalibration(QWidget *owner);
