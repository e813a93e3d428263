// The full refresh of the configuration pages: every list of names in line
// with the name edits and tables. Lists are rebuilt in place, so every combo
// keeps its selection and every check list its checks by position.
#include "main/MainUnit.h"

#include "config/Settingsunit.h"
#include "config/TriggerLists.h"
#include "forms/ConfigPagesUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace {

using Ui = TConfigPagesUi;

template <std::size_t N> QStringList editTexts(const std::array<QLineEdit *, N> &edits, int count)
{
    QStringList texts;
    for (int n = 1; n <= count; ++n)
        texts << edits[static_cast<std::size_t>(n)]->text();
    return texts;
}

QStringList outputNames()
{
    QStringList names;
    for (int n = 1; n <= Ui::OutputCount; ++n)
        names << GetOutputName(n);
    return names;
}

// Refills a check list of the outputs with their names, keeping the checks.
void refillOutputChecks(QListWidget *list)
{
    QList<bool> checked;
    for (int row = 0; row < Ui::OutputCount && row < list->count(); ++row)
        checked << IsItemChecked(list, row);
    FillCheckList(list, outputNames());
    for (int row = 0; row < checked.size(); ++row)
        if (checked[row])
            SetCheckedQuietly(list, row, true);
}

// Gives a list box new entry texts and selects its entry again (entry 0 when
// it had none or the list no longer reaches it).
void renameListEntries(QListWidget *list, const QStringList &names)
{
    const QSignalBlocker blocker(list);
    list->setUpdatesEnabled(false);
    const int selected = list->currentRow();
    if (list->count() == names.size()) {
        for (int row = 0; row < names.size(); ++row)
            list->item(row)->setText(names[row]);
    } else {
        list->clear();
        list->addItems(names);
    }
    list->setCurrentRow(selected >= 0 && selected < list->count() ? selected : 0);
    list->setUpdatesEnabled(true);
}

} // namespace

void TMainForm::RefreshAllControls()
{
    Ui &ui = Config;

    // The setters bring labels and tables in line with the name edits.
    for (int n = 1; n <= Ui::OutputCount; ++n)
        SetOutputName(n, ui.EditOutputName_ch[static_cast<std::size_t>(n)]->text());
    for (int n = 1; n <= Ui::InputCount; ++n)
        SetInputName(n, ui.EditInputName_ch[static_cast<std::size_t>(n)]->text());
    for (int n = 1; n <= Ui::CanInputCount; ++n)
        SetCanInputName(n, ui.EditCanInputName_ch[static_cast<std::size_t>(n)]->text());
    for (int n = 1; n <= Ui::VirtualInputCount; ++n)
        SetVirtualInputName(n, ui.EditInputName_Virtuel_ch[static_cast<std::size_t>(n)]->text());

    refillOutputChecks(ui.CheckListBoxLowBatt);

    // Every source list with the current names, every combo keeping its entry.
    for (QComboBox *button : {ui.ComboBoxInputTrigStartButton, ui.ComboBoxInputTrigKillButton})
        if (button->currentIndex() < 0)
            button->setCurrentIndex(0);
    RebuildTriggerLists(ui);
    AssignTriggerLists(ui, true);
    // The level choices follow each channel's trigger; its description
    // follows with the output page's own change handler.
    for (int n = 1; n <= Ui::OutputCount; ++n)
        UpdateTrigLevelChoices(n);

    renameListEntries(ui.ListBoxCAN_INPUT, editTexts(ui.EditCanInputName_ch, Ui::CanInputCount));
    renameListEntries(ui.ListBoxVIRTUAL_INPUT,
                      editTexts(ui.EditInputName_Virtuel_ch, Ui::VirtualInputCount));

    refillOutputChecks(ui.CheckListBoxStartButton);
    refillOutputChecks(ui.CheckListBoxKillButton);

    QStringList flashNames;
    for (int n = 1; n <= FlashCount; ++n)
        flashNames << GetFlashName(n);
    renameListEntries(ui.ListBoxFlashNo, flashNames);
    const int flash = ui.ListBoxFlashNo->currentRow();
    if (flash >= 0 && flash < FlashCount) {
        const FlashRecord &record = FlashTable[static_cast<std::size_t>(flash)];
        ui.GroupBoxFlash->setTitle(flashNames[flash]);
        ui.CheckBoxFlash->setChecked(record.Continues != 0);
        // The flash trigger offers every source, so its entry follows the full list.
        ui.ComboBoxFlashInputTrig->setCurrentIndex(TriggerCodeToListIndex(record.InputTrigger));
        ui.EditFlashOnTime->setText(QString::number(record.FlashTimeOn * 100));
        ui.EditFlashOffTime->setText(QString::number(record.FlashTimeOff * 100));
        ui.EditFlashDuration->setText(QString::number(record.Duration * 100));
        ui.EditFlashName->setText(flashNames[flash]);
        FillCheckList(ui.CheckListBoxFlashOutputList, outputNames());
        for (std::uint8_t channel : record.ChannelList)
            if (channel < Ui::OutputCount) // 0-based; 255 marks a free slot
                SetCheckedQuietly(ui.CheckListBoxFlashOutputList, channel, true);
    }

    // The monitor's per-input entries carry the CAN input names; the monitor stops.
    RenameCanMonitorItems();
    if (ui.CANmonitorEnableComboBox->currentIndex() != 0)
        SwitchCanMonitorOff();
}
