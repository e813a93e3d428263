#include "forms/UpdateFormUi.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

void TUpdateFormUi::setupUi(QDialog *form)
{
    form->setObjectName("UpdateForm");
    form->setWindowTitle("Update tessaron");
    // A dialog frame with the close box only: no minimise, maximise or help.
    form->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    form->setMinimumWidth(320);

    auto *layout = new QVBoxLayout(form);
    Label1 = new QLabel("Updating settings", form);
    Label1->setObjectName("Label1");
    layout->addWidget(Label1);

    ProgressBar1 = new QProgressBar(form);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    layout->addWidget(ProgressBar1);

    BtnCancel = new QPushButton("Cancel", form);
    BtnCancel->setObjectName("BtnCancel");
    BtnCancel->setAutoDefault(false);
    layout->addWidget(BtnCancel, 0, Qt::AlignHCenter);

    Timer1 = new QTimer(form);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(100);
}
