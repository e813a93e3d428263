#include "config/TriggerLists.h"

#include "config/Settingsunit.h"
#include "forms/ConfigPagesUi.h"

#include <QComboBox>
#include <QLineEdit>

QStringList TriggerSourceList;
QStringList VirtualChannelList;
QStringList CanExport1ChannelList;
QStringList CanExportSourceList;
QStringList InputPinList;

namespace {

using Ui = TConfigPagesUi;

QStringList numberedTexts(const char *stem, int count)
{
    QStringList texts;
    for (int n = 1; n <= count; ++n)
        texts << QLatin1String(stem) + QString::number(n);
    return texts;
}

template <std::size_t N> QStringList editTexts(const std::array<QLineEdit *, N> &edits, int count)
{
    QStringList texts;
    for (int n = 1; n <= count; ++n)
        texts << edits[static_cast<std::size_t>(n)]->text().left(NameLength);
    return texts;
}

QStringList tailEntries()
{
    QStringList texts{QStringLiteral("Wiper Slow"), QStringLiteral("Wiper Fast")};
    for (int k = 1; k <= 4; ++k)
        for (const char step : {'A', 'B', 'C'})
            texts << QStringLiteral("Sequence %1.%2").arg(k).arg(QLatin1Char(step));
    return texts;
}

QStringList exportSources(const Ui &ui)
{
    return QStringList{QStringLiteral("DISABLED")} +
           editTexts(ui.EditOutputName_ch, Ui::OutputCount) +
           editTexts(ui.EditInputName_ch, Ui::InputCount) +
           QStringList{QStringLiteral("Output error")};
}

QStringList triggerHead(const QStringList &inputs)
{
    return QStringList{QStringLiteral("DISABLED"), QStringLiteral("+30")} + inputs;
}

} // namespace

QStringList ShortTriggerSourceList()
{
    return TriggerSourceList.mid(0, ShortTriggerListCount);
}

void BuildStartupTriggerLists(const TConfigPagesUi &ui)
{
    InputPinList = numberedTexts("CH ", Ui::InputCount);
    TriggerSourceList = triggerHead(InputPinList) + numberedTexts("CAN ", Ui::CanInputCount) +
                        numberedTexts("Virtual ", Ui::VirtualInputCount) + tailEntries();
    VirtualChannelList =
        QStringList{QStringLiteral("Not Used"), QStringLiteral("+30")} + InputPinList;
    CanExport1ChannelList =
        QStringList{QStringLiteral("DISABLED")} + numberedTexts("CH ", Ui::HighPowerCount);
    CanExportSourceList = exportSources(ui);
}

void RebuildTriggerLists(const TConfigPagesUi &ui)
{
    const QStringList inputs = editTexts(ui.EditInputName_ch, Ui::InputCount);
    const QStringList outputs = editTexts(ui.EditOutputName_ch, Ui::OutputCount);
    const QStringList canInputs = editTexts(ui.EditCanInputName_ch, Ui::CanInputCount);
    InputPinList = inputs;
    TriggerSourceList = triggerHead(inputs) + canInputs +
                        editTexts(ui.EditInputName_Virtuel_ch, Ui::VirtualInputCount) +
                        tailEntries();
    QStringList virtualNames;
    for (const VirtualInputRecord &record : VirtualInputTable)
        virtualNames << NameFromField(record.Name, sizeof record.Name);
    VirtualChannelList = QStringList{QStringLiteral("Not Used"), QStringLiteral("+30")} + inputs +
                         canInputs + outputs + virtualNames;
    CanExport1ChannelList =
        QStringList{QStringLiteral("DISABLED")} + outputs.mid(0, Ui::HighPowerCount);
    CanExportSourceList = exportSources(ui);
}

void AssignComboList(QComboBox *combo, const QStringList &items, int index)
{
    if (!combo)
        return;
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void AssignTriggerLists(TConfigPagesUi &ui, bool keepSelections)
{
    const auto give = [keepSelections](QComboBox *combo, const QStringList &items) {
        if (combo)
            AssignComboList(combo, items, keepSelections ? combo->currentIndex() : 0);
    };
    const QStringList shortList = ShortTriggerSourceList();

    give(ui.ComboBoxInputTrigCAN_Input, InputPinList);
    for (QComboBox *combo :
         {ui.WiperLowSpeedInputComboBox, ui.WiperWashInputComboBox, ui.WiperHighSpeedInputComboBox,
          ui.WiperIntervalInputComboBox, ui.WiperHomeParkInputComboBox})
        give(combo, shortList);
    for (int k = 1; k <= Ui::SequenceCount; ++k)
        give(ui.SequenceTriggerComboBox[static_cast<std::size_t>(k)], shortList);
    for (int n = 1; n <= Ui::OutputCount; ++n)
        give(ui.ComboBoxInputTrigCH[static_cast<std::size_t>(n)], TriggerSourceList);
    // The flash, start and kill triggers offer every source and convert their
    // selection with the full maps both ways.
    give(ui.ComboBoxFlashInputTrig, TriggerSourceList);
    give(ui.ComboBoxInputTrigStartButton, TriggerSourceList);
    give(ui.ComboBoxInputTrigKillButton, TriggerSourceList);
    for (int s = 1; s <= Ui::VirtualSourceCount; ++s)
        give(ui.ComboBoxVirtuel_1_Channel_[static_cast<std::size_t>(s)], VirtualChannelList);
    for (int n = 1; n <= Ui::CanExport1ByteCount; ++n)
        give(ui.ComboBox_CAN_Export1_DataByte[static_cast<std::size_t>(n)], CanExport1ChannelList);
    for (QComboBox *combo : ui.CanExportBits)
        give(combo, CanExportSourceList);
}
