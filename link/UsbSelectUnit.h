// The device selection window: lists the attached units and opens the one
// the user picks. Main thread only.
#pragma once

#include "forms/UsbSelectFormUi.h"

#include <QDialog>

#include <functional>

namespace d2xx {
class Driver;
}

namespace devlink {

class UsbThread;

class TUSB_SelectForm : public QDialog, public TUSB_SelectFormUi
{
public:
    // `connect` is the main window's Connect.
    TUSB_SelectForm(d2xx::Driver &driver, std::function<UsbThread *()> usb,
                    std::function<void(const QString &)> connect, QWidget *parent = nullptr);
    Q_DISABLE_COPY(TUSB_SelectForm)

    void FormActivate();
    void TimerUsbListTimer();
    void BtnOpenClick();
    void BtnCancelClick();
    void FormClose();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    d2xx::Driver &driver_;
    std::function<UsbThread *()> usb_;
    std::function<void(const QString &)> connect_;
};

extern TUSB_SelectForm *USB_SelectForm;

} // namespace devlink
