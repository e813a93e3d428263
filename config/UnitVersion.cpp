#include "config/UnitVersion.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"

#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <charconv>
#include <string>

TVersionForm *VersionForm = nullptr;

namespace {

constexpr std::size_t VersionTextAt = 4;
constexpr std::size_t VersionTextWidth = 20;

} // namespace

std::optional<int> VersionNumber(std::string_view text)
{
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || point == 0)
        return std::nullopt;
    std::string digits(1, text[point - 1]);
    digits += text.substr(point + 1, 2);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int number = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return number;
}

bool IsAcceptedVersion(std::string_view text)
{
    const std::optional<int> number = VersionNumber(text);
    return number && *number >= 800 && *number <= 999;
}

TVersionForm::TVersionForm(QWidget *owner) : QDialog(owner)
{
    setupUi(this);
    connect(Timer1, &QTimer::timeout, this, &TVersionForm::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TVersionForm::Timer2Timer);
    Timer1->setInterval(AnswerTimeoutMs);
    Timer2->setInterval(ShowVersionMs);
    VersionForm = this;
    FormCreate();
}

TVersionForm::~TVersionForm()
{
    if (VersionForm == this)
        VersionForm = nullptr;
}

void TVersionForm::FormCreate()
{
    Timer1->start();
    TimedOut = 0;
    VersionAccepted = 0;
}

void TVersionForm::ShowModal()
{
    if (!finished_)
        exec();
}

void TVersionForm::Timer1Timer()
{
    Timer1->stop();
    TimedOut = 1;
    finish();
}

void TVersionForm::Timer2Timer()
{
    finish();
}

void TVersionForm::HandleFrame(const std::uint8_t *frame, std::size_t count)
{
    if (finished_ || !devlink::IsValidFrame(frame, count) ||
        frame[devlink::FrameNodeAt] != devlink::NodeApplication ||
        frame[devlink::FrameCommandAt] != devlink::VERSION_CFM)
        return;
    Timer1->stop();

    // The text ends at its first NUL, at the end of its field or at the last
    // byte received, whichever comes first.
    const std::size_t end = std::min(count, VersionTextAt + VersionTextWidth);
    std::string text;
    for (std::size_t i = VersionTextAt; i < end && frame[i] != 0; ++i)
        text += static_cast<char>(frame[i]);
    Label1->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));

    if (IsAcceptedVersion(text))
        VersionAccepted = 1;
    // Answers come every 400 ms, faster than the window's 500 ms: a running
    // Timer2 is left alone so that the window still closes.
    if (!Timer2->isActive())
        Timer2->start();
}

void TVersionForm::reject()
{
    ClosedByUser = 1;
    finish();
}

void TVersionForm::finish()
{
    finished_ = true;
    Timer1->stop();
    Timer2->stop();
    // done() rather than close(): closing would come back through reject().
    done(QDialog::Accepted);
}
