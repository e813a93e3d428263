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
    enum : std::uint8_t { S_IDLE = 0, S_ARMED = 1, S_DEVICE_DATA = 2, S_SENDING_PAGES = 3 };
    // Size of the image the HEX file is read into.
    static constexpr std::int32_t ImageSize = 0x1F800;

    // How long the bootloader may take to confirm a block (or to ask for the
    // first one) before the update is given up.
    static constexpr int BlockTimeoutMs = 3000;

    explicit TFirmware(QWidget *owner = nullptr);
    ~TFirmware() override;
    Q_DISABLE_COPY(TFirmware)

    void BtnOpenFileClick();
    void BtnProgramClick();
    void BtnExitClick();
    void HandleBootByte(std::uint8_t byte);
    // No '!' within BlockTimeoutMs of the last block: the update failed.
    void BlockTimerTimer();

    QTimer *BlockTimer = nullptr;

    // The file chosen last through BtnOpenFile (or read from the INI file).
    QString Path;

    // Raw bytes to the bootloader; the worker's queue unless a test replaces it.
    std::function<bool(const std::uint8_t *bytes, std::uint32_t count)> Send;
    // Whether the bytes handed to Send last have been written whole to the
    // link; the worker's account unless a test replaces it. A '!' before
    // then cannot answer them.
    std::function<bool()> SentWritten;
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
    std::int32_t FirstBlock() const;

    // The worker's number for the bytes the default Send queued last.
    std::uint64_t SentNumber = 0;
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
