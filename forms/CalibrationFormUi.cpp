#include "forms/CalibrationFormUi.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString numbered(const char *name, int n)
{
    return QString::fromLatin1(name) + QString::number(n);
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLineEdit *edit(QWidget *parent, const QString &name, int width)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    return e;
}

QLabel *okLabel(QWidget *parent, const char *name)
{
    QLabel *l = label(parent, name, "OK");
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet("background-color: #00FF00;");
    l->hide();
    return l;
}

} // namespace

void TCalibrationFormUi::setupUi(QDialog *form)
{
    form->setObjectName("CalibrationForm");
    form->setWindowTitle("Calibration");
    auto *top = new QVBoxLayout(form);
    auto *heading = new QLabel("High power calibration", form);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    top->addWidget(heading);

    auto *grid = new QGridLayout;
    const char *columns[] = {"Ch", "Amps",      "Ration", "10 bit A/D", "A/D Offset",
                             "",   "Målt Amps", "",       "New Ration"};
    for (int c = 0; c < int(std::size(columns)); ++c)
        grid->addWidget(new QLabel(QString::fromUtf8(columns[c]), form), 0, c);
    for (int n = 1; n <= Channels; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        grid->addWidget(new QLabel(QString::number(n), form), n, 0);
        Label_Amp_ch[i] = label(form, numbered("Label_Amp_ch_", n), "--");
        Label_Ratio[i] = label(form, numbered("Label_Ratio_", n), "--");
        Label_AD[i] = label(form, numbered("Label_AD_", n), "--");
        Label_AD_Offset[i] = label(form, numbered("Label_AD_Offset_", n), "--");
        ChannelUpdateLabel[i] = label(form, numbered("ChannelUpdateLabel", n), "");
        ChannelUpdateLabel[i]->setFixedWidth(12);
        Edit_Current[i] = edit(form, numbered("Edit_Current_", n), 60);
        Btn_NewRation[i] = button(form, numbered("Btn_NewRation_", n), "Calculate new Ration");
        EditNewRation[i] = edit(form, numbered("EditNewRation_", n), 60);
        grid->addWidget(Label_Amp_ch[i], n, 1);
        grid->addWidget(Label_Ratio[i], n, 2);
        grid->addWidget(Label_AD[i], n, 3);
        grid->addWidget(Label_AD_Offset[i], n, 4);
        grid->addWidget(ChannelUpdateLabel[i], n, 5);
        grid->addWidget(Edit_Current[i], n, 6);
        grid->addWidget(Btn_NewRation[i], n, 7);
        grid->addWidget(EditNewRation[i], n, 8);
    }
    auto *body = new QHBoxLayout;
    body->addLayout(grid);

    auto *side = new QVBoxLayout;
    Memo1 = new QPlainTextEdit(form);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setPlainText("Step 1: Nothing may be connected to the high power outputs during the "
                        "calibration. Press \"Store A/D offset\" and continue with the next step "
                        "when the unit has updated its offsets.\n\n"
                        "Step 2: Connect a known load, measure its current with a meter, enter "
                        "it under \"Målt Amps\", press \"Calculate new Ration\" and then "
                        "\"Store Ration\".");
    side->addWidget(Memo1);
    CheckBoxOffset = new QCheckBox("Use Offset values", form);
    CheckBoxOffset->setObjectName("CheckBoxOffset");
    CheckBoxOffset->setChecked(true);
    CheckBoxRation = new QCheckBox("Use ration values", form);
    CheckBoxRation->setObjectName("CheckBoxRation");
    CheckBoxRation->setChecked(true);
    side->addWidget(CheckBoxOffset);
    side->addWidget(CheckBoxRation);

    auto *step1 = new QHBoxLayout;
    BtnUpload_AD_Offset = button(form, "BtnUpload_AD_Offset", "Store A/D offset");
    UploadADoffsetOKlabel = okLabel(form, "UploadADoffsetOKlabel");
    step1->addWidget(BtnUpload_AD_Offset);
    step1->addWidget(UploadADoffsetOKlabel);
    side->addLayout(step1);
    auto *step2 = new QHBoxLayout;
    BtnStoreRation = button(form, "BtnStoreRation", "Store Ration");
    StoreCalibrationOKlabel = okLabel(form, "StoreCalibrationOKlabel");
    step2->addWidget(BtnStoreRation);
    step2->addWidget(StoreCalibrationOKlabel);
    side->addLayout(step2);

    auto *channel = new QHBoxLayout;
    CalibrateChannelEdit = edit(form, "CalibrateChannelEdit", 40);
    CalibrateChannelEdit->setText("0");
    ChannelDownBtn = button(form, "ChannelDownBtn", "-");
    ChannelUpBtn = button(form, "ChannelUpBtn", "+");
    ChannelUpdateBtn = button(form, "ChannelUpdateBtn", "Update");
    channel->addWidget(CalibrateChannelEdit);
    channel->addWidget(ChannelDownBtn);
    channel->addWidget(ChannelUpBtn);
    channel->addWidget(ChannelUpdateBtn);
    side->addLayout(channel);

    Memo2 = new QPlainTextEdit(form);
    Memo2->setObjectName("Memo2");
    side->addWidget(Memo2);
    BtnOK = button(form, "BtnOK", "OK");
    side->addWidget(BtnOK, 0, Qt::AlignRight);
    body->addLayout(side);
    top->addLayout(body);
}
