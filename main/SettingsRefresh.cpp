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
    // Showing the settings again is no edit of them.
    const std::uint8_t modified = SettingsModified;

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
    // Each channel's description and level choices follow its trigger.
    for (int n = 1; n <= Ui::OutputCount; ++n)
        ComboBoxInputTrigCHnChange(ui.ComboBoxInputTrigCH[static_cast<std::size_t>(n)]);

    renameListEntries(ui.ListBoxCAN_INPUT, editTexts(ui.EditCanInputName_ch, Ui::CanInputCount));
    ListBoxCAN_INPUTClick();
    renameListEntries(ui.ListBoxVIRTUAL_INPUT,
                      editTexts(ui.EditInputName_Virtuel_ch, Ui::VirtualInputCount));
    ListBoxVIRTUAL_INPUTClick();

    refillOutputChecks(ui.CheckListBoxStartButton);
    refillOutputChecks(ui.CheckListBoxKillButton);

    QStringList flashNames;
    for (int n = 1; n <= FlashCount; ++n)
        flashNames << GetFlashName(n);
    renameListEntries(ui.ListBoxFlashNo, flashNames);
    ListBoxFlashNoClick();
    for (int k = 1; k <= Ui::SequenceCount; ++k)
        SequenceTypeComboBoxChange(ui.SequenceTypeComboBox[static_cast<std::size_t>(k)]);

    // The monitor's per-input entries carry the CAN input names; the monitor stops.
    RenameCanMonitorItems();
    if (ui.CANmonitorEnableComboBox->currentIndex() != 0)
        SwitchCanMonitorOff();
    SettingsModified = modified;
}
