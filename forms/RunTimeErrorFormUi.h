// Controls of the runtime error log window.
#pragma once

class QDialog;
class QPlainTextEdit;
class QPushButton;

class TRunTimeErrorFormUi
{
public:
    QPlainTextEdit *MemoErrorLog = nullptr;
    QPushButton *BtnResetLog = nullptr;
    QPushButton *BtnResetSystemLog = nullptr;
    QPushButton *BtnReboot = nullptr;
    QPushButton *BtnOK = nullptr;

    void setupUi(QDialog *form);
};
