// The firmware update: a HEX file loaded into an image and downloaded page
// by page to the unit's bootloader after the unit restarts. While the window
// exists the link carries the bootloader's raw bytes instead of frames.
//
// Main thread only: HandleBootByte runs inside the worker's hand-over of
// received bytes and never throws.
#pragma once

#include "forms/FirmwareFormUi.h"

#include <QDialog>
#include <QString>

class QTimer;

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

class HEXFile;

// One download at a time.
extern std::uint8_t BootState;
extern HEXFile *BootImage; // owned by the window while it exists
extern std::int32_t BootStart;
extern std::int32_t BootEnd; // inclusive
extern std::int32_t BootOffset;
extern std::int32_t BootPageSize;

class TFirmware : public QDialog, public TFirmwareFormUi
{
public:
    // S_LAST_CONFIRMED: the last block's '!' came and the end went out; the
    // update holds for the unit's answer time in case that '!' was not the
    // unit's answer and an '@' follows.
    enum : std::uint8_t {
        S_IDLE = 0,
        S_ARMED = 1,
        S_DEVICE_DATA = 2,
        S_SENDING_PAGES = 3,
        S_LAST_CONFIRMED = 4,
    };
    using Time = std::chrono::steady_clock::time_point;
    // Size of the image the HEX file is read into.
    static constexpr std::int32_t ImageSize = 0x1F800;

    // How long the bootloader may take to confirm a block (or to ask for the
    // first one) before the update is given up.
    static constexpr int BlockTimeoutMs = 3000;
    // How long the bootloader may take, after a block has come whole, to
    // answer it (its page write), with the bridge's latency on top.
    static constexpr int AnswerTimeMs = 100;
    // How long `bytes` bytes take on the line: 38400 baud, 8N2 (11 bits a byte).
    static constexpr std::chrono::nanoseconds LineTime(std::size_t bytes)
    {
        return std::chrono::nanoseconds(
            (static_cast<std::int64_t>(bytes) * 11 * 1'000'000'000 + 38400 - 1) / 38400);
    }

    explicit TFirmware(QWidget *owner = nullptr);
    ~TFirmware() override;
    Q_DISABLE_COPY(TFirmware)

    void BtnOpenFileClick();
    void BtnProgramClick();
    void BtnExitClick();
    void HandleBootByte(std::uint8_t byte);
    // No '!' within BlockTimeoutMs of the last block: the update failed.
    void BlockTimerTimer();
    // The unit's answer time after the last block's '!' has passed: once
    // every byte read by then has been handled and none was an '@', the
    // target is updated.
    void AnswerTimerTimer();

    QTimer *BlockTimer = nullptr;
    QTimer *AnswerTimer = nullptr;

    // The file chosen last through BtnOpenFile (or read from the INI file).
    QString Path;

    // Raw bytes to the bootloader; the worker's queue unless a test replaces it.
    std::function<bool(const std::uint8_t *bytes, std::uint32_t count)> Send;
    // When the first byte of what was handed to Send last went to the
    // driver; false while none of it has. The worker's account unless a test
    // replaces it. The unit cannot answer a block before the block has had
    // its time on the line from then.
    std::function<bool(Time &at)> SentAt;
    // When the byte being handled was read: no later than that it came,
    // however late it is handled. The worker's account unless a test
    // replaces it.
    std::function<Time()> ReadAt;
    // Every byte read up to this time has been handled; the worker's account
    // unless a test replaces it.
    std::function<Time()> HandledUpTo;
    // Drops the frames still waiting in the worker's queue; tests replace it.
    std::function<void()> DropQueued;
    // The open dialog; tests replace it. Empty: cancelled.
    std::function<QString(const QString &start)> ChooseFile;
    // A pause; tests replace it.
    std::function<void(int ms)> Pause;

private:
    void FormCreate();
    void FormDestroy();
    void Log(const QString &line);
    bool SendBlock();
    void Fail(const QString &why);
    void Succeed();
    // Whether a '!' handled now can be the unit's answer to the block sent last.
    bool ReadyAnswersBlock();
    // Whether an update runs: from the bootloader's start to its end.
    bool Updating() const;
    std::int32_t FirstBlock() const;

    // The worker's number for the bytes the default Send queued last.
    std::uint64_t SentNumber = 0;
    // Bytes of the block sent last.
    std::size_t BlockBytes = 0;
    // The end of the unit's answer time after the last block's '!'.
    Time AnswerEnd{};
};

// Where the open dialog starts: the remembered file while its folder is
// there, else `folder` (relative to the working folder) when it exists,
// else nowhere in particular, so that no missing folder stands in the
// dialog's name field.
QString FirmwareDialogStart(const QString &path,
                            const QString &folder = QStringLiteral("Firmware"));

// The window while it is open.
extern TFirmware *Firmware;

// Opens the window modally over `owner`; returns when it was closed and deleted.
void LaunchFirmware(QWidget *owner);
