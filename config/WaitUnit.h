// The wait dialog in front of the main window while a read of all settings,
// an upload or a factory reset runs: a moving bar, "Cancel", and a time-out.
//
// The transfer runs inside the dialog's modal loop: the unit's answers reach
// the main window's dispatcher while the dialog is shown, and the transfer's
// last event ends the dialog with FormDeactivate. The ticks and counters
// start just before the dialog is shown, never on window activation, which
// window systems deliver unreliably.
//
// Main thread only.
#pragma once

#include "forms/UpdateFormUi.h"

#include <QDialog>

#include <cstdint>
#include <functional>

// Shared by every use of the dialog: the bar position 0..100 and the ticks
// since the dialog was shown.
extern std::int32_t UpdateProgress;
extern std::int32_t UpdateTicks;

class TUpdateForm : public QDialog, public TUpdateFormUi
{
public:
    // Ticks after which the dialog gives up: the 652nd tick, about 65 s.
    static constexpr std::int32_t TimeoutTicks = 650;

    explicit TUpdateForm(QWidget *parent = nullptr);
    Q_DISABLE_COPY(TUpdateForm)

    // Runs one transfer: `start` sends its first frame, then the dialog is
    // shown modally until the transfer ends, is cancelled or times out. When
    // the transfer ended already inside `start`, nothing is shown.
    void ShowModal(const std::function<void()> &start);

    void FormActivate();   // counters, bar and tick restart
    void FormDeactivate(); // ends the dialog; called directly by the transfer's end
    void BtnCancelClick();
    void Timer1Timer();

    // The main window's CancelTransfer: back to idle, then FormDeactivate.
    std::function<void()> CancelTransfer;

protected:
    // The close box and Escape cancel the transfer, as "Cancel" does.
    void reject() override;

private:
    void finish();

    bool ended_ = false;
};

extern TUpdateForm *UpdateForm;
