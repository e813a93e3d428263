#include "sim/SimLine.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "sim/SimulatedUnit.h"

#include <algorithm>

namespace sim {

Clock::duration SimLine::transferTime(std::size_t bytes)
{
    constexpr std::uint64_t bitNs = 1'000'000'000ull;
    const std::uint64_t bits = static_cast<std::uint64_t>(bytes) * BitsPerByte;
    return Clock::duration((bits * bitNs + BaudRate - 1) / BaudRate);
}

SimLine::SimLine(std::shared_ptr<SimulatedUnit> unit, std::shared_ptr<const Clock> clock,
                 bool pacing)
    : unit_(std::move(unit)), clock_(std::move(clock)), pacing_(pacing)
{
    unitTime_ = inboundFree_ = outboundFree_ = clock_->now();
}

std::optional<std::uint64_t> SimLine::openSession()
{
    std::lock_guard lock(mutex_);
    if (!plugged_)
        return std::nullopt;
    return session_;
}

bool SimLine::sessionAlive(std::uint64_t session) const
{
    std::lock_guard lock(mutex_);
    return aliveLocked(session);
}

bool SimLine::write(std::uint64_t session, std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    if (!aliveLocked(session))
        return false;
    if (bytes.empty())
        return true;
    const Clock::duration now = clock_->now();
    Clock::duration arrives = now;
    if (pacing_) {
        arrives = std::max(now, inboundFree_) + transferTime(bytes.size());
        inboundFree_ = arrives;
    }
    inbox_.push_back({std::vector<std::uint8_t>(bytes.begin(), bytes.end()), arrives, now});
    cv_.notify_all();
    return true;
}

bool SimLine::read(std::uint64_t session, std::span<std::uint8_t> buffer, Clock::duration timeout,
                   std::size_t &got, Clock::duration quiet, Clock::duration startAfter, ReadCut cut)
{
    got = 0;
    std::unique_lock lock(mutex_);
    Clock::duration now = clock_->now();
    const Clock::duration pause = std::max(startAfter, Clock::duration::zero());
    const Clock::duration start = now + pause;
    const Clock::duration deadline = start + std::max(timeout, Clock::duration::zero());
    const Clock::duration cutWithin = std::clamp(cut.within, Clock::duration::zero(), pause);
    const Clock::duration cutAt = now + cutWithin;
    bool cutting = false;
    Clock::duration lastArrived{};
    for (;;) {
        if (!aliveLocked(session))
            return false;
        if (cut.flag && cut.flag->exchange(false) && cutWithin > Clock::duration::zero() &&
            now < start)
            cutting = true;
        if (cutting) {
            if (now >= cutAt || !clock_->waitUntil(lock, cv_, cutAt))
                return true;
            now = clock_->now();
            continue;
        }
        // A request that arrives before the start is carried out at its own
        // arrival time all the same; what it brings is looked at from the start.
        processLocked(now, std::max(now, start));
        const std::size_t limit =
            maxPerRead_ ? std::min(maxPerRead_, buffer.size()) : buffer.size();
        while (now >= start && got < limit && !outbox_.empty() && outbox_.front().due <= now) {
            lastArrived = outbox_.front().due;
            buffer[got++] = outbox_.front().byte;
            outbox_.pop_front();
        }
        // As the bridge's driver does: the read ends when the buffer is full,
        // the time-out has run out, or bytes came and the line has then been
        // quiet for `quiet`.
        if (got >= limit || now >= deadline || (got > 0 && now >= lastArrived + quiet))
            return true;
        Clock::duration wake =
            readEndLocked(std::max(now, start), deadline, limit - got, quiet,
                          got > 0 ? std::optional(lastArrived) : std::nullopt);
        if (!inbox_.empty())
            wake = std::min(wake, inbox_.front().arrives);
        if (!clock_->waitUntil(lock, cv_, wake))
            return true;
        now = clock_->now();
    }
}

Clock::duration SimLine::readEndLocked(Clock::duration from, Clock::duration deadline,
                                       std::size_t room, Clock::duration quiet,
                                       std::optional<Clock::duration> lastArrived) const
{
    // Wake once where the read ends with the bytes already on their way,
    // not at the start or at every byte: the outcome is the same.
    auto it = outbox_.begin();
    for (; it != outbox_.end() && room > 0 && it->due <= from; ++it, --room)
        lastArrived = it->due; // what came during a pause, taken at its end
    if (room == 0 || from >= deadline || (lastArrived && from >= *lastArrived + quiet))
        return std::min(from, deadline);
    if (!lastArrived) {
        if (it == outbox_.end() || it->due >= deadline)
            return deadline;
        lastArrived = it->due;
        ++it;
        if (--room == 0)
            return *lastArrived;
    }
    for (; it != outbox_.end() && it->due <= *lastArrived + quiet; ++it) {
        lastArrived = it->due;
        if (--room == 0)
            return std::min(deadline, *lastArrived);
    }
    return std::min(deadline, *lastArrived + quiet);
}

void SimLine::wakeReader()
{
    std::lock_guard lock(mutex_);
    cv_.notify_all();
}

std::optional<Clock::duration> SimLine::untilNextEvent()
{
    std::lock_guard lock(mutex_);
    const Clock::duration now = clock_->now();
    processLocked(now, now);
    const auto next = nextEventLocked();
    if (!next)
        return std::nullopt;
    return std::max(*next - now, Clock::duration::zero());
}

std::size_t SimLine::pendingBytes() const
{
    std::lock_guard lock(mutex_);
    return outbox_.size();
}

void SimLine::processLocked(Clock::duration now, Clock::duration arrivedBy)
{
    // Requests are carried out in arrival order, each at its own arrival
    // time, so that answers and the unit's clock agree with the line.
    while (!inbox_.empty() && inbox_.front().arrives <= arrivedBy) {
        Chunk chunk = std::move(inbox_.front());
        inbox_.pop_front();
        syncUnitLocked(chunk.arrives);
        // A paced chunk is through at `arrives`; its first byte came one
        // chunk's time before.
        const Clock::duration firstAt =
            pacing_ ? chunk.arrives - transferTime(chunk.bytes.size()) : chunk.arrives;
        const std::optional<std::size_t> heldBefore = unit_->bootBlockHeld();
        const std::uint32_t doneBefore = unit_->bootBlocksDone();
        if (heldBefore && *heldBefore == 0 && !chunk.bytes.empty()) {
            bootBlockFrom_ = firstAt;
            if (bootBlockHanded_ &&
                chunk.handed < *bootBlockHanded_ + transferTime(BootloaderState::BlockSize))
                ++bootBlocksAhead_;
            bootBlockHanded_ = chunk.handed;
        }
        // The answers to one chunk leave back to back, unless a fault holds
        // some of them back.
        std::vector<std::uint8_t> burst;
        Clock::duration start = chunk.arrives;
        const auto add = [&burst](const std::vector<std::uint8_t> &frame) {
            const auto bytes = devlink::SlipEncode(frame.data(), frame.size());
            burst.insert(burst.end(), bytes.begin(), bytes.end());
        };
        for (auto &frame : unit_->feed(chunk.bytes)) {
            if (dropAnswers_ > 0) {
                --dropAnswers_;
                continue;
            }
            if (corruptNext_ && !frame.empty()) {
                frame[devlink::FrameChecksumAt] ^= 0xFF;
                corruptNext_ = false;
            }
            if (burst.empty()) {
                start += delayNext_;
                delayNext_ = Clock::duration::zero();
            }
            const std::optional<FaultRule> rule = takeFaultLocked(frame);
            if (rule && rule->fault == AnswerFault::Silence)
                silent_ = true;
            if (silent_)
                continue;
            switch (rule ? rule->fault : AnswerFault::Repeat) {
            case AnswerFault::Drop:
                continue;
            case AnswerFault::Repeat:
                add(frame);
                if (rule)
                    add(frame);
                break;
            case AnswerFault::SerialError: {
                devlink::DeviceFrame nak(devlink::NodeSystem, devlink::SERIAL_ERROR_IND);
                nak.finish();
                add(std::vector<std::uint8_t>(nak.data(), nak.data() + nak.length()));
                break;
            }
            case AnswerFault::Corrupt:
                frame[devlink::FrameChecksumAt] ^= 0xFF;
                add(frame);
                break;
            case AnswerFault::Delay:
                queueLocked(burst, start);
                burst.clear();
                start = std::max(start, outboundFree_) + rule->delay;
                add(frame);
                break;
            case AnswerFault::Renumber:
                if (frame.size() > devlink::FrameDataAt) {
                    frame[devlink::FrameDataAt] = rule->record;
                    const std::size_t length =
                        std::min<std::size_t>(frame[devlink::FrameLengthAt], frame.size());
                    frame[devlink::FrameChecksumAt] =
                        devlink::FrameChecksum(frame.data() + 1, length > 0 ? length - 1 : 0);
                }
                add(frame);
                break;
            case AnswerFault::Silence:
                break;
            }
        }
        // The bootloader's answers are raw bytes, not frames. Like any on a
        // real line it answers a block no sooner than the block's time on
        // the line after its first byte, paced or not.
        Clock::duration rawAt = start;
        if (unit_->bootBlocksDone() != doneBefore) {
            rawAt = std::max(start, bootBlockFrom_ + transferTime(BootloaderState::BlockSize));
            // The next block began within this chunk.
            if (const auto held = unit_->bootBlockHeld(); held && *held > 0)
                bootBlockFrom_ = pacing_ ? chunk.arrives - transferTime(*held) : chunk.arrives;
        }
        std::size_t delayFrom = 0;
        Clock::duration delayBy{};
        std::vector<std::pair<std::uint8_t, Clock::duration>> lateCopies;
        const auto raw = bootFaultsLocked(unit_->takeRawOutput(), delayFrom, delayBy, lateCopies);
        const auto late = raw.begin() + static_cast<std::ptrdiff_t>(delayFrom);
        queueLocked(burst, start);
        queueLocked(std::vector<std::uint8_t>(raw.begin(), late), rawAt);
        queueLocked(std::vector<std::uint8_t>(late, raw.end()), rawAt + delayBy);
        for (const auto &[byte, by] : lateCopies)
            queueLocked({byte}, rawAt + by);
    }
    syncUnitLocked(now);
}

void SimLine::syncUnitLocked(Clock::duration to)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(to - unitTime_);
    if (ms.count() <= 0)
        return;
    unit_->advance(ms);
    unitTime_ += ms;
}

void SimLine::queueLocked(const std::vector<std::uint8_t> &bytes, Clock::duration at)
{
    const Clock::duration start = std::max(at, outboundFree_);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        outbox_.push_back({bytes[i], pacing_ ? start + transferTime(i + 1) : start});
    if (!bytes.empty())
        outboundFree_ = outbox_.back().due;
}

std::optional<Clock::duration> SimLine::nextEventLocked() const
{
    std::optional<Clock::duration> next;
    if (!outbox_.empty())
        next = outbox_.front().due;
    if (!inbox_.empty())
        next = next ? std::min(*next, inbox_.front().arrives) : inbox_.front().arrives;
    return next;
}

std::optional<SimLine::FaultRule> SimLine::takeFaultLocked(const std::vector<std::uint8_t> &frame)
{
    if (frame.size() <= devlink::FrameCommandAt)
        return std::nullopt;
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        const AnswerMatch &m = it->match;
        if (m.code && *m.code != frame[devlink::FrameCommandAt])
            continue;
        if (m.record &&
            (frame.size() <= devlink::FrameDataAt || *m.record != frame[devlink::FrameDataAt]))
            continue;
        const FaultRule rule = *it;
        if (it->left > 0 && --it->left == 0)
            faults_.erase(it);
        ++faulted_;
        return rule;
    }
    return std::nullopt;
}

void SimLine::faultAnswers(AnswerFault fault, AnswerMatch match, int count, Clock::duration delay)
{
    std::lock_guard lock(mutex_);
    if (count != 0)
        faults_.push_back({fault, match, count, std::max(delay, Clock::duration::zero())});
}

void SimLine::renumberAnswers(AnswerMatch match, std::uint8_t record, int count)
{
    std::lock_guard lock(mutex_);
    if (count != 0)
        faults_.push_back({AnswerFault::Renumber, match, count, {}, record});
}

void SimLine::clearAnswerFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
    silent_ = false;
}

int SimLine::faultedAnswers() const
{
    std::lock_guard lock(mutex_);
    return faulted_;
}

void SimLine::setPacing(bool on)
{
    std::lock_guard lock(mutex_);
    pacing_ = on;
}

bool SimLine::pacing() const
{
    std::lock_guard lock(mutex_);
    return pacing_;
}

void SimLine::dropNextAnswers(int count)
{
    std::lock_guard lock(mutex_);
    dropAnswers_ = std::max(count, 0);
}

void SimLine::corruptNextAnswer()
{
    std::lock_guard lock(mutex_);
    corruptNext_ = true;
}

void SimLine::delayNextAnswer(Clock::duration by)
{
    std::lock_guard lock(mutex_);
    delayNext_ = std::max(by, Clock::duration::zero());
}

void SimLine::setMaxBytesPerRead(std::size_t count)
{
    std::lock_guard lock(mutex_);
    maxPerRead_ = count;
}

void SimLine::inject(std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    queueLocked(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), clock_->now());
    cv_.notify_all();
}

void SimLine::unplug()
{
    std::lock_guard lock(mutex_);
    if (!plugged_)
        return;
    plugged_ = false;
    ++session_;
    // Whatever was on its way is lost with the cable.
    inbox_.clear();
    outbox_.clear();
    const Clock::duration now = clock_->now();
    inboundFree_ = outboundFree_ = now;
    unit_->resetReceiver();
    cv_.notify_all();
}

void SimLine::restartUnit()
{
    std::lock_guard lock(mutex_);
    bootBlockHanded_.reset();
    queueLocked(unit_->restart(), clock_->now());
    cv_.notify_all();
}

void SimLine::replug()
{
    std::lock_guard lock(mutex_);
    plugged_ = true;
}

void SimLine::dropBootByte(std::uint8_t byte, int skip)
{
    std::lock_guard lock(mutex_);
    bootFaults_.push_back({byte, std::max(skip, 0), 1, BootFault::Kind::Drop});
}

void SimLine::replaceBootByte(std::uint8_t byte, std::uint8_t into, int skip)
{
    std::lock_guard lock(mutex_);
    bootFaults_.push_back({byte, std::max(skip, 0), 1, BootFault::Kind::Replace, into});
}

void SimLine::delayBootByte(std::uint8_t byte, Clock::duration by, int skip)
{
    std::lock_guard lock(mutex_);
    bootFaults_.push_back({byte, std::max(skip, 0), 1, BootFault::Kind::Delay, 0,
                           std::max(by, Clock::duration::zero())});
}

void SimLine::repeatBootBytes(std::uint8_t byte, int count)
{
    std::lock_guard lock(mutex_);
    bootFaults_.push_back({byte, 0, std::max(count, 0), BootFault::Kind::Repeat});
}

void SimLine::faultBootBytes(BootByteFault fault, std::uint8_t byte, int skip, int count,
                             Clock::duration late)
{
    std::lock_guard lock(mutex_);
    bootFaults_.push_back(
        {byte, std::max(skip, 0), count,
         fault == BootByteFault::Drop ? BootFault::Kind::Drop : BootFault::Kind::Repeat, 0,
         std::max(late, Clock::duration::zero())});
}

int SimLine::bootBlocksAhead() const
{
    std::lock_guard lock(mutex_);
    return bootBlocksAhead_;
}

int SimLine::faultedBootBytes() const
{
    std::lock_guard lock(mutex_);
    return bootFaulted_;
}

std::vector<std::uint8_t>
SimLine::bootFaultsLocked(const std::vector<std::uint8_t> &raw, std::size_t &delayFrom,
                          Clock::duration &delayBy,
                          std::vector<std::pair<std::uint8_t, Clock::duration>> &late)
{
    delayFrom = raw.size();
    delayBy = Clock::duration::zero();
    if (bootFaults_.empty())
        return raw;
    std::vector<std::uint8_t> out;
    for (const std::uint8_t byte : raw) {
        std::uint8_t sent = byte;
        int copies = 1;
        bool bent = false;
        // Every fault counts every byte of its kind, so that the n-th is the
        // n-th since the start whatever the other faults did; a lost byte
        // stays lost, whatever else falls on it.
        for (BootFault &fault : bootFaults_) {
            if (fault.byte != byte || fault.count == 0)
                continue;
            if (fault.skip > 0) {
                --fault.skip;
                continue;
            }
            if (fault.count > 0)
                --fault.count;
            bent = true;
            switch (fault.kind) {
            case BootFault::Kind::Drop:
                copies = 0;
                break;
            case BootFault::Kind::Replace:
                sent = fault.into;
                break;
            case BootFault::Kind::Delay:
                if (delayFrom == raw.size()) {
                    delayFrom = out.size();
                    delayBy = fault.delay;
                }
                break;
            case BootFault::Kind::Repeat:
                if (fault.delay > Clock::duration::zero()) {
                    if (copies != 0)
                        late.emplace_back(sent, fault.delay);
                } else {
                    copies = copies == 0 ? 0 : 2;
                }
                break;
            }
        }
        if (bent)
            ++bootFaulted_;
        out.insert(out.end(), static_cast<std::size_t>(copies), sent);
    }
    if (delayFrom > out.size())
        delayFrom = out.size();
    std::erase_if(bootFaults_, [](const BootFault &f) { return f.count == 0; });
    return out;
}

bool SimLine::plugged() const
{
    std::lock_guard lock(mutex_);
    return plugged_;
}

} // namespace sim
