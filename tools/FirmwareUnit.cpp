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
    SentAt = [this](Time &at) {
        return SentNumber != 0 && devlink::Usb && devlink::Usb->handedAt(SentNumber, at);
    };
    ReadAt = [] {
        return devlink::Usb ? devlink::Usb->rxReadAt() : std::chrono::steady_clock::now();
    };
    HandledUpTo = [] { return devlink::Usb ? devlink::Usb->rxHandledUpTo() : Time{}; };
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
    AnswerTimer = new QTimer(this);
    AnswerTimer->setSingleShot(true);
    connect(AnswerTimer, &QTimer::timeout, this, &TFirmware::AnswerTimerTimer);
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
    AnswerTimer->stop();
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
    // The image being sent stays as it is until the update has ended.
    if (Updating()) {
        Log("Update running, Program ignored ");
        return;
    }
    const QString name = FileEdit->text();
    if (name.isEmpty()) {
        vcl::ShowMessage("! No file selected", this);
        return;
    }
    // The file goes into an image of its own (over the bytes loaded before,
    // as into the old one), which takes the old one's place only when the
    // file was read whole.
    auto next = std::make_unique<HEXFile>(*BootImage);
    try {
        next->readFile(std::filesystem::path(QFile::encodeName(name).toStdString()));
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
    if (!next->hasData()) {
        vcl::ShowMessage("! No data in file", this);
        return;
    }
    *BootImage = std::move(*next);
    BootStart = BootImage->getRangeStart();
    BootEnd = BootImage->getRangeEnd();
    BootOffset = 0;
    BootState = S_ARMED;
    BlockTimer->stop();
    AnswerTimer->stop();
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
    BlockBytes = block.size();
    BootOffset += BootPageSize;
    BlockTimer->start();
    return true;
}

bool TFirmware::Updating() const
{
    return BootState == S_DEVICE_DATA || BootState == S_SENDING_PAGES ||
           BootState == S_LAST_CONFIRMED;
}

void TFirmware::BlockTimerTimer()
{
    BlockTimer->stop();
    // Also when the reads stopped within the answer time: no telling then
    // whether the unit took the last block.
    if (Updating())
        Fail("No answer from target, State = S_IDLE ");
}

void TFirmware::AnswerTimerTimer()
{
    if (BootState != S_LAST_CONFIRMED)
        return;
    // A byte read within the answer time may still wait to be handled.
    if (!HandledUpTo || HandledUpTo() < AnswerEnd) {
        AnswerTimer->start(10);
        return;
    }
    Succeed();
}

void TFirmware::Fail(const QString &why)
{
    Log(why);
    BlockTimer->stop();
    AnswerTimer->stop();
    BootState = S_IDLE;
    BtnProgram->setEnabled(true);
    ProgressBar1->setValue(0);
    vcl::PostMessageBox("Target update failed", vcl::MsgTypeCaption(vcl::MsgType::Error),
                        vcl::MsgType::Error, vcl::MsgButton::Ok, this);
}

void TFirmware::Succeed()
{
    BlockTimer->stop();
    AnswerTimer->stop();
    vcl::ShowMessageLater("Target updated", this);
    ProgressBar1->setValue(0);
    Log("FLASH_OK, State = S_IDLE ");
    BootState = S_IDLE;
    BtnProgram->setEnabled(true);
}

bool TFirmware::ReadyAnswersBlock()
{
    // The block has not reached the driver yet: the '!' asked for it.
    Time sent;
    if (!SentAt || !SentAt(sent)) {
        Log("Ready before the block went out, ignored ");
        return false;
    }
    // Read before the block could be through: not the unit's answer to it,
    // however late it is handled.
    const Time read = ReadAt ? ReadAt() : std::chrono::steady_clock::now();
    if (read < sent + LineTime(BlockBytes)) {
        Log("Ready before the block was through, ignored ");
        return false;
    }
    AnswerEnd = read + std::chrono::milliseconds(AnswerTimeMs);
    return true;
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
                BtnProgram->setEnabled(false);
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
                // The bootloader answers a block only after the whole of it
                // came: one block at most is ever on its way to the unit.
                if (!ReadyAnswersBlock())
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
                    // The '!' may have been a late repeat; the unit's own
                    // answer to the last block comes within its answer time.
                    Log("Last block confirmed, State = S_LAST_CONFIRMED ");
                    BootState = S_LAST_CONFIRMED;
                    AnswerTimer->start(AnswerTimeMs);
                    BlockTimer->start();
                }
            } else if (byte == BL_ERROR) {
                Fail("ERROR_, State = S_IDLE ");
            }
            break;
        case S_LAST_CONFIRMED:
            if (byte == BL_ERROR)
                Fail("ERROR_, State = S_IDLE ");
            break;
        default:
            break;
        }
    } catch (const std::exception &) {
        // The reader's bounds are checked before; this only keeps the worker's
        // hand-over free of exceptions.
        BlockTimer->stop();
        AnswerTimer->stop();
        BootState = S_IDLE;
        BtnProgram->setEnabled(true);
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
