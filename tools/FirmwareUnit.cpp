#include "tools/FirmwareUnit.h"

#include "link/USB_Unit.h"
#include "main/MainUnit.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/IniFile.h"
#include "tools/BootBlock.h"
#include "tools/HexFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <exception>
#include <filesystem>
#include <memory>

std::uint8_t BootState = 0;
HEXFile *BootImage = nullptr;
std::int32_t BootStart = 0;
std::int32_t BootEnd = 0;
std::int32_t BootOffset = 0;
std::int32_t BootPageSize = 0;
TFirmware *Firmware = nullptr;

namespace {
const QString IniSection = QStringLiteral("FIRMWARE");
const QString IniKey = QStringLiteral("PATH");
} // namespace

TFirmware::TFirmware(QWidget *owner) : QDialog(owner)
{
    setupUi(this);
    Send = [this](const std::uint8_t *bytes, std::uint32_t count) {
        SentNumber = 0;
        return devlink::Usb && devlink::Usb->Send(bytes, count, &SentNumber);
    };
    SentWritten = [this] {
        return SentNumber != 0 && devlink::Usb && devlink::Usb->lastWrittenNumber() == SentNumber;
    };
    DropQueued = [] {
        if (devlink::Usb)
            devlink::Usb->ClearQueue();
    };
    ChooseFile = [this](const QString &start) {
        return QFileDialog::getOpenFileName(this, QString(), start,
                                            QStringLiteral("Hex files (*.hex *.HEX)"));
    };
    Pause = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
    BlockTimer = new QTimer(this);
    BlockTimer->setSingleShot(true);
    BlockTimer->setInterval(BlockTimeoutMs);
    connect(BlockTimer, &QTimer::timeout, this, &TFirmware::BlockTimerTimer);
    connect(BtnOpenFile, &QPushButton::clicked, this, &TFirmware::BtnOpenFileClick);
    connect(BtnProgram, &QPushButton::clicked, this, &TFirmware::BtnProgramClick);
    connect(BtnExit, &QPushButton::clicked, this, &TFirmware::BtnExitClick);
    FormCreate();
}

TFirmware::~TFirmware()
{
    FormDestroy();
    if (Firmware == this)
        Firmware = nullptr;
}

void TFirmware::FormCreate()
{
    MemoDebug->setVisible(true);
    BootState = S_IDLE;
    BootStart = 0;
    BootEnd = 0;
    BootOffset = 0;
    BootPageSize = 0;
    delete BootImage;
    BootImage = new HEXFile(ImageSize, 0xFF);
    if (MainForm)
        MainForm->OnBootByte = [this](std::uint8_t byte) { HandleBootByte(byte); };
    const bool open = devlink::Usb && devlink::Usb->SetRxMode(devlink::RxModeBootloader);
    if (!open)
        vcl::ShowMessageLater("! Not connected to target, please connect USB ", this);
    if (MainForm)
        Path = vcl::TIniFile(MainForm->iniPath()).ReadString(IniSection, IniKey, QString());
    FileEdit->setText(Path);
}

void TFirmware::FormDestroy()
{
    // Frames again whatever the download came to, or the main window hears nothing.
    if (devlink::Usb)
        devlink::Usb->SetRxMode(devlink::RxModeFrames);
    if (MainForm) {
        MainForm->OnBootByte = nullptr;
        vcl::TIniFile ini(MainForm->iniPath());
        ini.WriteString(IniSection, IniKey, Path);
    }
    BootState = S_IDLE;
    BlockTimer->stop();
    delete BootImage;
    BootImage = nullptr;
}

void TFirmware::Log(const QString &line)
{
    MemoDebug->appendPlainText(line);
}

void TFirmware::BtnOpenFileClick()
{
    if (!ChooseFile)
        return;
    const QString name = ChooseFile(FirmwareDialogStart(Path));
    if (name.isEmpty())
        return;
    FileEdit->setText(name);
    Path = name;
}

void TFirmware::BtnProgramClick()
{
    const QString name = FileEdit->text();
    if (name.isEmpty()) {
        vcl::ShowMessage("! No file selected", this);
        return;
    }
    try {
        BootImage->readFile(std::filesystem::path(QFile::encodeName(name).toStdString()));
    } catch (const ErrorMsg &e) {
        vcl::MessageDlg(QString::fromStdString(e.describe()), vcl::MsgType::Error,
                        vcl::MsgButton::Ok, this);
        return;
    } catch (const std::exception &e) {
        vcl::MessageDlg(QString::fromLocal8Bit(e.what()), vcl::MsgType::Error, vcl::MsgButton::Ok,
                        this);
        return;
    }
    // With no data the range is empty and there is no page to send.
    if (!BootImage->hasData()) {
        vcl::ShowMessage("! No data in file", this);
        return;
    }
    BootStart = BootImage->getRangeStart();
    BootEnd = BootImage->getRangeEnd();
    BootOffset = 0;
    BootState = S_ARMED;
    BlockTimer->stop();
    vcl::ShowMessage("Reboot target to start programming", this);
}

void TFirmware::BtnExitClick()
{
    close();
}

std::int32_t TFirmware::FirstBlock() const
{
    return BootPageSize > 0 ? BootStart / BootPageSize * BootPageSize : BootStart;
}

bool TFirmware::SendBlock()
{
    if (!BootImage)
        return false;
    const std::vector<std::uint8_t> block =
        BuildBootBlock(*BootImage, FirstBlock() + BootOffset, BootPageSize);
    if (block.empty() || !Send || !Send(block.data(), static_cast<std::uint32_t>(block.size())))
        return false;
    BootOffset += BootPageSize;
    BlockTimer->start();
    return true;
}

void TFirmware::BlockTimerTimer()
{
    BlockTimer->stop();
    if (BootState == S_DEVICE_DATA || BootState == S_SENDING_PAGES)
        Fail("No answer from target, State = S_IDLE ");
}

void TFirmware::Fail(const QString &why)
{
    Log(why);
    BlockTimer->stop();
    BootState = S_IDLE;
    ProgressBar1->setValue(0);
    vcl::PostMessageBox("Target update failed", vcl::MsgTypeCaption(vcl::MsgType::Error),
                        vcl::MsgType::Error, vcl::MsgButton::Ok, this);
}

void TFirmware::HandleBootByte(std::uint8_t byte)
{
    try {
        Log("<- RX Char " + QString::number(byte));
        switch (BootState) {
        case S_ARMED:
            if (byte == BL_START) {
                Log("Start Char, State = S_DEVICE_DATA ");
                // The unit has restarted: requests still queued for its
                // application would go out between the blocks (the queue
                // writes its lowest slot first) and spoil one.
                if (DropQueued)
                    DropQueued();
                if (Send)
                    Send(&BL_START_ACK, 1);
                BootState = S_DEVICE_DATA;
                BlockTimer->start();
            }
            break;
        case S_DEVICE_DATA:
            if (byte == BL_DEVICE) {
                Log("Device = Mega128 ");
            } else if (byte == BL_PAGESIZE) {
                BootPageSize = BootDefaultPageSize;
                Log("PageSize = 256 ");
            } else if (byte == BL_READY) {
                // A bootloader that skipped its page size still writes 256-byte
                // pages; blocks without data would never end the download.
                if (BootPageSize == 0) {
                    BootPageSize = BootDefaultPageSize;
                    Log("PageSize = 256 ");
                }
                ProgressBar1->setValue(0);
                Log("Send block, State = S_SENDING_PAGES ");
                if (!SendBlock()) {
                    Fail("Block not sent, State = S_IDLE ");
                    break;
                }
                BootState = S_SENDING_PAGES;
            }
            break;
        case S_SENDING_PAGES:
            if (byte == BL_READY) {
                // The bootloader confirms a block only after it came: a '!'
                // while the block still waits to be written is a repeat of
                // the one that asked for it.
                if (!SentWritten || !SentWritten())
                    break;
                BlockTimer->stop();
                if (FirstBlock() + BootOffset <= BootEnd) {
                    Log("Send block, State = S_SENDING_PAGES ");
                    ProgressBar1->setValue(BootProgress(BootOffset, BootStart, BootEnd));
                    if (!SendBlock())
                        Fail("Block not sent, State = S_IDLE ");
                } else {
                    if (Send)
                        Send(BL_END, sizeof BL_END);
                    if (Pause)
                        Pause(1);
                    vcl::ShowMessageLater("Target updated", this);
                    ProgressBar1->setValue(0);
                    Log("FLASH_OK, State = S_IDLE ");
                    BootState = S_IDLE;
                }
            } else if (byte == BL_ERROR) {
                Fail("ERROR_, State = S_IDLE ");
            }
            break;
        default:
            break;
        }
    } catch (const std::exception &) {
        // The reader's bounds are checked before; this only keeps the worker's
        // hand-over free of exceptions.
        BlockTimer->stop();
        BootState = S_IDLE;
    }
}

QString FirmwareDialogStart(const QString &path, const QString &folder)
{
    if (!path.isEmpty() && QFileInfo(path).absoluteDir().exists())
        return path;
    if (QDir(folder).exists())
        return QDir(folder).absolutePath();
    return {};
}

void LaunchFirmware(QWidget *owner)
{
    struct Clear
    {
        ~Clear() { Firmware = nullptr; }
    } clear;
    auto form = std::make_unique<TFirmware>(owner);
    Firmware = form.get();
    form->exec();
}
