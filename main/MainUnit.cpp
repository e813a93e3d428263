#include "main/MainUnit.h"

#include "link/DeviceCommands.h"
#include "link/UsbSelectUnit.h"
#include "main/LinkLamp.h"
#include "main/Login.h"
#include "main/LogUnit.h"
#include "config/ConfigStartup.h"
#include "config/Settingsunit.h"
#include "config/Transfer.h"
#include "main/ToolWindows.h"
#include "main/WindowPlace.h"
#include "platform/d2xx/d2xx.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/IniFile.h"
#include "widgets/zAnimate.h"

#include <QAbstractButton>
#include <QAction>
#include <QRadioButton>
#include <QLineEdit>
#include <QListWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>

#include <chrono>

using namespace devlink;

std::uint8_t Connected = 0;
std::uint8_t StatusPollIndex = 0;
std::int32_t LinkLedIndex = 0;
std::int32_t ActivePageIndex = 0;
std::uint8_t ManualMode = 0;
std::uint8_t KeypadSwitchAllOn = 0;
TMainForm *MainForm = nullptr;

TxOutcome SendToMainForm(const std::uint8_t *frame, std::uint8_t count)
{
    return MainForm ? MainForm->SendFrame(frame, count) : TxOutcome{TxRefusal::LinkNotOpen};
}

QString RefusalText(TxOutcome outcome)
{
    switch (outcome.refusal) {
    case TxRefusal::None:
        return {};
    case TxRefusal::QueueFull:
        return QStringLiteral("transmit queue full");
    case TxRefusal::LinkNotOpen:
        return QStringLiteral("unit not connected");
    case TxRefusal::TooLong:
        break;
    }
    return QStringLiteral("frame too long");
}

QString RefusalClause(TxOutcome outcome)
{
    switch (outcome.refusal) {
    case TxRefusal::QueueFull:
        return QStringLiteral("the transmit queue is full");
    case TxRefusal::LinkNotOpen:
        return QStringLiteral("the unit is not connected");
    default:
        return RefusalText(outcome);
    }
}
ToolWindowSet ToolWindows;
ToolLauncherSet ToolLaunchers;

namespace {

constexpr std::size_t VersionTextAt = 4;
constexpr std::size_t VersionTextMax = 20;

QString Latin1(const std::uint8_t *bytes, std::size_t maxLen)
{
    std::size_t n = 0;
    while (n < maxLen && bytes[n] != 0)
        ++n;
    return QString::fromLatin1(reinterpret_cast<const char *>(bytes), static_cast<qsizetype>(n));
}

} // namespace

TMainForm::TMainForm(const QStringList &arguments, const QString &iniPath, d2xx::Driver &driver,
                     QWidget *parent)
    : QMainWindow(parent), iniPath_(iniPath), driver_(driver), mainCall_(this)
{
    // A new main window is a new run of the tool.
    Connected = 0;
    StatusPollIndex = 0;
    LinkLedIndex = 0;
    ActivePageIndex = 0;
    ManualMode = 0;
    KeypadSwitchAllOn = 0;
    ToolWindows = ToolWindowSet{};
    TransferState = tsIdle;
    TransferItem = 0;
    MainForm = this;
    Wait = [](std::uint32_t ms) { QThread::msleep(ms); };
    SteadyClockMs = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };

    setupUi(this);
    ConfigPages = &Config;
    ConfigConstructorDefaults(Config);
    RxDecoder.setSink(
        [this](const std::uint8_t *frame, std::size_t count) { ProcessFrame(frame, count); });

    // The link lamps stand at the right end of the page tabs.
    auto *lamps = new QWidget(TabbedNotebook1);
    lamps->setObjectName("ImageList_LED");
    auto *lampRow = new QHBoxLayout(lamps);
    lampRow->setContentsMargins(4, 2, 4, 2);
    lampRow->setSpacing(3);
    for (std::size_t i = 0; i < linkLamps_.size(); ++i) {
        auto *lamp = new LinkLamp(lamps);
        lamp->setObjectName(QStringLiteral("LinkLamp%1").arg(i));
        lampRow->addWidget(lamp);
        linkLamps_[i] = lamp;
    }
    TabbedNotebook1->setCornerWidget(lamps, Qt::TopRightCorner);
    DrawLinkLamps();

    // Keep the window inside the screen.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize avail = screen->size();
        QSize size = this->size();
        if (size.height() > avail.height() - 80)
            size.setHeight(avail.height() - 80);
        if (size.width() > avail.width() - 80)
            size.setWidth(avail.width() - 80);
        resize(size);
    }

    MasterAccess = 0;
    for (const QString &arg : arguments)
        if (arg == QLatin1String(MasterKeyword))
            MasterAccess = 1;
    SetPanel(1, MasterAccess ? "Master" : "");

    ReadWriteAccess = ReadOnlyAccess = LinkUp = 0;
    UpdateAccessLevel();

    connect(TimerVersion, &QTimer::timeout, this, &TMainForm::TimerVersionTimer);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(TimerSerial, &QTimer::timeout, this, &TMainForm::TimerSerialTimer);
    KeypadTimer = new QTimer(this);
    KeypadTimer->setObjectName("KeypadTimer");
    KeypadTimer->setSingleShot(true);
    KeypadTimer->setTimerType(Qt::PreciseTimer);
    KeypadTimer->setInterval(KeypadPaceMs);
    connect(KeypadTimer, &QTimer::timeout, this, &TMainForm::KeypadTimerTimer);
    connect(TabbedNotebook1, &QTabWidget::currentChanged, this, &TMainForm::TabbedNotebook1Change);
    connect(USB1, &QAction::triggered, this, &TMainForm::USB1Click);
    connect(LoginBtn, &QAction::triggered, this, &TMainForm::LoginBtnClick);
    connect(SetPasswordBtn, &QAction::triggered, this, &TMainForm::SetPasswordBtnClick);
    connect(Close1, &QAction::triggered, this, &TMainForm::Close1Click);
    connect(PingTest1, &QAction::triggered, this, &TMainForm::PingTest1Click);
    connect(Systemsetup1, &QAction::triggered, this, &TMainForm::Systemsetup1Click);
    connect(Calibration1, &QAction::triggered, this, &TMainForm::Calibration1Click);
    connect(Runtimeerror1, &QAction::triggered, this, &TMainForm::Runtimeerror1Click);
    connect(Eeprom, &QAction::triggered, this, &TMainForm::EepromClick);
    connect(Firmware1, &QAction::triggered, this, &TMainForm::Firmware1Click);
    connect(FIA, &QAction::triggered, this, &TMainForm::FIAClick);
    connect(About1, &QAction::triggered, this, &TMainForm::About1Click);
    connect(Read2, &QAction::triggered, this, &TMainForm::BtnLoadClick);
    for (QPushButton *read : {Config.BtnLoad, Config.BtnCanRead, Config.Button3, Config.Button5})
        connect(read, &QPushButton::clicked, this, &TMainForm::BtnLoadClick);
    connect(Upload1, &QAction::triggered, this, &TMainForm::BtnSaveClick);
    for (QPushButton *upload :
         {Config.BtnSave, Config.BtnCanUpload, Config.Button2, Config.Button6})
        connect(upload, &QPushButton::clicked, this, &TMainForm::BtnSaveClick);
    connect(Default, &QAction::triggered, this, &TMainForm::BtnDefaultValueClick);
    for (QPushButton *reset :
         {Config.BtnDefault, Config.BtnDefaultValue, Config.BtnCanInputDefault, Config.Button4})
        connect(reset, &QPushButton::clicked, this, &TMainForm::BtnDefaultValueClick);
    for (int ch = 1; ch <= TGeneralPageUi::Channels; ++ch) {
        TzColorBtn *button = General.ChannelButtons[static_cast<std::size_t>(ch)];
        connect(button, &TzColorBtn::OnClick, this, [this, button] { ChannelButtonClick(button); });
    }
    connect(General.RadioButtonAuto, &QAbstractButton::clicked, this,
            &TMainForm::RadioButtonAutoClick);
    connect(General.RadioButtonManuel, &QAbstractButton::clicked, this,
            &TMainForm::RadioButtonManuelClick);
    WireDiagnosticPage();
    WireCanMonitor();
    WireSettingsFileCommands();
    WireInputOutputEditors();
    WireCanEditors();
    WireFlashEditors();

    ClearLiveView();
    FormCreate();
    // After FormCreate: a place set before the native window exists is taken
    // by the window manager as the frame's corner, as Top and Left are stored;
    // set afterwards it would place the window's inside there instead.
    InstallKeyPreview();
}

TMainForm::~TMainForm()
{
    mainCall_.Shutdown();
    if (Usb)
        Usb->Terminate();
    if (devlink::Usb == Usb.get())
        devlink::Usb = nullptr;
    if (CanLogFile)
        std::fclose(CanLogFile);
    if (MainForm == this)
        MainForm = nullptr;
    if (ConfigPages == &Config)
        ConfigPages = nullptr;
}

QString TMainForm::DefaultIniPath()
{
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return exe.absolutePath() + "/" + exe.completeBaseName() + ".INI";
}

void TMainForm::FormCreate()
{
    vcl::TIniFile ini(iniPath_);
    resize(ini.ReadInteger("Form", "Width", width()), height());
    QPoint corner(ini.ReadInteger("Form", "Left", x()), ini.ReadInteger("Form", "Top", y()));
    if (ini.ValueExists("Form", "Left") || ini.ValueExists("Form", "Top")) {
        // A place kept from another screen, or one whose title bar the user
        // cannot grab, comes onto this screen. The frame is not known before
        // the window manager has put it round the window: a title bar of the
        // style's height stands in for it until then (see moveEvent).
        storedCorner_ = corner;
        placePending_ = true;
        const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
        corner = PlaceStoredCorner(QRect(corner, size() + QSize(0, titleBar)), titleBar);
    }
    move(corner);
    restoredCorner_ = corner;
    if (ini.ReadBool("Form", "InitMax", false))
        setWindowState(windowState() | Qt::WindowMaximized);
    ConfigPath = ini.ReadString("CONFIG", "PATH", QDir::currentPath());
    LoginPassword = ini.ReadString("PASSWORD", "LOGIN", "");
    ReadOnlyPassword = ini.ReadString("PASSWORD", "SETREADONLY", "8061");
    ReadWritePassword = ini.ReadString("PASSWORD", "SETREADWRITE", "KTVW");

    MaxTemperature = 0;
    MaxCurrent = 0;
    WatchdogCount = 0;
    ShowProductionMenu();
    setWindowTitle("QM5230 Tessaron");
    ConfigFormCreate(Config, CanExportBitCombos);
    LinkLost = SettingsModified = FileLoaded = ReadFromDevice = 0;
}

void TMainForm::AllFormsCreated()
{
    SettingsStartupHook();
    RefreshPending = 0;
    ConfigAllFormsCreated(Config);
    Usb = std::make_unique<UsbThread>(
        driver_, *this, [this](std::function<void()> fn) { return mainCall_.Run(std::move(fn)); });
    devlink::Usb = Usb.get();
    // The status poll runs from the start: the General page is the one shown.
    Timer1->start();
    TimerVersion->start();
}

void TMainForm::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    {
        vcl::TIniFile ini(iniPath_);
        // Top and Left are the frame's corner, as move() takes them back at start.
        const Qt::WindowStates state = windowState();
        const bool normal = !(state & (Qt::WindowMaximized | Qt::WindowMinimized));
        const QRect client = normal ? geometry() : normalGeometry();
        // A window that never moved while normal has not been placed by
        // anyone since the start (its normal geometry may predate its frame).
        const QPoint corner = normal         ? pos()
                              : movedNormal_ ? client.topLeft() + normalFrameOffset_
                                             : restoredCorner_;
        ini.WriteInteger("Form", "Top", corner.y());
        ini.WriteInteger("Form", "Left", corner.x());
        ini.WriteInteger("Form", "Width", client.width());
        ini.WriteBool("Form", "InitMax", state == Qt::WindowMaximized);
        ini.WriteString("CONFIG", "PATH", ConfigPath);
        ini.WriteString("PASSWORD", "LOGIN", LoginPassword);
        ini.WriteString("PASSWORD", "SETREADONLY", ReadOnlyPassword);
        ini.WriteString("PASSWORD", "SETREADWRITE", ReadWritePassword);
        ini.UpdateFile();
    }
    Timer1->stop();
    TimerVersion->stop();
    TimerSerial->stop();
    KeypadTimer->stop();
    CloseCanLog();
    // The worker must be joined before the application object goes away.
    mainCall_.Shutdown();
    if (Usb)
        Usb->Terminate();
}

QPoint TMainForm::PlaceStoredCorner(const QRect &frame, int titleBar) const
{
    const QScreen *screen = QGuiApplication::screenAt(frame.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? PlaceOnScreen(frame, titleBar, screen->availableGeometry()) : frame.topLeft();
}

void TMainForm::moveEvent(QMoveEvent *event)
{
    // The window manager has framed the window: the stored place is judged
    // again with the frame it really has, title bar and borders counted.
    if (placePending_ && isVisible() && windowHandle() &&
        windowHandle()->frameMargins().top() > 0) {
        placePending_ = false;
        if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
            const QPoint corner = PlaceStoredCorner(QRect(storedCorner_, frameGeometry().size()),
                                                    windowHandle()->frameMargins().top());
            restoredCorner_ = corner;
            if (corner != pos())
                move(corner);
        }
    }
    QMainWindow::moveEvent(event);
    if (isVisible() && !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized |
                                          Qt::WindowFullScreen))) {
        movedNormal_ = true;
        normalFrameOffset_ = pos() - geometry().topLeft();
    }
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    FormClose();
    QMainWindow::closeEvent(event);
    if (LogForm)
        LogForm->close();
    event->accept();
}

void TMainForm::Close1Click()
{
    close();
}

void TMainForm::ShowProductionMenu()
{
    Production1->menuAction()->setVisible(true);
}

// ---- frames ----------------------------------------------------------------

TxOutcome TMainForm::SendFrame(const std::uint8_t *frame, std::uint8_t count, std::uint64_t *number)
{
    if (number)
        *number = 0;
    const std::vector<std::uint8_t> stuffed = SlipEncode(frame, count);
    const TxOutcome outcome =
        Usb ? Usb->Send(stuffed.data(), static_cast<std::uint32_t>(stuffed.size()), number)
            : TxOutcome{TxRefusal::LinkNotOpen};
    if (!outcome) {
        // The worker traced the frame in red; the user sees why here.
        QString why = RefusalText(outcome);
        why[0] = why[0].toUpper();
        SetPanel(2, why + ": frame not sent");
        queueFullShownAt_ = SteadyClockMs();
        return outcome;
    }
    // Long enough to be read; the next poll comes 150 ms later.
    if (!StatusPanels[2]->text().isEmpty() &&
        SteadyClockMs() - queueFullShownAt_ >= QueueFullShownMs)
        SetPanel(2, QString());
    return outcome;
}

TxOutcome TMainForm::SendRequest(std::uint8_t node, std::uint8_t command,
                                 std::initializer_list<std::uint8_t> data, std::uint64_t *number)
{
    DeviceFrame f(node, command, static_cast<std::uint8_t>(4 + data.size()));
    std::size_t at = FrameDataAt;
    for (std::uint8_t b : data)
        f.set(at++, b);
    f.finish();
    return SendFrame(f.data(), f.length(), number);
}

void TMainForm::RxFrameByte(std::uint8_t byte)
{
    RxDecoder.PutByte(byte);
}

void TMainForm::RxBootByte(std::uint8_t byte)
{
    // The firmware window takes these bytes while it is open; without it they are dropped.
    if (OnBootByte)
        OnBootByte(byte);
}

void TMainForm::TraceLine(const std::string &text, std::uint32_t colour)
{
    Trace(QString::fromLatin1(text.c_str()), colour);
}

bool TMainForm::Tracing() const
{
    return LogForm && TraceEnabled;
}

void TMainForm::Trace(const QString &text, std::uint32_t colour)
{
    if (LogForm)
        LogForm->AddLine(text, colour);
}

void TMainForm::ProcessFrame(const std::uint8_t *frame, std::size_t count)
{
    const bool valid = IsValidFrame(frame, count);
    const std::uint8_t node = frame[FrameNodeAt];
    const std::uint8_t command = frame[FrameCommandAt];

    if (!MasterAccess && !PasswordInfoReceived) {
        if (valid && node == NodeApplication && command == PASSWORD_READ_CFM) {
            const std::string login = LoginPassword.toLatin1().toStdString();
            PasswordInfoReceived = 1;
            ReadOnlyAccess = PasswordGrants(frame, count, ReadOnlyPasswordAt, login);
            ReadWriteAccess = PasswordGrants(frame, count, ReadWritePasswordAt, login);
        }
        UpdateAccessLevel();
        if (!PasswordInfoReceived) {
            SendRequest(NodeApplication, PASSWORD_READ_REQ);
            return;
        }
    }

    if (ToolWindows.Ping.open())
        ToolWindows.Ping.handler->HandleFrame(frame, count);

    if (!ReadOnlyAccess && !ReadWriteAccess && !MasterAccess)
        return;

    if (AutoReadPending) {
        AutoReadPending = 0;
        TimerSerial->start();
    }

    for (ToolWindowSlot *slot :
         {&ToolWindows.SystemSetup, &ToolWindows.Calibration, &ToolWindows.RunTimeError,
          &ToolWindows.FIA, &ToolWindows.EEPROM, &ToolWindows.Version})
        if (slot->open())
            slot->handler->HandleFrame(frame, count);

    if (!valid) {
        // The frame's own Length bytes, never more than were received.
        const std::size_t shown = std::min<std::size_t>(frame[FrameLengthAt], count);
        Trace("Checksum error " + QString::fromLatin1(TraceBytes(frame, shown).c_str()), TraceBlue);
        return;
    }

    if (node == NodeSystem && command == SERIAL_ERROR_IND) {
        Trace("Serial Error: Resend last tx frame", TraceRed);
        if (Usb)
            Usb->ResendLast();
    }
    if (node != NodeApplication)
        return;
    RouteEvent(frame, count);
}

void TMainForm::RouteEvent(const std::uint8_t *frame, std::size_t count)
{
    switch (frame[FrameCommandAt]) {
    case VERSION_CFM:
        HandleVersion(frame, count);
        break;
    case STATISTICS_CFM:
        HandleStatistics(frame);
        break;
    case BOX_STATUS_CFM:
        HandleBoxStatus(frame);
        break;
    case INPUT_STATUS_CFM:
        HandleInputStatus(frame);
        break;
    case CHANNEL_STATUS_CFM:
        HandleChannelStatus(frame);
        break;
    case DIAGNOSTIC_READ_CFM:
        HandleDiagnosticRead(frame, count);
        break;
    case LP_DIAGNOSTIC_READ_CFM:
        HandleLowPowerDiagnosticRead(frame, count);
        break;
    case DIAGNOSTIC_CLEAR_CFM:
        HandleDiagnosticClear();
        break;
    case CAN_MONITOR_IND:
        HandleCanMonitorInd(frame, count);
        break;
    case INPUT_CONFIG_READ_CFM:
    case OUTPUT_CONFIG_READ_CFM:
    case LOW_BATTERY_READ_CFM:
    case CAN_SETUP_READ_CFM:
    case CAN_INPUT_READ_CFM:
    case CAN_INPUT_ENABLE_READ_CFM:
    case BOX_NAME_READ_CFM:
    case VIRTUAL_INPUT_READ_CFM:
    case START_KILL_READ_CFM:
    case FLASH_READ_CFM:
    case WIPER_READ_CFM:
    case SEQUENCE_READ_CFM:
    case PWM_CONFIG_READ_CFM:
    case CAN_EXPORT1_READ_CFM:
    case CAN_EXPORT_READ_CFM:
        HandleReadEvent(frame, count);
        break;
    case INPUT_CONFIG_WRITE_CFM:
    case OUTPUT_CONFIG_WRITE_CFM:
    case LOW_BATTERY_WRITE_CFM:
    case CAN_SETUP_WRITE_CFM:
    case START_KILL_WRITE_CFM:
    case CAN_INPUT_WRITE_CFM:
    case CAN_INPUT_ENABLE_WRITE_CFM:
    case BOX_NAME_WRITE_CFM:
    case VIRTUAL_INPUT_WRITE_CFM:
    case FLASH_WRITE_CFM:
    case WIPER_WRITE_CFM:
    case SEQUENCE_WRITE_CFM:
    case PWM_CONFIG_WRITE_CFM:
    case CAN_EXPORT1_WRITE_CFM:
    case CAN_EXPORT_WRITE_CFM:
        HandleUploadAck(frame, count);
        break;
    case FACTORY_RESET_CFM:
        HandleFactoryResetAck();
        break;
    case PASSWORD_WRITE_CFM:
    case PASSWORD_READ_CFM:
        if (ToolWindows.SetPassword.open() && ToolWindows.SetPassword.window &&
            ToolWindows.SetPassword.window->isVisible())
            ToolWindows.SetPassword.handler->HandleFrame(frame, count);
        break;
    default:
        break;
    }
}

void TMainForm::HandleVersion(const std::uint8_t *frame, std::size_t count)
{
    VersionReplySeen = 1;
    // Bytes 4 to 23 up to the NUL, as far as they arrived.
    VersionText = Latin1(frame + VersionTextAt,
                         count > VersionTextAt ? std::min(VersionTextMax, count - VersionTextAt) : 0);
    if (OnVersionText)
        OnVersionText(VersionText);
    PowerUpSeconds = static_cast<std::uint32_t>(frame[17]) << 16 |
                     static_cast<std::uint32_t>(frame[18]) << 8 | frame[19];
}

void TMainForm::HandleStatistics(const std::uint8_t *frame)
{
    MaxCurrent = frame[4] | frame[5] << 8;
    MaxTemperature = frame[6];
    WatchdogCount = frame[7];
}

// ---- connection ------------------------------------------------------------

void TMainForm::USB1Click()
{
    if (devlink::USB_SelectForm)
        devlink::USB_SelectForm->exec();
}

void TMainForm::Connect(const QString &description)
{
    // A keypad run's frames go to the device it started on, or to none.
    StopKeypadRun(KeypadStop::LinkChanged);
    if (!Usb || Usb->Open(description.toLatin1().toStdString()) != 1) {
        SetPanel(0, "NOT CONNECTED");
        return;
    }
    RxDecoder.Reset();
    Connected = 1;
    AutoReadPending = 1;
    SetPanel(0, "USB CONNECTED");
    ReadWriteAccess = ReadOnlyAccess = PasswordInfoReceived = 0;
    LinkUp = 1;
    UpdateAccessLevel();
}

void TMainForm::DeviceRemoved()
{
    StopKeypadRun(KeypadStop::LinkChanged);
    if (Connected == 1) {
        ReadWriteAccess = ReadOnlyAccess = PasswordInfoReceived = LinkUp = 0;
        UpdateAccessLevel();
        SetPanel(0, "USB DISCONNECTED");
        SetPanel(1, "");
    }
    ClearLiveView();
    VersionText.clear();
}

void TMainForm::DeviceClosed()
{
    StopKeypadRun(KeypadStop::LinkChanged);
    // Closed by the selection window: no device is connected until the user picks one.
    if (Connected == 1)
        SetPanel(0, "USB DISCONNECTED");
}

void TMainForm::DeviceArrived()
{
    StopKeypadRun(KeypadStop::LinkChanged);
    RxDecoder.Reset();
    AutoReadPending = 1;
    LinkUp = 1;
    ReadWriteAccess = ReadOnlyAccess = PasswordInfoReceived = 0;
    UpdateAccessLevel();
    SetPanel(0, "USB CONNECTED");
}

void TMainForm::SetPanel(int index, const QString &text)
{
    StatusPanels[static_cast<std::size_t>(index)]->setText(text);
}

// ---- access ----------------------------------------------------------------

AccessLevel TMainForm::CurrentAccessLevel() const
{
    return ComputeAccessLevel(
        {MasterAccess != 0, PasswordInfoReceived != 0, ReadOnlyAccess != 0, ReadWriteAccess != 0});
}

void TMainForm::SetEnabledByName(const char *name, bool enabled)
{
    // Every frame before the password answer updates the level: look the
    // buttons up once, not through thousands of controls each time.
    auto found = accessButtons_.find(name);
    if (found == accessButtons_.end()) {
        QList<QWidget *> widgets = findChildren<QWidget *>(QLatin1String(name));
        found = accessButtons_
                    .emplace(name, std::vector<QPointer<QWidget>>(widgets.begin(), widgets.end()))
                    .first;
    }
    for (const QPointer<QWidget> &w : found->second)
        if (w)
            w->setEnabled(enabled);
}

void TMainForm::UpdateAccessLevel()
{
    const AccessLevel level = CurrentAccessLevel();
    SetPasswordBtn->setVisible(false);
    if (level == AccessLevel::AccessMaster) {
        SetPasswordBtn->setVisible(true);
        SetPasswordBtn->setEnabled(LinkUp != 0);
    }
    SetPanel(1, AccessLevelText(level));
    if (level == AccessLevel::AccessDenied)
        vcl::PostMessageBox("Wrong password.\n\nUnable to read or write data!", "Error",
                            vcl::MsgType::Error, vcl::MsgButton::Ok);

    const bool read = CanRead(level), write = CanWrite(level);
    Read2->setEnabled(read);
    // Button2, Button3 and Button4 are the same three commands on the virtual input page.
    for (const char *name : {"BtnLoad", "BtnCanRead", "Button5", "Button3"})
        SetEnabledByName(name, read);
    Upload1->setEnabled(write);
    Default->setEnabled(write);
    Firmware1->setEnabled(write);
    for (const char *name : {"BtnSave", "BtnCanUpload", "Button6", "BtnDefaultValue",
                             "BtnCanInputDefault", "BtnDefault", "Button2", "Button4"})
        SetEnabledByName(name, write);
}

void TMainForm::LoginBtnClick()
{
    if (!LoginForm)
        return;
    LoginForm->exec();
    if (LoginForm->Confirmed)
        LoginPassword = LoginForm->PasswordEdit->text().trimmed();
}

void TMainForm::SetPasswordBtnClick()
{
    if (!SetPasswordForm)
        return;
    SetPasswordForm->ReadOnlyPassEdit->setText(ReadOnlyPassword);
    SetPasswordForm->ReadWritePassEdit->setText(ReadWritePassword);
    SetPasswordForm->exec();
    ReadOnlyPassword = SetPasswordForm->ReadOnlyPassEdit->text().trimmed();
    ReadWritePassword = SetPasswordForm->ReadWritePassEdit->text().trimmed();
}

// ---- supervision -----------------------------------------------------------

bool TMainForm::MaySend() const
{
    return Connected == 1 && !FirmwareWindowOpen && !TransferBusy;
}

bool TMainForm::DeviceOpen() const
{
    return Usb && Usb->linkState() == devlink::LinkOpen;
}

void TMainForm::DrawLinkLamps()
{
    for (std::size_t i = 0; i < linkLamps_.size(); ++i)
        linkLamps_[i]->setLit(static_cast<std::int32_t>(i) == LinkLedIndex);
}

void TMainForm::UpdateLinkIndicator()
{
    DrawLinkLamps();
    if (VersionReplySeen) {
        LinkLedIndex = LinkLedIndex >= 2 ? 0 : LinkLedIndex + 1;
        if (LinkLost && MaySend()) {
            LinkLost = 0;
            if (General.RadioButtonManuel->isChecked())
                RadioButtonManuelClick();
            else if (General.RadioButtonAuto->isChecked())
                RadioButtonAutoClick();
        }
    } else if (!ToolWindows.Calibration.open() && MaySend() && MissedVersionReplies > 5) {
        LinkLost = 1;
        ClearLiveView();
    }

    if (ReadFromDevice) {
        const QString text = Config.EditBoxName ? Config.EditBoxName->text() : QString();
        setWindowTitle(QString("Tessaron Tool") + " - [ " + (text.isEmpty() ? "No Name" : text) +
                       " ]");
    } else if (FileLoaded) {
        setWindowTitle(QString("Tessaron Tool") + " - [ " + ConfigFileName + " ]");
    }
}

void TMainForm::TimerVersionTimer()
{
    if (ToolWindows.Calibration.open() && ToolWindows.Calibration.window &&
        ToolWindows.Calibration.window->isVisible())
        return;
    UpdateLinkIndicator();
    if (MaySend() && DeviceOpen()) {
        SendRequest(NodeApplication, VERSION_REQ);
        if (PauseMs)
            QThread::msleep(PauseMs);
        SendRequest(NodeApplication, STATISTICS_REQ);
    }
    if (!TransferBusy) {
        MissedVersionReplies = VersionReplySeen ? 0 : MissedVersionReplies + 1;
        VersionReplySeen = 0;
    }
    if (RefreshPending) {
        RefreshPending = 0;
        RefreshAllControls();
    }
}

void TMainForm::Timer1Timer()
{
    if (ToolWindows.Calibration.open() && ToolWindows.Calibration.window &&
        ToolWindows.Calibration.window->isVisible())
        return;
    if (!MaySend() || !DeviceOpen() || TabbedNotebook1->currentIndex() != PageGeneral)
        return;
    switch (StatusPollIndex) {
    case 0:
        SendRequest(NodeApplication, BOX_STATUS_REQ);
        StatusPollIndex = 1;
        break;
    case 1:
        SendRequest(NodeApplication, CHANNEL_STATUS_REQ, {0xFF});
        StatusPollIndex = 2;
        break;
    default:
        SendRequest(NodeApplication, INPUT_STATUS_REQ);
        StatusPollIndex = 0;
        break;
    }
}

void TMainForm::TimerSerialTimer()
{
    // A transfer or version check in progress: the automatic read waits for the next tick.
    if (TransferRunning())
        return;
    TimerSerial->stop();
    BtnLoadClick();
}

void TMainForm::PauseStatusPolling()
{
    Timer1->stop();
    if (PauseMs)
        QThread::msleep(PauseMs);
}

void TMainForm::ResumeStatusPolling()
{
    if (ActivePageIndex == 0)
        Timer1->start();
}

void TMainForm::TabbedNotebook1Change(int NewTab)
{
    ActivePageIndex = NewTab;
    switch (NewTab) {
    case PageGeneral:
        ResumeStatusPolling();
        break;
    case PageDiagnostic:
        if (MaySend())
            SendRequest(NodeApplication, DIAGNOSTIC_READ_REQ);
        PauseStatusPolling();
        break;
    case PageCanInputs:
        if (Config.ListBoxCAN_INPUT->currentRow() < 0 && Config.ListBoxCAN_INPUT->count() > 0)
            SelectRowQuietly(Config.ListBoxCAN_INPUT, 0);
        PauseStatusPolling();
        ResetCanMonitorChoice();
        break;
    default:
        PauseStatusPolling();
        break;
    }
}
