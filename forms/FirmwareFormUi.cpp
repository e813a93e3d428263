#include "forms/FirmwareFormUi.h"

#include "forms/FormControls.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

void TFirmwareFormUi::setupUi(QDialog *form)
{
    form->setObjectName("Firmware");
    form->setWindowTitle("Firmware");
    form->resize(480, 320);
    auto *grid = new QGridLayout(form);

    FileEdit = new QLineEdit(form);
    FileEdit->setObjectName("FileEdit");
    grid->addWidget(FileEdit, 0, 0, 1, 2);
    BtnOpenFile = formButton(form, "BtnOpenFile", "...");
    grid->addWidget(BtnOpenFile, 0, 2);

    auto *progress = new QGroupBox("Progress", form);
    progress->setObjectName("GroupProgress");
    auto *progressLayout = new QVBoxLayout(progress);
    ProgressBar1 = new QProgressBar(progress);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    progressLayout->addWidget(ProgressBar1);
    grid->addWidget(progress, 1, 0, 1, 3);

    MemoDebug = new QPlainTextEdit(form);
    MemoDebug->setObjectName("MemoDebug");
    MemoDebug->setReadOnly(true);
    // A long download logs every byte; old lines go.
    MemoDebug->setMaximumBlockCount(5000);
    MemoDebug->setVisible(false);
    grid->addWidget(MemoDebug, 2, 0, 1, 3);

    BtnProgram = formButton(form, "BtnProgram", "Program");
    grid->addWidget(BtnProgram, 3, 0);
    BtnExit = formButton(form, "BtnExit", "Exit");
    grid->addWidget(BtnExit, 3, 2);
}
