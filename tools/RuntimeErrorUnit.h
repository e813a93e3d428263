// The runtime error log window: reads the unit's error log entry by entry
// (node 0) and sends the log reset, the system log reset and the reboot
// (the last two to node 1). Main thread only.
#pragma once

#include "forms/RunTimeErrorFormUi.h"
#include "main/ToolWindows.h"

#include <QDialog>

#include <cstdint>
#include <initializer_list>

class QString;

class TRunTimeErrorForm : public QDialog, public TRunTimeErrorFormUi, public TFrameHandler
{
public:
    explicit TRunTimeErrorForm(QWidget *parent = nullptr);
    ~TRunTimeErrorForm() override;
    Q_DISABLE_COPY(TRunTimeErrorForm)

    // Clears the memo and asks for the number of entries: a new read.
    void FormActivate();
    void RequestEntry(std::uint8_t index);
    void BtnResetLogClick();
    void BtnResetSystemLogClick();
    void BtnRebootClick();
    void BtnOKClick();
    void HandleFrame(const std::uint8_t *frame, std::size_t count) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void AddLine(const QString &line);
    // False, with a line that names `what` as not sent, when the frame was
    // refused: no answer comes then, so nothing else would tell.
    bool Send(const QString &what, std::uint8_t node, std::uint8_t command,
              std::initializer_list<std::uint8_t> data = {});

    // The entry whose answer continues the read; 0 when none is awaited.
    std::uint8_t awaitedEntry_ = 0;
    bool countAwaited_ = false; // the count asked for has not come yet
};

// Entries the unit last reported.
extern std::uint8_t ErrorLogCount;
// The window that receives the frames, or null.
extern TRunTimeErrorForm *RunTimeErrorForm;

// Makes `form` the one that receives the frames (null: none).
void SetRunTimeErrorForm(TRunTimeErrorForm *form);
// The menu's launcher: a window of its own, shown modally, then deleted.
void LaunchRunTimeErrorForm(QWidget *owner);
