// The serial line between the tool and the simulated unit: it carries the
// tool's bytes to the unit, lets the unit answer only after a request has
// fully arrived, and releases the unit's bytes at the line rate of 38400
// baud 8N2 (11 bits a byte). Tests bend it with fault hooks: lost, broken
// or late answers, reads cut short, unasked bytes, a pulled plug.
//
// Thread contract: every public method may be called from any thread; the
// tool's worker reads and writes while a test thread pokes the hooks.
// mutex_ guards all members below it. The line calls the unit while holding
// mutex_ (lock order: line, then unit); the unit never calls back. A read
// that waits for bytes waits on cv_, which releases mutex_; a read's cut
// flag is its own atomic, raised before wakeReader() takes mutex_.
#pragma once

#include "sim/SimClock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace sim {

class SimulatedUnit;

// What may cut a read's pause short: `flag`, raised by another thread,
// within the pause's first `within`.
struct ReadCut
{
    Clock::duration within{};
    std::atomic<bool> *flag = nullptr;
};

class SimLine
{
public:
    static constexpr int BaudRate = 38400;
    static constexpr int BitsPerByte = 11; // start bit, 8 data bits, 2 stop bits

    // How long the line takes for `bytes` bytes, rounded up to whole nanoseconds.
    static Clock::duration transferTime(std::size_t bytes);

    SimLine(std::shared_ptr<SimulatedUnit> unit, std::shared_ptr<const Clock> clock,
            bool pacing = true);
    SimLine(const SimLine &) = delete;
    SimLine &operator=(const SimLine &) = delete;

    SimulatedUnit &unit() const { return *unit_; }
    const Clock &clock() const { return *clock_; }

    // The tool's side. A session is one plug-in of the device: after an
    // unplug its reads and writes fail for good, as a stale handle does.
    std::optional<std::uint64_t> openSession();
    bool sessionAlive(std::uint64_t session) const;
    // Hands bytes to the line; the unit sees them once they have arrived.
    bool write(std::uint64_t session, std::span<const std::uint8_t> bytes);
    // Takes the unit's bytes as they come until `buffer` is full, `timeout`
    // has run out, or bytes came and the line has then been quiet for
    // `quiet`; `got` 0 when none came. False when the session is gone.
    // The read starts `startAfter` from now, as if the reader had slept that
    // long first, and wakes no earlier than it needs to. A `cut` raised
    // (then wakeReader()) before the start ends the read with nothing, at
    // `within` from now or at once if that has passed; one raised later, or
    // with no `within`, is dropped.
    bool read(std::uint64_t session, std::span<std::uint8_t> buffer, Clock::duration timeout,
              std::size_t &got, Clock::duration quiet = Clock::duration::zero(),
              Clock::duration startAfter = Clock::duration::zero(), ReadCut cut = {});
    // Wakes a waiting read to look at its cut.
    void wakeReader();
    // Time until the next byte of the unit is due or a request has
    // arrived, when either is pending.
    std::optional<Clock::duration> untilNextEvent();
    // Bytes of the unit still waiting to be read, due or not.
    std::size_t pendingBytes() const;

    // Hooks.
    void setPacing(bool on);
    bool pacing() const;
    void dropNextAnswers(int count = 1); // answer frames vanish
    void corruptNextAnswer();            // its checksum byte is inverted
    // The next answer leaves this much later; what follows queues behind it.
    void delayNextAnswer(Clock::duration by);
    void setMaxBytesPerRead(std::size_t count);       // 0: no limit
    void inject(std::span<const std::uint8_t> bytes); // sent as they are, unasked
    void unplug();
    void replug();

    // Faults aimed at one kind of answer: the frames with event code `code`
    // (any answer when unset) and, when `record` is set, that number in their
    // first data byte. Each fault takes the next `count` matching answers
    // (every one from now on for a negative count); the first fault added
    // that matches an answer is the one applied to it.
    enum class AnswerFault {
        Drop,        // the answer vanishes
        Repeat,      // the answer goes out twice, back to back
        SerialError, // the unit reports a bad frame (SERIAL_ERROR_IND) instead
        Corrupt,     // its checksum byte is inverted
        Delay,       // it and what follows it leave `delay` later
        Renumber,    // it carries another record number (see renumberAnswers)
        Silence,     // it and every answer after it vanish, as from a unit gone quiet
    };
    struct AnswerMatch
    {
        std::optional<std::uint8_t> code;
        std::optional<std::uint8_t> record;
    };
    void faultAnswers(AnswerFault fault, AnswerMatch match, int count = 1,
                      Clock::duration delay = {});
    // The next `count` matching answers carry `record` instead, checksum and all.
    void renumberAnswers(AnswerMatch match, std::uint8_t record, int count = 1);
    // Also ends a silence.
    void clearAnswerFaults();
    // Matching answers that have met their fault so far.
    int faultedAnswers() const;
    // Restarts the unit; its bootloader's announcement goes out at once.
    void restartUnit();
    bool plugged() const;

    // Bootloader hooks: of the bootloader's bytes equal to `byte`, the one
    // after `skip` others vanishes, turns into `into`, or leaves `by` later
    // (what follows queues behind it); or the next `count` go out twice.
    void dropBootByte(std::uint8_t byte, int skip = 0);
    void replaceBootByte(std::uint8_t byte, std::uint8_t into, int skip = 0);
    void delayBootByte(std::uint8_t byte, Clock::duration by, int skip = 0);
    void repeatBootBytes(std::uint8_t byte, int count = 1);
    // Of the bootloader's bytes equal to `byte`, the `count` after `skip`
    // others vanish or go out twice; every one from there on for a negative
    // count. A repeat leaves `late` after the byte itself (back to back when
    // zero); what the unit sends after it queues behind it.
    enum class BootByteFault { Drop, Repeat };
    void faultBootBytes(BootByteFault fault, std::uint8_t byte, int skip, int count,
                        Clock::duration late = {});
    // Bootloader bytes that have met their fault so far.
    int faultedBootBytes() const;
    // Blocks handed to the line sooner after the block before than that
    // block's time on the line: before the bootloader's answer to it could
    // have come, the tool sent them ahead of the unit.
    int bootBlocksAhead() const;

private:
    struct Chunk
    {
        std::vector<std::uint8_t> bytes;
        Clock::duration arrives{};
        Clock::duration handed{}; // when the tool wrote it
    };
    struct OutByte
    {
        std::uint8_t byte = 0;
        Clock::duration due{};
    };

    struct FaultRule
    {
        AnswerFault fault;
        AnswerMatch match;
        int left; // negative: no end
        Clock::duration delay;
        std::uint8_t record = 0; // the number a renumbered answer carries
    };

    bool aliveLocked(std::uint64_t session) const { return plugged_ && session == session_; }
    // The fault for this answer, counted as used; nullopt when none applies.
    std::optional<FaultRule> takeFaultLocked(const std::vector<std::uint8_t> &frame);
    // Carries out the requests that have arrived by `arrivedBy` (`now`, or
    // the start of a read that begins later), then brings the unit to `now`.
    void processLocked(Clock::duration now, Clock::duration arrivedBy);
    // When a read that has reached `from` ends, given the bytes on their way
    // and nothing new: `room` left in its buffer, `lastArrived` the last
    // byte it took, if any.
    Clock::duration readEndLocked(Clock::duration from, Clock::duration deadline,
                                  std::size_t room, Clock::duration quiet,
                                  std::optional<Clock::duration> lastArrived) const;
    void syncUnitLocked(Clock::duration to);
    void queueLocked(const std::vector<std::uint8_t> &bytes, Clock::duration at);
    std::optional<Clock::duration> nextEventLocked() const;

    std::shared_ptr<SimulatedUnit> unit_;
    std::shared_ptr<const Clock> clock_;

    mutable std::mutex mutex_;
    std::condition_variable cv_; // new bytes from the tool, injected bytes, unplug
    bool pacing_;
    bool plugged_ = true;
    std::uint64_t session_ = 1;
    std::deque<Chunk> inbox_;
    std::deque<OutByte> outbox_;
    Clock::duration inboundFree_{};  // when the tool's last byte is through
    Clock::duration outboundFree_{}; // when the unit's last byte is through
    Clock::duration unitTime_{};     // how far the unit has been advanced
    int dropAnswers_ = 0;
    bool corruptNext_ = false;
    Clock::duration delayNext_{};
    std::size_t maxPerRead_ = 0;

    struct BootFault
    {
        enum class Kind : std::uint8_t { Drop, Replace, Delay, Repeat };
        std::uint8_t byte = 0;
        int skip = 0;  // matching bytes let through before the fault
        int count = 0; // faults still to do; negative: no end
        Kind kind = Kind::Drop;
        std::uint8_t into = 0;   // Replace
        Clock::duration delay{}; // Delay; Repeat: how late the copy leaves
    };
    // The bootloader's bytes as the faults leave them; those from `delayFrom`
    // on leave `delayBy` later.
    // Repeats that leave late are put in `late`, each with its lateness.
    std::vector<std::uint8_t>
    bootFaultsLocked(const std::vector<std::uint8_t> &raw, std::size_t &delayFrom,
                     Clock::duration &delayBy,
                     std::vector<std::pair<std::uint8_t, Clock::duration>> &late);
    std::vector<BootFault> bootFaults_;
    int bootFaulted_ = 0;
    // When the first byte of the block the bootloader is receiving came, and
    // when the tool wrote it (none yet since the restart).
    Clock::duration bootBlockFrom_{};
    std::optional<Clock::duration> bootBlockHanded_;
    int bootBlocksAhead_ = 0;
    std::vector<FaultRule> faults_;
    int faulted_ = 0;
    bool silent_ = false;
};

} // namespace sim
