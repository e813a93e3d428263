#include "forms/FIA_FormUi.h"

#include "forms/FormControls.h"

#include <QDialog>
#include <QFont>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The byte dumps line up only in a fixed-pitch font.
QPlainTextEdit *memo(QWidget *parent, const char *name)
{
    auto *m = new QPlainTextEdit(parent);
    m->setObjectName(name);
    m->setReadOnly(true);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return m;
}

} // namespace

void TFIA_FormUi::setupUi(QDialog *form)
{
    form->setObjectName("FIA_Form");
    form->setWindowTitle("FIA firmware control");
    auto *top = new QVBoxLayout(form);

    auto *fileGroup = new QGroupBox("Firmware file to compare", form);
    auto *fileGrid = new QGridLayout(fileGroup);
    FileEdit = new QLineEdit(fileGroup);
    FileEdit->setObjectName("FileEdit");
    BtnOpenFile = formButton(fileGroup, "BtnOpenFile", "...");
    MemoFile = memo(fileGroup, "MemoFile");
    fileGrid->addWidget(FileEdit, 0, 0);
    fileGrid->addWidget(BtnOpenFile, 0, 1);
    fileGrid->addWidget(MemoFile, 1, 0, 1, 2);
    top->addWidget(fileGroup);

    auto *targetGroup = new QGroupBox("Data from target", form);
    auto *targetBox = new QVBoxLayout(targetGroup);
    MemoTarget = memo(targetGroup, "MemoTarget");
    targetBox->addWidget(MemoTarget);
    top->addWidget(targetGroup);

    auto *statusGroup = new QGroupBox("Status", form);
    auto *statusBox = new QVBoxLayout(statusGroup);
    MemoStatus = memo(statusGroup, "MemoStatus");
    auto *progressRow = new QHBoxLayout;
    ProgressBar = new QProgressBar(statusGroup);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    LabelProcent = new QLabel(statusGroup);
    LabelProcent->setObjectName("LabelProcent");
    progressRow->addWidget(ProgressBar, 1);
    progressRow->addWidget(LabelProcent);
    statusBox->addWidget(MemoStatus);
    statusBox->addLayout(progressRow);
    top->addWidget(statusGroup);

    auto *buttons = new QHBoxLayout;
    BtnStart = formButton(form, "BtnStart", "Start");
    BtnCancel = formButton(form, "BtnCancel", "Cancel");
    BtnExit = formButton(form, "BtnExit", "Exit");
    buttons->addWidget(BtnStart);
    buttons->addWidget(BtnCancel);
    buttons->addStretch(1);
    buttons->addWidget(BtnExit);
    top->addLayout(buttons);

    TimerRequest = new QTimer(form);
    TimerRequest->setObjectName("TimerRequest");
    TimerRequest->setInterval(300);
    TimerRequest->setSingleShot(true);
    form->resize(640, 560);
}
