// Controls of the system setup window (the unit's identity).
#pragma once

class QDialog;
class QGroupBox;
class QLineEdit;
class QPushButton;

class TSystemSetupFormUi
{
public:
    QGroupBox *MainUnitGroup = nullptr; // " Main unit "
    QLineEdit *SerialEdit = nullptr;
    QLineEdit *YearEdit = nullptr;
    QLineEdit *WeekEdit = nullptr;
    QLineEdit *EditHW_version = nullptr;
    QLineEdit *MaunUnitVersion = nullptr; // the unit's software version, read only
    QPushButton *BtnUpload = nullptr;
    QPushButton *BtnOK = nullptr;

    void setupUi(QDialog *form);
};
