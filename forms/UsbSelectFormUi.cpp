#include "forms/UsbSelectFormUi.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

void TUSB_SelectFormUi::setupUi(QDialog *form)
{
    form->setObjectName("USB_SelectForm");
    form->setWindowTitle("USB");
    form->resize(320, 220);

    auto *layout = new QVBoxLayout(form);
    ListBox1 = new QListWidget(form);
    ListBox1->setObjectName("ListBox1");
    layout->addWidget(ListBox1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    BtnOpen = new QPushButton("OK", form);
    BtnOpen->setObjectName("BtnOpen");
    BtnOpen->setDefault(true);
    BtnCancel = new QPushButton("Cancel", form);
    BtnCancel->setObjectName("BtnCancel");
    buttons->addWidget(BtnOpen);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);

    TimerUsbList = new QTimer(form);
    TimerUsbList->setObjectName("TimerUsbList");
    TimerUsbList->setInterval(300);
}
