// Controls of the wait dialog shown while settings go to or come from the unit.
#pragma once

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class TUpdateFormUi
{
public:
    QTimer *Timer1 = nullptr; // 100 ms, off until a transfer shows the dialog
    QLabel *Label1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr; // 0..100
    QPushButton *BtnCancel = nullptr;

    void setupUi(QDialog *form);
};
