// The configuration-page editors on the real main window: limits rewrite the
// edits, triggers are described, check lists hold their maximum, and the CAN
// input, virtual input and flash editors write only the record selected.
#include "tests/main/MainRig.h"

#include "config/Settingsunit.h"
#include "config/Transfer.h"
#include "forms/ConfigPagesUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

using testsupport::MainRig;

namespace {

struct EditorRig : MainRig
{
    TConfigPagesUi &ui = main().Config;

    EditorRig()
    {
        std::memset(CanInputTable.data(), 0, sizeof CanInputTable);
        std::memset(VirtualInputTable.data(), 0, sizeof VirtualInputTable);
        std::memset(FlashTable.data(), 0, sizeof FlashTable);
        main().SettingsModified = 0;
        main().RefreshPending = 0;
    }

    // The user picks entry `index` of a combo.
    static void pick(QComboBox *combo, int index)
    {
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }
    static void check(QListWidget *list, int row)
    {
        list->item(row)->setCheckState(Qt::Checked); // itemChanged, as a click
    }
};

TEST(Editors, LimitsRewriteTheEditAndACommaIsTypedAsAPoint)
{
    EditorRig rig;
    struct Case
    {
        QLineEdit *edit;
        const char *text, *shown;
    };
    const Case cases[] = {
        {rig.ui.EditMaxCurrentCH[3], "95", "90.0"},
        {rig.ui.EditMaxCurrentCH[3], "90.9", "90.9"},
        {rig.ui.EditLowCurrentCH[18], "91", "90.0"},
        {rig.ui.EditOnTimeCH[34], "30", "25.0"},
        {rig.ui.EditLowCurrentTimeCH[1], "26", "25.0"},
        {rig.ui.EditDelayCH[7], "10", "10.0"},
        {rig.ui.EditDelayCH[7], "9.9", "9.9"},
        {rig.ui.EditCurrentPeakTimeCH[1], "10.5", "10.0"},
        {rig.ui.EditLowVoltageTrig, "17", "12.0"},
        {rig.ui.EditUpperVoltageTrig, "17", "12.3"},
    };
    for (const Case &c : cases) {
        c.edit->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(c.edit->text(), QLatin1String(c.shown)) << c.edit->objectName().toStdString();
    }
    EXPECT_EQ(rig.main().SettingsModified, 0);

    QLineEdit *peak = rig.ui.EditCurrentPeakTimeCH[2];
    peak->clear();
    for (const QString &key : {QStringLiteral("1"), QStringLiteral(","), QStringLiteral("5")}) {
        QKeyEvent press(QEvent::KeyPress, key == QLatin1String(",") ? Qt::Key_Comma : Qt::Key_1,
                        Qt::NoModifier, key);
        QCoreApplication::sendEvent(peak, &press);
    }
    EXPECT_EQ(peak->text(), QLatin1String("1.5"));
}

TEST(Editors, TriggerDescriptionAndLevelChoices)
{
    EditorRig rig;
    QComboBox *trigger = rig.ui.ComboBoxInputTrigCH[5];
    QComboBox *level = rig.ui.ComboBoxTrigLevelCH[5];

    rig.pick(trigger, 5); // input 4
    EXPECT_EQ(rig.ui.LabelInputpin[5]->text(), QLatin1String("( Con. B, Pin 16 )"));
    ASSERT_EQ(level->count(), 2);
    EXPECT_TRUE(level->isEnabled());
    level->setCurrentIndex(1);
    rig.pick(trigger, 4); // input 3 keeps "GND"
    EXPECT_EQ(level->currentText(), QLatin1String("GND"));

    rig.pick(trigger, 2); // input 1
    EXPECT_EQ(rig.ui.LabelInputpin[5]->text(), QLatin1String("( Con. B, Pin 13 )"));
    EXPECT_EQ(level->count(), 1);
    EXPECT_EQ(level->currentText(), QLatin1String("+12v"));
    EXPECT_FALSE(level->isEnabled());

    rig.ui.SequenceNameEdit[2]->clear();
    rig.pick(trigger, 72); // sequence 2 step C
    EXPECT_EQ(rig.ui.LabelInputpin[5]->text(), QLatin1String("( Sequence 2.C )"));
    EXPECT_EQ(rig.main().SettingsModified, 1);
}

TEST(Editors, CheckListsHoldTheirMaximum)
{
    EditorRig rig;
    rig.main().RefreshAllControls(); // fills the lists with the output names
    QListWidget *lowBatt = rig.ui.CheckListBoxLowBatt;
    ASSERT_EQ(lowBatt->count(), 34);
    for (int row = 0; row < 13; ++row)
        rig.check(lowBatt, row);
    ASSERT_EQ(rig.dialogs.count(), 1);
    EXPECT_EQ(rig.dialogs.last().text, QLatin1String("Max 12 in low battery list!"));
    EXPECT_TRUE(IsItemChecked(lowBatt, 11));
    EXPECT_FALSE(IsItemChecked(lowBatt, 12));

    std::fill(std::begin(FlashTable[1].ChannelList), std::end(FlashTable[1].ChannelList), 255);
    SelectRowQuietly(rig.ui.ListBoxFlashNo, 1);
    rig.main().ListBoxFlashNoClick();
    QListWidget *outputs = rig.ui.CheckListBoxFlashOutputList;
    for (int row : {3, 7, 9, 20, 30})
        rig.check(outputs, row);
    EXPECT_EQ(rig.dialogs.last().text, QLatin1String("Max 4 in output list!"));
    EXPECT_FALSE(IsItemChecked(outputs, 30));
    const std::uint8_t expected[4] = {3, 7, 9, 20};
    EXPECT_EQ(std::memcmp(FlashTable[1].ChannelList, expected, 4), 0);
    EXPECT_EQ(FlashTable[0].ChannelList[0], 0); // the other records stay as they were
}

TEST(Editors, NameEditsMarkTheSettingsByTransferState)
{
    EditorRig rig;
    TransferState = tsRequestCanInputs;
    rig.ui.EditOutputName_ch[4]->setText(QStringLiteral("PUMP"));
    EXPECT_EQ(rig.main().SettingsModified, 0);
    EXPECT_EQ(rig.main().RefreshPending, 0);
    rig.ui.EditInputName_ch[4]->setText(QStringLiteral("DOOR"));
    EXPECT_EQ(rig.main().SettingsModified, 1);
    EXPECT_EQ(rig.main().RefreshPending, 0);
    TransferState = tsIdle;
    rig.ui.EditOutputName_ch[4]->setText(QStringLiteral("FAN"));
    EXPECT_EQ(rig.main().RefreshPending, 1);
}

TEST(Editors, CanInputRecordRoundTripsThroughTheEditor)
{
    EditorRig rig;
    CanInputRecord source{};
    source.NoCanDataState = 2;
    source.CanIdOn = 0x1A5;
    source.CanIdOff = 0x07;
    source.OperatorOn = 3;
    source.OperatorOff = 5;
    source.ValueOn = 0x8001; // -32767 signed
    source.ValueOff = 12;
    source.LowByteOnPos = 3;
    source.HighByteOnPos = 4;
    source.LowByteOffPos = 8;
    source.RowEnabled = 1;
    source.RowIndex = 6;
    source.RowValue = 200;
    source.DataType = 1;
    std::memcpy(source.DimensionName, "km/h", 5);
    source.Multiplicator = 0.25f;
    source.CalOffset = -12;
    std::memcpy(source.Name, "CAN 4", 6);
    CanInputTable[3] = source;

    rig.ui.ListBoxCAN_INPUT->setCurrentRow(3); // loads the editor
    EXPECT_EQ(rig.ui.EditCAN_ID_ON_1->text(), QLatin1String("1A5"));
    EXPECT_EQ(rig.ui.EditCAN_ID_OFF_1->text(), QLatin1String("007"));
    EXPECT_EQ(rig.ui.EditValueCAN_ON_1->text(), QLatin1String("-32767"));
    EXPECT_EQ(rig.ui.EditValueCAN_IN_Multiplicator->text(), QLatin1String("0.250000"));
    EXPECT_EQ(rig.ui.LabelCanInDimension2->text(), QLatin1String("km/h"));
    EXPECT_EQ(std::memcmp(&CanInputTable[3], &source, sizeof source), 0); // loading writes nothing

    // The same values entered on record 1 produce the same record there.
    struct Texts
    {
        QString idOn, idOff, valueOn, valueOff, rowIndex, rowValue, dimension, mult, offset;
    } texts{rig.ui.EditCAN_ID_ON_1->text(),
            rig.ui.EditCAN_ID_OFF_1->text(),
            rig.ui.EditValueCAN_ON_1->text(),
            rig.ui.EditValueCAN_OFF_1->text(),
            rig.ui.EditValueCAN_IN_RowByteIndex->text(),
            rig.ui.EditValueCAN_IN_RowByteValue->text(),
            rig.ui.EditValueCAN_IN_Dimension->text(),
            rig.ui.EditValueCAN_IN_Multiplicator->text(),
            rig.ui.EditValueCAN_IN_Offset->text()};
    rig.ui.ListBoxCAN_INPUT->setCurrentRow(0);
    rig.ui.RadioButton_Signed->setChecked(true);
    rig.pick(rig.ui.NoCANdataComboBox, 2);
    rig.pick(rig.ui.ComboBoxCAN_OperatorON, 3);
    rig.pick(rig.ui.ComboBoxCAN_OperatorOFF, 5);
    rig.ui.CheckBoxCAN_In_RowEnable->setChecked(true);
    for (const auto &[edit, text] : {std::pair{rig.ui.EditCAN_ID_ON_1, texts.idOn},
                                     {rig.ui.EditCAN_ID_OFF_1, texts.idOff},
                                     {rig.ui.EditValueCAN_ON_1, texts.valueOn},
                                     {rig.ui.EditValueCAN_OFF_1, texts.valueOff},
                                     {rig.ui.EditValueCAN_IN_RowByteIndex, texts.rowIndex},
                                     {rig.ui.EditValueCAN_IN_RowByteValue, texts.rowValue},
                                     {rig.ui.EditValueCAN_IN_Dimension, texts.dimension},
                                     {rig.ui.EditValueCAN_IN_Multiplicator, texts.mult},
                                     {rig.ui.EditValueCAN_IN_Offset, texts.offset}}) {
        edit->clear();
        edit->setText(text);
    }
    const int column = rig.ui.ImageCan_1_ON->width() / 8;
    for (int c : {3, 4})
        rig.main().ImageCan_1_ONMouseUp((c - 1) * column + 1);
    // The OFF image as the user clicks it: the release picks, and marks an edit.
    rig.main().SettingsModified = 0;
    const QPointF at(7 * column + 1, 5);
    QMouseEvent release(QEvent::MouseButtonRelease, at, rig.ui.ImageCan_1_OFF->mapToGlobal(at),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(rig.ui.ImageCan_1_OFF, &release);
    EXPECT_EQ(rig.main().SettingsModified, 1);

    CanInputRecord expected = source;
    std::memcpy(expected.Name, CanInputTable[0].Name, sizeof expected.Name);
    EXPECT_EQ(std::memcmp(&CanInputTable[0], &expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(&CanInputTable[3], &source, sizeof source), 0);

    // Byte positions that are not side by side are refused.
    rig.main().ImageCan_1_OFFMouseUp(5 * column + 1);
    EXPECT_EQ(rig.dialogs.last().text,
              QLatin1String("If more than one byte, they have to be side by side"));
    EXPECT_EQ(CanInputTable[0].HighByteOffPos, 0);

    // A factor beyond a float's range is held to it, not converted undefined.
    rig.ui.EditValueCAN_IN_Multiplicator->setText(QStringLiteral("1e40"));
    const float factor = CanInputTable[0].Multiplicator; // packed: read by value
    EXPECT_EQ(factor, std::numeric_limits<float>::max());

    rig.ui.CheckBoxCanInputEnable->setChecked(true);
    EXPECT_TRUE(rig.ui.ComboBoxInputTrigCAN_Input->isEnabled());
    rig.ui.CheckBoxCanInputEnable->setChecked(false);
    EXPECT_FALSE(rig.ui.ComboBoxInputTrigCAN_Input->isEnabled());

    // No selection: nothing is written anywhere.
    SelectRowQuietly(rig.ui.ListBoxCAN_INPUT, -1);
    rig.ui.EditValueCAN_IN_RowByteIndex->setText(QStringLiteral("9"));
    EXPECT_EQ(CanInputTable[0].RowIndex, 6);
}

TEST(Editors, VirtualInputEditorWritesTheSelectedRecord)
{
    EditorRig rig;
    VirtualInputTable[2] = VirtualInputRecord{{5, 0, 100}, {3, 1, 0}, {1, -1}, 0b101, {}};
    rig.ui.ListBoxVIRTUAL_INPUT->setCurrentRow(2);
    EXPECT_EQ(rig.ui.EditDelayTime[1]->text(), QLatin1String("0.5"));
    EXPECT_EQ(rig.ui.EditDelayTime[3]->text(), QLatin1String("10.0"));
    EXPECT_TRUE(rig.ui.CheckBoxVirtuel_Channel_[3]->isChecked());
    EXPECT_EQ(rig.ui.ComboBoxVirtuel_1_Channel_[1]->currentIndex(), 3);

    rig.ui.EditDelayTime[2]->setText(QStringLiteral("12.5"));
    EXPECT_EQ(rig.ui.EditDelayTime[2]->text(), QLatin1String("10.0"));
    EXPECT_EQ(VirtualInputTable[2].InDelay[1], 100);
    rig.ui.EditDelayTime[2]->setText(QStringLiteral("3.45"));
    EXPECT_EQ(VirtualInputTable[2].InDelay[1], 34);
    rig.ui.CheckBoxVirtuel_Channel_[2]->setChecked(true);
    EXPECT_EQ(VirtualInputTable[2].MaskNot, 0b111);
    rig.pick(rig.ui.ComboBoxVirtuel_1_operator_[2], 2);
    EXPECT_EQ(VirtualInputTable[2].OperatorIndex[1], 2);
    EXPECT_EQ(rig.main().SettingsModified, 1);
    for (int r : {0, 1, 3})
        EXPECT_EQ(VirtualInputTable[static_cast<std::size_t>(r)].MaskNot, 0) << r;
}

TEST(Editors, FlashWiperSequenceAndExportControls)
{
    EditorRig rig;
    SelectRowQuietly(rig.ui.ListBoxFlashNo, 1);
    rig.main().ListBoxFlashNoClick();
    rig.ui.EditFlashName->setText(QStringLiteral("Beacon"));
    EXPECT_EQ(rig.ui.ListBoxFlashNo->item(1)->text(), QLatin1String("Beacon"));
    EXPECT_EQ(GetFlashName(2), QLatin1String("Beacon"));
    rig.ui.EditFlashOnTime->setText(QStringLiteral("30000"));
    EXPECT_EQ(rig.ui.EditFlashOnTime->text(), QLatin1String("25000"));
    EXPECT_EQ(FlashTable[1].FlashTimeOn, 250);
    rig.ui.EditFlashOffTime->setText(QStringLiteral("1250"));
    EXPECT_EQ(FlashTable[1].FlashTimeOff, 12);
    rig.pick(rig.ui.ComboBoxFlashInputTrig, 70); // sequence 2.A keeps its code
    EXPECT_EQ(FlashTable[1].InputTrigger, 58);
    EXPECT_EQ(FlashTable[0].FlashTimeOn, 0);

    rig.ui.WiperHomeParkILevelComboBox->setCurrentIndex(0);
    rig.pick(rig.ui.WiperHomeParkInputComboBox, 4); // an input leaves the level
    EXPECT_EQ(rig.ui.WiperHomeParkILevelComboBox->currentIndex(), 0);
    rig.pick(rig.ui.WiperHomeParkInputComboBox, 1); // "+30"
    EXPECT_EQ(rig.ui.WiperHomeParkILevelComboBox->currentIndex(), 1);

    rig.pick(rig.ui.SequenceTypeComboBox[3], 3);
    EXPECT_EQ(rig.ui.SequenceTypeInfoLabel[3]->text(), QLatin1String("Off -> A -> B -> C -> Off"));

    // The refresh time's minimum: text put in by a load or a read at once,
    // typed text when the focus leaves the edit for another control.
    rig.ui.Edit_REFRESS_Export[2]->setText(QStringLiteral("5"));
    EXPECT_EQ(rig.ui.Edit_REFRESS_Export[2]->text(), QLatin1String("20"));
    const struct
    {
        const char *keys; // typed over the whole text
        std::optional<Qt::FocusReason> leave;
        const char *shown;
    } refresh[] = {
        {"500", std::nullopt, "500"},
        {"150", std::nullopt, "150"},
        {"\b", std::nullopt, ""},
        {"5", std::nullopt, "5"},
        {"5", Qt::PopupFocusReason, "5"},        // a menu opened
        {"5", Qt::ActiveWindowFocusReason, "5"}, // another window took the keyboard
        {"5", Qt::TabFocusReason, "20"},
        {"\b", Qt::MouseFocusReason, "20"},
        {"19", Qt::OtherFocusReason, "20"},
        {"20", Qt::TabFocusReason, "20"},
        {"25", Qt::TabFocusReason, "25"},
    };
    for (const auto &r : refresh) {
        SCOPED_TRACE(r.keys);
        QLineEdit *edit = rig.ui.Edit_REFRESS_Export[3];
        edit->setText(QStringLiteral("100"));
        edit->selectAll();
        MainRig::type(edit, QString::fromLatin1(r.keys));
        if (r.leave) {
            QFocusEvent out(QEvent::FocusOut, *r.leave);
            QCoreApplication::sendEvent(edit, &out);
        }
        EXPECT_EQ(edit->text().toStdString(), r.shown);
    }

    rig.ui.EditCAN_EXPORT_1_RowCounter->setText(QStringLiteral("3"));
    for (int n = 1; n <= TConfigPagesUi::CanExport1ByteCount; ++n)
        EXPECT_EQ(rig.ui.ComboBox_CAN_Export1_DataByte[static_cast<std::size_t>(n)]->isEnabled(),
                  n <= 9)
            << n;
    rig.ui.EditCAN_EXPORT_1_RowCounter->setText(QStringLiteral("15"));
    EXPECT_EQ(rig.ui.EditCAN_EXPORT_1_RowCounter->text(), QLatin1String("12"));
    EXPECT_TRUE(rig.ui.ComboBox_CAN_Export1_DataByte[18]->isEnabled());
}

TEST(Editors, RefreshReloadsTheEditorsWithoutMarkingAnEdit)
{
    EditorRig rig;
    CanInputTable[0].CanIdOn = 0x321;
    FlashTable[0].Duration = 7;
    rig.ui.SequenceTypeComboBox[1]->setCurrentIndex(1);
    SelectRowQuietly(rig.ui.ListBoxFlashNo, -1);
    rig.ui.ComboBoxInputTrigCH[9]->setCurrentIndex(13 + 4); // CAN input 5

    rig.main().RefreshAllControls();
    EXPECT_EQ(rig.ui.EditCAN_ID_ON_1->text(), QLatin1String("321"));
    EXPECT_EQ(rig.ui.ListBoxFlashNo->currentRow(), 0);
    EXPECT_EQ(rig.ui.EditFlashDuration->text(), QLatin1String("700"));
    EXPECT_EQ(rig.ui.SequenceTypeInfoLabel[1]->text(), QLatin1String("Off -> A -> Off"));
    EXPECT_EQ(rig.ui.LabelInputpin[9]->text(), QLatin1String("( CAN input 5 )"));
    EXPECT_EQ(rig.main().SettingsModified, 0);
}

} // namespace
