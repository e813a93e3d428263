#include "forms/LogFormUi.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QTextEdit>

void TLogFormUi::setupUi(QMainWindow *form)
{
    form->setObjectName("LogForm");
    form->setWindowTitle("LogForm");
    form->resize(918, 738);

    RichEdit = new QTextEdit(form);
    RichEdit->setObjectName("RichEdit");
    RichEdit->setReadOnly(true);
    RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    form->setCentralWidget(RichEdit);

    QMenuBar *MainMenu1 = form->menuBar();
    MainMenu1->setObjectName("MainMenu1");
    Clear1 = MainMenu1->addAction("&Clear");
    Clear1->setObjectName("Clear1");
    Offline1 = MainMenu1->addAction("Offline");
    Offline1->setObjectName("Offline1");
}
