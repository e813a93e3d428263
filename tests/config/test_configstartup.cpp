// The configuration pages as the main window's start-up leaves them, and the
// trigger-source lists.
#include "config_fixture.h"

#include "config/TriggerLists.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <set>

namespace {

using Ui = TConfigPagesUi;
using ConfigStartup = ConfigPagesTest;

TEST_F(ConfigStartup, ConstructorDefaultsOfTheCanSetup)
{
    EXPECT_EQ(ui.NoCANdataComboBox->currentIndex(), 0);
    EXPECT_EQ(ui.CANbitRateComboBox->currentText(), QStringLiteral("1 Mbit/s"));
    EXPECT_EQ(ui.CANdelayBeforeNoCANdataEdit->text(), QStringLiteral("15"));
    EXPECT_EQ(ui.CANresetChannelErrorIDedit->text(), QString());
    EXPECT_EQ(ui.CANresetChannelErrorDataCombo->currentIndex(), -1);
    EXPECT_EQ(ui.CANresetChannelErrorBitMaskEdit->text(), QStringLiteral("01"));
    EXPECT_EQ(ui.CANexport5BaseIDEdit->text(), QStringLiteral("700"));
    EXPECT_EQ(ui.CANexport5IntervalEdit->text(), QStringLiteral("0"));
    for (int n = 1; n <= Ui::OutputCount; ++n)
        EXPECT_EQ(ui.EditOnTimeCH[std::size_t(n)]->toolTip(),
                  QStringLiteral("Output ON timer \nEnter 0 for continuous"));
}

TEST_F(ConfigStartup, CanExportBitCombosInTransferOrder)
{
    const struct
    {
        int entry;
        const char *name;
    } table[] = {
        {0, "ComboBox_CAN_Export2_DataByte0_Bit7"},   {7, "ComboBox_CAN_Export2_DataByte0_Bit0"},
        {8, "ComboBox_CAN_Export2_DataByte1_Bit7"},   {33, "ComboBox_CAN_Export2_DataByte4_Bit6"},
        {34, "ComboBox_CAN_Export3_DataByte0_Bit7"},  {67, "ComboBox_CAN_Export3_DataByte4_Bit6"},
        {68, "ComboBox_CAN_Export4_DataByte0_Bit7"},  {100, "ComboBox_CAN_Export4_DataByte4_Bit7"},
        {131, "ComboBox_CAN_Export4_DataByte7_Bit0"},
    };
    for (const auto &row : table) {
        ASSERT_NE(canExportBitCombos[std::size_t(row.entry)], nullptr) << row.entry;
        EXPECT_EQ(canExportBitCombos[std::size_t(row.entry)]->objectName(),
                  QLatin1String(row.name));
    }
    const std::set<QComboBox *> distinct(canExportBitCombos.begin(), canExportBitCombos.end());
    EXPECT_EQ(distinct.size(), 132u);
    EXPECT_EQ(distinct.count(nullptr), 0u);
}

TEST_F(ConfigStartup, ConnectorPinLabels)
{
    EXPECT_EQ(ui.InputLabelB[1]->text(), QStringLiteral("( Con B Pin 13 )"));
    EXPECT_EQ(ui.InputLabelB[11]->text(), QStringLiteral("( Con B Pin 23 )"));
    EXPECT_EQ(ui.OutputLabel[1]->text(), QStringLiteral("( Con B Pin 1,2 )"));
    EXPECT_EQ(ui.OutputLabelB[9]->text(), QStringLiteral("( Con B Pin 26,27 )"));
    EXPECT_EQ(ui.OutputLabel[18]->text(), QStringLiteral("( Con B Pin 9 )"));
    EXPECT_EQ(ui.OutputLabel[19]->text(), QStringLiteral("( Con A Pin 16 )"));
    EXPECT_EQ(ui.OutputLabelB[34]->text(), QStringLiteral("( Con A Pin 5 )"));
    for (int n = 1; n <= Ui::OutputCount; ++n) {
        EXPECT_EQ(ui.OutputLabel[std::size_t(n)]->text(), ui.OutputLabelB[std::size_t(n)]->text());
        EXPECT_EQ(ui.LabelInputpin[std::size_t(n)]->text(), QString());
    }
    EXPECT_EQ(ui.SocketInfoCAN[3]->text(), QStringLiteral("( Con A Pin 11 )"));
    EXPECT_EQ(ui.SocketInfoGND4->text(), QStringLiteral("( Con B Pin 12 )"));
    EXPECT_EQ(ui.SocketInfoUSB[1]->text(), QString());
}

TEST_F(ConfigStartup, ListsAndDefaultNames)
{
    EXPECT_EQ(TriggerSourceList.size(), 79);
    EXPECT_EQ(ShortTriggerSourceList().size(), 65);
    EXPECT_EQ(TriggerSourceList.at(12), QStringLiteral("CH 11"));
    EXPECT_EQ(TriggerSourceList.at(44), QStringLiteral("CAN 32"));
    EXPECT_EQ(TriggerSourceList.at(64), QStringLiteral("Virtual 20"));
    EXPECT_EQ(TriggerSourceList.at(66), QStringLiteral("Wiper Fast"));
    EXPECT_EQ(TriggerSourceList.at(78), QStringLiteral("Sequence 4.C"));
    EXPECT_EQ(VirtualChannelList.size(), 13);
    EXPECT_EQ(CanExport1ChannelList.size(), 19);
    EXPECT_EQ(CanExport1ChannelList.at(18), QStringLiteral("CH 18"));
    EXPECT_EQ(CanExportSourceList.size(), 47);
    EXPECT_EQ(CanExportSourceList.at(46), QStringLiteral("Output error"));
    EXPECT_EQ(InputPinList.size(), 11);

    EXPECT_EQ(ui.ComboBoxInputTrigCAN_Input->count(), 11);
    EXPECT_EQ(ui.ComboBoxVirtuel_1_Channel_[3]->count(), 13);
    EXPECT_EQ(ui.ComboBoxVirtuel_1_Channel_[3]->currentIndex(), 0);
    EXPECT_EQ(ui.ComboBox_CAN_Export1_DataByte[18]->count(), 19);
    for (QComboBox *combo : ui.CanExportBits)
        EXPECT_EQ(combo->count(), 47);

    EXPECT_EQ(std::string(CanInputTable[0].Name), "CAN 1");
    EXPECT_EQ(std::string(CanInputTable[31].Name), "CAN 32");
    EXPECT_EQ(std::string(VirtualInputTable[19].Name), "Virtual 20");
    EXPECT_EQ(ui.EditCanInputName_ch[32]->text(), QStringLiteral("CAN 32"));
    EXPECT_EQ(ui.EditInputName_Virtuel_ch[20]->text(), QStringLiteral("Virtual 20"));
}

TEST_F(ConfigStartup, EveryTriggerStartsDisabledAndReadsNone)
{
    for (int number = 1; number <= TriggerComboCount; ++number) {
        SCOPED_TRACE(number);
        QComboBox *combo = TriggerCombo(number);
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->count(), number <= 34 ? 79 : 65);
        EXPECT_EQ(combo->currentText(), QStringLiteral("DISABLED"));
        EXPECT_EQ(GetTriggerCode(number), 0);
    }
    for (QComboBox *combo : {ui.ComboBoxFlashInputTrig, ui.ComboBoxInputTrigStartButton,
                             ui.ComboBoxInputTrigKillButton}) {
        EXPECT_EQ(combo->currentText(), QStringLiteral("DISABLED"));
        EXPECT_EQ(ListIndexToTriggerCode(combo->currentIndex()), 0);
    }
}

TEST_F(ConfigStartup, ButtonAndFlashTriggersCarryEveryCodeBothWays)
{
    // A code read from the unit goes back unchanged through the full maps.
    for (QComboBox *combo : {ui.ComboBoxInputTrigStartButton, ui.ComboBoxInputTrigKillButton,
                             ui.ComboBoxFlashInputTrig}) {
        SCOPED_TRACE(combo->objectName().toStdString());
        ASSERT_EQ(combo->count(), 79);
        for (int code = 0; code <= 66; ++code) {
            combo->setCurrentIndex(TriggerCodeToListIndex(static_cast<TriggerCode>(code)));
            EXPECT_EQ(ListIndexToTriggerCode(combo->currentIndex()), code);
        }
        for (TriggerCode code : InputTriggerCodes) {
            combo->setCurrentIndex(TriggerCodeToListIndex(code));
            EXPECT_EQ(ListIndexToTriggerCode(combo->currentIndex()), code);
        }
        combo->setCurrentIndex(TriggerCodeToListIndex(255));
        EXPECT_EQ(combo->currentText(), QStringLiteral("+30"));
    }
}

TEST_F(ConfigStartup, RebuiltListsCarryTheNamesAndKeepSelections)
{
    SetTriggerCode(9, 3); // CAN input 3
    SetTriggerCode(36, 0xC2);
    ui.ComboBoxInputTrigStartButton->setCurrentIndex(15);
    ui.CanExportBits[131]->setCurrentIndex(37);
    SetCanInputName(3, QStringLiteral("Door"));
    SetInputName(3, QStringLiteral("PUMP"));
    SetOutputName(34, QStringLiteral("Beacon"));

    RebuildTriggerLists(ui);
    AssignTriggerLists(ui, true);

    EXPECT_EQ(TriggerSourceList.size(), 79);
    EXPECT_EQ(VirtualChannelList.size(), 99);
    EXPECT_EQ(VirtualChannelList.at(98), QStringLiteral("Virtual 20"));
    EXPECT_EQ(VirtualChannelList.at(2 + 11 + 32 + 33), QStringLiteral("Beacon"));
    EXPECT_EQ(CanExportSourceList.size(), 47);
    EXPECT_EQ(InputPinList.at(2), QStringLiteral("PUMP"));
    for (int number = 1; number <= TriggerComboCount; ++number) {
        EXPECT_EQ(TriggerCombo(number)->itemText(15), QStringLiteral("Door"));
        EXPECT_EQ(TriggerCombo(number)->itemText(4), QStringLiteral("PUMP"));
    }
    EXPECT_EQ(GetTriggerCode(9), 3);
    EXPECT_EQ(ui.ComboBoxInputTrigCH[9]->currentText(), QStringLiteral("Door"));
    EXPECT_EQ(GetTriggerCode(36), 0xC2);
    EXPECT_EQ(ui.ComboBoxInputTrigStartButton->currentText(), QStringLiteral("Door"));
    EXPECT_EQ(ui.CanExportBits[131]->currentText(), QStringLiteral("PUMP"));
    EXPECT_EQ(ui.CanExportBits[0]->itemText(34), QStringLiteral("Beacon"));
}

} // namespace
