// The configuration pages, started up and filled with names, in a main window
// of 1100 x 700: no page needs sideways scrolling. With QM_CONFIGPAGES_PNG_DIR
// set, each page is also written there as a PNG to be looked at.
#include "config/ConfigStartup.h"
#include "config/Settingsunit.h"
#include "forms/ConfigPagesUi.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

using Ui = TConfigPagesUi;

TEST(ConfigPagesLayout, PagesFitTheWidthOfTheMainWindow)
{
    const QStringList captions{
        "General",        "Diagnostic",          "Inputs",      "CAN Inputs",
        "Virtual Inputs", "CAN Export",          "Outputs",     "Flash / Wiper / Sequence",
        "Low Battery",    "Start / Kill Button", "Low Current", "Socket info"};
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"));
    window.statusBar()->showMessage(QStringLiteral("NOT CONNECTED"));
    auto *tabs = new QTabWidget(&window);
    window.setCentralWidget(tabs);
    QWidget *pages[Ui::PageCount];
    for (int i = 0; i < captions.size(); ++i) {
        auto *page = new QWidget;
        tabs->addTab(page, captions[i]);
        if (i >= 2)
            pages[i - 2] = page;
    }
    Ui ui;
    ui.setupUi(pages);
    std::array<QComboBox *, 132> bits{};
    ConfigConstructorDefaults(ui);
    ConfigFormCreate(ui, bits);
    ConfigAllFormsCreated(ui);
    ConfigPages = &ui;

    // Names as long as the unit keeps them.
    QStringList outputs;
    for (int n = 1; n <= Ui::OutputCount; ++n) {
        SetOutputName(n, QStringLiteral("Rear fog lamp %1").arg(n));
        outputs << GetOutputName(n);
    }
    for (int n = 1; n <= Ui::InputCount; ++n)
        SetInputName(n, QStringLiteral("Door switch %1").arg(n));
    SetBoxName(QStringLiteral("Fire engine 12 B"));
    for (QListWidget *list : {ui.CheckListBoxLowBatt, ui.CheckListBoxStartButton,
                              ui.CheckListBoxKillButton, ui.CheckListBoxFlashOutputList})
        FillCheckList(list, outputs);
    SetTriggerCode(2, 0xC1);
    SetTriggerCode(3, 40);
    ui.LabelInputpin[2]->setText(QStringLiteral("( Con. B, Pin 14 )"));
    ui.LabelInputpin[3]->setText(QStringLiteral("( Virtual input 20 )"));
    ui.SequenceTypeInfoLabel[4]->setText(QStringLiteral("Off -> A -> B -> C -> Off"));

    window.resize(1100, 700);
    window.show();

    const QString dir = qEnvironmentVariable("QM_CONFIGPAGES_PNG_DIR");
    for (int i = 0; i < Ui::PageCount; ++i) {
        tabs->setCurrentIndex(i + 2);
        QApplication::processEvents();
        auto *scroll = pages[i]->findChild<QScrollArea *>();
        ASSERT_NE(scroll, nullptr) << i;
        EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 0)
            << captions[i + 2].toStdString() << " is "
            << scroll->widget()->minimumSizeHint().width() << " wide in "
            << scroll->viewport()->width();
        if (!dir.isEmpty())
            window.grab().save(QDir(dir).filePath(QStringLiteral("configpage-%1.png").arg(i)));
    }
    ConfigPages = nullptr;
}

} // namespace
