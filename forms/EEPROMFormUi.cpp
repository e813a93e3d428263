#include "forms/EEPROMFormUi.h"

#include "forms/FormControls.h"

#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLineEdit *addressEdit(QWidget *parent, const char *name, const char *text)
{
    auto *e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setMaxLength(4);
    return e;
}

// A group of two address edits (start, end) and two buttons.
QGroupBox *rangeGroup(QWidget *parent, const char *title, QLineEdit *&start, const char *startName,
                      QLineEdit *&end, const char *endName, QPushButton *first, QPushButton *second)
{
    auto *group = new QGroupBox(title, parent);
    auto *grid = new QGridLayout(group);
    start = addressEdit(group, startName, "0000");
    end = addressEdit(group, endName, "1000");
    grid->addWidget(new QLabel("Start", group), 0, 0);
    grid->addWidget(start, 0, 1);
    grid->addWidget(new QLabel("End", group), 1, 0);
    grid->addWidget(end, 1, 1);
    first->setParent(group);
    second->setParent(group);
    grid->addWidget(first, 2, 0);
    grid->addWidget(second, 2, 1);
    return group;
}

} // namespace

void TEEPROMFormUi::setupUi(QDialog *form, int gridRows)
{
    form->setObjectName("EEPROMForm");
    form->setWindowTitle("EEPROM");
    form->resize(980, 600);
    auto *layout = new QHBoxLayout(form);

    EEStringGrid = new QTableWidget(gridRows, 18, form);
    EEStringGrid->setObjectName("EEStringGrid");
    EEStringGrid->horizontalHeader()->hide();
    EEStringGrid->verticalHeader()->hide();
    QFont mono("Courier New");
    mono.setStyleHint(QFont::TypeWriter); // a fixed-pitch font where that one is missing
    EEStringGrid->setFont(mono);
    // Columns as wide as their longest text, and the grid wide enough for all
    // of them, so that the ASCII column shows without scrolling.
    const QFontMetrics metrics = EEStringGrid->fontMetrics(); // in the size the grid draws with
    const int margin =
        2 * (EEStringGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr,
                                                 EEStringGrid) +
             1) +
        metrics.horizontalAdvance(' ');
    const auto fit = [&](const QString &text) { return metrics.horizontalAdvance(text) + margin; };
    EEStringGrid->horizontalHeader()->setMinimumSectionSize(1);
    EEStringGrid->horizontalHeader()->setDefaultSectionSize(fit("00"));
    EEStringGrid->setColumnWidth(0, fit("Addr"));
    EEStringGrid->setColumnWidth(17, fit(QString(". ").repeated(16)));
    int columns = 0;
    for (int c = 0; c < EEStringGrid->columnCount(); ++c)
        columns += EEStringGrid->columnWidth(c);
    EEStringGrid->setMinimumWidth(
        columns + 2 * EEStringGrid->frameWidth() +
        EEStringGrid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, EEStringGrid));
    layout->addWidget(EEStringGrid, 1);

    auto *side = new QVBoxLayout;
    EEPROMReadBtn = formButton(form, "EEPROMReadBtn", "Read");
    EEPROMWriteBtn = formButton(form, "EEPROMWriteBtn", "Write");
    side->addWidget(rangeGroup(form, " EEPROM ", EEPROMStartEdit, "EEPROMStartEdit", EEPROMEndEdit,
                               "EEPROMEndEdit", EEPROMReadBtn, EEPROMWriteBtn));
    EEPROMProgressBar = new QProgressBar(form);
    EEPROMProgressBar->setObjectName("EEPROMProgressBar");
    EEPROMProgressBar->setRange(0, 100);
    EEPROMProgressBar->setValue(0);
    side->addWidget(EEPROMProgressBar);

    FileLoadBtn = formButton(form, "FileLoadBtn", "Load");
    FileSaveBtn = formButton(form, "FileSaveBtn", "Save");
    side->addWidget(rangeGroup(form, " File ", FileStartEdit, "FileStartEdit", FileEndEdit,
                               "FileEndEdit", FileLoadBtn, FileSaveBtn));

    BufferFillFFBtn = formButton(form, "BufferFillFFBtn", "Fill with FF");
    BufferFill00Btn = formButton(form, "BufferFill00Btn", "Fill with 00");
    side->addWidget(rangeGroup(form, " Buffer ", FillStartEdit, "FillStartEdit", FillEndEdit,
                               "FillEndEdit", BufferFillFFBtn, BufferFill00Btn));
    side->addStretch();
    layout->addLayout(side);

    ReadWriteTimer = new QTimer(form);
    ReadWriteTimer->setObjectName("ReadWriteTimer");
    ReadWriteTimer->setInterval(1000);
}
