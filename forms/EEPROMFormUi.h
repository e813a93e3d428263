// Controls of the EEPROM editor.
#pragma once

class QDialog;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

class TEEPROMFormUi
{
public:
    QTableWidget *EEStringGrid = nullptr;
    QLineEdit *EEPROMStartEdit = nullptr;
    QLineEdit *EEPROMEndEdit = nullptr;
    QPushButton *EEPROMReadBtn = nullptr;
    QPushButton *EEPROMWriteBtn = nullptr;
    QProgressBar *EEPROMProgressBar = nullptr;
    QLineEdit *FileStartEdit = nullptr;
    QLineEdit *FileEndEdit = nullptr;
    QPushButton *FileLoadBtn = nullptr;
    QPushButton *FileSaveBtn = nullptr;
    QLineEdit *FillStartEdit = nullptr;
    QLineEdit *FillEndEdit = nullptr;
    QPushButton *BufferFillFFBtn = nullptr;
    QPushButton *BufferFill00Btn = nullptr;
    QTimer *ReadWriteTimer = nullptr;

    // `gridRows` counts the header row.
    void setupUi(QDialog *form, int gridRows);
};
