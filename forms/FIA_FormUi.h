// Controls of the flash compare window.
#pragma once

class QDialog;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QPlainTextEdit;
class QTimer;

class TFIA_FormUi
{
public:
    QLineEdit *FileEdit = nullptr;
    QPushButton *BtnOpenFile = nullptr;
    QPlainTextEdit *MemoFile = nullptr;
    QPlainTextEdit *MemoTarget = nullptr;
    QPlainTextEdit *MemoStatus = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QLabel *LabelProcent = nullptr;
    QPushButton *BtnStart = nullptr;
    QPushButton *BtnCancel = nullptr;
    QPushButton *BtnExit = nullptr;
    // 300 ms, single shot, stopped until a request goes out.
    QTimer *TimerRequest = nullptr;

    void setupUi(QDialog *form);
};
