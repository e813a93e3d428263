#include "forms/PingFormUi.h"

#include "forms/FormControls.h"

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

void TPingFormUi::setupUi(QDialog *form)
{
    form->setObjectName("PingForm");
    form->setWindowTitle("Ping");
    form->resize(520, 400);
    auto *grid = new QGridLayout(form);

    Memo1 = new QPlainTextEdit(form);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    // A timer left running for hours must not eat the memory.
    Memo1->setMaximumBlockCount(10000);
    grid->addWidget(Memo1, 0, 0, 1, 5);

    BtnPing = formButton(form, "BtnPing", "Ping");
    grid->addWidget(BtnPing, 1, 0);
    BtnTimer = formButton(form, "BtnTimer", "Start timer");
    grid->addWidget(BtnTimer, 1, 1);
    TimeEdit = new QLineEdit("500", form);
    TimeEdit->setObjectName("TimeEdit");
    TimeEdit->setMaxLength(6);
    grid->addWidget(TimeEdit, 1, 2);
    grid->addWidget(new QLabel("Error count :", form), 1, 3);
    LabelErrorCount = new QLabel("0", form);
    LabelErrorCount->setObjectName("LabelErrorCount");
    grid->addWidget(LabelErrorCount, 1, 4);

    Timer1 = new QTimer(form);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(500);
}
