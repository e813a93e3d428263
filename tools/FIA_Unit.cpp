#include "tools/FIA_Unit.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/MainUnit.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/IniFile.h"
#include "tools/HexFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>

using namespace devlink;

std::unique_ptr<HEXFile> CompareImage;
std::uint32_t CompareAddr = 0;
std::uint8_t CompareCancelled = 0;
TFIA_Form *FIA_Form = nullptr;

namespace {

const QString IniSection = QStringLiteral("FIA");
const QString IniKey = QStringLiteral("PATH");
constexpr std::size_t ReadAnswerLength = 22;
constexpr std::size_t IdentityAnswerLength = 11;

QString Rule()
{
    return QString(70, QLatin1Char('-'));
}

QString Hex(std::uint32_t value, int digits)
{
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

QString Dump(std::uint32_t address, std::span<const std::uint8_t> bytes)
{
    QString line = QStringLiteral("Adr:") + Hex(address, 4) + QStringLiteral(" : ");
    for (std::uint8_t b : bytes)
        line += Hex(b, 2) + QLatin1Char(':');
    return line;
}

std::uint8_t ImageByte(const HEXFile &image, std::uint32_t address)
{
    if (address >= static_cast<std::uint32_t>(image.getSize()))
        return 0xFF;
    return image.getData(static_cast<std::int32_t>(address));
}

std::filesystem::path FsPath(const QString &name)
{
    return std::filesystem::path(QFile::encodeName(name).toStdString());
}

} // namespace

std::optional<std::uint32_t> FirstDifference(const HEXFile &image, std::uint32_t address,
                                             std::span<const std::uint8_t> bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint32_t at = address + static_cast<std::uint32_t>(i);
        if (bytes[i] != ImageByte(image, at))
            return at;
    }
    return std::nullopt;
}

TFIA_Form::TFIA_Form(QWidget *owner) : QDialog(owner)
{
    setupUi(this);
    Send = SendToMainForm;
    Pause = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
    ChooseFile = [this](const QString &current) {
        return QFileDialog::getOpenFileName(this, QString(), current,
                                            QStringLiteral("Hex files (*.hex *.HEX)"));
    };
    connect(BtnOpenFile, &QPushButton::clicked, this, [this] { BtnOpenFileClick(); });
    connect(BtnStart, &QPushButton::clicked, this, [this] { BtnStartClick(); });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
    connect(BtnExit, &QPushButton::clicked, this, [this] { BtnExitClick(); });
    connect(TimerRequest, &QTimer::timeout, this, [this] { TimerRequestTimer(); });
    FormCreate();
}

TFIA_Form::~TFIA_Form()
{
    FormDestroy();
}

void TFIA_Form::Launch(QWidget *owner)
{
    QPointer<TFIA_Form> form = new TFIA_Form(owner);
    FIA_Form = form;
    ToolWindows.FIA = {form, form};
    form->exec();
    ToolWindows.FIA = {};
    FIA_Form = nullptr;
    delete form;
}

void TFIA_Form::FormCreate()
{
    CompareCancelled = 0;
    if (MainForm)
        Path = vcl::TIniFile(MainForm->iniPath()).ReadString(IniSection, IniKey, QString());
    FileEdit->setText(Path);
    CompareImage = std::make_unique<HEXFile>(CompareImageSize, 0xFF);
    RetryCount = 0;
    MemoStatus->clear();
    if (!Path.isEmpty()) {
        try {
            CompareImage->readFile(FsPath(Path));
        } catch (const ErrorMsg &e) {
            // Start reads the file again and reports it then; here a note will do.
            Status(QString::fromStdString(e.describe()));
        }
    }
}

void TFIA_Form::FormDestroy()
{
    TimerRequest->stop();
    if (MainForm) {
        vcl::TIniFile ini(MainForm->iniPath());
        ini.WriteString(IniSection, IniKey, Path);
    }
    CompareImage.reset();
}

void TFIA_Form::BtnOpenFileClick()
{
    const QString chosen = ChooseFile ? ChooseFile(Path) : QString();
    if (chosen.isEmpty())
        return;
    FileEdit->setText(chosen);
    Path = chosen;
    MemoFile->clear();
}

void TFIA_Form::BtnStartClick()
{
    // The file chosen (or kept from last time) decides; the edit names it.
    if (Path.isEmpty()) {
        vcl::ShowMessage(QStringLiteral(" No .hex file selectet"), this);
        return;
    }
    const QString file = FileEdit->text().trimmed();
    TimerRequest->stop();
    Result = CompareResult::Idle;
    CompareImage->clearAll(0xFF);
    try {
        CompareImage->readFile(FsPath(file));
    } catch (const ErrorMsg &e) {
        const QString text = QString::fromStdString(e.describe());
        EndCompare(CompareResult::FileError, text);
        vcl::MessageDlg(text, vcl::MsgType::Error, vcl::MsgButton::Ok, this);
        return;
    }

    DeviceFrame identity(NodeApplication, SYSTEM_SETUP_READ_REQ, 4);
    identity.finish();
    const TxOutcome serialAsked = Send(identity.data(), identity.length());
    if (Pause)
        Pause(IdentityPauseMs);

    CompareCancelled = 0;
    MemoFile->clear();
    MemoTarget->clear();
    Status(Rule());
    Status(QStringLiteral("Compare Startet ") +
           QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
    Status(QStringLiteral("Comparing file : ") + Path);
    Status(QStringLiteral("With firmware version :") +
           (MainForm ? MainForm->VersionText : QString()));
    // The record of the compare says why it names no unit.
    if (!serialAsked)
        Status("Tessaron serial no : not asked for, " + RefusalText(serialAsked));

    CompareAddr = 0;
    RetryCount = 0;
    ProgressBar->setValue(0);
    LabelProcent->clear();
    Result = CompareResult::Running;
    SendReadRequest(0);
}

void TFIA_Form::SendReadRequest(std::uint32_t address)
{
    DeviceFrame f(NodeApplication, FIRMWARE_READ_REQ, 6);
    f.setU16LE(FrameDataAt, static_cast<std::uint16_t>(address));
    f.finish();
    Send(f.data(), f.length());
    TimerRequest->start();
}

void TFIA_Form::TimerRequestTimer()
{
    TimerRequest->stop();
    if (Result != CompareResult::Running)
        return;
    ++RetryCount;
    if (RetryCount > MaxRequestRetries) {
        const QString text = QStringLiteral("No contact to target");
        EndCompare(CompareResult::NoContact, text, false);
        vcl::ShowMessageLater(text, this);
        return;
    }
    SendReadRequest(CompareAddr);
}

void TFIA_Form::BtnCancelClick()
{
    TimerRequest->stop();
    CompareCancelled = 1;
    if (Result == CompareResult::Running)
        Result = CompareResult::Cancelled;
    Status(QStringLiteral("User cancel compare"));
    Status(Rule());
}

void TFIA_Form::BtnExitClick()
{
    TimerRequest->stop();
    close();
}

void TFIA_Form::HandleFrame(const std::uint8_t *frame, std::size_t count)
{
    if (CompareCancelled || !IsValidFrame(frame, count) || frame[FrameNodeAt] != NodeApplication)
        return;
    const std::size_t length = frame[FrameLengthAt];
    switch (frame[FrameCommandAt]) {
    case SYSTEM_SETUP_READ_CFM:
        if (length >= IdentityAnswerLength) {
            const std::uint32_t serial = std::uint32_t(frame[4]) << 24 |
                                         std::uint32_t(frame[5]) << 16 |
                                         std::uint32_t(frame[6]) << 8 | frame[7];
            Status(QStringLiteral("Tessaron serial no : ") +
                   QString::number(serial).rightJustified(8, QLatin1Char('0')));
        }
        break;
    case FIRMWARE_READ_CFM:
        if (length >= ReadAnswerLength)
            HandleFirmwareRead(frame);
        break;
    default:
        break;
    }
}

void TFIA_Form::HandleFirmwareRead(const std::uint8_t *frame)
{
    // Only the answer to the request in hand counts: a late answer to an
    // earlier try, or one after the compare ended, would be compared with
    // the wrong block.
    const std::uint32_t address = frame[4] | std::uint32_t(frame[5]) << 8;
    if (Result != CompareResult::Running || address != (CompareAddr & 0xFFFF))
        return;
    TimerRequest->stop();
    RetryCount = 0;

    const std::span<const std::uint8_t> received(frame + 6, CompareBlockSize);
    std::array<std::uint8_t, CompareBlockSize> expected{};
    for (std::uint32_t i = 0; i < CompareBlockSize; ++i)
        expected[i] = ImageByte(*CompareImage, CompareAddr + i);
    MemoTarget->appendPlainText(Dump(address, received));
    MemoFile->appendPlainText(Dump(CompareAddr, expected));

    if (const auto differs = FirstDifference(*CompareImage, CompareAddr, received)) {
        DifferenceAddr = *differs;
        const QString text =
            QStringLiteral("FIA compare Fail, File not the same in Adr: ") + Hex(*differs, 4);
        EndCompare(CompareResult::Different, text);
        vcl::ShowMessageLater(text, this);
        return;
    }

    CompareAddr += CompareBlockSize;
    const int percent = static_cast<int>(CompareAddr / 645);
    LabelProcent->setText(QString::number(percent) + QStringLiteral(" % done"));
    ProgressBar->setValue(std::min(percent, 100));
    if (CompareAddr < CompareEnd) {
        SendReadRequest(CompareAddr);
        return;
    }
    const QString text = QStringLiteral("FIA compare File is identical with firmware");
    EndCompare(CompareResult::Equal, text);
    vcl::ShowMessageLater(text, this);
}

void TFIA_Form::EndCompare(CompareResult result, const QString &text, bool rule)
{
    TimerRequest->stop();
    Result = result;
    Status(text);
    if (rule)
        Status(Rule());
}

void TFIA_Form::Status(const QString &line)
{
    MemoStatus->appendPlainText(line);
}
