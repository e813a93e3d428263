#include "forms/FormControls.h"

#include <QPushButton>

QPushButton *formButton(QWidget *parent, const char *name, const char *caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}
