// The login dialog and the window that writes the unit's passwords.
// Main thread only.
#pragma once

#include "forms/LoginFormUi.h"
#include "main/ToolWindows.h"

#include <QDialog>

#include <functional>

class TLoginForm : public QDialog, public TLoginFormUi
{
public:
    explicit TLoginForm(QWidget *parent = nullptr);
    Q_DISABLE_COPY(TLoginForm)

    bool Confirmed = false;
    void CloseBtnClick();

protected:
    void showEvent(QShowEvent *event) override;
};

class TSetPasswordForm : public QDialog, public TSetPasswordFormUi, public TFrameHandler
{
public:
    // `send` queues a finished frame (the main window's SendFrame).
    explicit TSetPasswordForm(std::function<void(const std::uint8_t *, std::uint8_t)> send,
                              QWidget *parent = nullptr);
    ~TSetPasswordForm() override;
    Q_DISABLE_COPY(TSetPasswordForm)

    void WriteBtnClick();
    void ReadBtnClick();
    void CloseBtnClick();
    void HandleFrame(const std::uint8_t *frame, std::size_t count) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::function<void(const std::uint8_t *, std::uint8_t)> send_;
};

extern TLoginForm *LoginForm;
extern TSetPasswordForm *SetPasswordForm;
