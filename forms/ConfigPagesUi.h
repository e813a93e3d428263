// The configuration pages of the main window: every control of the pages
// "Inputs" to "Socket info" as a named member. These controls are the model of
// every setting that has no table of its own, so the settings accessors, the
// transfer and the settings file read and write them directly.
//
// Numbered families are arrays indexed by the item number (element 0 and the
// numbers outside a family stay null): EditMaxCurrentCH[5] is the edit named
// "EditMaxCurrentCH5". Every control carries its name as objectName, so
// ItemNumber() gives a handler the number of the control that fired.
//
// Event mapping, fixed for every handler written against these controls. The
// handlers were designed for a class library that fires some change events
// when a value is set from code and others only on user action:
// - QLineEdit: connect textChanged; it fires for setText from code too, and
//   the entry limits rely on that (a limit rewrites the text, the handler runs
//   once more and leaves it alone). Never textEdited.
// - QCheckBox, QRadioButton: connect toggled; it fires for setChecked from code
//   as well (a radio button's handler acts only when it becomes checked).
// - QComboBox: connect activated only; setCurrentIndex from code must fire
//   nothing, so never currentIndexChanged.
// - List boxes and check lists (QListWidget): connect currentRowChanged and
//   itemChanged, and make every change from code through SelectRowQuietly,
//   SetCheckedQuietly or inside a QSignalBlocker, so that only the user's
//   selections and checks reach the handlers.
// - Name edits hold at most 15 characters (unit and sequence names 16) through
//   setMaxLength, which cuts text set from code as well. Hexadecimal CAN-ID
//   edits limit typing with a validator instead: an identifier read from the
//   unit is shown whole, however long.
// - Names are 8-bit text: convert with QString::fromLatin1 / toLatin1.
#pragma once

#include <QStringList>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QObject;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// Digits at the end of the object's name as a number; 0 when there are none.
int ItemNumber(const QObject *object);

// Selection and check changes from code that must not reach the handlers.
void SelectRowQuietly(QListWidget *list, int row);
void SetCheckedQuietly(QListWidget *list, int row, bool checked);
bool IsItemChecked(const QListWidget *list, int row);
// Empties a check list and fills it with unchecked entries, without signals.
void FillCheckList(QListWidget *list, const QStringList &texts);

// Draws a CAN byte-position selector into `image`: eight columns, "Lo" and "Hi"
// on the chosen data bytes (1..8, 0 = none), the byte numbers elsewhere.
void DrawBytePositions(QLabel *image, int lo, int hi);

class TConfigPagesUi
{
public:
    // Order of the ten page widgets handed to setupUi.
    enum Page {
        PageInputs,
        PageCanInputs,
        PageVirtualInputs,
        PageCanExport,
        PageOutputs,
        PageFlashWiperSequence,
        PageLowBattery,
        PageStartKill,
        PageLowCurrent,
        PageSocketInfo,
        PageCount
    };

    static constexpr int InputCount = 11;
    static constexpr int OutputCount = 34;
    static constexpr int HighPowerCount = 18;
    static constexpr int CanInputCount = 32;
    static constexpr int VirtualInputCount = 20;
    static constexpr int VirtualSourceCount = 3;
    static constexpr int FlashCount = 5;
    static constexpr int SequenceCount = 4;
    static constexpr int CanExportCount = 4;
    static constexpr int CanExport1ByteCount = 18;
    static constexpr int CanExportBitComboCount = 132;
    static constexpr int NameLength = 15;
    static constexpr int LongNameLength = 16; // unit and sequence names

    // Builds every control into the ten (empty) page widgets, in Page order.
    void setupUi(QWidget *const pages[PageCount]);

    template <int N> using Labels = std::array<QLabel *, N + 1>;
    template <int N> using Edits = std::array<QLineEdit *, N + 1>;
    template <int N> using Combos = std::array<QComboBox *, N + 1>;
    template <int N> using Checks = std::array<QCheckBox *, N + 1>;

    // "Inputs"
    Labels<InputCount> LabelInputCh{};
    Edits<InputCount> EditInputName_ch{};
    Combos<InputCount> ComboBoxInput_ch{};
    QCheckBox *CheckBoxInputPWMEnable = nullptr;
    QPushButton *BtnLoad = nullptr;
    QPushButton *BtnSave = nullptr;
    QPushButton *BtnDefault = nullptr;

    // "CAN Inputs": names, the editor of the selected record, the enable pin
    QListWidget *ListBoxCAN_INPUT = nullptr;
    Labels<CanInputCount> LabelCanInputCh{};
    Edits<CanInputCount> EditCanInputName_ch{};
    QGroupBox *GroupBoxCAN_Parameter = nullptr;
    QComboBox *NoCANdataComboBox = nullptr;
    QLineEdit *EditCAN_ID_ON_1 = nullptr;
    QLineEdit *EditCAN_ID_OFF_1 = nullptr;
    QComboBox *ComboBoxCAN_OperatorON = nullptr;
    QComboBox *ComboBoxCAN_OperatorOFF = nullptr;
    QLineEdit *EditValueCAN_ON_1 = nullptr;
    QLineEdit *EditValueCAN_OFF_1 = nullptr;
    QLabel *ImageCan_1_ON = nullptr;
    QLabel *ImageCan_1_OFF = nullptr;
    QCheckBox *CheckBoxCAN_In_RowEnable = nullptr;
    QLineEdit *EditValueCAN_IN_RowByteIndex = nullptr;
    QLineEdit *EditValueCAN_IN_RowByteValue = nullptr;
    QRadioButton *RadioButton_Unsigned = nullptr;
    QRadioButton *RadioButton_Signed = nullptr;
    QLineEdit *EditValueCAN_IN_Dimension = nullptr;
    QLabel *LabelCanInDimension1 = nullptr;
    QLabel *LabelCanInDimension2 = nullptr;
    QLineEdit *EditValueCAN_IN_Multiplicator = nullptr;
    QLineEdit *EditValueCAN_IN_Offset = nullptr;
    QCheckBox *CheckBoxCanInputEnable = nullptr;
    QComboBox *ComboBoxInputTrigCAN_Input = nullptr;
    // "CAN Inputs": CAN setup (the automatic channel-error reset travels with it)
    QComboBox *CANbitRateComboBox = nullptr;
    QLineEdit *CANdelayBeforeNoCANdataEdit = nullptr;
    QLineEdit *CANresetChannelErrorIDedit = nullptr;
    QComboBox *CANresetChannelErrorDataCombo = nullptr;
    QLineEdit *CANresetChannelErrorBitMaskEdit = nullptr;
    QLineEdit *AutoResetChannelErrorEdit = nullptr;
    // "CAN Inputs": CAN monitor
    QComboBox *CANmonitorEnableComboBox = nullptr;
    QPlainTextEdit *MemoCanMonitor = nullptr;
    QPushButton *ClearLogBtn = nullptr;
    QCheckBox *CANmonitorFileLogBtn = nullptr;
    QLineEdit *CANmonitorFileLogNameEdit = nullptr;
    QPushButton *CANmonitorFileLogNameBtn = nullptr;
    QPushButton *BtnCanRead = nullptr;
    QPushButton *BtnCanUpload = nullptr;
    QPushButton *BtnCanInputDefault = nullptr;

    // "Virtual Inputs" (sources, operators, delays and NOT boxes count from 1)
    QListWidget *ListBoxVIRTUAL_INPUT = nullptr;
    Edits<VirtualInputCount> EditInputName_Virtuel_ch{};
    Combos<VirtualSourceCount> ComboBoxVirtuel_1_Channel_{};
    Combos<VirtualSourceCount - 1> ComboBoxVirtuel_1_operator_{};
    Edits<VirtualSourceCount> EditDelayTime{}; // EditDelayTime, EditDelayTime2, EditDelayTime3
    Checks<VirtualSourceCount> CheckBoxVirtuel_Channel_{};
    QPushButton *Button3 = nullptr; // "Read"
    QPushButton *Button2 = nullptr; // "Upload"
    QPushButton *Button4 = nullptr; // "Default settings"

    // "CAN Export" (exports 1..4; export 5 has its base ID and interval only)
    Checks<CanExportCount> CheckBoxCAN_Export{};
    Edits<CanExportCount> Edit_REFRESS_Export{};
    Edits<CanExportCount> EditCAN_ID_Export{};
    QLineEdit *EditCAN_EXPORT_1_RowCounter = nullptr;
    Combos<CanExport1ByteCount> ComboBox_CAN_Export1_DataByte{};
    // The bit combos of exports 2 to 4 in transfer order: export 2 data byte 0
    // bit 7 .. bit 0, byte 1 ... byte 4 bits 7 and 6 (0..33), export 3 the same
    // (34..67), export 4 bytes 0..7 whole (68..131).
    std::array<QComboBox *, CanExportBitComboCount> CanExportBits{};
    QLineEdit *CANexport5BaseIDEdit = nullptr;
    QLineEdit *CANexport5IntervalEdit = nullptr;

    // "Outputs"
    Labels<HighPowerCount> LabelHighPowerCh{};
    Labels<OutputCount> LabelLowPowerCh{}; // 19..34
    Edits<OutputCount> EditOutputName_ch{};
    Combos<OutputCount> ComboBoxInputTrigCH{};
    Combos<OutputCount> ComboBoxTrigLevelCH{};
    Labels<OutputCount> LabelInputpin{};
    Edits<OutputCount> EditDelayCH{};
    Edits<OutputCount> EditOnTimeCH{};
    Edits<HighPowerCount> EditMaxCurrentCH{};
    Edits<HighPowerCount> EditCurrentPeakTimeCH{};
    Labels<OutputCount> OutputLabel{};
    QLineEdit *EditBoxName = nullptr;
    QCheckBox *CheckBoxPWM_enable1 = nullptr;
    QCheckBox *CheckBoxPWM_enable2 = nullptr;
    QPushButton *Button5 = nullptr; // "Read"
    QPushButton *Button6 = nullptr; // "Upload"
    QPushButton *BtnDefaultValue = nullptr;

    // "Flash / Wiper / Sequence"
    QListWidget *ListBoxFlashNo = nullptr;
    QGroupBox *GroupBoxFlash = nullptr;
    QLineEdit *EditFlashName = nullptr;
    QCheckBox *CheckBoxFlash = nullptr;
    QComboBox *ComboBoxFlashInputTrig = nullptr;
    QLineEdit *EditFlashOnTime = nullptr;
    QLineEdit *EditFlashOffTime = nullptr;
    QLineEdit *EditFlashDuration = nullptr;
    QListWidget *CheckListBoxFlashOutputList = nullptr;
    QComboBox *WiperLowSpeedInputComboBox = nullptr;
    QComboBox *WiperHighSpeedInputComboBox = nullptr;
    QComboBox *WiperIntervalInputComboBox = nullptr;
    QComboBox *WiperWashInputComboBox = nullptr;
    QComboBox *WiperHomeParkInputComboBox = nullptr;
    QComboBox *WiperHomeParkILevelComboBox = nullptr;
    QLineEdit *WiperIntervalTimeEdit = nullptr;
    QLineEdit *WiperWashTimeEdit = nullptr;
    Edits<SequenceCount> SequenceNameEdit{};
    Combos<SequenceCount> SequenceTriggerComboBox{};
    Combos<SequenceCount> SequenceTypeComboBox{}; // property "tag" holds the number
    Labels<SequenceCount> SequenceTypeInfoLabel{};

    // "Low Battery"
    QLineEdit *EditLowVoltageTrig = nullptr;
    QLineEdit *EditUpperVoltageTrig = nullptr;
    QListWidget *CheckListBoxLowBatt = nullptr;

    // "Start / Kill Button"
    QComboBox *ComboBoxInputTrigStartButton = nullptr;
    QListWidget *CheckListBoxStartButton = nullptr;
    QComboBox *ComboBoxInputTrigKillButton = nullptr;
    QLineEdit *KillInputDelayEdit = nullptr;
    QListWidget *CheckListBoxKillButton = nullptr;

    // "Low Current"
    Labels<HighPowerCount> LabelHighPowerCh_{};
    Edits<HighPowerCount> EditLowCurrentCH{};
    Edits<HighPowerCount> EditLowCurrentTimeCH{};

    // "Socket info"
    Labels<InputCount> InputLabelB{};   // InputLabel1B .. InputLabel11B
    Labels<OutputCount> OutputLabelB{}; // OutputLabel1B .. OutputLabel34B
    Labels<3> SocketInfoCAN{};
    Labels<4> SocketInfoUSB{};
    Labels<2> SocketInfoCurrentSum{};
    QLabel *SocketInfoWarningLightReset = nullptr;
    QLabel *SocketInfoGND2 = nullptr;
    QLabel *SocketInfoGND4 = nullptr;
    QLabel *SocketInfoGND5 = nullptr;
    QLabel *SocketInfoGND6 = nullptr;

private:
    void setupInputsPage(QWidget *page);
    void setupCanInputsPage(QWidget *page);
    void setupVirtualInputsPage(QWidget *page);
    void setupCanExportPage(QWidget *page);
    void setupOutputsPage(QWidget *page);
    void setupFlashWiperSequencePage(QWidget *page);
    void setupLowBatteryPage(QWidget *page);
    void setupStartKillPage(QWidget *page);
    void setupLowCurrentPage(QWidget *page);
    void setupSocketInfoPage(QWidget *page);
};
