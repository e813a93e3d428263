// Controls of the About box. The box has a fixed size and places its
// controls itself, as the OK button's place is computed from the box width.
#pragma once

class QDialog;
class QLabel;
class QPushButton;
class QTimer;

class TAboutFormUi
{
public:
    QLabel *ProductLabel = nullptr; // "Service and configuration tool"
    QLabel *VersionLabel = nullptr; // the tool's version, after "PC version :"
    QLabel *CompiledLabel = nullptr;
    QLabel *LabelPCM_Version = nullptr; // the unit's version, after "Tessaron version:"
    QLabel *LabelPowerUpTime = nullptr;
    QLabel *LabelMaxTemp = nullptr;
    QLabel *LabelMaxCurrent = nullptr;
    QLabel *LabelWatchdogCount = nullptr;
    QLabel *WebSite = nullptr; // the maker's web address; a click opens it
    QPushButton *OKBtn = nullptr;
    QTimer *Timer1SecTick = nullptr; // 300 ms, disabled

    void setupUi(QDialog *form);
};
