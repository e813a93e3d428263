#include "forms/LoginFormUi.h"

#include "forms/FormControls.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit *passwordEdit(QWidget *parent, const char *name, bool hidden)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(8);
    if (hidden)
        e->setEchoMode(QLineEdit::Password);
    return e;
}

} // namespace

void TLoginFormUi::setupUi(QDialog *form)
{
    form->setObjectName("LoginForm");
    form->setWindowTitle("Login");
    auto *grid = new QGridLayout(form);
    grid->addWidget(new QLabel("Password:", form), 0, 0);
    PasswordEdit = passwordEdit(form, "PasswordEdit", true);
    grid->addWidget(PasswordEdit, 0, 1);
    CloseBtn = formButton(form, "CloseBtn", "OK");
    CloseBtn->setDefault(true);
    grid->addWidget(CloseBtn, 1, 1, Qt::AlignRight);
}

void TSetPasswordFormUi::setupUi(QDialog *form)
{
    form->setObjectName("SetPasswordForm");
    form->setWindowTitle("Set password");
    auto *grid = new QGridLayout(form);
    grid->addWidget(new QLabel("Read only password:", form), 0, 0);
    ReadOnlyPassEdit = passwordEdit(form, "ReadOnlyPassEdit", false);
    grid->addWidget(ReadOnlyPassEdit, 0, 1);
    grid->addWidget(new QLabel("Max. 8 characters", form), 0, 2);
    grid->addWidget(new QLabel("Read/Write password:", form), 1, 0);
    ReadWritePassEdit = passwordEdit(form, "ReadWritePassEdit", false);
    grid->addWidget(ReadWritePassEdit, 1, 1);
    grid->addWidget(new QLabel("Max. 8 characters", form), 1, 2);

    OKlabel = new QLabel("OK", form);
    OKlabel->setObjectName("OKlabel");
    OKlabel->setAlignment(Qt::AlignCenter);
    OKlabel->setAutoFillBackground(true);
    OKlabel->setStyleSheet("background-color: #00FF00;");
    grid->addWidget(OKlabel, 2, 0, 1, 3);

    auto *buttons = new QHBoxLayout;
    ReadBtn = formButton(form, "ReadBtn", "Read");
    WriteBtn = formButton(form, "WriteBtn", "Write");
    CloseBtn = formButton(form, "CloseBtn", "Close");
    buttons->addWidget(ReadBtn);
    buttons->addWidget(WriteBtn);
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    grid->addLayout(buttons, 3, 0, 1, 3);
}
