#include "config/ConfigStartup.h"

#include "config/Settingsunit.h"
#include "config/TriggerLists.h"
#include "forms/ConfigPagesUi.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

CanBytePositions CanOnBytePos;
CanBytePositions CanOffBytePos;

namespace {

using Ui = TConfigPagesUi;

QString pin(char connector, const char *pins)
{
    return QStringLiteral("( Con %1 Pin %2 )").arg(QLatin1Char(connector)).arg(QLatin1String(pins));
}

// Connector pins of the inputs 1..11 and the outputs 1..34, in item order.
constexpr std::array<const char *, Ui::InputCount> InputPins = {"13", "14", "15", "16", "17", "18",
                                                                "19", "20", "21", "22", "23"};
constexpr std::array<const char *, Ui::HighPowerCount> HighPowerPins = {
    "1,2", "28",    "31", "30",    "34", "35", "3,4", "6",  "26,27",
    "5",   "24,25", "8",  "32,33", "10", "7",  "29",  "11", "9"};
constexpr std::array<const char *, Ui::OutputCount - Ui::HighPowerCount> LowPowerPins = {
    "16", "17", "18", "19", "23", "22", "21", "20", "1", "2", "3", "4", "8", "7", "6", "5"};

} // namespace

void ConfigConstructorDefaults(TConfigPagesUi &ui)
{
    for (int n = 1; n <= Ui::OutputCount; ++n)
        ui.EditOnTimeCH[static_cast<std::size_t>(n)]->setToolTip(
            QStringLiteral("Output ON timer \nEnter 0 for continuous"));
    ui.NoCANdataComboBox->setCurrentIndex(0);
    ui.CANbitRateComboBox->setCurrentIndex(3);
    ui.CANdelayBeforeNoCANdataEdit->setText(QStringLiteral("15"));
    ui.CANresetChannelErrorIDedit->clear();
    ui.CANresetChannelErrorDataCombo->setCurrentIndex(-1);
    ui.CANresetChannelErrorBitMaskEdit->setText(QStringLiteral("01"));
    ui.CANexport5BaseIDEdit->setText(QStringLiteral("700"));
    ui.CANexport5IntervalEdit->setText(QStringLiteral("0"));
    for (int k = 1; k <= Ui::SequenceCount; ++k)
        ui.SequenceTypeInfoLabel[static_cast<std::size_t>(k)]->clear();
}

void ConfigFormCreate(TConfigPagesUi &ui, std::array<QComboBox *, 132> &canExportBitCombos)
{
    CanOnBytePos = {};
    CanOffBytePos = {};
    DrawBytePositions(ui.ImageCan_1_ON, CanOnBytePos.Lo, CanOnBytePos.Hi);
    DrawBytePositions(ui.ImageCan_1_OFF, CanOffBytePos.Lo, CanOffBytePos.Hi);

    for (int n = 1; n <= Ui::OutputCount; ++n)
        ui.LabelInputpin[static_cast<std::size_t>(n)]->clear();

    canExportBitCombos = ui.CanExportBits;

    for (int n = 1; n <= Ui::InputCount; ++n)
        ui.InputLabelB[static_cast<std::size_t>(n)]->setText(
            pin('B', InputPins[static_cast<std::size_t>(n - 1)]));
    for (int n = 1; n <= Ui::OutputCount; ++n) {
        const QString text = n <= Ui::HighPowerCount
                                 ? pin('B', HighPowerPins[static_cast<std::size_t>(n - 1)])
                                 : pin('A', LowPowerPins[static_cast<std::size_t>(n - 19)]);
        ui.OutputLabel[static_cast<std::size_t>(n)]->setText(text);
        ui.OutputLabelB[static_cast<std::size_t>(n)]->setText(text);
    }
    ui.SocketInfoCAN[1]->setText(pin('A', "12"));
    ui.SocketInfoCAN[2]->setText(pin('A', "13"));
    ui.SocketInfoCAN[3]->setText(pin('A', "11"));
    ui.SocketInfoWarningLightReset->setText(pin('A', "10"));
    ui.SocketInfoGND2->setText(pin('A', "9"));
    ui.SocketInfoGND4->setText(pin('B', "12"));
    for (QLabel *label : {ui.SocketInfoUSB[1], ui.SocketInfoUSB[2], ui.SocketInfoUSB[3],
                          ui.SocketInfoUSB[4], ui.SocketInfoCurrentSum[1],
                          ui.SocketInfoCurrentSum[2], ui.SocketInfoGND5, ui.SocketInfoGND6})
        label->clear();
}

void ConfigAllFormsCreated(TConfigPagesUi &ui)
{
    BuildStartupTriggerLists(ui);
    AssignTriggerLists(ui, false);

    for (int n = 1; n <= CanInputCount; ++n) {
        CanInputRecord &record = CanInputTable[static_cast<std::size_t>(n - 1)];
        NameToField(record.Name, sizeof record.Name, NameLength, QStringLiteral("CAN %1").arg(n));
    }
    for (int n = 1; n <= VirtualInputCount; ++n) {
        VirtualInputRecord &record = VirtualInputTable[static_cast<std::size_t>(n - 1)];
        NameToField(record.Name, sizeof record.Name, NameLength,
                    QStringLiteral("Virtual %1").arg(n));
    }
}
