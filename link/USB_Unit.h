// The USB worker thread and its transmit queue.
//
// Thread contract:
// - Main thread: Send, ResendLast, ClearQueue, Open, Close, ListDevices, SetRxMode,
//   Resume, Terminate. The client's callbacks (received bytes, loss and
//   return of the device, trace lines) always run on the main thread.
// - Worker thread: Execute, i.e. repeated Pass() calls; it also calls Open
//   itself while the link is lost, to reopen a device that was plugged back.
// - TxLock guards TxQueue, LastTxFrame and Fates. DeviceLock serialises the
//   worker's reads and writes with Open and Close, and guards FtHandle and
//   DeviceDescription. Lock order: TxLock before DeviceLock, never the other
//   way round. Neither lock is held while the worker waits for the main
//   thread. The worker holds DeviceLock through a read, whose wait takes in
//   the pauses before it (10 ms, 12 after a frame was written, 15 after
//   bytes came and nothing waited to be written), so Open and Close wait at
//   most that long plus the read time-out. TxLock also guards the cut that
//   a frame queued within those 5 ms after bytes makes: Send ends the read's
//   pause through the driver, which takes no lock of the thread's.
// - LinkState and RxMode are atomics written by both threads.
// - LastWritten is an atomic the worker stores after a numbered frame went
//   out whole, before its next read; any thread reads it. Waiting and Fate
//   look at the queue under TxLock alone; any thread may ask them.
// - Send takes a frame only while LinkState is LinkOpen, under TxLock; the
//   worker marks a lost link before it empties the queue under TxLock, so no
//   frame waits for a device that is gone.
// - HandedNumber and HandedAt are guarded by TxLock. RxReadAt and
//   RxHandledUpTo are atomics the worker stores around a hand-over of
//   received bytes; any thread reads them.
#pragma once

#include "link/TxOutcome.h"
#include "platform/d2xx/d2xx.h"

#include <QThread>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <QStringList>

namespace devlink {

enum UsbLinkState : std::uint8_t { LinkClosed = 0, LinkLost = 1, LinkOpen = 2 };
enum UsbRxMode : std::uint8_t { RxModeFrames = 0, RxModeBootloader = 1 };

inline constexpr std::size_t TxSlotCount = 25;
inline constexpr std::size_t TxSlotSize = 300;

struct TxSlot
{
    std::uint8_t Used = 0; // in LastTxFrame: Pending
    std::uint64_t Order = 0; // when it was queued: the writer takes the lowest first
    std::uint32_t Length = 0;
    std::uint32_t Written = 0; // bytes already on the wire after a partial write
    std::uint64_t Number = 0;  // given when the sender asked for one; 0 otherwise
    std::uint64_t Repeats = 0; // a repeat's: the number of the frame it repeats
    std::array<std::uint8_t, TxSlotSize> Data{};
};

// What became of a numbered frame.
enum class TxFate : std::uint8_t {
    Waiting, // in the queue, whole or its unwritten rest, or a repeat of it is
    Written, // the driver took all of it
    Dropped, // left the queue unwritten, or was never queued
};

// What the thread reports to the main window. Every call runs on the main thread.
class UsbThreadClient
{
public:
    virtual ~UsbThreadClient() = default;
    virtual void RxFrameByte(std::uint8_t byte) = 0;
    virtual void RxBootByte(std::uint8_t byte) = 0;
    virtual void DeviceRemoved() = 0;
    virtual void DeviceArrived() = 0;
    // Close ended an open or lost link (not at the thread's end); runs on
    // the thread that called Close, the main thread.
    virtual void DeviceClosed() {}
    virtual void TraceLine(const std::string &text, std::uint32_t colour) = 0;
    // Whether trace lines are kept at all; while they are not, the thread
    // does not build them.
    virtual bool Tracing() const { return true; }
};

// Runs a function on the main thread and waits for it; false if it could not.
using Synchronizer = std::function<bool(std::function<void()>)>;
using Sleeper = std::function<void(std::uint32_t ms)>;

inline constexpr std::uint32_t TraceGreen = 0x008000;
inline constexpr std::uint32_t TraceBlue = 0xFF0000;
inline constexpr std::uint32_t TraceRed = 0x0000FF;

class UsbThread : public QThread
{
public:
    UsbThread(d2xx::Driver &driver, UsbThreadClient &client, Synchronizer sync);
    ~UsbThread() override;
    UsbThread(const UsbThread &) = delete;
    UsbThread &operator=(const UsbThread &) = delete;

    static int ListDevices(d2xx::Driver &driver, QStringList &list);

    // Main thread (the connection), and the worker while the link is lost.
    int Open(const std::string &description);
    // Main thread: closes the device; tells the client when a link was open or lost.
    void Close();
    // Queues one frame behind every frame queued before it; refused, with a
    // red trace line and the reason, when it does not fit a slot, when no
    // device is open (nothing queued then could reach the unit) or when every
    // slot still waits to be written: the frames already queued stay, and
    // the caller tells the user. With `number`, the frame is numbered
    // (numbers rise from 1) and its number stored there, 0 when it was not
    // queued.
    TxOutcome Send(const std::uint8_t *bytes, std::uint32_t count, std::uint64_t *number = nullptr);
    // The number of the numbered frame written whole to the driver last, 0
    // before any: a byte handed over after it changed came after that frame
    // went out. Any thread.
    std::uint64_t lastWrittenNumber() const { return LastWritten.load(); }
    using Time = std::chrono::steady_clock::time_point;
    // When the first byte of the numbered frame `number` was handed to the
    // driver (taken just before the call that took it); false while none of
    // it has been, or when another numbered frame was handed since. Any thread.
    bool handedAt(std::uint64_t number, Time &at) const;
    // When the worker's read returned the bytes it hands over now; the main
    // thread asks inside the hand-over. No byte of them arrived later.
    Time rxReadAt() const { return Time(Time::duration(RxReadAt.load())); }
    // Every byte that the worker's reads returned up to this time has been
    // handed over whole. Any thread.
    Time rxHandledUpTo() const { return Time(Time::duration(RxHandledUpTo.load())); }
    // Whether a numbered frame from `first` to `last`, or a repeat of one
    // (ResendLast), still waits in the queue, whole or its unwritten rest;
    // one dropped from the queue no longer does. Any thread.
    bool Waiting(std::uint64_t first, std::uint64_t last) const;
    // What became of the numbered frame `number`; told exactly for the last
    // FateWindow numbers given, and for older ones as Written when they are
    // not above the last written. Any thread.
    TxFate Fate(std::uint64_t number) const;
    static constexpr std::uint64_t FateWindow = 1024;
    // Every slot holds a frame that waits to be written.
    bool QueueFull() const;
    void ResendLast();
    bool SetRxMode(std::uint8_t mode);
    // Drops every frame still waiting to be written, a partly written one too.
    void ClearQueue();

    // Starts the thread if it does not run yet (it is created suspended).
    void Resume();
    // Asks the loop to end, ends any hand-over wait, and joins the thread
    // within `waitMs`. Closes the device. Safe to call more than once.
    bool Terminate(unsigned long waitMs = 2000);

    // One pass of the loop; public so that tests can drive the thread.
    void Pass();

    UsbLinkState linkState() const { return static_cast<UsbLinkState>(LinkState.load()); }
    UsbRxMode rxMode() const { return static_cast<UsbRxMode>(RxMode.load()); }
    std::string deviceDescription() const;
    // Snapshot of the queue, for tests and diagnostics.
    std::vector<TxSlot> queueSnapshot() const;
    TxSlot lastTxFrame() const;

    // A sleeper of the caller's own takes the pauses, those before a read too
    // unless `pausesInRead` leaves them to the read as usual.
    void setSleeper(Sleeper sleeper, bool pausesInRead = false)
    {
        sleep_ = std::move(sleeper);
        pauseInRead_ = pausesInRead;
    }
    // The clock that times the 5 ms after received bytes, which a frame
    // queued within them cuts short; tests replace it. Either thread calls it.
    void setClock(std::function<Time()> clock) { clock_ = std::move(clock); }
    // Tests that drive Pass() themselves keep the thread from starting.
    void setAutoStart(bool on) { autoStart_ = on; }

protected:
    void run() override; // Execute

private:
    // Closes the device; returns the link state it ended.
    UsbLinkState CloseDevice();
    void DispatchRx();
    // Hand the loss and the return of the device to the main window.
    void NotifyLost();
    void NotifyRegained();
    void Trace(const std::string &text, std::uint32_t colour);
    // Asks the client on the main thread; on the worker, whose lines are
    // rare, a line is always built.
    bool Tracing() const;
    bool Synchronize(std::function<void()> fn);
    void ClearQueueLocked();
    // Send; a repeat (`repeats` non-zero) is not numbered but keeps the number
    // of the frame it repeats for Waiting.
    TxOutcome Queue(const std::uint8_t *bytes, std::uint32_t count, std::uint64_t *number,
                    std::uint64_t repeats);
    // The fate of a numbered frame (or of the one a repeat stands for) as it
    // leaves the queue; under TxLock.
    void SetFateLocked(const TxSlot &slot, TxFate fate);
    // Waiting, under TxLock.
    bool WaitingLocked(std::uint64_t first, std::uint64_t last) const;
    void WriteOneFrame();
    void Nap(std::uint32_t ms);
    // A pause that nothing but the next read can follow: it is owed to that
    // read and taken inside the read's own wait, so that a quiet line costs
    // one wake-up a pass instead of two. The timing on the line is the same.
    void PauseBeforeRead(std::uint32_t ms);
    // After bytes were handed over: when no frame waits to be written, the
    // 5 ms that come next are owed to the next read too, and a frame queued
    // within them cuts that read's pause short at their end. False when
    // they are to be slept now.
    bool OwePauseAfterData(d2xx::Handle handle);

    d2xx::Driver &driver_;
    UsbThreadClient &client_;
    Synchronizer sync_;
    Sleeper sleep_;
    static constexpr std::uint32_t AfterDataMs = 5;
    // Worker thread only: the pause owed to the next read, and how much of
    // it a frame queued meanwhile may cut short.
    std::uint32_t owedMs_ = 0;
    std::chrono::milliseconds owedCut_{0};
    bool pauseInRead_ = true;

    std::atomic<std::uint8_t> LinkState{LinkClosed};
    std::atomic<std::uint8_t> RxMode{RxModeFrames};
    std::atomic<bool> terminated_{false};
    bool autoStart_ = true;

    // Taken after TxLock when both are needed (the worker's write).
    mutable std::mutex DeviceLock;
    d2xx::Handle FtHandle = d2xx::InvalidHandle;
    std::string DeviceDescription;

    // Taken before DeviceLock.
    mutable std::mutex TxLock;
    std::array<TxSlot, TxSlotCount> TxQueue{};
    TxSlot LastTxFrame{};
    std::uint64_t LastNumber = 0; // the number given last; under TxLock
    std::uint64_t LastOrder = 0;  // the order given last; under TxLock
    // What became of the numbered frames, by number modulo FateWindow; under TxLock.
    std::array<TxFate, FateWindow> Fates{};
    std::atomic<std::uint64_t> LastWritten{0};
    std::uint64_t HandedNumber = 0; // the numbered frame handed last; under TxLock
    Time HandedAt{};
    std::atomic<Time::rep> RxReadAt{0};
    std::atomic<Time::rep> RxHandledUpTo{0};
    // The device whose read's pause a frame queued before cutUntil_ cuts.
    d2xx::Handle cutHandle_ = d2xx::InvalidHandle;
    std::chrono::steady_clock::time_point cutUntil_{};
    std::function<Time()> clock_ = [] { return std::chrono::steady_clock::now(); };

    std::mutex wakeMutex_; // with wake_: the loop's wait while the link is closed
    std::condition_variable wake_;

    std::int32_t RxCount = 0;
    std::array<std::uint8_t, 4096> RxBuffer{};
};

// Formats bytes as the trace shows them: decimal, each followed by a blank.
std::string TraceBytes(const std::uint8_t *bytes, std::size_t count);

// The one worker thread of the tool (owned by the main window).
extern UsbThread *Usb;

} // namespace devlink
