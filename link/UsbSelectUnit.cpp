#include "link/UsbSelectUnit.h"

#include "link/USB_Unit.h"

#include <QHideEvent>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

namespace devlink {

TUSB_SelectForm *USB_SelectForm = nullptr;

TUSB_SelectForm::TUSB_SelectForm(d2xx::Driver &driver, std::function<UsbThread *()> usb,
                                 std::function<void(const QString &)> connect, QWidget *parent)
    : QDialog(parent), driver_(driver), usb_(std::move(usb)), connect_(std::move(connect))
{
    setupUi(this);
    QObject::connect(BtnOpen, &QPushButton::clicked, this, &TUSB_SelectForm::BtnOpenClick);
    QObject::connect(BtnCancel, &QPushButton::clicked, this, &TUSB_SelectForm::BtnCancelClick);
    QObject::connect(TimerUsbList, &QTimer::timeout, this, &TUSB_SelectForm::TimerUsbListTimer);
    QObject::connect(ListBox1, &QListWidget::itemDoubleClicked, this,
                     &TUSB_SelectForm::BtnOpenClick);
}

void TUSB_SelectForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Once each time the window is shown, not on every activation.
    if (!event->spontaneous())
        FormActivate();
}

void TUSB_SelectForm::hideEvent(QHideEvent *event)
{
    FormClose();
    QDialog::hideEvent(event);
}

void TUSB_SelectForm::FormActivate()
{
    if (UsbThread *usb = usb_())
        usb->Close();
    QStringList list;
    UsbThread::ListDevices(driver_, list);
    ListBox1->clear();
    ListBox1->addItems(list);
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);
    TimerUsbList->start();
}

void TUSB_SelectForm::TimerUsbListTimer()
{
    QStringList list;
    UsbThread::ListDevices(driver_, list);
    if (list.size() == ListBox1->count())
        return;
    ListBox1->clear();
    ListBox1->addItems(list);
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);
}

void TUSB_SelectForm::BtnOpenClick()
{
    if (UsbThread *usb = usb_())
        usb->Close();
    if (QListWidgetItem *item = ListBox1->currentItem(); item && connect_)
        connect_(item->text());
    accept();
}

void TUSB_SelectForm::BtnCancelClick()
{
    reject();
}

void TUSB_SelectForm::FormClose()
{
    TimerUsbList->stop();
}

} // namespace devlink
