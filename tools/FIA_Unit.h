// The flash compare window: reads the unit's program memory block by block
// and compares it with an Intel HEX file.
//
// Thread contract: main thread only, like every window; the dispatcher
// hands it frames on the main thread.
#pragma once

#include "forms/FIA_FormUi.h"
#include "link/TxOutcome.h"
#include "main/ToolWindows.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

class HEXFile;

inline constexpr std::int32_t CompareImageSize = 0x20000;
// The unit's program memory below its bootloader.
inline constexpr std::uint32_t FlashCompareEnd = 0xFC00;
inline constexpr std::uint32_t CompareBlockSize = 16;
// Time-outs in a row after which a request is given up (six tries in all).
inline constexpr int MaxRequestRetries = 5;

// The address of the first of `bytes` (the unit's memory from `address` on)
// that differs from the image; none when all are equal. Addresses the
// image does not reach compare as erased flash (0xFF).
std::optional<std::uint32_t> FirstDifference(const HEXFile &image, std::uint32_t address,
                                             std::span<const std::uint8_t> bytes);

// One compare at a time: the window's state lives beside it.
extern std::unique_ptr<HEXFile> CompareImage;
extern std::uint32_t CompareAddr;
extern std::uint8_t CompareCancelled;

class TFIA_Form : public QDialog, public TFIA_FormUi, public TFrameHandler
{
public:
    enum class CompareResult { Idle, Running, Equal, Different, NoContact, Cancelled, FileError };

    // Runs FormCreate: the INI file's path and the image.
    explicit TFIA_Form(QWidget *owner = nullptr);
    // Runs FormDestroy: the path back into the INI file.
    ~TFIA_Form() override;
    Q_DISABLE_COPY(TFIA_Form)

    // The menu's launch: creates the window, forwards frames to it while it
    // is shown modally, and deletes it.
    static void Launch(QWidget *owner);

    void FormCreate();
    void FormDestroy();
    void BtnOpenFileClick();
    void BtnStartClick();
    void SendReadRequest(std::uint32_t address);
    void TimerRequestTimer();
    void BtnCancelClick();
    void BtnExitClick();
    void HandleFrame(const std::uint8_t *frame, std::size_t count) override;

    int RetryCount = 0;
    QString Path; // the last chosen file, kept in the INI file
    CompareResult Result = CompareResult::Idle;
    std::uint32_t DifferenceAddr = 0; // valid when Result is Different
    // End of the compared memory; tests shorten it to keep a run short.
    std::uint32_t CompareEnd = FlashCompareEnd;

    // The file dialog: the chosen name, empty when cancelled.
    std::function<QString(const QString &current)> ChooseFile;
    // Where frames go; the main window's SendFrame unless a test replaces it.
    // False when the frame was not queued.
    std::function<devlink::TxOutcome(const std::uint8_t *frame, std::uint8_t count)> Send;
    // The pause after the identity request; tests replace it.
    std::function<void(int ms)> Pause;
    static constexpr int IdentityPauseMs = 20;

private:
    void HandleFirmwareRead(const std::uint8_t *frame);
    // `rule`: a line of dashes closes the compare's record.
    void EndCompare(CompareResult result, const QString &text, bool rule = true);
    void Status(const QString &line);
};

// The open window, null while none is.
extern TFIA_Form *FIA_Form;
