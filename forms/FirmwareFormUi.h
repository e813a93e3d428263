// Controls of the firmware update window.
#pragma once

class QDialog;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class TFirmwareFormUi
{
public:
    QLineEdit *FileEdit = nullptr; // the HEX file to program
    QPushButton *BtnOpenFile = nullptr;
    QPushButton *BtnProgram = nullptr;
    QPushButton *BtnExit = nullptr;
    QProgressBar *ProgressBar1 = nullptr; // 0 to 100
    QPlainTextEdit *MemoDebug = nullptr;  // the bootloader exchange, hidden until shown

    void setupUi(QDialog *form);
};
