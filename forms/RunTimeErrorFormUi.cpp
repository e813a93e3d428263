#include "forms/RunTimeErrorFormUi.h"

#include <QDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *button(QWidget *parent, const char *name, const char *caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

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
    BtnResetLog = button(form, "BtnResetLog", "ResetLog");
    BtnResetSystemLog = button(form, "BtnResetSystemLog", "Reset System Log");
    BtnReboot = button(form, "BtnReboot", "Reboot");
    BtnOK = button(form, "BtnOK", "OK");
    buttons->addWidget(BtnResetLog);
    buttons->addWidget(BtnResetSystemLog);
    buttons->addWidget(BtnReboot);
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    layout->addLayout(buttons);
}
