#include "main/Login.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/AccessLevel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

TLoginForm *LoginForm = nullptr;
TSetPasswordForm *SetPasswordForm = nullptr;

TLoginForm::TLoginForm(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    connect(CloseBtn, &QPushButton::clicked, this, &TLoginForm::CloseBtnClick);
}

void TLoginForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    PasswordEdit->clear();
    PasswordEdit->setFocus();
    Confirmed = false;
}

void TLoginForm::CloseBtnClick()
{
    Confirmed = true;
    accept();
}

TSetPasswordForm::TSetPasswordForm(std::function<void(const std::uint8_t *, std::uint8_t)> send,
                                   QWidget *parent)
    : QDialog(parent), send_(std::move(send))
{
    setupUi(this);
    connect(WriteBtn, &QPushButton::clicked, this, &TSetPasswordForm::WriteBtnClick);
    connect(ReadBtn, &QPushButton::clicked, this, &TSetPasswordForm::ReadBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TSetPasswordForm::CloseBtnClick);
    ToolWindows.SetPassword = {this, this};
}

TSetPasswordForm::~TSetPasswordForm()
{
    if (ToolWindows.SetPassword.handler == this)
        ToolWindows.SetPassword = {};
}

void TSetPasswordForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        OKlabel->hide();
}

void TSetPasswordForm::WriteBtnClick()
{
    OKlabel->hide();
    devlink::DeviceFrame f(devlink::NodeApplication, devlink::PASSWORD_WRITE_REQ, 23);
    const QByteArray ro = ReadOnlyPassEdit->text().trimmed().toLatin1().left(8);
    const QByteArray rw = ReadWritePassEdit->text().trimmed().toLatin1().left(8);
    for (int i = 0; i < ro.size(); ++i)
        f.set(4 + static_cast<std::size_t>(i), static_cast<std::uint8_t>(ro[i]));
    for (int i = 0; i < rw.size(); ++i)
        f.set(13 + static_cast<std::size_t>(i), static_cast<std::uint8_t>(rw[i]));
    f.finish();
    if (send_)
        send_(f.data(), f.length());
}

void TSetPasswordForm::ReadBtnClick()
{
    OKlabel->hide();
    ReadOnlyPassEdit->clear();
    ReadWritePassEdit->clear();
    devlink::DeviceFrame f(devlink::NodeApplication, devlink::PASSWORD_READ_REQ, 4);
    f.finish();
    if (send_)
        send_(f.data(), f.length());
}

void TSetPasswordForm::CloseBtnClick()
{
    accept();
}

void TSetPasswordForm::HandleFrame(const std::uint8_t *frame, std::size_t count)
{
    if (!devlink::IsValidFrame(frame, count) ||
        frame[devlink::FrameNodeAt] != devlink::NodeApplication)
        return;
    switch (frame[devlink::FrameCommandAt]) {
    case devlink::PASSWORD_WRITE_CFM:
        OKlabel->show();
        break;
    case devlink::PASSWORD_READ_CFM: {
        auto show = [&](QLineEdit *edit, std::size_t at) {
            const auto text = UnitPassword(frame, count, at);
            edit->setText(text ? QString::fromLatin1(text->c_str()) : QString("--------"));
        };
        show(ReadOnlyPassEdit, ReadOnlyPasswordAt);
        show(ReadWritePassEdit, ReadWritePasswordAt);
        OKlabel->show();
        break;
    }
    default:
        break;
    }
}
