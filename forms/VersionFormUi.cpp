#include "forms/VersionFormUi.h"

#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel *boldLabel(QDialog *form, const char *name, const char *text)
{
    auto *label = new QLabel(QString::fromLatin1(text), form);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QTimer *timer(QObject *owner, const char *name, int interval)
{
    auto *t = new QTimer(owner);
    t->setObjectName(name);
    t->setInterval(interval);
    t->setSingleShot(false);
    return t;
}

} // namespace

void TVersionFormUi::setupUi(QDialog *form)
{
    form->setObjectName("VersionForm");
    form->setWindowTitle("PCM Version");
    form->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    form->setMinimumWidth(240);

    auto *layout = new QVBoxLayout(form);
    Label1 = boldLabel(form, "Label1", "Version ");
    Label2 = boldLabel(form, "Label2", "Status:");
    layout->addWidget(Label1);
    layout->addWidget(Label2);

    Timer1 = timer(form, "Timer1", 1000);
    Timer2 = timer(form, "Timer2", 500);
}
