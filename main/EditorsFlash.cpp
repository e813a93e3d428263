// Editors of the flash, wiper, sequence and CAN export pages. Flash fields go
// into the record selected in the flash list; the other settings live in
// their controls, and these handlers keep the dependent controls in step.
#include "main/MainUnit.h"

#include "config/PageEditorRules.h"
#include "config/Settingsunit.h"
#include "config/TriggerCodes.h"
#include "forms/ConfigPagesUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

using Ui = TConfigPagesUi;

// Set while the flash editor is loaded from its record (see the CAN editor).
int loadingFlash = 0;

constexpr int MinRefreshTimeMs = 20;

void holdRefreshTime(QLineEdit *edit)
{
    if (edit && LeadingInteger(edit->text()) < MinRefreshTimeMs)
        edit->setText(QString::number(MinRefreshTimeMs));
}

// Reports an edit that the focus leaves for another control of its window.
// A menu or another window taking the keyboard is no leaving: the technician
// comes back to the edit as it was.
class FocusLeaveFilter final : public QObject
{
public:
    FocusLeaveFilter(QObject *parent, std::function<void(QObject *)> left)
        : QObject(parent), left_(std::move(left))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                left_(watched);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(QObject *)> left_;
};

} // namespace

FlashRecord *TMainForm::SelectedFlash()
{
    const int row = Config.ListBoxFlashNo->currentRow();
    return row >= 0 && row < FlashCount ? &FlashTable[static_cast<std::size_t>(row)] : nullptr;
}

void TMainForm::WireFlashEditors()
{
    Ui &ui = Config;
    connect(ui.ListBoxFlashNo, &QListWidget::currentRowChanged, this,
            &TMainForm::ListBoxFlashNoClick);
    connect(ui.EditFlashName, &QLineEdit::textChanged, this, &TMainForm::EditFlashNameChange);
    connect(ui.CheckBoxFlash, &QCheckBox::toggled, this, &TMainForm::CheckBoxFlashClick);
    connect(ui.ComboBoxFlashInputTrig, &QComboBox::activated, this,
            &TMainForm::ComboBoxFlashInputTrigChange);
    connect(ui.EditFlashOnTime, &QLineEdit::textChanged, this, &TMainForm::EditFlashOnTimeChange);
    connect(ui.EditFlashOffTime, &QLineEdit::textChanged, this, &TMainForm::EditFlashOffTimeChange);
    connect(ui.EditFlashDuration, &QLineEdit::textChanged, this,
            &TMainForm::EditFlashDurationChange);
    connect(ui.WiperHomeParkInputComboBox, &QComboBox::activated, this,
            &TMainForm::WiperHomeParkInputComboBoxChange);
    for (int k = 1; k <= Ui::SequenceCount; ++k) {
        QComboBox *type = ui.SequenceTypeComboBox[static_cast<std::size_t>(k)];
        connect(type, &QComboBox::activated, this,
                [this, type] { SequenceTypeComboBoxChange(type); });
    }
    auto *leave = new FocusLeaveFilter(this, [this](QObject *edit) {
        CAN_ExportRefressTimeExit(qobject_cast<QLineEdit *>(edit));
    });
    for (int e = 1; e <= Ui::CanExportCount; ++e) {
        QLineEdit *refresh = ui.Edit_REFRESS_Export[static_cast<std::size_t>(e)];
        connect(refresh, &QLineEdit::textChanged, this,
                [this, refresh] { CAN_ExportRefressTimeChange(refresh); });
        refresh->installEventFilter(leave);
    }
    connect(ui.EditCAN_EXPORT_1_RowCounter, &QLineEdit::textChanged, this,
            &TMainForm::EditCAN_EXPORT_1_RowCounterChange);
}

void TMainForm::ListBoxFlashNoClick()
{
    const FlashRecord *record = SelectedFlash();
    if (!record)
        return;
    ++loadingFlash;
    Ui &ui = Config;
    const QString name = ui.ListBoxFlashNo->currentItem()->text();
    ui.GroupBoxFlash->setTitle(name);
    ui.EditFlashName->setText(name);
    ui.CheckBoxFlash->setChecked(record->Continues != 0);
    // The flash trigger offers every source, so its entry follows the full list.
    const int trigger = TriggerCodeToListIndex(record->InputTrigger);
    ui.ComboBoxFlashInputTrig->setCurrentIndex(
        trigger < ui.ComboBoxFlashInputTrig->count() ? trigger : 0);
    ui.EditFlashOnTime->setText(QString::number(record->FlashTimeOn * 100));
    ui.EditFlashOffTime->setText(QString::number(record->FlashTimeOff * 100));
    ui.EditFlashDuration->setText(QString::number(record->Duration * 100));
    QStringList outputs;
    for (int n = 1; n <= Ui::OutputCount; ++n)
        outputs << GetOutputName(n);
    FillCheckList(ui.CheckListBoxFlashOutputList, outputs);
    for (const std::uint8_t channel : record->ChannelList)
        if (channel < Ui::OutputCount) // 0-based; 255 marks a free slot
            SetCheckedQuietly(ui.CheckListBoxFlashOutputList, channel, true);
    --loadingFlash;
}

void TMainForm::EditFlashNameChange()
{
    if (loadingFlash)
        return;
    const int row = Config.ListBoxFlashNo->currentRow();
    if (row < 0 || row >= FlashCount)
        return;
    const QString name = Config.EditFlashName->text().left(NameLength);
    Config.ListBoxFlashNo->item(row)->setText(name);
    Config.GroupBoxFlash->setTitle(name);
    SetFlashName(row + 1, name);
}

void TMainForm::CheckBoxFlashClick()
{
    if (loadingFlash)
        return;
    if (FlashRecord *record = SelectedFlash())
        record->Continues = Config.CheckBoxFlash->isChecked() ? 1 : 0;
}

void TMainForm::ComboBoxFlashInputTrigChange()
{
    // The combo lists every source; the short-list map would turn the wiper
    // and sequence entries into "+30", switching the flash on for good.
    const int index = Config.ComboBoxFlashInputTrig->currentIndex();
    if (FlashRecord *record = SelectedFlash(); record && index >= 0)
        record->InputTrigger = ListIndexToTriggerCode(index);
}

namespace {

void storeFlashTime(QLineEdit *edit, std::uint8_t *field)
{
    const EditedValue<std::uint8_t> time = FlashTimeFromText(edit->text());
    *field = time.value;
    if (time.shown)
        edit->setText(*time.shown);
}

} // namespace

void TMainForm::EditFlashOnTimeChange()
{
    if (FlashRecord *record = SelectedFlash(); record && !loadingFlash)
        storeFlashTime(Config.EditFlashOnTime, &record->FlashTimeOn);
}

void TMainForm::EditFlashOffTimeChange()
{
    if (FlashRecord *record = SelectedFlash(); record && !loadingFlash)
        storeFlashTime(Config.EditFlashOffTime, &record->FlashTimeOff);
}

void TMainForm::EditFlashDurationChange()
{
    if (FlashRecord *record = SelectedFlash(); record && !loadingFlash)
        storeFlashTime(Config.EditFlashDuration, &record->Duration);
}

void TMainForm::WiperHomeParkInputComboBoxChange()
{
    const int index = Config.WiperHomeParkInputComboBox->currentIndex();
    if (index < 2 || index > 12)
        Config.WiperHomeParkILevelComboBox->setCurrentIndex(1);
}

void TMainForm::SequenceTypeComboBoxChange(QComboBox *combo)
{
    if (!combo)
        return;
    const int k = combo->property("tag").toInt();
    if (k < 1 || k > Ui::SequenceCount ||
        Config.SequenceTypeComboBox[static_cast<std::size_t>(k)] != combo)
        return;
    Config.SequenceTypeInfoLabel[static_cast<std::size_t>(k)]->setText(
        SequenceStepPattern(combo->currentIndex()));
}

void TMainForm::CAN_ExportRefressTimeChange(QLineEdit *edit)
{
    // Text being typed waits until the technician leaves the edit: held on
    // every key, the "5" of 500 would become "20". Text that a load or a read
    // puts in (which clears the modified mark) is held at once.
    if (edit && !edit->isModified())
        holdRefreshTime(edit);
}

void TMainForm::CAN_ExportRefressTimeExit(QLineEdit *edit)
{
    holdRefreshTime(edit);
}

void TMainForm::HoldRefreshTimes()
{
    for (int e = 1; e <= Ui::CanExportCount; ++e)
        holdRefreshTime(Config.Edit_REFRESS_Export[static_cast<std::size_t>(e)]);
}

void TMainForm::EditCAN_EXPORT_1_RowCounterChange()
{
    QLineEdit *edit = Config.EditCAN_EXPORT_1_RowCounter;
    const QString text = edit->text();
    if (text.isEmpty())
        return;
    constexpr int MaxRows = Ui::CanExport1ByteCount - 6;
    int rows = static_cast<int>(std::min<std::int64_t>(LeadingInteger(text), MaxRows + 1));
    if (rows > MaxRows) {
        rows = MaxRows;
        edit->setText(QString::number(MaxRows));
    }
    for (int k = 1; k <= MaxRows; ++k)
        Config.ComboBox_CAN_Export1_DataByte[static_cast<std::size_t>(6 + k)]->setEnabled(rows >=
                                                                                          k);
}
