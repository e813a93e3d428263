// Editors of the input, output, low-battery, start/kill and low-current pages:
// entry limits, the trigger descriptions and level choices, the check-list
// limits and the flags that mark the settings as edited.
#include "main/MainUnit.h"

#include "config/PageEditorRules.h"
#include "config/Settingsunit.h"
#include "config/Transfer.h"
#include "forms/ConfigPagesUi.h"
#include "platform/vcl/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

using Ui = TConfigPagesUi;

// Decimal entries take a typed comma as the point, whatever the keyboard.
class CommaToPointFilter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->text() == QLatin1String(",")) {
            if (auto *edit = qobject_cast<QLineEdit *>(watched)) {
                edit->insert(QStringLiteral("."));
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

void applyLimit(QLineEdit *edit, EntryLimit limit)
{
    if (!edit)
        return;
    if (const std::optional<QString> text = LimitedEntryText(limit, edit->text()))
        edit->setText(*text);
}

int checkedCount(const QListWidget *list, int countedRows)
{
    const int rows = countedRows < 0 ? list->count() : std::min(countedRows, list->count());
    int checked = 0;
    for (int row = 0; row < rows; ++row)
        checked += IsItemChecked(list, row) ? 1 : 0;
    return checked;
}

// Takes back the check just made when the list holds more than it may; true
// when the list is within its limit.
bool holdCheckListLimit(QWidget *parent, QListWidget *list, QListWidgetItem *item,
                        const CheckListLimit &limit)
{
    if (!list || !item || item->listWidget() != list)
        return false;
    if (checkedCount(list, limit.countedRows) <= limit.maximum)
        return true;
    vcl::ShowMessage(CheckListLimitMessage(limit), parent);
    // The item the user checked, wherever the current row stands.
    SetCheckedQuietly(list, list->row(item), false);
    return false;
}

template <std::size_t N, class Handler>
void connectEdits(TMainForm *form, const std::array<QLineEdit *, N> &edits, int count,
                  Handler handler)
{
    for (int n = 1; n <= count; ++n) {
        QLineEdit *edit = edits[static_cast<std::size_t>(n)];
        QObject::connect(edit, &QLineEdit::textChanged, form,
                         [form, edit, handler] { (form->*handler)(edit); });
    }
}

} // namespace

void TMainForm::WireInputOutputEditors()
{
    Ui &ui = Config;

    auto *commaFilter = new CommaToPointFilter(this);
    const auto filterFamily = [commaFilter](const auto &edits, int count) {
        for (int n = 1; n <= count; ++n)
            edits[static_cast<std::size_t>(n)]->installEventFilter(commaFilter);
    };
    filterFamily(ui.EditDelayCH, Ui::OutputCount);
    filterFamily(ui.EditOnTimeCH, Ui::OutputCount);
    filterFamily(ui.EditMaxCurrentCH, Ui::HighPowerCount);
    filterFamily(ui.EditCurrentPeakTimeCH, Ui::HighPowerCount);
    filterFamily(ui.EditLowCurrentCH, Ui::HighPowerCount);
    filterFamily(ui.EditLowCurrentTimeCH, Ui::HighPowerCount);
    filterFamily(ui.EditDelayTime, Ui::VirtualSourceCount);

    connectEdits(this, ui.EditMaxCurrentCH, Ui::HighPowerCount, &TMainForm::EditMaxCurrent);
    connectEdits(this, ui.EditLowCurrentCH, Ui::HighPowerCount, &TMainForm::EditMaxCurrent);
    connectEdits(this, ui.EditOnTimeCH, Ui::OutputCount, &TMainForm::Edit_ON_Timer);
    connectEdits(this, ui.EditLowCurrentTimeCH, Ui::HighPowerCount, &TMainForm::Edit_ON_Timer);
    connectEdits(this, ui.EditDelayCH, Ui::OutputCount, &TMainForm::EditMaxDelay);
    connectEdits(this, ui.EditCurrentPeakTimeCH, Ui::HighPowerCount,
                 &TMainForm::MaxPeakTimeEditChange);
    connect(ui.EditLowVoltageTrig, &QLineEdit::textChanged, this,
            &TMainForm::EditLowVoltageTrigChange);
    connect(ui.EditUpperVoltageTrig, &QLineEdit::textChanged, this,
            &TMainForm::EditUpperVoltageTrigChange);

    for (int n = 1; n <= Ui::OutputCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        QComboBox *trigger = ui.ComboBoxInputTrigCH[i];
        connect(trigger, &QComboBox::activated, this,
                [this, trigger] { ComboBoxInputTrigCHnChange(trigger); });
        connect(ui.ComboBoxTrigLevelCH[i], &QComboBox::activated, this,
                &TMainForm::User_Has_Changed_data);
        connect(ui.EditOutputName_ch[i], &QLineEdit::textChanged, this,
                &TMainForm::OutputName_Change);
    }
    for (int n = 1; n <= Ui::InputCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        connect(ui.EditInputName_ch[i], &QLineEdit::textChanged, this,
                &TMainForm::InputName_Change);
        connect(ui.ComboBoxInput_ch[i], &QComboBox::activated, this,
                &TMainForm::ComboBoxInput_Change);
    }
    for (int n = 1; n <= Ui::CanInputCount; ++n)
        connect(ui.EditCanInputName_ch[static_cast<std::size_t>(n)], &QLineEdit::textChanged, this,
                &TMainForm::InputName_Change);
    for (int n = 1; n <= Ui::VirtualInputCount; ++n)
        connect(ui.EditInputName_Virtuel_ch[static_cast<std::size_t>(n)], &QLineEdit::textChanged,
                this, &TMainForm::InputName_Change);

    for (int n = 1; n <= Ui::CanExport1ByteCount; ++n)
        connect(ui.ComboBox_CAN_Export1_DataByte[static_cast<std::size_t>(n)],
                &QComboBox::activated, this, &TMainForm::User_Has_Changed_data);
    for (QComboBox *bit : ui.CanExportBits)
        connect(bit, &QComboBox::activated, this, &TMainForm::User_Has_Changed_data);
    connect(ui.EditCAN_ID_Export[1], &QLineEdit::textChanged, this,
            &TMainForm::User_Has_Changed_data);
    connect(ui.ComboBoxInputTrigCAN_Input, &QComboBox::activated, this,
            &TMainForm::User_Has_Changed_data);
    connect(ui.CheckBoxInputPWMEnable, &QCheckBox::toggled, this,
            &TMainForm::User_Has_Changed_data);
    connect(ui.CheckBoxCAN_Export[1], &QCheckBox::toggled, this, &TMainForm::User_Has_Changed_data);
    connect(ui.EditBoxName, &QLineEdit::textChanged, this, &TMainForm::EditBoxNameChange);

    connect(ui.CheckListBoxLowBatt, &QListWidget::itemChanged, this,
            &TMainForm::CheckListBoxLowBattClickCheck);
    connect(ui.CheckListBoxStartButton, &QListWidget::itemChanged, this,
            &TMainForm::CheckListBoxStartButtonClickCheck);
    connect(ui.CheckListBoxKillButton, &QListWidget::itemChanged, this,
            &TMainForm::CheckListBoxKillButtonClickCheck);
    connect(ui.CheckListBoxFlashOutputList, &QListWidget::itemChanged, this,
            &TMainForm::CheckListBoxFlashOutputListClickCheck);
}

void TMainForm::EditMaxCurrent(QLineEdit *edit)
{
    applyLimit(edit, EntryLimit::MaxCurrent);
}

void TMainForm::Edit_ON_Timer(QLineEdit *edit)
{
    applyLimit(edit, EntryLimit::OnTime);
}

void TMainForm::EditMaxDelay(QLineEdit *edit)
{
    applyLimit(edit, EntryLimit::Delay);
}

void TMainForm::MaxPeakTimeEditChange(QLineEdit *edit)
{
    applyLimit(edit, EntryLimit::PeakTime);
}

void TMainForm::EditLowVoltageTrigChange()
{
    applyLimit(Config.EditLowVoltageTrig, EntryLimit::LowVoltage);
}

void TMainForm::EditUpperVoltageTrigChange()
{
    applyLimit(Config.EditUpperVoltageTrig, EntryLimit::UpperVoltage);
}

void TMainForm::ComboBoxInputTrigCHnChange(QComboBox *combo)
{
    const int channel = ItemNumber(combo);
    if (channel < 1 || channel > Ui::OutputCount ||
        Config.ComboBoxInputTrigCH[static_cast<std::size_t>(channel)] != combo)
        return;
    TriggerSourceText(combo, Config.LabelInputpin[static_cast<std::size_t>(channel)]);
    SettingsModified = 1;
    UpdateTrigLevelChoices(channel);
}

void TMainForm::TriggerSourceText(QComboBox *trigger, QLabel *label)
{
    if (!trigger || !label)
        return;
    SettingsModified = 1;
    std::array<QString, 4> sequenceNames;
    for (int k = 1; k <= Ui::SequenceCount; ++k)
        sequenceNames[static_cast<std::size_t>(k - 1)] =
            Config.SequenceNameEdit[static_cast<std::size_t>(k)]->text();
    label->setText(TriggerSourceDescription(trigger->currentIndex(), sequenceNames));
}

void TMainForm::CheckListBoxLowBattClickCheck(QListWidgetItem *item)
{
    holdCheckListLimit(this, Config.CheckListBoxLowBatt, item, LowBatteryListLimit);
}

void TMainForm::CheckListBoxStartButtonClickCheck(QListWidgetItem *item)
{
    holdCheckListLimit(this, Config.CheckListBoxStartButton, item, StartButtonListLimit);
}

void TMainForm::CheckListBoxKillButtonClickCheck(QListWidgetItem *item)
{
    holdCheckListLimit(this, Config.CheckListBoxKillButton, item, KillButtonListLimit);
}

void TMainForm::CheckListBoxFlashOutputListClickCheck(QListWidgetItem *item)
{
    QListWidget *list = Config.CheckListBoxFlashOutputList;
    if (!holdCheckListLimit(this, list, item, FlashOutputListLimit))
        return;
    FlashRecord *record = SelectedFlash();
    if (!record)
        return;
    std::fill(std::begin(record->ChannelList), std::end(record->ChannelList), std::uint8_t{255});
    std::size_t slot = 0;
    for (int row = 0; row < list->count() && row < Ui::OutputCount; ++row)
        if (IsItemChecked(list, row) && slot < std::size(record->ChannelList))
            record->ChannelList[slot++] = static_cast<std::uint8_t>(row);
}

void TMainForm::InputName_Change()
{
    SettingsModified = 1;
    if (TransferState == tsIdle)
        RefreshPending = 1;
}

void TMainForm::OutputName_Change()
{
    if (TransferState == tsIdle)
        RefreshPending = 1;
}

void TMainForm::ComboBoxInput_Change()
{
    SettingsModified = 1;
}

void TMainForm::User_Has_Changed_data()
{
    SettingsModified = 1;
}

void TMainForm::EditBoxNameChange()
{
    SettingsModified = 1;
}
