#include "forms/GeneralPageUi.h"

#include "widgets/zAnimate.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWidget>

namespace {

QLabel *valueLabel(QWidget *parent, const QString &name, int width)
{
    auto *l = new QLabel("--", parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAutoFillBackground(true);
    l->setMinimumWidth(width);
    return l;
}

// One output: its number, its button and, for high-power outputs, its state label.
void addChannel(TGeneralPageUi &ui, QGridLayout *grid, int channel, int row, int column)
{
    QWidget *parent = grid->parentWidget();
    const bool high = channel <= TGeneralPageUi::HighPowerChannels;
    auto *number = new QLabel(QStringLiteral("CH %1").arg(channel), parent);
    grid->addWidget(number, row, column);

    auto *button = new TzColorBtn(parent);
    button->setObjectName(high ? QStringLiteral("BtnHighPowerCh%1").arg(channel)
                               : QStringLiteral("BtnLowPowerCh%1").arg(channel));
    QFont small = button->font();
    small.setPixelSize(11);
    button->setFont(small);
    button->setFixedSize(40, 22);
    button->SetCaption("Off");
    button->setEnabled(false);
    ui.ChannelButtons[static_cast<std::size_t>(channel)] = button;
    grid->addWidget(button, row, column + 1);

    if (high) {
        QLabel *state = valueLabel(parent, QStringLiteral("ch%1State").arg(channel), 78);
        ui.ChannelStates[static_cast<std::size_t>(channel)] = state;
        grid->addWidget(state, row, column + 2);
    }
}

QLabel *indicator(QGridLayout *grid, const QString &caption, const QString &name, int row,
                  int column)
{
    QWidget *parent = grid->parentWidget();
    grid->addWidget(new QLabel(caption, parent), row, column);
    QLabel *l = valueLabel(parent, name, 36);
    l->setText("Off");
    grid->addWidget(l, row, column + 1);
    return l;
}

} // namespace

void TGeneralPageUi::setupUi(QWidget *page)
{
    auto *top = new QHBoxLayout(page);
    auto *left = new QVBoxLayout;
    top->addLayout(left);

    auto *unit = new QGroupBox("Unit", page);
    unit->setObjectName("GroupBoxUnit");
    auto *unitGrid = new QGridLayout(unit);
    const struct
    {
        const char *caption, *name;
        QLabel **label;
    } totals[] = {{"Total current", "lblCurrentSum", &lblCurrentSum},
                  {"Supply voltage", "lblVbat", &lblVbat},
                  {"Temperature", "lblTemp", &lblTemp},
                  {"Errors", "lblErrors", &lblErrors}};
    int row = 0;
    for (const auto &t : totals) {
        unitGrid->addWidget(new QLabel(t.caption, unit), row, 0);
        *t.label = valueLabel(unit, t.name, 70);
        unitGrid->addWidget(*t.label, row++, 1);
    }
    left->addWidget(unit);

    GroupBoxMode = new QGroupBox("Mode", page);
    GroupBoxMode->setObjectName("GroupBoxMode");
    auto *modeLayout = new QVBoxLayout(GroupBoxMode);
    RadioButtonAuto = new QRadioButton("Auto", GroupBoxMode);
    RadioButtonAuto->setObjectName("RadioButtonAuto");
    RadioButtonAuto->setChecked(true);
    RadioButtonManuel = new QRadioButton("Manuel test", GroupBoxMode);
    RadioButtonManuel->setObjectName("RadioButtonManuel");
    modeLayout->addWidget(RadioButtonAuto);
    modeLayout->addWidget(RadioButtonManuel);
    left->addWidget(GroupBoxMode);

    auto *inputs = new QGroupBox("Inputs", page);
    inputs->setObjectName("GroupBoxInputs");
    auto *inputGrid = new QGridLayout(inputs);
    for (int i = 1; i <= Inputs; ++i)
        InputStates[static_cast<std::size_t>(i)] =
            indicator(inputGrid, QStringLiteral("Input %1").arg(i),
                      QStringLiteral("LabelInput%1State").arg(i), i - 1, 0);
    left->addWidget(inputs);
    left->addStretch();

    auto *outputs = new QVBoxLayout;
    top->addLayout(outputs);
    auto *high = new QGroupBox("High power outputs", page);
    high->setObjectName("GroupBoxHighPower");
    auto *highGrid = new QGridLayout(high);
    for (int ch = 1; ch <= HighPowerChannels; ++ch)
        addChannel(*this, highGrid, ch, (ch - 1) % 9, (ch - 1) / 9 * 3);
    outputs->addWidget(high);

    auto *low = new QGroupBox("Low power outputs", page);
    low->setObjectName("GroupBoxLowPower");
    auto *lowGrid = new QGridLayout(low);
    for (int ch = HighPowerChannels + 1; ch <= Channels; ++ch) {
        const int n = ch - HighPowerChannels - 1;
        addChannel(*this, lowGrid, ch, n % 8, n / 8 * 2);
    }
    outputs->addWidget(low);
    outputs->addStretch();

    auto *can = new QGroupBox("CAN inputs", page);
    can->setObjectName("GroupBoxCanInputs");
    auto *canGrid = new QGridLayout(can);
    for (int i = 1; i <= CanInputs; ++i)
        CanInputStates[static_cast<std::size_t>(i)] = indicator(
            canGrid, QStringLiteral("CAN %1").arg(i),
            QStringLiteral("Label_CAN_InputState%1").arg(i), (i - 1) % 16, (i - 1) / 16 * 2);
    auto *right = new QVBoxLayout;
    right->addWidget(can);
    right->addStretch();
    top->addLayout(right);
    top->addStretch();
}
