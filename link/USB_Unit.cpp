#include "link/USB_Unit.h"

#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

namespace devlink {

UsbThread *Usb = nullptr;

std::string TraceBytes(const std::uint8_t *bytes, std::size_t count)
{
    std::string s;
    s.reserve(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        s += std::to_string(bytes[i]);
        s += ' ';
    }
    return s;
}

UsbThread::UsbThread(d2xx::Driver &driver, UsbThreadClient &client, Synchronizer sync)
    : driver_(driver), client_(client), sync_(std::move(sync))
{
    sleep_ = [this](std::uint32_t ms) { Nap(ms); };
}

UsbThread::~UsbThread()
{
    Terminate();
}

int UsbThread::ListDevices(d2xx::Driver &driver, QStringList &list)
{
    std::uint32_t count = 0;
    if (driver.CreateDeviceInfoList(count) != d2xx::StatusOk)
        return 0;
    int result = static_cast<int>(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string description;
        if (driver.GetDeviceInfoDetail(i, description) != d2xx::StatusOk)
            continue;
        if (description.empty())
            --result;
        else
            list.append(QString::fromLatin1(description.c_str()));
    }
    return result;
}

int UsbThread::Open(const std::string &description)
{
    {
        std::lock_guard lock(DeviceLock);
        if (FtHandle != d2xx::InvalidHandle) {
            // Reopening: let go of whatever was open before.
            driver_.Close(FtHandle);
            FtHandle = d2xx::InvalidHandle;
        }
        FtHandle = driver_.CreateFile(description);
        if (FtHandle == d2xx::InvalidHandle)
            return 0;
        driver_.SetBaudRate(FtHandle, 38400);
        driver_.SetDataCharacteristics(FtHandle, 8, d2xx::StopBits2, d2xx::ParityNone);
        driver_.SetTimeouts(FtHandle, 5, 100);
        DeviceDescription = description;
    }
    {
        // Frames queued while nobody listened must never reach the unit later.
        std::lock_guard lock(TxLock);
        ClearQueueLocked();
        LastTxFrame = TxSlot{};
    }
    LinkState = LinkOpen;
    {
        std::lock_guard lock(wakeMutex_);
        wake_.notify_all();
    }
    Resume();
    return 1;
}

void UsbThread::Close()
{
    if (CloseDevice() != LinkClosed)
        client_.DeviceClosed();
}

UsbLinkState UsbThread::CloseDevice()
{
    const auto ended = static_cast<UsbLinkState>(LinkState.exchange(LinkClosed));
    {
        // Nothing is written on a closed link: what waits is dropped now.
        std::lock_guard lock(TxLock);
        ClearQueueLocked();
    }
    std::lock_guard lock(DeviceLock);
    DeviceDescription.clear();
    if (FtHandle != d2xx::InvalidHandle) {
        driver_.Close(FtHandle);
        FtHandle = d2xx::InvalidHandle;
    }
    return ended;
}

TxOutcome UsbThread::Send(const std::uint8_t *bytes, std::uint32_t count, std::uint64_t *number)
{
    return Queue(bytes, count, number, 0);
}

TxOutcome UsbThread::Queue(const std::uint8_t *bytes, std::uint32_t count, std::uint64_t *number,
                           std::uint64_t repeats)
{
    if (number)
        *number = 0;
    if (count > TxSlotSize) {
        Trace("Tx refused: " + std::to_string(count) + " bytes do not fit a slot", TraceRed);
        return {TxRefusal::TooLong};
    }
    TxRefusal refusal = TxRefusal::None;
    d2xx::Handle cut = d2xx::InvalidHandle;
    {
        std::lock_guard lock(TxLock);
        auto free = std::find_if(TxQueue.begin(), TxQueue.end(),
                                 [](const TxSlot &s) { return s.Used == 0; });
        // The worker empties the queue when the link goes, under this lock:
        // a frame taken after that would wait for a device that is gone.
        if (LinkState != LinkOpen)
            refusal = TxRefusal::LinkNotOpen;
        else if (free == TxQueue.end())
            refusal = TxRefusal::QueueFull;
        else {
            free->Length = count;
            free->Written = 0;
            std::memcpy(free->Data.data(), bytes, count);
            free->Used = 1;
            free->Order = ++LastOrder;
            free->Number = number ? (*number = ++LastNumber) : 0;
            free->Repeats = repeats;
            if (free->Number)
                Fates[free->Number % FateWindow] = TxFate::Waiting;
            LastTxFrame = *free; // Used doubles as Pending
            if (cutHandle_ != d2xx::InvalidHandle) {
                if (clock_() < cutUntil_)
                    cut = cutHandle_;
                cutHandle_ = d2xx::InvalidHandle;
            }
        }
    }
    // Queued while the worker's read takes the 5 ms after bytes: the worker
    // wakes at their end to write it, as it would have after sleeping them.
    if (cut != d2xx::InvalidHandle)
        driver_.CutPause(cut);
    if (Tracing()) {
        const char *what = refusal == TxRefusal::None        ? "-> Tx;add to Tx buffer: "
                           : refusal == TxRefusal::QueueFull ? "Tx buffer full, frame not sent: "
                                                             : "USB not open, frame not sent: ";
        Trace(what + TraceBytes(bytes, count), refusal == TxRefusal::None ? TraceGreen : TraceRed);
    }
    return {refusal};
}

void UsbThread::SetFateLocked(const TxSlot &slot, TxFate fate)
{
    const std::uint64_t n = slot.Number != 0 ? slot.Number : slot.Repeats;
    // A repeat dropped says nothing of the frame it repeats, which went before it.
    if (n != 0 && (slot.Number != 0 || fate == TxFate::Written))
        Fates[n % FateWindow] = fate;
}

TxFate UsbThread::Fate(std::uint64_t number) const
{
    std::lock_guard lock(TxLock);
    if (WaitingLocked(number, number))
        return TxFate::Waiting;
    if (number == 0 || number > LastNumber)
        return TxFate::Dropped;
    if (LastNumber - number >= FateWindow)
        return number <= LastWritten.load() ? TxFate::Written : TxFate::Dropped;
    const TxFate fate = Fates[number % FateWindow];
    return fate == TxFate::Waiting ? TxFate::Dropped : fate;
}

bool UsbThread::handedAt(std::uint64_t number, Time &at) const
{
    std::lock_guard lock(TxLock);
    if (number == 0 || HandedNumber != number)
        return false;
    at = HandedAt;
    return true;
}

bool UsbThread::Waiting(std::uint64_t first, std::uint64_t last) const
{
    std::lock_guard lock(TxLock);
    return WaitingLocked(first, last);
}

bool UsbThread::WaitingLocked(std::uint64_t first, std::uint64_t last) const
{
    return std::any_of(TxQueue.begin(), TxQueue.end(), [=](const TxSlot &s) {
        const std::uint64_t n = s.Number != 0 ? s.Number : s.Repeats;
        return s.Used && n != 0 && n >= first && n <= last;
    });
}

bool UsbThread::QueueFull() const
{
    std::lock_guard lock(TxLock);
    return std::all_of(TxQueue.begin(), TxQueue.end(), [](const TxSlot &s) { return s.Used; });
}

void UsbThread::ResendLast()
{
    TxSlot copy;
    {
        std::lock_guard lock(TxLock);
        if (!LastTxFrame.Used)
            return;
        copy = LastTxFrame;
    }
    // The repeat stands for the frame it repeats: whoever waits for that
    // frame to leave the queue (Waiting) waits for the repeat too.
    Queue(copy.Data.data(), copy.Length, nullptr, copy.Number != 0 ? copy.Number : copy.Repeats);
    std::lock_guard lock(TxLock);
    LastTxFrame.Used = 0;
}

void UsbThread::ClearQueue()
{
    std::lock_guard lock(TxLock);
    ClearQueueLocked();
}

bool UsbThread::SetRxMode(std::uint8_t mode)
{
    RxMode = mode;
    return LinkState == LinkOpen;
}

void UsbThread::Resume()
{
    if (autoStart_ && !isRunning() && !terminated_)
        start(QThread::HighPriority);
}

bool UsbThread::Terminate(unsigned long waitMs)
{
    terminated_ = true;
    {
        std::lock_guard lock(wakeMutex_);
        wake_.notify_all();
    }
    bool joined = true;
    if (isRunning() && currentThread() != this)
        joined = wait(QDeadlineTimer(waitMs));
    CloseDevice();
    return joined;
}

std::string UsbThread::deviceDescription() const
{
    std::lock_guard lock(DeviceLock);
    return DeviceDescription;
}

std::vector<TxSlot> UsbThread::queueSnapshot() const
{
    std::lock_guard lock(TxLock);
    return {TxQueue.begin(), TxQueue.end()};
}

TxSlot UsbThread::lastTxFrame() const
{
    std::lock_guard lock(TxLock);
    return LastTxFrame;
}

void UsbThread::ClearQueueLocked()
{
    for (auto &s : TxQueue) {
        if (s.Used)
            SetFateLocked(s, TxFate::Dropped);
        s = TxSlot{};
    }
}

void UsbThread::Trace(const std::string &text, std::uint32_t colour)
{
    if (currentThread() == this)
        Synchronize([this, text, colour] { client_.TraceLine(text, colour); });
    else
        client_.TraceLine(text, colour);
}

bool UsbThread::Tracing() const
{
    return currentThread() == this || client_.Tracing();
}

bool UsbThread::Synchronize(std::function<void()> fn)
{
    if (sync_)
        return sync_(std::move(fn));
    fn();
    return true;
}

void UsbThread::Nap(std::uint32_t ms)
{
    std::unique_lock lock(wakeMutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return terminated_.load(); });
}

void UsbThread::PauseBeforeRead(std::uint32_t ms)
{
    if (pauseInRead_)
        owedMs_ += ms;
    else
        sleep_(ms);
}

bool UsbThread::OwePauseAfterData(d2xx::Handle handle)
{
    if (!pauseInRead_)
        return false;
    std::lock_guard lock(TxLock);
    if (std::any_of(TxQueue.begin(), TxQueue.end(), [](const TxSlot &s) { return s.Used; }))
        return false;
    cutHandle_ = handle;
    cutUntil_ = clock_() + std::chrono::milliseconds(AfterDataMs);
    owedMs_ += AfterDataMs;
    owedCut_ = std::chrono::milliseconds(AfterDataMs);
    return true;
}

void UsbThread::DispatchRx()
{
    if (Tracing())
        client_.TraceLine("<- Rx buffer: " +
                              TraceBytes(RxBuffer.data(), static_cast<std::size_t>(RxCount)),
                          TraceBlue);
    for (std::int32_t i = 0; i < RxCount; ++i) {
        if (RxMode == RxModeFrames)
            client_.RxFrameByte(RxBuffer[static_cast<std::size_t>(i)]);
        else
            client_.RxBootByte(RxBuffer[static_cast<std::size_t>(i)]);
    }
}

void UsbThread::NotifyLost()
{
    Synchronize([this] { client_.DeviceRemoved(); });
}

void UsbThread::NotifyRegained()
{
    Synchronize([this] { client_.DeviceArrived(); });
}

void UsbThread::Pass()
{
    switch (LinkState.load()) {
    case LinkOpen: {
        PauseBeforeRead(10);
        const d2xx::ReadPause pause(std::chrono::milliseconds(std::exchange(owedMs_, 0)),
                                    std::exchange(owedCut_, std::chrono::milliseconds::zero()));
        bool ok = false, gone = false;
        std::uint32_t got = 0;
        d2xx::Handle handle = d2xx::InvalidHandle;
        Time readAt{};
        {
            std::lock_guard lock(DeviceLock);
            if (LinkState != LinkOpen || FtHandle == d2xx::InvalidHandle)
                return;
            handle = FtHandle;
            ok = driver_.ReadFile(FtHandle, RxBuffer.data(), RxBuffer.size(), got, pause);
            readAt = std::chrono::steady_clock::now();
            // Closed while the read waited: what came goes with the handle,
            // as it does when the link is closed before the read.
            if (LinkState != LinkOpen)
                return;
            if (!ok)
                gone = driver_.GetLastError(FtHandle) == d2xx::ErrorDeviceGone;
        }
        if (ok && got > 0) {
            RxCount = static_cast<std::int32_t>(got);
            RxReadAt.store(readAt.time_since_epoch().count());
            Synchronize([this] { DispatchRx(); });
            RxHandledUpTo.store(readAt.time_since_epoch().count());
            if (OwePauseAfterData(handle))
                return; // nothing to write after the pause: the next read takes it
            sleep_(AfterDataMs);
        } else if (ok) {
            RxHandledUpTo.store(readAt.time_since_epoch().count());
        } else if (gone) {
            // Lost before the main window hears of it: from here on nothing
            // is queued, and what waits can never be written, so it goes now.
            std::uint8_t expected = LinkOpen;
            if (LinkState.compare_exchange_strong(expected, LinkLost)) {
                std::lock_guard txLock(TxLock);
                ClearQueueLocked();
                std::lock_guard lock(DeviceLock);
                if (FtHandle != d2xx::InvalidHandle)
                    driver_.Close(FtHandle);
                FtHandle = d2xx::InvalidHandle;
            }
            NotifyLost();
            return; // nothing is written on a port that is gone
        }
        WriteOneFrame();
        break;
    }
    case LinkLost: {
        sleep_(250);
        if (LinkState != LinkLost || terminated_)
            return;
        std::string description;
        {
            std::lock_guard lock(DeviceLock);
            description = DeviceDescription;
        }
        if (Open(description) == 1)
            NotifyRegained();
        break;
    }
    default:
        break;
    }
}

void UsbThread::WriteOneFrame()
{
    std::uint32_t pause = 0; // after failed or partial writes, slept at once
    bool wroteWhole = false;
    {
        std::lock_guard txLock(TxLock);
        std::lock_guard devLock(DeviceLock);
        if (LinkState != LinkOpen || FtHandle == d2xx::InvalidHandle)
            return;
        // Frames leave in the order they were queued, so none waits behind
        // a later one; a frame partly on the wire is the oldest, and is
        // finished before any other starts: a frame written into the middle
        // of another breaks both. A failed write keeps it first in line.
        TxSlot *oldest = nullptr;
        for (auto &slot : TxQueue)
            if (slot.Used && (!oldest || slot.Order < oldest->Order))
                oldest = &slot;
        if (oldest) {
            TxSlot &slot = *oldest;
            std::uint32_t written = 0;
            const std::uint32_t rest = slot.Length - slot.Written;
            const Time handing = std::chrono::steady_clock::now();
            if (driver_.WriteFile(FtHandle, slot.Data.data() + slot.Written, rest, written)) {
                if (slot.Number && slot.Written == 0 && written > 0) {
                    HandedNumber = slot.Number;
                    HandedAt = handing;
                }
                if (written >= rest) {
                    if (slot.Number)
                        LastWritten.store(slot.Number);
                    SetFateLocked(slot, TxFate::Written);
                    slot = TxSlot{};
                    wroteWhole = true;
                } else {
                    // Go on with the unwritten rest next time, never the whole frame again.
                    slot.Written += written;
                    pause += 5;
                }
            } else {
                pause += 5;
            }
        }
    }
    if (pause)
        sleep_(pause);
    if (wroteWhole)
        PauseBeforeRead(2);
}

void UsbThread::run()
{
    while (!terminated_) {
        if (LinkState == LinkClosed) {
            owedMs_ = 0; // nothing to pace until the link opens again
            owedCut_ = std::chrono::milliseconds::zero();
            std::unique_lock lock(wakeMutex_);
            wake_.wait(lock, [this] { return terminated_ || LinkState != LinkClosed; });
            continue;
        }
        Pass();
    }
    std::lock_guard lock(DeviceLock);
    if (FtHandle != d2xx::InvalidHandle)
        driver_.Close(FtHandle);
    FtHandle = d2xx::InvalidHandle;
}

} // namespace devlink
