#include "tools/PingUnit.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/MainUnit.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Numbers.h"
#include "tools/ToolLaunch.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using namespace devlink;

PingBuffer LastPing{};
std::uint8_t PingWaiting = 0;
std::int32_t PingTicks = 0;
TPingForm *PingForm = nullptr;

namespace {
constexpr int MinInterval = 1, MaxInterval = 60000;
} // namespace

TPingForm::TPingForm(QWidget *owner) : QDialog(owner), random_(std::random_device{}())
{
    setupUi(this);
    LastPing.fill(0);
    PingWaiting = 0;
    PingTicks = 0;
    Send = SendToMainForm;
    connect(BtnPing, &QPushButton::clicked, this, &TPingForm::BtnPingClick);
    connect(BtnTimer, &QPushButton::clicked, this, &TPingForm::BtnTimerClick);
    connect(Timer1, &QTimer::timeout, this, &TPingForm::Timer1Timer);
}

TPingForm::~TPingForm()
{
    Timer1->stop();
    if (PingForm == this)
        PingForm = nullptr;
}

int TPingForm::Random(int n)
{
    if (n <= 0)
        return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(random_);
}

void TPingForm::AddLine(const QString &line)
{
    Memo1->appendPlainText(line);
}

void TPingForm::BtnPingClick()
{
    std::array<std::uint8_t, MaxPingData> data{};
    const auto n = static_cast<std::size_t>(Random(MaxPingData + 1));
    for (std::size_t i = 0; i < n; ++i)
        data[i] = static_cast<std::uint8_t>(Random(255));
    PingBuffer request{};
    BuildPingRequest(request, {data.data(), n});
    // A ping the queue refused never reached the line: it is neither awaited
    // nor counted, and the timer's next tick sends another.
    const TxOutcome sent =
        Send ? Send(request.data(), PingRequestLength) : TxOutcome{TxRefusal::LinkNotOpen};
    if (!sent) {
        const QTime at = Clock();
        AddLine(QString::number(at.second()) + ':' + QString::number(at.msec()) +
                ": PING_REQ not sent: " + RefusalText(sent));
        return;
    }
    LastPing = request;
    PingWaiting = 1;
    failureCounted_ = false;
    ++PingsSent;
    AddLine(PingLogLine(Clock(), "PING_REQ", {data.data(), n}));
}

void TPingForm::CountFailure()
{
    if (failureCounted_)
        return;
    failureCounted_ = true;
    ++ErrorCount;
    LabelErrorCount->setText(QString::number(ErrorCount));
}

void TPingForm::HandleFrame(const std::uint8_t *frame, std::size_t count)
{
    if (!IsValidFrame(frame, count)) {
        AddLine("Chksum Error....");
        return;
    }
    if (frame[FrameNodeAt] != NodeSystem || frame[FrameCommandAt] != PING_CFM)
        return;
    AddLine(PingLogLine(Clock(), "PING_CFM", PingEchoData(frame, count)));
    if (CheckPingEcho(LastPing, frame, count) != PingEcho::Match) {
        // The ping stays awaited, so the timer reports it lost as well.
        AddLine(" ERROR in data");
        ++DataErrors;
        CountFailure();
        return;
    }
    if (PingWaiting)
        ++Answers;
    PingWaiting = 0;
}

void TPingForm::BtnTimerClick()
{
    if (Timer1->isActive()) {
        Timer1->stop();
        BtnTimer->setText("Start timer");
        return;
    }
    int interval = 0;
    if (!vcl::StrToIntStrict(TimeEdit->text(), interval) || interval < MinInterval ||
        interval > MaxInterval) {
        vcl::ShowMessage(
            QString("Not a valid timer interval, %1-%2 ms").arg(MinInterval).arg(MaxInterval),
            this);
        return;
    }
    Timer1->setInterval(interval);
    Timer1->start();
    BtnTimer->setText("Stop timer");
    ErrorCount = 0;
    LabelErrorCount->setText("0");
}

void TPingForm::Timer1Timer()
{
    if (!PingWaiting) {
        PingTicks = 0;
        BtnPingClick();
        return;
    }
    if (++PingTicks > TimeoutTicks) {
        PingTicks = 0;
        PingWaiting = 0;
        ++Timeouts;
        AddLine(" Timeout error");
        CountFailure();
    }
}

void TPingForm::FormClose()
{
    if (Timer1->isActive())
        Timer1->stop();
}

void TPingForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void LaunchPingForm(QWidget *owner)
{
    RunToolWindow(owner, PingForm, ToolWindows.Ping);
}
