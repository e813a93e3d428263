// The check that the unit runs a firmware whose settings layout the tool
// knows, made before every read of all settings and every upload. The window
// sends nothing itself: the link timer asks for the version every 400 ms and
// the main window forwards every received frame to HandleFrame while the
// window exists. Versions 8.00 to 9.99 are accepted.
//
// Main thread only: HandleFrame runs inside the main window's dispatcher.
#pragma once

#include "forms/VersionFormUi.h"

#include <QDialog>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The version number a text gives: the one character before its first point
// followed by up to two characters after it, read as a decimal number
// ("8.52" gives 852, "10.00" gives 0). nullopt when the text has no point,
// nothing before it, or a character that is no digit where the number is taken.
std::optional<int> VersionNumber(std::string_view text);
bool IsAcceptedVersion(std::string_view text); // 800..999

class TVersionForm : public QDialog, public TVersionFormUi
{
public:
    // Time for the unit's answer, and how long the answer stays on screen.
    // Tests shorten them.
    static inline int AnswerTimeoutMs = 1000;
    static inline int ShowVersionMs = 500;

    explicit TVersionForm(QWidget *owner = nullptr);
    ~TVersionForm() override;
    Q_DISABLE_COPY(TVersionForm)

    // Shows the window modally until the check is over; returns at once when
    // it ended before it was shown.
    void ShowModal();

    void FormCreate();
    void Timer1Timer();
    void Timer2Timer();
    // Any frame the main window received; acts only on a valid VERSION_CFM.
    void HandleFrame(const std::uint8_t *frame, std::size_t count);

    std::uint8_t TimedOut = 0;        // no answer within Timer1's time
    std::uint8_t VersionAccepted = 0; // the answer carried an accepted version
    std::uint8_t ClosedByUser = 0;    // closed by its close box or Escape: not passed

protected:
    void reject() override;

private:
    void finish();

    bool finished_ = false;
};

// The window while it exists.
extern TVersionForm *VersionForm;
