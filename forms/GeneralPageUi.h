// Controls of the "General" page: the live view of outputs, inputs and
// unit totals, and the operating mode.
#pragma once

class QGroupBox;
class QRadioButton;
class QWidget;

class TGeneralPageUi {
public:
    QGroupBox *GroupBoxMode = nullptr;
    QRadioButton *RadioButtonAuto = nullptr;
    QRadioButton *RadioButtonManuel = nullptr;

    void setupUi(QWidget *page);
};
