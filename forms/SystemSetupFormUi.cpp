#include "forms/SystemSetupFormUi.h"

#include "forms/FormControls.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct EditRow
{
    QLineEdit *TSystemSetupFormUi::*edit;
    const char *name;
    const char *caption;
    const char *initial;
    int maxLength;
};

// The rows of the " Main unit " group, top to bottom.
constexpr EditRow Rows[] = {
    {&TSystemSetupFormUi::SerialEdit, "SerialEdit", "Serial number", "00000000", 8},
    {&TSystemSetupFormUi::YearEdit, "YearEdit", "Production year", "2006", 4},
    {&TSystemSetupFormUi::WeekEdit, "WeekEdit", "Production week", "00", 2},
    {&TSystemSetupFormUi::EditHW_version, "EditHW_version", "Hardware version", "00", 3},
    {&TSystemSetupFormUi::MaunUnitVersion, "MaunUnitVersion", "Software version", "0.0", 20},
};

} // namespace

void TSystemSetupFormUi::setupUi(QDialog *form)
{
    form->setObjectName("SystemSetupForm");
    form->setWindowTitle("Brennholm system setup");
    auto *outer = new QVBoxLayout(form);

    MainUnitGroup = new QGroupBox(" Main unit ", form);
    MainUnitGroup->setObjectName("MainUnitGroup");
    auto *grid = new QGridLayout(MainUnitGroup);
    int row = 0;
    for (const EditRow &r : Rows) {
        auto *edit = new QLineEdit(r.initial, MainUnitGroup);
        edit->setObjectName(r.name);
        edit->setMaxLength(r.maxLength);
        this->*r.edit = edit;
        grid->addWidget(new QLabel(r.caption, MainUnitGroup), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    MaunUnitVersion->setReadOnly(true);
    outer->addWidget(MainUnitGroup);

    auto *buttons = new QHBoxLayout;
    BtnUpload = formButton(form, "BtnUpload", "Upload");
    BtnOK = formButton(form, "BtnOK", "OK");
    buttons->addWidget(BtnUpload);
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    outer->addLayout(buttons);
}
