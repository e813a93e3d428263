// The ping test: PING_REQ frames with a random payload to node 0, sent by
// button or by timer, each answer's echo compared with what was sent.
//
// Main thread only: HandleFrame runs inside the main window's dispatcher.
#pragma once

#include "forms/PingFormUi.h"
#include "link/TxOutcome.h"
#include "main/ToolWindows.h"
#include "tools/PingFrames.h"

#include <QDialog>
#include <QTime>

#include <cstdint>
#include <functional>
#include <random>

// The last PING_REQ as sent, and the wait for its answer.
extern PingBuffer LastPing;
extern std::uint8_t PingWaiting;
extern std::int32_t PingTicks;

class TPingForm : public QDialog, public TPingFormUi, public TFrameHandler
{
public:
    // Timer ticks an answer may take before it counts as lost.
    static constexpr std::int32_t TimeoutTicks = 50;

    explicit TPingForm(QWidget *owner = nullptr);
    ~TPingForm() override;
    Q_DISABLE_COPY(TPingForm)

    void BtnPingClick();
    void BtnTimerClick();
    void Timer1Timer();
    void FormClose();
    void HandleFrame(const std::uint8_t *frame, std::size_t count) override;
    // 0 .. n-1; 0 for n = 0.
    int Random(int n);
    void Seed(std::uint32_t seed) { random_.seed(seed); }

    // Where requests go; the main window's SendFrame unless a test replaces it.
    // False when the frame was not queued.
    std::function<devlink::TxOutcome(const std::uint8_t *frame, std::uint8_t count)> Send;
    // Time stamps of the log lines; tests replace it.
    std::function<QTime()> Clock = [] { return QTime::currentTime(); };

    // Since the window opened (ErrorCount since the timer was last started).
    int PingsSent = 0;
    int Answers = 0;    // echoes that matched
    int DataErrors = 0; // echoes that did not
    int Timeouts = 0;
    int ErrorCount = 0; // failed pings, each counted once: LabelErrorCount

    void done(int result) override;

private:
    void AddLine(const QString &line);
    void CountFailure();

    std::minstd_rand random_;
    bool failureCounted_ = false; // the awaited ping is already in ErrorCount
};

// The window while it is open.
extern TPingForm *PingForm;

// Opens the window modally over `owner`, forwarding frames to it meanwhile.
void LaunchPingForm(QWidget *owner);
