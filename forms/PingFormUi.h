// Controls of the ping test window.
#pragma once

class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class TPingFormUi
{
public:
    QPlainTextEdit *Memo1 = nullptr; // one line a request, answer or fault
    QPushButton *BtnPing = nullptr;
    QPushButton *BtnTimer = nullptr; // "Start timer" / "Stop timer"
    QLineEdit *TimeEdit = nullptr;   // the timer's interval in milliseconds
    QLabel *LabelErrorCount = nullptr;
    QTimer *Timer1 = nullptr; // disabled until started

    void setupUi(QDialog *form);
};
