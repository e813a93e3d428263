#include "tools/EEPROM.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/MainUnit.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Numbers.h"
#include "tools/ToolLaunch.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>

using namespace devlink;

std::uint8_t EepromOp = EepromIdle;
std::uint16_t EepromAddr = 0;
std::uint16_t EepromEnd = 0;
TEEPROMForm *EEPROMForm = nullptr;

namespace {

constexpr std::size_t BlockSize = eeprom::RowBytes;
constexpr std::size_t CountAt = 4;
constexpr std::size_t AddressAt = 5;
constexpr std::size_t BytesAt = 7;
constexpr std::uint8_t BlockFrameLength = 23;
constexpr int AsciiColumn = 17;

QString Latin1(const std::string &text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

int RowOf(std::size_t address)
{
    return static_cast<int>(address / BlockSize) + 1;
}

std::uint16_t U16LE(const std::uint8_t *frame, std::size_t at)
{
    return static_cast<std::uint16_t>(frame[at] | frame[at + 1] << 8);
}

} // namespace

void LaunchEEPROMForm(QWidget *owner)
{
    RunToolWindow(owner, EEPROMForm, ToolWindows.EEPROM);
}

TEEPROMForm::TEEPROMForm(QWidget *parent) : QDialog(parent)
{
    setupUi(this, GridRows);
    for (int row = 0; row < GridRows; ++row)
        for (int column = 0; column < EEStringGrid->columnCount(); ++column) {
            auto *item = new QTableWidgetItem;
            const bool data = row > 0 && column >= 1 && column <= 16;
            if (!data)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            EEStringGrid->setItem(row, column, item);
        }
    ChooseFileToOpen = [this] {
        return QFileDialog::getOpenFileName(this, "File open", {},
                                            "Text files (*.txt);;Bin files (*.bin)");
    };
    ChooseFileToSave = [this] {
        return QFileDialog::getSaveFileName(this, "File save", "*.txt",
                                            "text file (*.txt);;bin (*.bin)", nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    Send = SendToMainForm;
    connect(EEPROMReadBtn, &QPushButton::clicked, this, &TEEPROMForm::EEPROMReadBtnClick);
    connect(EEPROMWriteBtn, &QPushButton::clicked, this, &TEEPROMForm::EEPROMWriteBtnClick);
    connect(FileLoadBtn, &QPushButton::clicked, this, &TEEPROMForm::FileLoadBtnClick);
    connect(FileSaveBtn, &QPushButton::clicked, this, &TEEPROMForm::FileSaveBtnClick);
    connect(BufferFillFFBtn, &QPushButton::clicked, this, &TEEPROMForm::BufferFillFFBtnClick);
    connect(BufferFill00Btn, &QPushButton::clicked, this, &TEEPROMForm::BufferFill00BtnClick);
    connect(ReadWriteTimer, &QTimer::timeout, this, &TEEPROMForm::ReadWriteTimerTimer);
    connect(EEStringGrid, &QTableWidget::cellChanged, this, &TEEPROMForm::OnItemChanged);
    FormShow();
}

TEEPROMForm::~TEEPROMForm()
{
    EepromOp = EepromIdle;
    if (ToolWindows.EEPROM.handler == this)
        ToolWindows.EEPROM = {};
    if (EEPROMForm == this)
        EEPROMForm = nullptr;
}

void TEEPROMForm::closeEvent(QCloseEvent *event)
{
    // A transfer does not outlive its window.
    ReadWriteTimer->stop();
    EepromOp = EepromIdle;
    QDialog::closeEvent(event);
}

void TEEPROMForm::FormShow()
{
    setWindowTitle("EEPROM");
    showing_ = true;
    EEStringGrid->item(0, 0)->setText("Addr");
    for (int column = 1; column <= 16; ++column)
        EEStringGrid->item(0, column)->setText(QString::number(column - 1, 16).toUpper());
    EEStringGrid->item(0, AsciiColumn)->setText("**** ASCII *****");
    for (int row = 1; row < GridRows; ++row)
        for (int column = 0; column <= AsciiColumn; ++column)
            EEStringGrid->item(row, column)->setText(QString());
    showing_ = false;
    image_.fill(0);
    std::fill(filled_.begin(), filled_.end(), false);
    ShowRows(0, eeprom::ImageSize);
}

void TEEPROMForm::ShowRows(std::size_t address, std::size_t count, bool ascii)
{
    if (address >= eeprom::GridSize || count == 0)
        return;
    std::size_t end = std::min(address + count, eeprom::GridSize);
    showing_ = true;
    // A blank row comes up whole, as the grid shows every other row.
    for (std::size_t row = address / BlockSize; row * BlockSize < end; ++row) {
        if (filled_[row])
            continue;
        filled_[row] = true;
        address = std::min(address, row * BlockSize);
        end = std::max(end, (row + 1) * BlockSize);
        EEStringGrid->item(static_cast<int>(row) + 1, 0)
            ->setText(Latin1(eeprom::HexAddress(static_cast<std::uint16_t>(row * BlockSize))));
    }
    for (std::size_t a = address; a < end; ++a)
        EEStringGrid->item(RowOf(a), static_cast<int>(a % BlockSize) + 1)
            ->setText(Latin1(eeprom::HexByte(image_[a])));
    showing_ = false;
    if (!ascii)
        return;
    for (std::size_t row = address / BlockSize; row * BlockSize < end; ++row)
        UpdateAsciiColumn(row * BlockSize, BlockSize);
}

void TEEPROMForm::UpdateAsciiColumn(std::size_t address, std::size_t count)
{
    if (address % BlockSize != 0 || address >= eeprom::GridSize)
        return;
    const std::size_t end = std::min(address + count, eeprom::GridSize);
    showing_ = true;
    for (std::size_t row = address; row < end; row += BlockSize)
        EEStringGrid->item(RowOf(row), AsciiColumn)
            ->setText(Latin1(eeprom::AsciiText(std::span(image_).subspan(row, BlockSize))));
    showing_ = false;
}

void TEEPROMForm::SetByte(std::size_t address, std::uint8_t value)
{
    if (address >= eeprom::GridSize)
        return;
    image_[address] = value;
    ShowRows(address, 1);
}

std::optional<TEEPROMForm::Range> TEEPROMForm::RangeOf(const QLineEdit *startEdit,
                                                       const QLineEdit *endEdit, bool unit)
{
    const std::size_t limit = unit ? eeprom::ImageSize : eeprom::GridSize;
    const auto start = vcl::HexToInt(startEdit->text());
    const auto end = vcl::HexToInt(endEdit->text());
    QString why;
    if (!start || !end)
        why = "Start and end must be hexadecimal addresses.";
    else if (*end > static_cast<int>(limit) || *start >= *end)
        why = "The range must lie within 0000 to " +
              Latin1(eeprom::HexAddress(static_cast<std::uint16_t>(limit))) +
              (unit ? ", the unit's EEPROM," : "") + " and end after its start.";
    if (!why.isEmpty()) {
        vcl::MessageDlg(why, vcl::MsgType::Warning, vcl::MsgButton::Ok, this);
        return std::nullopt;
    }
    return Range{static_cast<std::size_t>(*start), static_cast<std::size_t>(*end)};
}

std::optional<TEEPROMForm::Range> TEEPROMForm::TransferRange()
{
    // A unit may take an address past its EEPROM as one from its start, so a
    // block reaching past it would read or overwrite the wrong bytes.
    auto range = RangeOf(EEPROMStartEdit, EEPROMEndEdit, true);
    // Every block moves 16 bytes from its address, so the last one must fit.
    if (range && range->start + eeprom::RowsOfRange(range->start, range->end) * BlockSize >
                     eeprom::ImageSize) {
        vcl::MessageDlg("The last block of 16 bytes would end beyond the unit's EEPROM, "
                        "0000 to 1000.",
                        vcl::MsgType::Warning, vcl::MsgButton::Ok, this);
        return std::nullopt;
    }
    return range;
}

void TEEPROMForm::EEPROMReadBtnClick()
{
    if (EepromOp != EepromIdle)
        return;
    const auto range = TransferRange();
    if (!range)
        return;
    EEPROMReadBtn->setEnabled(false);
    EEPROMProgressBar->setValue(0);
    opStart_ = range->start;
    tailAddr_.reset();
    tailKnown_ = false;
    EepromOp = EepromReading;
    EepromAddr = static_cast<std::uint16_t>(range->start);
    EepromEnd = static_cast<std::uint16_t>(range->end);
    ReadWriteTimer->start();
    SendReadRequest();
}

void TEEPROMForm::EEPROMWriteBtnClick()
{
    if (EepromOp != EepromIdle)
        return;
    const auto range = TransferRange();
    if (!range)
        return;
    EEPROMWriteBtn->setEnabled(false);
    EEPROMProgressBar->setValue(0);
    opStart_ = range->start;
    tailAddr_.reset();
    tailKnown_ = false;
    EepromOp = EepromWriting;
    EepromAddr = static_cast<std::uint16_t>(range->start);
    EepromEnd = static_cast<std::uint16_t>(range->end);
    ReadWriteTimer->start();
    SendWriteRequest();
}

void TEEPROMForm::SendReadRequest()
{
    DeviceFrame f(NodeSystem, EEPROM_READ_REQ, 7);
    f.set(CountAt, BlockSize).setU16LE(AddressAt, EepromAddr).finish();
    SendTransferRequest(f);
}

void TEEPROMForm::SendTransferRequest(const DeviceFrame &f)
{
    const TxOutcome sent = Send ? Send(f.data(), f.length()) : TxOutcome{TxRefusal::LinkNotOpen};
    if (sent)
        return;
    const bool reading = EepromOp == EepromReading || tailAddr_;
    EndTransfer();
    // Also asked from the unit's answers: the box comes after their handling.
    vcl::ShowMessageLater(QStringLiteral("The EEPROM %1 request was not sent to the unit: %2.")
                              .arg(reading ? "read" : "write", RefusalClause(sent)),
                          this);
}

void TEEPROMForm::SendWriteRequest()
{
    // A block that reaches beyond the range: the unit's own bytes first.
    const bool partial = EepromAddr + BlockSize > EepromEnd;
    if (partial && !tailKnown_) {
        tailAddr_ = EepromAddr;
        SendReadRequest();
        return;
    }
    DeviceFrame f(NodeSystem, EEPROM_WRITE_REQ, BlockFrameLength);
    f.set(CountAt, BlockSize).setU16LE(AddressAt, EepromAddr);
    for (std::size_t i = 0; i < BlockSize; ++i)
        f.set(BytesAt + i, EepromAddr + i < EepromEnd ? image_[EepromAddr + i] : tail_[i]);
    f.finish();
    SendTransferRequest(f);
}

void TEEPROMForm::HandleFrame(const std::uint8_t *frame, std::size_t count)
{
    if (!IsValidFrame(frame, count) || frame[FrameNodeAt] != NodeSystem)
        return;
    const std::uint8_t command = frame[FrameCommandAt];
    if (command == EEPROM_READ_CFM) {
        if (frame[FrameLengthAt] < BlockFrameLength)
            return; // not all 16 bytes arrived
        const std::size_t address = U16LE(frame, AddressAt);
        if (address + BlockSize > eeprom::GridSize)
            return; // outside the grid
        if (tailAddr_ && address == *tailAddr_) {
            // The unit's block under a write's last one: kept for the write,
            // not shown over the grid the user is writing from.
            tailAddr_.reset();
            if (EepromOp == EepromWriting && address == EepromAddr) {
                std::copy_n(frame + BytesAt, BlockSize, tail_.begin());
                tailKnown_ = true;
                ReadWriteTimer->start();
                SendWriteRequest();
            }
            return;
        }
        std::copy_n(frame + BytesAt, BlockSize,
                    image_.begin() + static_cast<std::ptrdiff_t>(address));
        // The unit's block rebuilds the ASCII text only when it starts a row.
        ShowRows(address, BlockSize, false);
        UpdateAsciiColumn(address, BlockSize);
        if (EepromOp == EepromReading && address == EepromAddr) {
            EEPROMReadBtn->setText("Reading");
            BlockDone();
        }
    } else if (command == EEPROM_WRITE_CFM && EepromOp == EepromWriting) {
        // Nothing of the block is written while its unit bytes are read.
        if (tailAddr_)
            return;
        // A confirmation that names its block moves the write on only for the
        // block awaited; a repeated one would skip blocks never written.
        if (frame[FrameLengthAt] >= BytesAt && U16LE(frame, AddressAt) != EepromAddr)
            return;
        EEPROMWriteBtn->setText("Writing");
        BlockDone();
    }
}

void TEEPROMForm::BlockDone()
{
    EepromAddr = static_cast<std::uint16_t>(EepromAddr + BlockSize);
    // Integer hundredths of the range; a range below 100 bytes counts by byte.
    const std::size_t span = EepromEnd > opStart_ ? EepromEnd - opStart_ : 1;
    const std::size_t done = EepromAddr - opStart_;
    EEPROMProgressBar->setValue(static_cast<int>(
        std::min<std::size_t>(100, span >= 100 ? done / (span / 100) : done * 100 / span)));
    // A range that is no whole number of blocks ends with the block that
    // reaches its end.
    if (EepromAddr >= EepromEnd) {
        EndTransfer();
        return;
    }
    ReadWriteTimer->start();
    if (EepromOp == EepromReading)
        SendReadRequest();
    else
        SendWriteRequest();
}

void TEEPROMForm::EndTransfer()
{
    EepromOp = EepromIdle;
    ReadWriteTimer->stop();
    EEPROMReadBtn->setText("Read");
    EEPROMWriteBtn->setText("Write");
    EEPROMReadBtn->setEnabled(true);
    EEPROMWriteBtn->setEnabled(true);
}

void TEEPROMForm::ReadWriteTimerTimer()
{
    // The unit did not answer: the transfer is over and not done, so a late
    // answer must not carry it on behind the user's back.
    EndTransfer();
    vcl::ShowMessage("Please power up the Target and try again", this);
}

void TEEPROMForm::FileLoadBtnClick()
{
    const QString name = ChooseFileToOpen ? ChooseFileToOpen() : QString();
    if (!name.isEmpty())
        LoadFile(name);
}

bool TEEPROMForm::LoadFile(const QString &fileName)
{
    const eeprom::ReadResult result =
        eeprom::ReadImageFile(QFile::encodeName(fileName).toStdString());
    if (!result.isValid()) {
        vcl::MessageDlg(QString::fromLocal8Bit(result.error.c_str()), vcl::MsgType::Error,
                        vcl::MsgButton::Ok, this);
        return false;
    }
    eeprom::Apply(image_, result.rows);
    for (const eeprom::ImageRow &row : result.rows)
        ShowRows(row.address, BlockSize);
    if (result.skipped > 0)
        vcl::MessageDlg(
            QString("%1 line(s) skipped: not a row of an EEPROM image.").arg(result.skipped),
            vcl::MsgType::Warning, vcl::MsgButton::Ok, this);
    return true;
}

void TEEPROMForm::FileSaveBtnClick()
{
    const auto range = RangeOf(FileStartEdit, FileEndEdit);
    if (!range)
        return;
    QString name = ChooseFileToSave ? ChooseFileToSave() : QString();
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += ".txt";
    if (QFileInfo::exists(name) &&
        vcl::MessageDlg(QString("File already exists: '%1'\nOverwrite ?").arg(name),
                        vcl::MsgType::Warning, vcl::MsgButton::Yes | vcl::MsgButton::No,
                        this) != vcl::MsgButton::Yes)
        return;
    SaveFile(name);
}

bool TEEPROMForm::SaveFile(const QString &fileName)
{
    const auto range = RangeOf(FileStartEdit, FileEndEdit);
    if (!range)
        return false;
    const std::string error =
        eeprom::WriteFile(QFile::encodeName(fileName).toStdString(),
                          eeprom::WriteTextImage(image_, range->start, range->end));
    if (!error.empty()) {
        vcl::MessageDlg(QString::fromLocal8Bit(error.c_str()), vcl::MsgType::Error,
                        vcl::MsgButton::Ok, this);
        return false;
    }
    return true;
}

void TEEPROMForm::BufferFillFFBtnClick()
{
    if (const auto range = RangeOf(FillStartEdit, FillEndEdit))
        FillGrid(range->start, range->end, 0xFF);
}

void TEEPROMForm::BufferFill00BtnClick()
{
    if (const auto range = RangeOf(FillStartEdit, FillEndEdit))
        FillGrid(range->start, range->end, 0x00);
}

void TEEPROMForm::FillGrid(std::size_t start, std::size_t end, std::uint8_t value)
{
    const std::size_t first = start - start % BlockSize;
    const std::size_t last =
        std::min(first + eeprom::RowsOfRange(start, end) * BlockSize, eeprom::GridSize);
    if (first >= last)
        return;
    std::fill(image_.begin() + static_cast<std::ptrdiff_t>(first),
              image_.begin() + static_cast<std::ptrdiff_t>(last), value);
    ShowRows(first, last - first);
}

void TEEPROMForm::OnItemChanged(int row, int column)
{
    if (showing_)
        return;
    EEStringGridSetEditText(column, row, EEStringGrid->item(row, column)->text());
}

void TEEPROMForm::EEStringGridSetEditText(int column, int row, const QString &text)
{
    if (column < 1 || column > 16 || row < 1 || row > static_cast<int>(eeprom::GridRowCount))
        return;
    const std::size_t address =
        static_cast<std::size_t>(row - 1) * BlockSize + static_cast<std::size_t>(column - 1);
    const std::uint8_t before = image_[address];
    const QString previous = Latin1(eeprom::HexByte(before));
    const QString typed = text.trimmed();
    std::uint8_t value = before;
    if (!typed.isEmpty() && typed.toUpper() != previous) {
        const auto number = vcl::HexToInt(typed);
        if (!number) {
            value = 0;
            QApplication::beep();
        } else if (*number > 0xFF) {
            value = 0;
        } else if (typed.size() == 1) {
            // One digit typed over the cell shifts in from the right.
            value = static_cast<std::uint8_t>((before & 0x0F) << 4 | (*number & 0x0F));
        } else {
            value = static_cast<std::uint8_t>(*number);
        }
    }
    image_[address] = value;
    ShowRows(address, 1);
}
