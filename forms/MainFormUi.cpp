#include "forms/MainFormUi.h"

#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QAction *item(QMenu *menu, const char *name, const char *caption)
{
    QAction *a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(name);
    return a;
}

QAction *separator(QMenu *menu, const char *name)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(name);
    return a;
}

QTimer *timer(QObject *owner, const char *name, int interval)
{
    auto *t = new QTimer(owner);
    t->setObjectName(name);
    t->setInterval(interval);
    return t;
}

} // namespace

void TMainFormUi::setupUi(QMainWindow *form)
{
    form->setObjectName("MainForm");
    form->setWindowTitle("QM5230 Tessaron");
    form->resize(1098, 740);

    QMenuBar *MainMenu1 = form->menuBar();
    MainMenu1->setObjectName("MainMenu1");
    File1 = MainMenu1->addMenu("&File");
    File1->setObjectName("File1");
    LoginBtn = item(File1, "LoginBtn", "Login");
    Open = item(File1, "Open", "&Open");
    Save = item(File1, "Save", "Save");
    N3 = separator(File1, "N3");
    SetPasswordBtn = item(File1, "SetPasswordBtn", "Set password");
    Read2 = item(File1, "Read2", "Read               F8");
    Read2->setToolTip("Read data from tessaron");
    Upload1 = item(File1, "Upload1", "Upload            F9");
    Upload1->setToolTip("Upload data to tessaron");
    Default = item(File1, "Default", "Default settings");
    N1 = separator(File1, "N1");
    Close1 = item(File1, "Close1", "&Exit");

    Connection1 = MainMenu1->addMenu("&Connection");
    Connection1->setObjectName("Connection1");
    USB1 = item(Connection1, "USB1", "&USB");

    tert1 = MainMenu1->addMenu("Tools");
    tert1->setObjectName("tert1");
    Firmware1 = item(tert1, "Firmware1", "Firmware");
    FIA = item(tert1, "FIA", "FIA ");

    Production1 = MainMenu1->addMenu("KX");
    Production1->setObjectName("Production1");
    Production1->menuAction()->setVisible(false);
    Systemsetup1 = item(Production1, "Systemsetup1", "System setup");
    Calibration1 = item(Production1, "Calibration1", "Calibration");
    PingTest1 = item(Production1, "PingTest1", "Ping Test");
    Runtimeerror1 = item(Production1, "Runtimeerror1", "Runtime error");
    Eeprom = item(Production1, "Eeprom", "Eeprom");

    Help1 = MainMenu1->addMenu("&Help");
    Help1->setObjectName("Help1");
    About1 = item(Help1, "About1", "&About..");

    TabbedNotebook1 = new QTabWidget(form);
    TabbedNotebook1->setObjectName("TabbedNotebook1");
    static const char *const captions[PageCount] = {
        "General",        "Diagnostic",          "Inputs",      "CAN Inputs",
        "Virtual Inputs", "CAN Export",          "Outputs",     "Flash / Wiper / Sequence",
        "Low Battery",    "Start / Kill Button", "Low Current", "Socket info"};
    for (int i = 0; i < PageCount; ++i) {
        auto *page = new QWidget;
        page->setObjectName(QStringLiteral("Page%1").arg(i));
        Pages[static_cast<std::size_t>(i)] = page;
        TabbedNotebook1->addTab(page, QString::fromLatin1(captions[i]));
    }
    form->setCentralWidget(TabbedNotebook1);
    General.setupUi(Pages[PageGeneral]);
    Diagnostic.setupUi(Pages[PageDiagnostic]);
    Config.setupUi(&Pages[PageInputs]);
    Diagnostic.placeAutoResetEdit(Config.AutoResetChannelErrorEdit);

    StatusBar1 = form->statusBar();
    StatusBar1->setObjectName("StatusBar1");
    // Panel 0, the link text, is 200 pixels wide and centred.
    static const int widths[3] = {200, 160, 0};
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        auto *panel = new QLabel;
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i == 0) {
            panel->setFixedWidth(widths[i]);
            panel->setAlignment(Qt::AlignCenter);
        } else if (widths[i]) {
            panel->setMinimumWidth(widths[i]);
        }
        StatusBar1->addWidget(panel, widths[i] ? 0 : 1);
        StatusPanels[i] = panel;
    }

    Timer1 = timer(form, "Timer1", 150);
    TimerVersion = timer(form, "TimerVersion", 400);
    TimerSerial = timer(form, "TimerSerial", 400);
}
