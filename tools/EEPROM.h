// The EEPROM editor: a 4096-byte image shown as a hex grid, read from and
// written to the unit's EEPROM in blocks of 16 bytes (node 0), loaded from
// text or binary image files, saved as text, filled with FF or 00.
//
// The image is the model; the grid shows it and edits of a cell go into it,
// so every block sent is made of bytes, never of unchecked cell text.
// Main thread only.
#pragma once

#include "forms/EEPROMFormUi.h"
#include "link/TxOutcome.h"
#include "main/ToolWindows.h"
#include "tools/EepromImage.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QLineEdit;
namespace devlink {
class DeviceFrame;
}

enum EepromOperation : std::uint8_t { EepromIdle = 0, EepromReading = 1, EepromWriting = 2 };

class TEEPROMForm : public QDialog, public TEEPROMFormUi, public TFrameHandler
{
public:
    // Header and the grid's rows; those beyond the EEPROM stay blank until
    // something fills them.
    static constexpr int GridRows = 1 + static_cast<int>(eeprom::GridRowCount);

    explicit TEEPROMForm(QWidget *parent = nullptr);
    ~TEEPROMForm() override;
    Q_DISABLE_COPY(TEEPROMForm)

    // Caption, header and every row as zero bytes.
    void FormShow();
    void EEPROMReadBtnClick();
    void EEPROMWriteBtnClick();
    void HandleFrame(const std::uint8_t *frame, std::size_t count) override;
    // No answer within the timer: the transfer stops and the user is told.
    void ReadWriteTimerTimer();
    void FileLoadBtnClick();
    void FileSaveBtnClick();
    // Reads an image file into the grid; false (user told why, nothing
    // changed) when it cannot be read.
    bool LoadFile(const QString &fileName);
    // Writes the rows of the file range as a text image; false when not written.
    bool SaveFile(const QString &fileName);
    void BufferFillFFBtnClick();
    void BufferFill00BtnClick();
    // Whole rows from the one holding `start` while their address stays below `end`.
    void FillGrid(std::size_t start, std::size_t end, std::uint8_t value);
    // A cell's edited text (data cells only): one hex digit shifts in from the
    // right, a value up to FF is taken, anything else gives 00.
    void EEStringGridSetEditText(int column, int row, const QString &text);
    // Rebuilds the ASCII text of the rows holding address .. address + count - 1.
    void UpdateAsciiColumn(std::size_t address, std::size_t count);

    const eeprom::Image &image() const { return image_; }
    std::uint8_t Byte(std::size_t address) const { return image_.at(address); }
    void SetByte(std::size_t address, std::uint8_t value);

    // The file dialogs: the chosen file, empty when cancelled. Tests replace them.
    std::function<QString()> ChooseFileToOpen;
    std::function<QString()> ChooseFileToSave;
    // Where requests go; the main window's SendFrame unless a test replaces it.
    std::function<devlink::TxOutcome(const std::uint8_t *frame, std::uint8_t count)> Send;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct Range
    {
        std::size_t start = 0;
        std::size_t end = 0;
    };
    // The range of two address edits within the grid or, with `unit`, within
    // the unit's EEPROM; nullopt with the user told why.
    std::optional<Range> RangeOf(const QLineEdit *startEdit, const QLineEdit *endEdit,
                                 bool unit = false);
    // The EEPROM edits' range, blocks of 16 bytes from its start, every one
    // of them inside the unit's EEPROM.
    std::optional<Range> TransferRange();
    // Shows the bytes of address .. address + count - 1 and, with `ascii`, the
    // ASCII text of their rows.
    void ShowRows(std::size_t address, std::size_t count, bool ascii = true);
    void SendReadRequest();
    void SendWriteRequest();
    // Sends a request of the transfer; one the queue refused ends the
    // transfer at once, with the user told why.
    void SendTransferRequest(const devlink::DeviceFrame &f);
    // The block at EepromAddr was answered: on to the next, or done.
    void BlockDone();
    void EndTransfer();
    void OnItemChanged(int row, int column);

    // A write whose last block reaches beyond the range first reads that
    // block from the unit: the bytes beyond the range go back as the unit
    // holds them, never the grid's. The grid does not show them.
    std::optional<std::uint16_t> tailAddr_; // that read awaits its answer
    bool tailKnown_ = false;                // tail_ holds the unit's block
    std::array<std::uint8_t, eeprom::RowBytes> tail_{};
    eeprom::Image image_{};
    std::vector<bool> filled_ = std::vector<bool>(eeprom::GridRowCount); // rows shown
    std::size_t opStart_ = 0;
    bool showing_ = false; // the grid is being written by code, not edited
};

// The transfer in progress (one at a time).
extern std::uint8_t EepromOp;
extern std::uint16_t EepromAddr;
extern std::uint16_t EepromEnd;
extern TEEPROMForm *EEPROMForm;

// The menu's launcher: the window, shown modally, then deleted.
void LaunchEEPROMForm(QWidget *owner);
