// The controls of the configuration pages: names, kinds, item lists and limits.
#include "forms/ConfigPagesUi.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QValidator>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

using Ui = TConfigPagesUi;

class ConfigPagesUi : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QWidget *pages[Ui::PageCount];
        for (int i = 0; i < Ui::PageCount; ++i)
            pages[i] = new QWidget(root.get());
        ui.setupUi(pages);
    }

    template <class W> W *find(const char *name) const
    {
        return root->findChild<W *>(QLatin1String(name));
    }

    std::unique_ptr<QWidget> root = std::make_unique<QWidget>();
    Ui ui;
};

TEST(ItemNumber, DigitsAtTheEndOfTheName)
{
    const struct
    {
        const char *name;
        int number;
    } table[] = {{"EditMaxCurrentCH12", 12},
                 {"ComboBoxInputTrigCH1", 1},
                 {"ComboBox_CAN_Export2_DataByte0_Bit7", 7},
                 {"LabelHighPowerCh_18", 18},
                 {"EditDelayTime", 0},
                 {"GroupBoxFlash", 0},
                 {"", 0},
                 {"Edit12345678901", 0}};
    for (const auto &row : table) {
        QObject object;
        object.setObjectName(QLatin1String(row.name));
        EXPECT_EQ(ItemNumber(&object), row.number) << row.name;
    }
    EXPECT_EQ(ItemNumber(nullptr), 0);
}

TEST_F(ConfigPagesUi, EveryNamedControlExistsWithItsKind)
{
    // First and last of every family and each single control, by object name.
    const std::map<const char *, const QMetaObject *> table = {
        {"EditInputName_ch1", &QLineEdit::staticMetaObject},
        {"EditInputName_ch11", &QLineEdit::staticMetaObject},
        {"ComboBoxInput_ch11", &QComboBox::staticMetaObject},
        {"LabelInputCh11", &QLabel::staticMetaObject},
        {"CheckBoxInputPWMEnable", &QCheckBox::staticMetaObject},
        {"BtnLoad", &QPushButton::staticMetaObject},
        {"BtnSave", &QPushButton::staticMetaObject},
        {"BtnDefault", &QPushButton::staticMetaObject},
        {"ListBoxCAN_INPUT", &QListWidget::staticMetaObject},
        {"EditCanInputName_ch1", &QLineEdit::staticMetaObject},
        {"EditCanInputName_ch32", &QLineEdit::staticMetaObject},
        {"LabelCanInputCh32", &QLabel::staticMetaObject},
        {"GroupBoxCAN_Parameter", &QGroupBox::staticMetaObject},
        {"NoCANdataComboBox", &QComboBox::staticMetaObject},
        {"EditCAN_ID_ON_1", &QLineEdit::staticMetaObject},
        {"EditCAN_ID_OFF_1", &QLineEdit::staticMetaObject},
        {"ComboBoxCAN_OperatorON", &QComboBox::staticMetaObject},
        {"ComboBoxCAN_OperatorOFF", &QComboBox::staticMetaObject},
        {"EditValueCAN_ON_1", &QLineEdit::staticMetaObject},
        {"EditValueCAN_OFF_1", &QLineEdit::staticMetaObject},
        {"ImageCan_1_ON", &QLabel::staticMetaObject},
        {"ImageCan_1_OFF", &QLabel::staticMetaObject},
        {"CheckBoxCAN_In_RowEnable", &QCheckBox::staticMetaObject},
        {"EditValueCAN_IN_RowByteIndex", &QLineEdit::staticMetaObject},
        {"EditValueCAN_IN_RowByteValue", &QLineEdit::staticMetaObject},
        {"RadioButton_Unsigned", &QRadioButton::staticMetaObject},
        {"RadioButton_Signed", &QRadioButton::staticMetaObject},
        {"EditValueCAN_IN_Dimension", &QLineEdit::staticMetaObject},
        {"LabelCanInDimension1", &QLabel::staticMetaObject},
        {"LabelCanInDimension2", &QLabel::staticMetaObject},
        {"EditValueCAN_IN_Multiplicator", &QLineEdit::staticMetaObject},
        {"EditValueCAN_IN_Offset", &QLineEdit::staticMetaObject},
        {"CheckBoxCanInputEnable", &QCheckBox::staticMetaObject},
        {"ComboBoxInputTrigCAN_Input", &QComboBox::staticMetaObject},
        {"CANbitRateComboBox", &QComboBox::staticMetaObject},
        {"CANdelayBeforeNoCANdataEdit", &QLineEdit::staticMetaObject},
        {"CANresetChannelErrorIDedit", &QLineEdit::staticMetaObject},
        {"CANresetChannelErrorDataCombo", &QComboBox::staticMetaObject},
        {"CANresetChannelErrorBitMaskEdit", &QLineEdit::staticMetaObject},
        {"AutoResetChannelErrorEdit", &QLineEdit::staticMetaObject},
        {"CANmonitorEnableComboBox", &QComboBox::staticMetaObject},
        {"MemoCanMonitor", &QPlainTextEdit::staticMetaObject},
        {"ClearLogBtn", &QPushButton::staticMetaObject},
        {"CANmonitorFileLogBtn", &QCheckBox::staticMetaObject},
        {"CANmonitorFileLogNameEdit", &QLineEdit::staticMetaObject},
        {"CANmonitorFileLogNameBtn", &QPushButton::staticMetaObject},
        {"BtnCanRead", &QPushButton::staticMetaObject},
        {"BtnCanUpload", &QPushButton::staticMetaObject},
        {"BtnCanInputDefault", &QPushButton::staticMetaObject},
        {"ListBoxVIRTUAL_INPUT", &QListWidget::staticMetaObject},
        {"EditInputName_Virtuel_ch1", &QLineEdit::staticMetaObject},
        {"EditInputName_Virtuel_ch20", &QLineEdit::staticMetaObject},
        {"ComboBoxVirtuel_1_Channel_1", &QComboBox::staticMetaObject},
        {"ComboBoxVirtuel_1_Channel_3", &QComboBox::staticMetaObject},
        {"ComboBoxVirtuel_1_operator_1", &QComboBox::staticMetaObject},
        {"ComboBoxVirtuel_1_operator_2", &QComboBox::staticMetaObject},
        {"EditDelayTime", &QLineEdit::staticMetaObject},
        {"EditDelayTime2", &QLineEdit::staticMetaObject},
        {"EditDelayTime3", &QLineEdit::staticMetaObject},
        {"CheckBoxVirtuel_Channel_1", &QCheckBox::staticMetaObject},
        {"CheckBoxVirtuel_Channel_3", &QCheckBox::staticMetaObject},
        {"Button2", &QPushButton::staticMetaObject},
        {"Button3", &QPushButton::staticMetaObject},
        {"Button4", &QPushButton::staticMetaObject},
        {"CheckBoxCAN_Export1", &QCheckBox::staticMetaObject},
        {"CheckBoxCAN_Export4", &QCheckBox::staticMetaObject},
        {"Edit_REFRESS_Export1", &QLineEdit::staticMetaObject},
        {"Edit_REFRESS_Export4", &QLineEdit::staticMetaObject},
        {"EditCAN_ID_Export1", &QLineEdit::staticMetaObject},
        {"EditCAN_ID_Export4", &QLineEdit::staticMetaObject},
        {"EditCAN_EXPORT_1_RowCounter", &QLineEdit::staticMetaObject},
        {"ComboBox_CAN_Export1_DataByte1", &QComboBox::staticMetaObject},
        {"ComboBox_CAN_Export1_DataByte18", &QComboBox::staticMetaObject},
        {"ComboBox_CAN_Export2_DataByte0_Bit7", &QComboBox::staticMetaObject},
        {"ComboBox_CAN_Export2_DataByte4_Bit6", &QComboBox::staticMetaObject},
        {"ComboBox_CAN_Export3_DataByte0_Bit7", &QComboBox::staticMetaObject},
        {"ComboBox_CAN_Export3_DataByte4_Bit6", &QComboBox::staticMetaObject},
        {"ComboBox_CAN_Export4_DataByte0_Bit7", &QComboBox::staticMetaObject},
        {"ComboBox_CAN_Export4_DataByte7_Bit0", &QComboBox::staticMetaObject},
        {"CANexport5BaseIDEdit", &QLineEdit::staticMetaObject},
        {"CANexport5IntervalEdit", &QLineEdit::staticMetaObject},
        {"LabelHighPowerCh1", &QLabel::staticMetaObject},
        {"LabelHighPowerCh18", &QLabel::staticMetaObject},
        {"LabelLowPowerCh19", &QLabel::staticMetaObject},
        {"LabelLowPowerCh34", &QLabel::staticMetaObject},
        {"EditOutputName_ch1", &QLineEdit::staticMetaObject},
        {"EditOutputName_ch34", &QLineEdit::staticMetaObject},
        {"ComboBoxInputTrigCH1", &QComboBox::staticMetaObject},
        {"ComboBoxInputTrigCH34", &QComboBox::staticMetaObject},
        {"ComboBoxTrigLevelCH34", &QComboBox::staticMetaObject},
        {"LabelInputpin1", &QLabel::staticMetaObject},
        {"LabelInputpin34", &QLabel::staticMetaObject},
        {"EditDelayCH34", &QLineEdit::staticMetaObject},
        {"EditOnTimeCH34", &QLineEdit::staticMetaObject},
        {"EditMaxCurrentCH1", &QLineEdit::staticMetaObject},
        {"EditMaxCurrentCH18", &QLineEdit::staticMetaObject},
        {"EditCurrentPeakTimeCH18", &QLineEdit::staticMetaObject},
        {"OutputLabel1", &QLabel::staticMetaObject},
        {"OutputLabel34", &QLabel::staticMetaObject},
        {"EditBoxName", &QLineEdit::staticMetaObject},
        {"CheckBoxPWM_enable1", &QCheckBox::staticMetaObject},
        {"CheckBoxPWM_enable2", &QCheckBox::staticMetaObject},
        {"Button5", &QPushButton::staticMetaObject},
        {"Button6", &QPushButton::staticMetaObject},
        {"BtnDefaultValue", &QPushButton::staticMetaObject},
        {"ListBoxFlashNo", &QListWidget::staticMetaObject},
        {"GroupBoxFlash", &QGroupBox::staticMetaObject},
        {"EditFlashName", &QLineEdit::staticMetaObject},
        {"CheckBoxFlash", &QCheckBox::staticMetaObject},
        {"ComboBoxFlashInputTrig", &QComboBox::staticMetaObject},
        {"EditFlashOnTime", &QLineEdit::staticMetaObject},
        {"EditFlashOffTime", &QLineEdit::staticMetaObject},
        {"EditFlashDuration", &QLineEdit::staticMetaObject},
        {"CheckListBoxFlashOutputList", &QListWidget::staticMetaObject},
        {"WiperLowSpeedInputComboBox", &QComboBox::staticMetaObject},
        {"WiperHighSpeedInputComboBox", &QComboBox::staticMetaObject},
        {"WiperIntervalInputComboBox", &QComboBox::staticMetaObject},
        {"WiperWashInputComboBox", &QComboBox::staticMetaObject},
        {"WiperHomeParkInputComboBox", &QComboBox::staticMetaObject},
        {"WiperHomeParkILevelComboBox", &QComboBox::staticMetaObject},
        {"WiperIntervalTimeEdit", &QLineEdit::staticMetaObject},
        {"WiperWashTimeEdit", &QLineEdit::staticMetaObject},
        {"SequenceNameEdit1", &QLineEdit::staticMetaObject},
        {"SequenceNameEdit4", &QLineEdit::staticMetaObject},
        {"SequenceTriggerComboBox4", &QComboBox::staticMetaObject},
        {"SequenceTypeComboBox4", &QComboBox::staticMetaObject},
        {"SequenceTypeInfoLabel4", &QLabel::staticMetaObject},
        {"EditLowVoltageTrig", &QLineEdit::staticMetaObject},
        {"EditUpperVoltageTrig", &QLineEdit::staticMetaObject},
        {"CheckListBoxLowBatt", &QListWidget::staticMetaObject},
        {"ComboBoxInputTrigStartButton", &QComboBox::staticMetaObject},
        {"CheckListBoxStartButton", &QListWidget::staticMetaObject},
        {"ComboBoxInputTrigKillButton", &QComboBox::staticMetaObject},
        {"KillInputDelayEdit", &QLineEdit::staticMetaObject},
        {"CheckListBoxKillButton", &QListWidget::staticMetaObject},
        {"LabelHighPowerCh_1", &QLabel::staticMetaObject},
        {"LabelHighPowerCh_18", &QLabel::staticMetaObject},
        {"EditLowCurrentCH18", &QLineEdit::staticMetaObject},
        {"EditLowCurrentTimeCH18", &QLineEdit::staticMetaObject},
        {"InputLabel1B", &QLabel::staticMetaObject},
        {"InputLabel11B", &QLabel::staticMetaObject},
        {"OutputLabel1B", &QLabel::staticMetaObject},
        {"OutputLabel34B", &QLabel::staticMetaObject},
        {"SocketInfoCAN1", &QLabel::staticMetaObject},
        {"SocketInfoCAN3", &QLabel::staticMetaObject},
        {"SocketInfoWarningLightReset", &QLabel::staticMetaObject},
        {"SocketInfoGND2", &QLabel::staticMetaObject},
        {"SocketInfoGND4", &QLabel::staticMetaObject},
        {"SocketInfoUSB4", &QLabel::staticMetaObject},
        {"SocketInfoCurrentSum2", &QLabel::staticMetaObject},
        {"SocketInfoGND5", &QLabel::staticMetaObject},
        {"SocketInfoGND6", &QLabel::staticMetaObject},
    };
    for (const auto &[name, kind] : table) {
        const auto matches = root->findChildren<QWidget *>(QLatin1String(name));
        ASSERT_EQ(matches.size(), 1) << name;
        EXPECT_TRUE(matches.front()->inherits(kind->className())) << name;
    }
}

TEST_F(ConfigPagesUi, ObjectNamesAreUnique)
{
    std::map<QString, int> names;
    for (const QWidget *w : root->findChildren<QWidget *>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            ++names[w->objectName()];
    for (const auto &[name, count] : names)
        EXPECT_EQ(count, 1) << name.toStdString();
}

TEST_F(ConfigPagesUi, MembersCarryTheirItemNumbers)
{
    // Each family array holds, at position n, the control numbered n.
    const auto check = [](const auto &family, int first, int last, const char *stem,
                          const char *suffix = "") {
        for (std::size_t i = 0; i < family.size(); ++i) {
            const int n = static_cast<int>(i);
            if (n < first || n > last) {
                EXPECT_EQ(family[i], nullptr) << stem << n;
                continue;
            }
            ASSERT_NE(family[i], nullptr) << stem << n;
            EXPECT_EQ(family[i]->objectName(),
                      QLatin1String(stem) + QString::number(n) + QLatin1String(suffix));
        }
    };
    check(ui.LabelInputCh, 1, 11, "LabelInputCh");
    check(ui.EditInputName_ch, 1, 11, "EditInputName_ch");
    check(ui.ComboBoxInput_ch, 1, 11, "ComboBoxInput_ch");
    check(ui.LabelCanInputCh, 1, 32, "LabelCanInputCh");
    check(ui.EditCanInputName_ch, 1, 32, "EditCanInputName_ch");
    check(ui.EditInputName_Virtuel_ch, 1, 20, "EditInputName_Virtuel_ch");
    check(ui.ComboBoxVirtuel_1_Channel_, 1, 3, "ComboBoxVirtuel_1_Channel_");
    check(ui.ComboBoxVirtuel_1_operator_, 1, 2, "ComboBoxVirtuel_1_operator_");
    check(ui.CheckBoxVirtuel_Channel_, 1, 3, "CheckBoxVirtuel_Channel_");
    check(ui.CheckBoxCAN_Export, 1, 4, "CheckBoxCAN_Export");
    check(ui.Edit_REFRESS_Export, 1, 4, "Edit_REFRESS_Export");
    check(ui.EditCAN_ID_Export, 1, 4, "EditCAN_ID_Export");
    check(ui.ComboBox_CAN_Export1_DataByte, 1, 18, "ComboBox_CAN_Export1_DataByte");
    check(ui.LabelHighPowerCh, 1, 18, "LabelHighPowerCh");
    check(ui.LabelLowPowerCh, 19, 34, "LabelLowPowerCh");
    check(ui.EditOutputName_ch, 1, 34, "EditOutputName_ch");
    check(ui.ComboBoxInputTrigCH, 1, 34, "ComboBoxInputTrigCH");
    check(ui.ComboBoxTrigLevelCH, 1, 34, "ComboBoxTrigLevelCH");
    check(ui.LabelInputpin, 1, 34, "LabelInputpin");
    check(ui.EditDelayCH, 1, 34, "EditDelayCH");
    check(ui.EditOnTimeCH, 1, 34, "EditOnTimeCH");
    check(ui.EditMaxCurrentCH, 1, 18, "EditMaxCurrentCH");
    check(ui.EditCurrentPeakTimeCH, 1, 18, "EditCurrentPeakTimeCH");
    check(ui.OutputLabel, 1, 34, "OutputLabel");
    check(ui.SequenceNameEdit, 1, 4, "SequenceNameEdit");
    check(ui.SequenceTriggerComboBox, 1, 4, "SequenceTriggerComboBox");
    check(ui.SequenceTypeComboBox, 1, 4, "SequenceTypeComboBox");
    check(ui.SequenceTypeInfoLabel, 1, 4, "SequenceTypeInfoLabel");
    check(ui.LabelHighPowerCh_, 1, 18, "LabelHighPowerCh_");
    check(ui.EditLowCurrentCH, 1, 18, "EditLowCurrentCH");
    check(ui.EditLowCurrentTimeCH, 1, 18, "EditLowCurrentTimeCH");
    check(ui.InputLabelB, 1, 11, "InputLabel", "B");
    check(ui.OutputLabelB, 1, 34, "OutputLabel", "B");
    check(ui.SocketInfoCAN, 1, 3, "SocketInfoCAN");
    check(ui.SocketInfoUSB, 1, 4, "SocketInfoUSB");
    check(ui.SocketInfoCurrentSum, 1, 2, "SocketInfoCurrentSum");
    EXPECT_EQ(ui.EditDelayTime[1]->objectName(), QStringLiteral("EditDelayTime"));
    EXPECT_EQ(ui.EditDelayTime[3]->objectName(), QStringLiteral("EditDelayTime3"));
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(ui.SequenceTypeComboBox[std::size_t(k)]->property("tag").toInt(), k);
}

QStringList items(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

TEST_F(ConfigPagesUi, FixedItemLists)
{
    const struct
    {
        QComboBox *combo;
        QStringList items;
    } table[] = {
        {ui.ComboBoxInput_ch[11], {"Toggle", "Momentary"}},
        {ui.ComboBoxTrigLevelCH[34], {"OPEN", "GND"}},
        {ui.NoCANdataComboBox, {"Set Off", "Set On", "Hold state"}},
        {ui.ComboBoxCAN_OperatorON, {"=", ">", "<", "&", "!&", "not"}},
        {ui.ComboBoxCAN_OperatorOFF, {"=", ">", "<", "&", "!&", "not"}},
        {ui.ComboBoxVirtuel_1_operator_[2], {"AND", "OR", "NOR"}},
        {ui.CANbitRateComboBox, {"125 kbit/s", "250 kbit/s", "500 kbit/s", "1 Mbit/s"}},
        {ui.CANresetChannelErrorDataCombo, {"0", "1", "2", "3", "4", "5", "6", "7"}},
        {ui.SequenceTypeComboBox[3], {"Not in use", "Toggle", "3 step", "4 step"}},
        {ui.WiperHomeParkILevelComboBox, {"On", "Off"}},
    };
    for (const auto &row : table)
        EXPECT_EQ(items(row.combo), row.items) << row.combo->objectName().toStdString();

    const QStringList monitor = items(ui.CANmonitorEnableComboBox);
    ASSERT_EQ(monitor.size(), 35);
    EXPECT_EQ(monitor.mid(0, 3), QStringList({"Off", "Active messages", "All Messages"}));
    EXPECT_EQ(monitor.at(3), QStringLiteral("CAN 1"));
    EXPECT_EQ(monitor.at(34), QStringLiteral("CAN 32"));
    EXPECT_EQ(ui.ListBoxCAN_INPUT->count(), 32);
    EXPECT_EQ(ui.ListBoxVIRTUAL_INPUT->count(), 20);
    EXPECT_EQ(ui.ListBoxFlashNo->count(), 5);
    EXPECT_EQ(ui.CheckBoxFlash->text(), QStringLiteral("Continues"));
    for (QPushButton *read : {ui.BtnLoad, ui.BtnCanRead, ui.Button3, ui.Button5})
        EXPECT_EQ(read->text(), QStringLiteral("Read"));
    for (QPushButton *upload : {ui.BtnSave, ui.BtnCanUpload, ui.Button2, ui.Button6})
        EXPECT_EQ(upload->text(), QStringLiteral("Upload"));
    for (QPushButton *reset :
         {ui.BtnDefault, ui.BtnDefaultValue, ui.BtnCanInputDefault, ui.Button4})
        EXPECT_EQ(reset->text(), QStringLiteral("Default settings"));
}

TEST_F(ConfigPagesUi, InitialTexts)
{
    for (int n = 1; n <= 32; ++n)
        EXPECT_EQ(ui.EditCanInputName_ch[std::size_t(n)]->text(), QStringLiteral("CAN %1").arg(n));
    for (int n = 1; n <= 20; ++n)
        EXPECT_EQ(ui.EditInputName_Virtuel_ch[std::size_t(n)]->text(),
                  QStringLiteral("Virtual %1").arg(n));
    EXPECT_EQ(ui.LabelCanInputCh[7]->text(), QStringLiteral("7: CAN 7"));
    EXPECT_EQ(ui.CANmonitorFileLogNameEdit->text(), QStringLiteral("LogFile.txt"));
    EXPECT_EQ(ui.EditOnTimeCH[1]->text(), QStringLiteral("CONT."));
    EXPECT_TRUE(ui.CheckListBoxLowBatt->count() == 0);
}

TEST_F(ConfigPagesUi, EntryLimits)
{
    const struct
    {
        QLineEdit *edit;
        int maxLength;
    } table[] = {
        {ui.EditInputName_ch[1], 15},
        {ui.EditCanInputName_ch[32], 15},
        {ui.EditInputName_Virtuel_ch[20], 15},
        {ui.EditOutputName_ch[34], 15},
        {ui.EditFlashName, 15},
        {ui.EditBoxName, 16},
        {ui.SequenceNameEdit[4], 16},
        {ui.EditLowVoltageTrig, 4},
        {ui.EditUpperVoltageTrig, 4},
        {ui.EditDelayTime[1], 4},
        {ui.EditDelayTime[3], 4},
        {ui.EditValueCAN_ON_1, 5},
        {ui.EditValueCAN_OFF_1, 5},
        {ui.EditValueCAN_IN_Dimension, 5},
    };
    for (const auto &row : table)
        EXPECT_EQ(row.edit->maxLength(), row.maxLength) << row.edit->objectName().toStdString();

    // CAN IDs: typing is held to three hexadecimal digits, text from the unit is shown whole.
    for (QLineEdit *edit : {ui.EditCAN_ID_ON_1, ui.EditCAN_ID_OFF_1, ui.EditCAN_ID_Export[1],
                            ui.EditCAN_ID_Export[4], ui.CANexport5BaseIDEdit}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        ASSERT_NE(edit->validator(), nullptr);
        const auto accepts = [edit](QString text) {
            int pos = 0;
            return edit->validator()->validate(text, pos) == QValidator::Acceptable;
        };
        EXPECT_TRUE(accepts(QStringLiteral("7fF")));
        EXPECT_FALSE(accepts(QStringLiteral("1234")));
        EXPECT_FALSE(accepts(QStringLiteral("12G")));
        edit->setText(QStringLiteral("1FFFF"));
        EXPECT_EQ(edit->text(), QStringLiteral("1FFFF"));
    }
}

TEST_F(ConfigPagesUi, QuietChangesReachNoHandler)
{
    FillCheckList(ui.CheckListBoxLowBatt, {"A", "B", "C"});
    QSignalSpy checks(ui.CheckListBoxLowBatt, &QListWidget::itemChanged);
    SetCheckedQuietly(ui.CheckListBoxLowBatt, 1, true);
    EXPECT_TRUE(IsItemChecked(ui.CheckListBoxLowBatt, 1));
    EXPECT_FALSE(IsItemChecked(ui.CheckListBoxLowBatt, 0));
    EXPECT_FALSE(IsItemChecked(ui.CheckListBoxLowBatt, 3));
    SetCheckedQuietly(ui.CheckListBoxLowBatt, 7, true); // no such entry
    EXPECT_EQ(checks.count(), 0);

    QSignalSpy rows(ui.ListBoxFlashNo, &QListWidget::currentRowChanged);
    SelectRowQuietly(ui.ListBoxFlashNo, 3);
    EXPECT_EQ(ui.ListBoxFlashNo->currentRow(), 3);
    EXPECT_EQ(rows.count(), 0);
}

TEST_F(ConfigPagesUi, BytePositionSelectorShowsItsColumns)
{
    ui.ImageCan_1_ON->resize(200, 22);
    DrawBytePositions(ui.ImageCan_1_ON, 3, 4);
    const QImage image = ui.ImageCan_1_ON->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(200, 22));
    // Silver column borders at x = i * 25 + 1.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(image.pixelColor(i * 25 + 1, 10), QColor(0xC0, 0xC0, 0xC0)) << i;
}

// On the long pages, which scroll, the wheel over a combo box without the
// focus scrolls the page and leaves the setting alone; with the focus it
// changes the setting as before.
TEST_F(ConfigPagesUi, WheelScrollsThePageUnlessTheComboHasTheFocus)
{
    const struct
    {
        const char *page;
        QComboBox *combo;
    } cases[] = {
        {"OutputsPageScroll", ui.ComboBoxInputTrigCH[20]},
        {"CanInputsPageScroll", ui.NoCANdataComboBox},
        {"CanExportPageScroll", ui.CanExportBits[40]},
    };
    const auto turn = [](QWidget *w, int notches) {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        QWheelEvent wheel(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w, &wheel);
    };
    auto *elsewhere = new QLineEdit(root.get());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.page);
        auto *area = find<QScrollArea>(c.page);
        ASSERT_NE(area, nullptr);
        area->parentWidget()->setGeometry(0, 0, 600, 200);
        area->parentWidget()->raise();
        if (c.combo->count() == 0)
            c.combo->addItems({"DISABLED", "Headlight R", "Headlight L"});
        c.combo->setCurrentIndex(0);
        root->show();
        root->activateWindow();
        elsewhere->setFocus();
        QCoreApplication::processEvents();
        QScrollBar *bar = area->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0) << "the page must scroll for this test";
        bar->setValue(0);

        turn(c.combo, 2);
        EXPECT_EQ(c.combo->currentIndex(), 0);
        EXPECT_GT(bar->value(), 0);
        EXPECT_EQ(c.combo->focusPolicy(), Qt::StrongFocus);

        c.combo->setFocus();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), c.combo);
        const int scrolled = bar->value();
        turn(c.combo, 1);
        EXPECT_EQ(c.combo->currentIndex(), 1);
        EXPECT_EQ(bar->value(), scrolled);
    }
}

} // namespace
