#include "forms/GeneralPageUi.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWidget>

void TGeneralPageUi::setupUi(QWidget *page)
{
    GroupBoxMode = new QGroupBox("Mode", page);
    GroupBoxMode->setObjectName("GroupBoxMode");
    GroupBoxMode->setGeometry(8, 8, 140, 70);
    auto *layout = new QVBoxLayout(GroupBoxMode);
    RadioButtonAuto = new QRadioButton("Auto", GroupBoxMode);
    RadioButtonAuto->setObjectName("RadioButtonAuto");
    RadioButtonAuto->setChecked(true);
    RadioButtonManuel = new QRadioButton("Manuel test", GroupBoxMode);
    RadioButtonManuel->setObjectName("RadioButtonManuel");
    layout->addWidget(RadioButtonAuto);
    layout->addWidget(RadioButtonManuel);
}
