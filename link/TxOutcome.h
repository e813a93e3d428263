// What the transmit queue did with a frame offered to it.
#pragma once

#include <cstdint>

namespace devlink {

// Why Send did not queue a frame.
enum class TxRefusal : std::uint8_t {
    None,        // queued
    QueueFull,   // every slot still waits to be written
    LinkNotOpen, // no device is open: the link is closed or lost
    TooLong,     // more bytes than a slot holds
};

// What Send did with a frame: true when it was queued, else why not.
struct TxOutcome
{
    TxRefusal refusal = TxRefusal::None;
    explicit operator bool() const { return refusal == TxRefusal::None; }
    bool operator==(const TxOutcome &) const = default;
};

} // namespace devlink
