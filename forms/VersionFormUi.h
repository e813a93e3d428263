// Controls of the window that checks the unit's software version.
#pragma once

class QDialog;
class QLabel;
class QTimer;

class TVersionFormUi
{
public:
    QTimer *Timer1 = nullptr; // 1000 ms: no answer in time
    QLabel *Label1 = nullptr; // "Version ", then the unit's version text
    QLabel *Label2 = nullptr; // "Status:"
    QTimer *Timer2 = nullptr; // 500 ms: the version stays readable before the window closes

    void setupUi(QDialog *form);
};
