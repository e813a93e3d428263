// What a read of all settings has stored so far, block by block, and how
// often each block was asked for. A read is complete only when every block
// of every part was stored; one that did not come is asked for again, a
// limited number of times.
//
// Plain bookkeeping without windows; main thread only, like the read.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// The parts of a read in the order the chain asks for them; the inputs and
// the outputs come as many blocks in answer to one request each.
enum class ReadPart : std::uint8_t {
    Inputs,
    Outputs,
    LowBattery,
    CanSetup,
    CanInputs,
    CanInputEnable,
    BoxName,
    VirtualInputs,
    StartKill,
    Flash,
    Wiper,
    Sequences,
    Pwm,
    CanExport1,
    CanExports,
};
inline constexpr int ReadPartCount = 15;

class ReadProgress
{
public:
    // A block is asked for at most this often: once, and twice again.
    static constexpr int MaxAsks = 3;

    // Blocks of a part: 11 inputs, 34 outputs, 32 CAN inputs, 20 virtual
    // inputs, 5 flash functions, CAN exports 2..4, one for the others.
    static int blocks(ReadPart part);
    // True for the parts whose blocks all answer one request.
    static bool askedAsOne(ReadPart part);

    void reset();

    // Blocks count from 0 within their part; a block out of range is ignored.
    void store(ReadPart part, int block);
    bool stored(ReadPart part, int block) const;
    bool complete(ReadPart part) const;
    bool complete() const;

    // The first block not stored after `after`, else the first not stored
    // before it; nullopt when the part is complete.
    std::optional<int> nextMissing(ReadPart part, int after = -1) const;

    // Counts one more request for the block (any block of a part asked as
    // one); false, counting nothing, when it was asked MaxAsks times.
    bool ask(ReadPart part, int block);

    // The blocks not stored, part by part in chain order.
    std::vector<std::pair<ReadPart, std::vector<int>>> missing() const;

private:
    static constexpr int MaxBlocks = 34;
    using Row = std::array<std::uint8_t, MaxBlocks>;

    std::array<Row, ReadPartCount> stored_{};
    std::array<Row, ReadPartCount> asks_{};
};
