#include "forms/RunTimeErrorFormUi.h"

#include "forms/FormControls.h"

#include <QDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

void TRunTimeErrorFormUi::setupUi(QDialog *form)
{
    form->setObjectName("RunTimeErrorForm");
    form->setWindowTitle("Runtime ERROR");
    form->resize(520, 420);
    auto *layout = new QVBoxLayout(form);
    MemoErrorLog = new QPlainTextEdit(form);
    MemoErrorLog->setObjectName("MemoErrorLog");
    MemoErrorLog->setReadOnly(true);
    MemoErrorLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoErrorLog->setFont(QFont("Courier New"));
    layout->addWidget(MemoErrorLog);

    auto *buttons = new QHBoxLayout;
    BtnResetLog = formButton(form, "BtnResetLog", "ResetLog");
    BtnResetSystemLog = formButton(form, "BtnResetSystemLog", "Reset System Log");
    BtnReboot = formButton(form, "BtnReboot", "Reboot");
    BtnOK = formButton(form, "BtnOK", "OK");
    buttons->addWidget(BtnResetLog);
    buttons->addWidget(BtnResetSystemLog);
    buttons->addWidget(BtnReboot);
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    layout->addLayout(buttons);
}
