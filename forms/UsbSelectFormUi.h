// Controls of the device selection window.
#pragma once

class QDialog;
class QListWidget;
class QPushButton;
class QTimer;

class TUSB_SelectFormUi
{
public:
    QListWidget *ListBox1 = nullptr;
    QPushButton *BtnOpen = nullptr;
    QPushButton *BtnCancel = nullptr;
    QTimer *TimerUsbList = nullptr;

    void setupUi(QDialog *form);
};
