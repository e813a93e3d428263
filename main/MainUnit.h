// The main window: start-up and close, the link to the unit (connection,
// receive dispatcher, supervision timers), access levels and the pages.
//
// Thread contract: everything here runs on the main thread. The worker
// thread reaches it only through UsbThreadClient, whose calls the worker
// hands over to the main thread and waits for.
#pragma once

#include "config/ReadProgress.h"
#include "forms/MainFormUi.h"
#include "link/FrameCodec.h"
#include "link/USB_Unit.h"
#include "main/AccessLevel.h"
#include "platform/vcl/MainThreadCall.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTime>

#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <vector>
#include <functional>
#include <memory>
#include <span>
#include <string>

class QComboBox;
class QTimer;
struct WriteBlock;
struct CanInputRecord;
struct VirtualInputRecord;
struct FlashRecord;
class QKeyEvent;
class QLabel;
class LinkLamp;
class QLineEdit;
class QListWidgetItem;
class TzColorBtn;

namespace d2xx {
class Driver;
}

// 1 from the first successful connection to the end of the run.
extern std::uint8_t Connected;
extern std::uint8_t StatusPollIndex;
extern std::int32_t LinkLedIndex;
extern std::int32_t ActivePageIndex;
extern std::uint8_t ManualMode;
extern std::uint8_t KeypadSwitchAllOn;

inline constexpr const char *MasterKeyword = "KeeperEntry";

class TMainForm : public QMainWindow, public TMainFormUi, public devlink::UsbThreadClient
{
public:
    // `arguments` is the command line without the program name; `iniPath`
    // the tool's INI file.
    TMainForm(const QStringList &arguments, const QString &iniPath, d2xx::Driver &driver,
              QWidget *parent = nullptr);
    ~TMainForm() override;
    Q_DISABLE_COPY(TMainForm)

    static QString DefaultIniPath();

    void FormCreate();
    void AllFormsCreated();
    void FormClose();

    // frames
    // Whether the frame was queued, else why not; status bar panel 2 then
    // says why (a full queue, or no device open) for at least QueueFullShownMs.
    // With `number`, the frame is numbered in the transmit queue (UsbThread::Send).
    devlink::TxOutcome SendFrame(const std::uint8_t *frame, std::uint8_t count,
                                 std::uint64_t *number = nullptr);
    static constexpr std::int64_t QueueFullShownMs = 5000;
    // Milliseconds of a steady clock; tests replace it.
    std::function<std::int64_t()> SteadyClockMs;
    // SendFrame of a request built from its data bytes.
    devlink::TxOutcome SendRequest(std::uint8_t node, std::uint8_t command,
                                   std::initializer_list<std::uint8_t> data = {},
                                   std::uint64_t *number = nullptr);
    void ProcessFrame(const std::uint8_t *frame, std::size_t count);

    // connection
    void USB1Click();
    void Connect(const QString &description);
    void DeviceRemoved() override;
    void DeviceArrived() override;
    void DeviceClosed() override;

    // access
    void UpdateAccessLevel();
    AccessLevel CurrentAccessLevel() const;
    void LoginBtnClick();
    void SetPasswordBtnClick();

    // supervision
    void TimerVersionTimer();
    void Timer1Timer();
    void TimerSerialTimer();
    void UpdateLinkIndicator();
    void PauseStatusPolling();
    void ResumeStatusPolling();
    void TabbedNotebook1Change(int NewTab);
    bool MaySend() const; // Connected, no firmware window, no transfer
    // A device is open: the polls queue nothing on a closed or lost link.
    bool DeviceOpen() const;

    // live view
    void ClearLiveView();
    void ShowInputState(QLabel *label, bool active);
    void ShowHighPowerStatus(TzColorBtn *button, QLabel *label, const std::uint8_t *frame);
    void ShowLowPowerStatus(TzColorBtn *button, const std::uint8_t *frame);
    void ResetChannelButton(TzColorBtn *button);
    void HandleBoxStatus(const std::uint8_t *frame);
    void HandleInputStatus(const std::uint8_t *frame);
    void HandleChannelStatus(const std::uint8_t *frame);

    // manual control
    void RadioButtonAutoClick();
    void RadioButtonManuelClick();
    void SendChannelOn(std::uint8_t channel);
    void SendChannelOff(std::uint8_t channel);
    static bool IsCaptionOn(const TzColorBtn *button);
    void ChannelButtonClick(TzColorBtn *button); // BtnHighPowerChNClick, BtnLowPowerChNClick
    // F8, F9 and the keypad "/", seen before the focused control gets them.
    void FormKeyDown(QKeyEvent *event);
    // The keypad "/" let go: its next press starts a run again.
    void FormKeyUp(QKeyEvent *event);
    // The keypad "/": all outputs switched one by one from KeypadTimer, so
    // the window and the link keep running meanwhile. Every press gives its
    // run, each switching the other way, in the order of the presses. Each
    // frame of a run is queued only once the one before it was written and
    // KeypadPaceMs have passed since, so the frames reach the unit in output
    // order and at least that far apart, also after the link stalled; a
    // frame the full queue refused is offered again on a later tick. A run
    // counts (the next goes the other way) once its last frame was written,
    // never when that frame was dropped. An output button clicked while
    // runs wait or go follows them the same way, so the output ends as the
    // click asked.
    // No run starts or goes on while a transfer or the firmware update owns
    // the link; one that runs when they start, when a service tool that
    // talks to the unit opens, when "Auto" is chosen, or when the device is
    // closed, opened, lost or back, is stopped short and does not count, and
    // so are the presses waiting behind it. The clicks waiting behind it go
    // out at once, before whatever takes the link (`KeypadStop::LinkTaken`);
    // where the link went or changed (`KeypadStop::LinkChanged`), or the
    // queue refuses them, the user is told which outputs were not switched.
    // A key held down starts one run, however long it is held.
    enum class KeypadStop { LinkTaken, LinkChanged };
    void KeypadSwitchAll();
    void KeypadTimerTimer();
    void StopKeypadRun(KeypadStop why = KeypadStop::LinkTaken);
    static constexpr int KeypadPaceMs = 25;
    // How often a frame queued is looked at until it was written.
    static constexpr int KeypadPollMs = 2;
    // A transfer or the firmware window holds the link: no switching frame may go out.
    bool LinkTakenFromManualSwitching() const;
    QTimer *KeypadTimer = nullptr;
    void BtnSaveClick();

    // diagnostic page
    void DrawDiagnosticTable(std::span<const std::uint8_t, 18> A,
                             std::span<const std::uint8_t, 18> B,
                             std::span<const std::uint8_t, 18> C);
    void DrawLowPowerDiagnosticTable(std::span<const std::uint8_t, 16> D);
    void BtnClearDiagnosticClick();

    // CAN monitor
    void CANmonitorEnableComboBoxChange();
    void ClearLogBtnClick();
    void CANmonitorFileLogBtnClick();
    void CANmonitorFileLogNameBtnClick();
    // The choice back to "Off" (telling the unit when it was on; when the
    // "Off" cannot be sent, the unit's choice stays shown) and the CAN input
    // names in it: the "CAN Inputs" page was selected.
    void ResetCanMonitorChoice();
    void RenameCanMonitorItems();
    // Closes the log file and unticks its box: only the box, a failed write
    // and the window's close end the log; "Off", a read or a refresh do not.
    void CloseCanLog();
    // Local time of a message's arrival; tests replace it.
    std::function<QTime()> CanMonitorClock;
    // The log file's save dialog: the chosen name, empty when cancelled.
    std::function<QString(const QString &current)> ChooseCanLogFile;

    // settings transfer: the read of all settings and the full refresh
    void BtnLoadClick();
    void RefreshAllControls();
    // Sends the request of the current TransferState for TransferItem.
    void TransferStep();
    // TransferState back to idle and the wait dialog closed.
    void CancelTransfer();
    // The software-version check before a transfer; false (with the user
    // told why, unless the user closed the check) when the transfer must not run.
    bool RunVersionCheck();
    // A read, an upload, a factory reset or a version check is running.
    bool TransferRunning() const;
    // The requested block of a read did not come in time: asks for it again,
    // or ends the read as not completed. Run by a timer; tests call it.
    void ReadAnswerTimeout();
    // How long a read waits for a requested block; tests shorten it.
    static inline int ReadAnswerTimeoutMs = 1000;
    // Factory reset, then a read of what the unit holds (the upload is BtnSaveClick).
    void BtnDefaultValueClick();

    // input and output page editors (EditorsInputOutput.cpp); handlers of a
    // numbered family take the control that fired and read its number
    void EditMaxCurrent(QLineEdit *edit); // and the low-current edits
    void Edit_ON_Timer(QLineEdit *edit);  // and the low-current time edits
    void EditMaxDelay(QLineEdit *edit);
    void MaxPeakTimeEditChange(QLineEdit *edit);
    void EditLowVoltageTrigChange();
    void EditUpperVoltageTrigChange();
    void ComboBoxInputTrigCHnChange(QComboBox *combo); // ComboBoxInputTrigCH1Change .. 34
    void TriggerSourceText(QComboBox *trigger, QLabel *label);
    void CheckListBoxLowBattClickCheck(QListWidgetItem *item);
    void CheckListBoxStartButtonClickCheck(QListWidgetItem *item);
    void CheckListBoxKillButtonClickCheck(QListWidgetItem *item);
    void CheckListBoxFlashOutputListClickCheck(QListWidgetItem *item);
    void InputName_Change();
    void OutputName_Change();
    void ComboBoxInput_Change();
    void User_Has_Changed_data();
    void EditBoxNameChange();

    // CAN input and virtual input editors (EditorsCan.cpp)
    void ListBoxCAN_INPUTClick();
    void EditCAN_ID_ON_1Change();
    void EditCAN_ID_OFF_1Change();
    void NoCANdataComboBoxChange();
    void ComboBoxCAN_OperatorONChange();
    void ComboBoxCAN_OperatorOFFChange();
    void EditValueCAN_ON_1Change();
    void EditValueCAN_OFF_1Change();
    void ImageCan_1_ONMouseUp(int x);
    void ImageCan_1_OFFMouseUp(int x);
    void ImageCan_1_ONClick();
    void ImageCan_1_OFFClick();
    void CheckBoxCAN_In_RowEnableClick();
    void EditValueCAN_IN_RowByteIndexChange();
    void EditValueCAN_IN_RowByteValueChange();
    void EditValueCAN_IN_DimensionChange();
    void RadioButton_UnsignedClick();
    void RadioButton_SignedClick();
    void EditValueCAN_IN_MultiplicatorChange();
    void EditValueCAN_IN_OffsetChange();
    void CheckBoxCanInputEnableClick();
    void ListBoxVIRTUAL_INPUTClick();
    void Virtual_Change();
    void EditDelayTimeChange(int source); // EditDelayTimeChange, ..2Change, ..3Change: 1..3
    void CheckBoxVirtuel_ChannelClick(int source); // _1Click .. _3Click

    // flash, wiper, sequence and CAN export editors (EditorsFlash.cpp)
    void ListBoxFlashNoClick();
    void EditFlashNameChange();
    void CheckBoxFlashClick();
    void ComboBoxFlashInputTrigChange();
    void EditFlashOnTimeChange();
    void EditFlashOffTimeChange();
    void EditFlashDurationChange();
    void WiperHomeParkInputComboBoxChange();
    void SequenceTypeComboBoxChange(QComboBox *combo);
    // The refresh time's minimum of 20 acts when the focus leaves the edit,
    // on text set by a load or a read, and (HoldRefreshTimes) before an
    // upload or a save reads the four edits, so that none of them ever sends
    // or saves less, nor an empty edit.
    void CAN_ExportRefressTimeChange(QLineEdit *edit);
    void CAN_ExportRefressTimeExit(QLineEdit *edit);
    void HoldRefreshTimes();
    void EditCAN_EXPORT_1_RowCounterChange();

    // settings file and the File menu's repeats of the page commands
    void OpenClick();
    void SaveClick();
    void Read2Click();
    void Upload1Click();
    void DefaultClick();
    void Connection1Click();
    // The settings file dialogs: the chosen file, empty when cancelled;
    // `start` is the file or folder to start from. Tests replace them.
    std::function<QString(const QString &start)> ChooseSettingsFileToOpen;
    std::function<QString(const QString &start)> ChooseSettingsFileToSave;

    // menus
    void ShowProductionMenu();
    std::uint32_t GetPowerUpSeconds() const { return PowerUpSeconds; }
    void Close1Click();
    // service tools (each opens its window modally; see ToolLaunchers)
    void PingTest1Click();
    void Systemsetup1Click();
    void Calibration1Click();
    void Runtimeerror1Click();
    void EepromClick();
    void Firmware1Click();
    void FIAClick();
    void About1Click();

    devlink::UsbThread *usb() const { return Usb.get(); }
    const QString &iniPath() const { return iniPath_; }
    // A stored place waits to be judged with the frame the window manager gives.
    bool PlacePending() const { return placePending_; }
    // Milliseconds the main thread pauses to let the unit catch up; tests set 0.
    std::uint32_t PauseMs = 10;
    // The main thread's longer waits (the CAN monitor's stop before a read);
    // tests replace it.
    std::function<void(std::uint32_t ms)> Wait;

    // state fields
    std::uint32_t PowerUpSeconds = 0;
    QString ConfigPath;
    QString ConfigFileName;
    std::int32_t MissedVersionReplies = 0;
    std::uint8_t VersionReplySeen = 0;
    std::uint8_t FirmwareWindowOpen = 0;
    std::uint8_t TransferBusy = 0;
    std::uint8_t RefreshPending = 0;
    std::uint8_t LinkLost = 0;
    std::uint8_t SettingsModified = 0;
    std::uint8_t FileLoaded = 0;
    std::uint8_t ReadFromDevice = 0;
    std::FILE *CanLogFile = nullptr;
    std::uint8_t LinkUp = 0;
    std::uint8_t MasterAccess = 0;
    std::uint8_t PasswordInfoReceived = 0;
    std::uint8_t ReadOnlyAccess = 0;
    std::uint8_t ReadWriteAccess = 0;
    QString LoginPassword;
    QString ReadOnlyPassword;
    QString ReadWritePassword;
    std::uint8_t AutoReadPending = 0;
    devlink::RxFrameDecoder RxDecoder;
    QString VersionText;
    // Told each new VersionText at once (the About box shows it).
    std::function<void(const QString &)> OnVersionText;
    // Takes the bootloader's bytes while the firmware window is open.
    std::function<void(std::uint8_t)> OnBootByte;
    std::uint8_t MaxTemperature = 0;
    std::int32_t MaxCurrent = 0;
    std::uint8_t WatchdogCount = 0;
    std::array<QComboBox *, 132> CanExportBitCombos{};

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // UsbThreadClient
    void RxFrameByte(std::uint8_t byte) override;
    void RxBootByte(std::uint8_t byte) override;
    void TraceLine(const std::string &text, std::uint32_t colour) override;
    bool Tracing() const override;

    void Trace(const QString &text, std::uint32_t colour);
    void RouteEvent(const std::uint8_t *frame, std::size_t count);
    void HandleVersion(const std::uint8_t *frame, std::size_t count);
    void HandleStatistics(const std::uint8_t *frame);
    void SetPanel(int index, const QString &text);
    void InstallKeyPreview();
    void SetEnabledByName(const char *name, bool enabled);
    void DrawLinkLamps();

    // The start every transfer shares: access, connection, the CAN monitor
    // stopped, then the version check (the question, for a factory reset);
    // false, with the user told why where there is a reason, when it must not run.
    enum class TransferKind { Read, Upload, FactoryReset };
    bool StartTransfer(TransferKind kind);

    // read of all settings
    void HandleReadEvent(const std::uint8_t *frame, std::size_t count);
    void AskReadBlock(ReadPart part, int block);
    // The part's chain came past `after`: the next block it lacks, else the next part.
    void ReadPartDone(ReadPart part, int after);
    void ReadNumberedBlock(ReadPart part, int item, bool stored);
    static QString
    MissingBlocksText(const std::vector<std::pair<ReadPart, std::vector<int>>> &missing);
    void SendTransferFrame(const devlink::DeviceFrame &frame);
    void SendTransferRequest(std::uint8_t command, std::initializer_list<std::uint8_t> data = {});
    void RequestTransferItem(int item);
    void EndRead();
    void SwitchCanMonitorOff();

    // upload and factory reset
    void UploadStep();
    // Sends the block, or ends the upload as not done when it could not be
    // built; `item` is the number its acknowledgement must carry, -1 for none.
    void SendUploadBlock(const WriteBlock &block, int item);
    void EndUpload();
    // Ends the upload as not completed, `why` told to the user once it has closed.
    void StopUpload(const QString &why);
    void HandleUploadAck(const std::uint8_t *frame, std::size_t count);
    void HandleFactoryResetAck();

    // settings file commands
    void WireSettingsFileCommands();

    // configuration-page editors
    void WireInputOutputEditors();
    void WireCanEditors();
    void WireFlashEditors();
    // The selected record of a list box, or null when none is selected.
    CanInputRecord *SelectedCanInput();
    VirtualInputRecord *SelectedVirtualInput();
    FlashRecord *SelectedFlash();
    void StoreBytePositions(bool on, int x);

    // diagnostic page and CAN monitor
    void WireDiagnosticPage();
    void WireCanMonitor();
    void HandleDiagnosticRead(const std::uint8_t *frame, std::size_t count);
    void HandleLowPowerDiagnosticRead(const std::uint8_t *frame, std::size_t count);
    void HandleDiagnosticClear();
    void HandleCanMonitorInd(const std::uint8_t *frame, std::size_t count);
    void WriteCanLogLine(const QString &line);

    QString iniPath_;
    d2xx::Driver &driver_;
    vcl::MainThreadCall mainCall_;
    std::unique_ptr<devlink::UsbThread> Usb;
    std::array<LinkLamp *, 3> linkLamps_{};
    // The live view's value labels keep the sizes the page first gave them.
    bool LiveViewLaidOut = false;
    std::map<std::string, std::vector<QPointer<QWidget>>> accessButtons_;
    bool closed_ = false;
    std::int64_t queueFullShownAt_ = 0; // when panel 2 last told of a full queue
    // Where the frame's corner of the normal window is, for a window closed
    // maximised or minimised: the place FormCreate gave it until the normal
    // window moves, then its normal place with the frame it had there.
    QPoint restoredCorner_;
    // The place the INI file gave, judged again once the window is framed.
    QPoint storedCorner_;
    bool placePending_ = false;
    // Where a window whose frame is `frame` goes for a stored place (WindowPlace.h).
    QPoint PlaceStoredCorner(const QRect &frame, int titleBar) const;
    bool movedNormal_ = false;
    QPoint normalFrameOffset_;
    // Sends CHANNEL_SWITCH_REQ (`how` 0xF0 on, 0x0F off) when manual mode
    // and the link allow, numbered in the transmit queue when `number` is
    // given; refused as not open when they do not allow it.
    devlink::TxOutcome SendChannelSwitch(std::uint8_t channel, std::uint8_t how,
                                         std::uint64_t *number = nullptr);
    int keypadChannel_ = 0; // the outputs of the running run already queued
    // The number of the keypad's last frame in the transmit queue, 0 when
    // none counts any more, and when it was seen written (-1: not yet).
    std::uint64_t keypadLastFrame_ = 0;
    std::int64_t keypadWrittenAt_ = -1;
    // The last frame of a run whose count waits for that frame to be written.
    std::uint64_t keypadCountFrame_ = 0;
    // Counts the run of keypadCountFrame_ once it was written, or forgets it
    // once it was dropped.
    void ResolveKeypadCount();

    // What the keypad still has to send, in the order of the presses and
    // clicks, the running step first: a run of all outputs (`channel` 0),
    // or a click on one output with its switching byte.
    struct KeypadStep
    {
        std::uint8_t channel = 0;
        std::uint8_t how = 0;
    };
    std::deque<KeypadStep> keypadSteps_;
    // Sends the clicks that waited behind a stopped run, or tells the user
    // which outputs were not switched.
    void SendWaitingClicks(const std::vector<KeypadStep> &clicks, KeypadStop why);
    // Whether keypad steps wait or go.
    bool KeypadBusy() const;
    // Appends `step` and starts the keypad timer when it does not run.
    void QueueKeypadStep(KeypadStep step);
    bool keypadKeyHeld_ = false;         // the keypad "/" is down since its last press
    std::uint64_t keypadReleasedAt_ = 0; // the platform's time of its last release
    // Whether a press of the keypad "/" is the key held down, repeated.
    bool KeypadKeyRepeated(const QKeyEvent *press) const;
    // The event that answers the transfer's last request; 0 when no transfer
    // waits. Settings events are acted on only when they are that answer.
    std::uint8_t awaitedReply_ = 0;
    bool readComplete_ = false;   // the running read reached its last block
    int awaitedItem_ = -1;        // the record number the awaited answer must carry
    bool uploadComplete_ = false; // the running upload reached its last block
    QString uploadError_;         // why the running upload stopped, when it did

    ReadProgress readProgress_;            // the blocks the running read has stored
    ReadPart readPart_ = ReadPart::Inputs; // the part and block last asked for
    int readBlock_ = 0;
    QTimer *readAnswerTimer_ = nullptr; // made with the first read
    bool readRunning_ = false;
    bool readIncomplete_ = false; // the read ended with blocks that never came
    // The CAN monitor choice last sent to the unit: the selector goes back to
    // it when a new choice could not be sent.
    int canMonitorChoice_ = 0;
    // Tells the unit `choice` (0 = off) and keeps it as canMonitorChoice_;
    // false when the frame was not queued.
    bool SendCanMonitorChoice(int choice);
};

extern TMainForm *MainForm;
// The main window's SendFrame for the service windows; refused as not open
// without a main window.
devlink::TxOutcome SendToMainForm(const std::uint8_t *frame, std::uint8_t count);
// Why a frame was not sent, as the windows tell it: "transmit queue full",
// "unit not connected"; RefusalClause for a sentence: "the transmit queue
// is full", "the unit is not connected".
QString RefusalText(devlink::TxOutcome outcome);
QString RefusalClause(devlink::TxOutcome outcome);
