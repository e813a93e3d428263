// Editors of the CAN input and virtual input pages: selecting a record in a
// list box loads it into the editor, and every editor control writes its field
// straight into the record selected, never into another one.
#include "main/MainUnit.h"

#include "config/ConfigStartup.h"
#include "config/PageEditorRules.h"
#include "config/Settingsunit.h"
#include "forms/ConfigPagesUi.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Numbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QRadioButton>

#include <algorithm>
#include <functional>
#include <limits>

namespace {

using Ui = TConfigPagesUi;

// Set while an editor is being loaded from its record: the change events that
// loading fires must not write the half-loaded controls back into the record.
int loadingEditor = 0;

struct LoadingEditor
{
    LoadingEditor() { ++loadingEditor; }
    ~LoadingEditor() { --loadingEditor; }
    Q_DISABLE_COPY(LoadingEditor)
};

// Reports a released left mouse button on the byte-position images.
class MouseReleaseFilter final : public QObject
{
public:
    MouseReleaseFilter(QObject *parent, std::function<void(QObject *, int x)> released)
        : QObject(parent), released_(std::move(released))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton)
                released_(watched, static_cast<int>(mouse->position().x()));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(QObject *, int)> released_;
};

template <class Record, std::size_t N> Record *selected(std::array<Record, N> &table, int row)
{
    return row >= 0 && row < static_cast<int>(N) ? &table[static_cast<std::size_t>(row)] : nullptr;
}

void showText(QLineEdit *edit, const std::optional<QString> &text)
{
    if (text)
        edit->setText(*text);
}

} // namespace

CanInputRecord *TMainForm::SelectedCanInput()
{
    return selected(CanInputTable, Config.ListBoxCAN_INPUT->currentRow());
}

VirtualInputRecord *TMainForm::SelectedVirtualInput()
{
    return selected(VirtualInputTable, Config.ListBoxVIRTUAL_INPUT->currentRow());
}

void TMainForm::WireCanEditors()
{
    Ui &ui = Config;
    // A signed compare value needs its sign besides five digits.
    ui.EditValueCAN_ON_1->setMaxLength(6);
    ui.EditValueCAN_OFF_1->setMaxLength(6);
    connect(ui.ListBoxCAN_INPUT, &QListWidget::currentRowChanged, this,
            &TMainForm::ListBoxCAN_INPUTClick);
    connect(ui.EditCAN_ID_ON_1, &QLineEdit::textChanged, this, &TMainForm::EditCAN_ID_ON_1Change);
    connect(ui.EditCAN_ID_OFF_1, &QLineEdit::textChanged, this, &TMainForm::EditCAN_ID_OFF_1Change);
    connect(ui.NoCANdataComboBox, &QComboBox::activated, this, &TMainForm::NoCANdataComboBoxChange);
    connect(ui.ComboBoxCAN_OperatorON, &QComboBox::activated, this,
            &TMainForm::ComboBoxCAN_OperatorONChange);
    connect(ui.ComboBoxCAN_OperatorOFF, &QComboBox::activated, this,
            &TMainForm::ComboBoxCAN_OperatorOFFChange);
    connect(ui.EditValueCAN_ON_1, &QLineEdit::textChanged, this,
            &TMainForm::EditValueCAN_ON_1Change);
    connect(ui.EditValueCAN_OFF_1, &QLineEdit::textChanged, this,
            &TMainForm::EditValueCAN_OFF_1Change);
    auto *release = new MouseReleaseFilter(this, [this](QObject *image, int x) {
        if (image == Config.ImageCan_1_ON) {
            ImageCan_1_ONMouseUp(x);
            ImageCan_1_ONClick();
        } else if (image == Config.ImageCan_1_OFF) {
            ImageCan_1_OFFMouseUp(x);
            ImageCan_1_OFFClick();
        }
    });
    ui.ImageCan_1_ON->installEventFilter(release);
    ui.ImageCan_1_OFF->installEventFilter(release);
    connect(ui.CheckBoxCAN_In_RowEnable, &QCheckBox::toggled, this,
            &TMainForm::CheckBoxCAN_In_RowEnableClick);
    connect(ui.EditValueCAN_IN_RowByteIndex, &QLineEdit::textChanged, this,
            &TMainForm::EditValueCAN_IN_RowByteIndexChange);
    connect(ui.EditValueCAN_IN_RowByteValue, &QLineEdit::textChanged, this,
            &TMainForm::EditValueCAN_IN_RowByteValueChange);
    connect(ui.EditValueCAN_IN_Dimension, &QLineEdit::textChanged, this,
            &TMainForm::EditValueCAN_IN_DimensionChange);
    connect(ui.RadioButton_Unsigned, &QRadioButton::toggled, this,
            &TMainForm::RadioButton_UnsignedClick);
    connect(ui.RadioButton_Signed, &QRadioButton::toggled, this,
            &TMainForm::RadioButton_SignedClick);
    connect(ui.EditValueCAN_IN_Multiplicator, &QLineEdit::textChanged, this,
            &TMainForm::EditValueCAN_IN_MultiplicatorChange);
    connect(ui.EditValueCAN_IN_Offset, &QLineEdit::textChanged, this,
            &TMainForm::EditValueCAN_IN_OffsetChange);
    connect(ui.CheckBoxCanInputEnable, &QCheckBox::toggled, this,
            &TMainForm::CheckBoxCanInputEnableClick);
    ui.ComboBoxInputTrigCAN_Input->setEnabled(ui.CheckBoxCanInputEnable->isChecked());

    connect(ui.ListBoxVIRTUAL_INPUT, &QListWidget::currentRowChanged, this,
            &TMainForm::ListBoxVIRTUAL_INPUTClick);
    for (int s = 1; s <= Ui::VirtualSourceCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        connect(ui.ComboBoxVirtuel_1_Channel_[i], &QComboBox::activated, this,
                &TMainForm::Virtual_Change);
        connect(ui.EditDelayTime[i], &QLineEdit::textChanged, this,
                [this, s] { EditDelayTimeChange(s); });
        connect(ui.CheckBoxVirtuel_Channel_[i], &QCheckBox::toggled, this,
                [this, s] { CheckBoxVirtuel_ChannelClick(s); });
    }
    for (int o = 1; o < Ui::VirtualSourceCount; ++o)
        connect(ui.ComboBoxVirtuel_1_operator_[static_cast<std::size_t>(o)], &QComboBox::activated,
                this, &TMainForm::Virtual_Change);
}

void TMainForm::ListBoxCAN_INPUTClick()
{
    const CanInputRecord *record = SelectedCanInput();
    if (!record)
        return;
    const LoadingEditor loading;
    Ui &ui = Config;
    ui.GroupBoxCAN_Parameter->setTitle(ui.ListBoxCAN_INPUT->currentItem()->text());
    ui.NoCANdataComboBox->setCurrentIndex(
        record->NoCanDataState < 3 ? static_cast<int>(record->NoCanDataState) : 0);
    ui.EditCAN_ID_ON_1->setText(CanIdText(record->CanIdOn));
    ui.EditCAN_ID_OFF_1->setText(CanIdText(record->CanIdOff));
    ui.EditValueCAN_ON_1->setText(CompareValueText(record->ValueOn, record->DataType));
    ui.EditValueCAN_OFF_1->setText(CompareValueText(record->ValueOff, record->DataType));
    const auto operatorEntry = [](const QComboBox *combo, std::uint32_t op) {
        return op < static_cast<std::uint32_t>(combo->count()) ? static_cast<int>(op) : -1;
    };
    ui.ComboBoxCAN_OperatorON->setCurrentIndex(
        operatorEntry(ui.ComboBoxCAN_OperatorON, record->OperatorOn));
    ui.ComboBoxCAN_OperatorOFF->setCurrentIndex(
        operatorEntry(ui.ComboBoxCAN_OperatorOFF, record->OperatorOff));
    CanOnBytePos = {record->LowByteOnPos, record->HighByteOnPos};
    CanOffBytePos = {record->LowByteOffPos, record->HighByteOffPos};
    DrawBytePositions(ui.ImageCan_1_ON, CanOnBytePos.Lo, CanOnBytePos.Hi);
    DrawBytePositions(ui.ImageCan_1_OFF, CanOffBytePos.Lo, CanOffBytePos.Hi);
    ui.CheckBoxCAN_In_RowEnable->setChecked(record->RowEnabled != 0);
    ui.EditValueCAN_IN_RowByteIndex->setText(QString::number(record->RowIndex));
    ui.EditValueCAN_IN_RowByteValue->setText(QString::number(record->RowValue));
    (record->DataType == 1 ? ui.RadioButton_Signed : ui.RadioButton_Unsigned)->setChecked(true);
    const QString dimension = NameFromField(record->DimensionName, 5);
    ui.EditValueCAN_IN_Dimension->setText(dimension);
    ui.LabelCanInDimension1->setText(dimension);
    ui.LabelCanInDimension2->setText(dimension);
    ui.EditValueCAN_IN_Multiplicator->setText(
        vcl::FormatFixed(static_cast<double>(record->Multiplicator), 3, 6));
    ui.EditValueCAN_IN_Offset->setText(QString::number(record->CalOffset));
}

void TMainForm::EditCAN_ID_ON_1Change()
{
    if (loadingEditor)
        return;
    SettingsModified = 1;
    CanInputRecord *record = SelectedCanInput();
    if (const std::optional<std::uint32_t> id = CanIdFromText(Config.EditCAN_ID_ON_1->text());
        record && id)
        record->CanIdOn = *id;
}

void TMainForm::EditCAN_ID_OFF_1Change()
{
    if (loadingEditor)
        return;
    SettingsModified = 1;
    CanInputRecord *record = SelectedCanInput();
    if (const std::optional<std::uint32_t> id = CanIdFromText(Config.EditCAN_ID_OFF_1->text());
        record && id)
        record->CanIdOff = *id;
}

void TMainForm::NoCANdataComboBoxChange()
{
    SettingsModified = 1;
    int index = Config.NoCANdataComboBox->currentIndex();
    if (index < 0 || index > 2) {
        Config.NoCANdataComboBox->setCurrentIndex(0);
        index = 0;
    }
    if (CanInputRecord *record = SelectedCanInput())
        record->NoCanDataState = static_cast<std::uint32_t>(index);
}

void TMainForm::ComboBoxCAN_OperatorONChange()
{
    SettingsModified = 1;
    const int index = Config.ComboBoxCAN_OperatorON->currentIndex();
    if (CanInputRecord *record = SelectedCanInput(); record && index >= 0)
        record->OperatorOn = static_cast<std::uint32_t>(index);
}

void TMainForm::ComboBoxCAN_OperatorOFFChange()
{
    SettingsModified = 1;
    const int index = Config.ComboBoxCAN_OperatorOFF->currentIndex();
    if (CanInputRecord *record = SelectedCanInput(); record && index >= 0)
        record->OperatorOff = static_cast<std::uint32_t>(index);
}

void TMainForm::EditValueCAN_ON_1Change()
{
    if (loadingEditor)
        return;
    SettingsModified = 1;
    CanInputRecord *record = SelectedCanInput();
    if (!record)
        return;
    if (const auto value =
            CompareValueFromText(Config.EditValueCAN_ON_1->text(), record->DataType)) {
        record->ValueOn = value->value;
        showText(Config.EditValueCAN_ON_1, value->shown);
    }
}

void TMainForm::EditValueCAN_OFF_1Change()
{
    if (loadingEditor)
        return;
    SettingsModified = 1;
    CanInputRecord *record = SelectedCanInput();
    if (!record)
        return;
    if (const auto value =
            CompareValueFromText(Config.EditValueCAN_OFF_1->text(), record->DataType)) {
        record->ValueOff = value->value;
        showText(Config.EditValueCAN_OFF_1, value->shown);
    }
}

void TMainForm::StoreBytePositions(bool on, int x)
{
    CanInputRecord *record = SelectedCanInput();
    if (!record)
        return;
    QLabel *image = on ? Config.ImageCan_1_ON : Config.ImageCan_1_OFF;
    CanBytePositions &pair = on ? CanOnBytePos : CanOffBytePos;
    // The pair on the image is the selected record's own.
    pair = on ? CanBytePositions{record->LowByteOnPos, record->HighByteOnPos}
              : CanBytePositions{record->LowByteOffPos, record->HighByteOffPos};
    const BytePositionPick pick =
        SelectBytePosition(BytePositionColumn(x, image->width()), pair.Lo, pair.Hi);
    if (pick.refused) {
        vcl::ShowMessage(QString::fromLatin1(BytePositionsApartMessage), this);
        return;
    }
    pair = {pick.lo, pick.hi};
    DrawBytePositions(image, pair.Lo, pair.Hi);
    if (on) {
        record->HighByteOnPos = pair.Hi;
        record->LowByteOnPos = pair.Lo;
    } else {
        record->HighByteOffPos = pair.Hi;
        record->LowByteOffPos = pair.Lo;
    }
}

void TMainForm::ImageCan_1_ONMouseUp(int x)
{
    StoreBytePositions(true, x);
}

void TMainForm::ImageCan_1_OFFMouseUp(int x)
{
    StoreBytePositions(false, x);
}

void TMainForm::ImageCan_1_ONClick()
{
    SettingsModified = 1;
}

void TMainForm::ImageCan_1_OFFClick()
{
    SettingsModified = 1;
}

void TMainForm::CheckBoxCAN_In_RowEnableClick()
{
    if (loadingEditor)
        return;
    if (CanInputRecord *record = SelectedCanInput())
        record->RowEnabled = Config.CheckBoxCAN_In_RowEnable->isChecked() ? 1 : 0;
}

void TMainForm::EditValueCAN_IN_RowByteIndexChange()
{
    if (loadingEditor)
        return;
    CanInputRecord *record = SelectedCanInput();
    if (!record)
        return;
    if (const auto index = RowFieldFromText(Config.EditValueCAN_IN_RowByteIndex->text(), 7)) {
        record->RowIndex = index->value;
        showText(Config.EditValueCAN_IN_RowByteIndex, index->shown);
    }
}

void TMainForm::EditValueCAN_IN_RowByteValueChange()
{
    if (loadingEditor)
        return;
    CanInputRecord *record = SelectedCanInput();
    if (!record)
        return;
    if (const auto value = RowFieldFromText(Config.EditValueCAN_IN_RowByteValue->text(), 255)) {
        record->RowValue = value->value;
        showText(Config.EditValueCAN_IN_RowByteValue, value->shown);
    }
}

void TMainForm::EditValueCAN_IN_DimensionChange()
{
    const QString dimension = Config.EditValueCAN_IN_Dimension->text().left(5);
    Config.LabelCanInDimension1->setText(dimension);
    Config.LabelCanInDimension2->setText(dimension);
    if (loadingEditor)
        return;
    if (CanInputRecord *record = SelectedCanInput())
        NameToField(record->DimensionName, sizeof record->DimensionName, 5, dimension);
}

void TMainForm::RadioButton_UnsignedClick()
{
    if (loadingEditor || !Config.RadioButton_Unsigned->isChecked())
        return;
    if (CanInputRecord *record = SelectedCanInput())
        record->DataType = 0;
}

void TMainForm::RadioButton_SignedClick()
{
    if (loadingEditor || !Config.RadioButton_Signed->isChecked())
        return;
    if (CanInputRecord *record = SelectedCanInput())
        record->DataType = 1;
}

void TMainForm::EditValueCAN_IN_MultiplicatorChange()
{
    if (loadingEditor)
        return;
    const QString text = Config.EditValueCAN_IN_Multiplicator->text();
    if (CanInputRecord *record = SelectedCanInput(); record && !text.trimmed().isEmpty())
        record->Multiplicator = static_cast<float>(
            std::clamp(vcl::StrToFloatDot(text), -double(std::numeric_limits<float>::max()),
                       double(std::numeric_limits<float>::max())));
}

void TMainForm::EditValueCAN_IN_OffsetChange()
{
    if (loadingEditor)
        return;
    CanInputRecord *record = SelectedCanInput();
    if (const std::optional<std::int8_t> offset =
            CalOffsetFromText(Config.EditValueCAN_IN_Offset->text());
        record && offset)
        record->CalOffset = *offset;
}

void TMainForm::CheckBoxCanInputEnableClick()
{
    SettingsModified = 1;
    Config.ComboBoxInputTrigCAN_Input->setEnabled(Config.CheckBoxCanInputEnable->isChecked());
}

void TMainForm::ListBoxVIRTUAL_INPUTClick()
{
    const VirtualInputRecord *record = SelectedVirtualInput();
    if (!record)
        return;
    const LoadingEditor loading;
    Ui &ui = Config;
    for (int s = 1; s <= Ui::VirtualSourceCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        QComboBox *source = ui.ComboBoxVirtuel_1_Channel_[i];
        const int channel = record->ChannelIndex[i - 1];
        source->setCurrentIndex(channel < source->count() ? channel : -1);
        ui.CheckBoxVirtuel_Channel_[i]->setChecked((record->MaskNot >> (s - 1)) & 1);
        ui.EditDelayTime[i]->setText(vcl::FormatTenths(record->InDelay[i - 1]));
    }
    for (int o = 1; o < Ui::VirtualSourceCount; ++o) {
        QComboBox *op = ui.ComboBoxVirtuel_1_operator_[static_cast<std::size_t>(o)];
        const int index = record->OperatorIndex[o - 1];
        op->setCurrentIndex(index < op->count() ? index : -1);
    }
}

void TMainForm::Virtual_Change()
{
    SettingsModified = 1;
    VirtualInputRecord *record = SelectedVirtualInput();
    if (!record)
        return;
    Ui &ui = Config;
    for (int s = 1; s <= Ui::VirtualSourceCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        const int channel = ui.ComboBoxVirtuel_1_Channel_[i]->currentIndex();
        record->ChannelIndex[i - 1] = static_cast<std::uint8_t>(std::clamp(channel, 0, 255));
        record->InDelay[i - 1] = TenthsFromText(ui.EditDelayTime[i]->text());
    }
    for (int o = 1; o < Ui::VirtualSourceCount; ++o) {
        const int op = ui.ComboBoxVirtuel_1_operator_[static_cast<std::size_t>(o)]->currentIndex();
        record->OperatorIndex[o - 1] = static_cast<std::int8_t>(std::clamp(op, -1, 127));
    }
}

void TMainForm::EditDelayTimeChange(int source)
{
    if (loadingEditor || source < 1 || source > Ui::VirtualSourceCount)
        return;
    QLineEdit *edit = Config.EditDelayTime[static_cast<std::size_t>(source)];
    VirtualInputRecord *record = SelectedVirtualInput();
    if (!record)
        return;
    if (const auto delay = VirtualDelayFromText(edit->text())) {
        record->InDelay[source - 1] = delay->value;
        showText(edit, delay->shown);
    }
}

void TMainForm::CheckBoxVirtuel_ChannelClick(int source)
{
    if (loadingEditor || source < 1 || source > Ui::VirtualSourceCount)
        return;
    VirtualInputRecord *record = SelectedVirtualInput();
    if (!record)
        return;
    const auto bit = static_cast<std::uint8_t>(1u << (source - 1));
    if (Config.CheckBoxVirtuel_Channel_[static_cast<std::size_t>(source)]->isChecked())
        record->MaskNot |= bit;
    else
        record->MaskNot &= static_cast<std::uint8_t>(~bit);
}
