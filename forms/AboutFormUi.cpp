#include "forms/AboutFormUi.h"

#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

QLabel *label(QWidget *parent, const char *name, const char *text, int x, int y, int w = 240)
{
    auto *l = new QLabel(QString::fromLatin1(text), parent);
    if (name)
        l->setObjectName(name);
    l->setGeometry(x, y, w, 18);
    return l;
}

} // namespace

void TAboutFormUi::setupUi(QDialog *form)
{
    form->setObjectName("AboutForm");
    form->setWindowTitle("About QM5220 Tessaron");
    form->setFixedSize(380, 250);

    ProductLabel = label(form, "ProductLabel", "Service and configuration tool", 16, 12, 340);
    QFont bold = ProductLabel->font();
    bold.setBold(true);
    ProductLabel->setFont(bold);
    label(form, nullptr, "PC version :", 16, 40, 110);
    VersionLabel = label(form, "VersionLabel", "9.13", 130, 40, 200);
    CompiledLabel = label(form, "CompiledLabel", "", 16, 60, 300);
    label(form, nullptr, "Tessaron version:", 16, 84, 110);
    LabelPCM_Version = label(form, "LabelPCM_Version", "---", 130, 84, 200);

    // Shown only once the box is activated.
    int y = 110;
    for (QLabel **stat : {&LabelPowerUpTime, &LabelMaxTemp, &LabelMaxCurrent, &LabelWatchdogCount})
        *stat = label(form, nullptr, "", 16, y += 20, 300);
    LabelPowerUpTime->setObjectName("LabelPowerUpTime");
    LabelMaxTemp->setObjectName("LabelMaxTemp");
    LabelMaxCurrent->setObjectName("LabelMaxCurrent");
    LabelWatchdogCount->setObjectName("LabelWatchdogCount");
    for (QLabel *stat : {LabelPowerUpTime, LabelMaxTemp, LabelMaxCurrent, LabelWatchdogCount})
        stat->setVisible(false);

    WebSite = label(form, "WebSite", "www.tessaron.example", 16, 222, 200);
    WebSite->setStyleSheet("color: #0000c0; text-decoration: underline;");

    OKBtn = new QPushButton("OK", form);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(290, 216, 75, 25);
    OKBtn->setDefault(true);

    Timer1SecTick = new QTimer(form);
    Timer1SecTick->setObjectName("Timer1SecTick");
    Timer1SecTick->setInterval(300);
}
