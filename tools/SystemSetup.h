// The unit's identity: serial number, production week and year, hardware
// version, read when the window opens and written by Upload.
//
// Main thread only: HandleFrame runs inside the main window's dispatcher.
#pragma once

#include "forms/SystemSetupFormUi.h"
#include "link/TxOutcome.h"
#include "main/ToolWindows.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class TSystemSetupForm : public QDialog, public TSystemSetupFormUi, public TFrameHandler
{
public:
    explicit TSystemSetupForm(QWidget *owner = nullptr);
    ~TSystemSetupForm() override;
    Q_DISABLE_COPY(TSystemSetupForm)

    void FormActivate();
    // Shows the unit's version text and asks the unit for its identity.
    void RequestIdentity();
    void HandleFrame(const std::uint8_t *frame, std::size_t count) override;
    void BtnUploadClick();
    void BtnOKClick();

    // Where requests go; the main window's SendFrame unless a test replaces it.
    // False when the frame was not queued.
    std::function<devlink::TxOutcome(const std::uint8_t *frame, std::uint8_t count)> Send;

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool activated_ = false;
};

// The window while it is open.
extern TSystemSetupForm *SystemSetupForm;

void LaunchSystemSetupForm(QWidget *owner);
