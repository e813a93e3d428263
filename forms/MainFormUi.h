// Controls of the main window: menu, page control, status bar and timers.
// The configuration pages and the live-view pages are built by their own
// helpers into the pages created here.
#pragma once

#include "forms/ConfigPagesUi.h"
#include "forms/DiagnosticPageUi.h"
#include "forms/GeneralPageUi.h"

#include <array>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QStatusBar;
class QTabWidget;
class QTimer;
class QWidget;

class TMainFormUi
{
public:
    static constexpr int PageCount = 12;
    enum Page {
        PageGeneral,
        PageDiagnostic,
        PageInputs,
        PageCanInputs,
        PageVirtualInputs,
        PageCanExport,
        PageOutputs,
        PageFlashWiperSequence,
        PageLowBattery,
        PageStartKill,
        PageLowCurrent,
        PageSocketInfo
    };

    // menu
    QMenu *File1 = nullptr, *Connection1 = nullptr, *tert1 = nullptr, *Production1 = nullptr,
          *Help1 = nullptr;
    QAction *LoginBtn = nullptr, *Open = nullptr, *Save = nullptr, *N3 = nullptr,
            *SetPasswordBtn = nullptr, *Read2 = nullptr, *Upload1 = nullptr, *Default = nullptr,
            *N1 = nullptr, *Close1 = nullptr, *USB1 = nullptr, *Firmware1 = nullptr, *FIA = nullptr,
            *Systemsetup1 = nullptr, *Calibration1 = nullptr, *PingTest1 = nullptr,
            *Runtimeerror1 = nullptr, *Eeprom = nullptr, *About1 = nullptr;

    QTabWidget *TabbedNotebook1 = nullptr;
    std::array<QWidget *, PageCount> Pages{};

    TGeneralPageUi General;
    TDiagnosticPageUi Diagnostic;
    TConfigPagesUi Config; // the pages from "Inputs" to "Socket info"

    QStatusBar *StatusBar1 = nullptr;
    std::array<QLabel *, 3> StatusPanels{}; // panels 0..2 of StatusBar1

    QTimer *Timer1 = nullptr;       // 150 ms status poll
    QTimer *TimerVersion = nullptr; // 400 ms identity request and link supervision
    QTimer *TimerSerial = nullptr;  // 400 ms, once: the automatic read after connecting

    void setupUi(QMainWindow *form);
};
