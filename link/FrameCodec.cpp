#include "link/FrameCodec.h"

#include <algorithm>

namespace devlink {

std::uint8_t FrameChecksum(const std::uint8_t *bytes, std::size_t count)
{
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum ^= bytes[i];
    return sum;
}

DeviceFrame::DeviceFrame(std::uint8_t node, std::uint8_t command, std::uint8_t length)
{
    bytes_[FrameChecksumAt] = ChecksumPlaceholder;
    bytes_[FrameLengthAt] = length;
    bytes_[FrameNodeAt] = node;
    bytes_[FrameCommandAt] = command;
}

DeviceFrame &DeviceFrame::set(std::size_t offset, std::uint8_t value)
{
    if (offset < bytes_.size())
        bytes_[offset] = value;
    return *this;
}

DeviceFrame &DeviceFrame::setU16LE(std::size_t offset, std::uint16_t value)
{
    set(offset, static_cast<std::uint8_t>(value & 0xFF));
    return set(offset + 1, static_cast<std::uint8_t>(value >> 8));
}

DeviceFrame &DeviceFrame::setU16BE(std::size_t offset, std::uint16_t value)
{
    set(offset, static_cast<std::uint8_t>(value >> 8));
    return set(offset + 1, static_cast<std::uint8_t>(value & 0xFF));
}

DeviceFrame &DeviceFrame::setU32LE(std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        set(offset + i, static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
}

DeviceFrame &DeviceFrame::setText(std::size_t offset, const std::uint8_t *text, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        set(offset + i, text ? text[i] : 0);
    return *this;
}

DeviceFrame &DeviceFrame::finish()
{
    const std::uint8_t len = bytes_[FrameLengthAt];
    bytes_[FrameChecksumAt] = len ? FrameChecksum(bytes_.data() + 1, len - 1u) : 0;
    return *this;
}

std::vector<std::uint8_t> SlipEncode(const std::uint8_t *frame, std::size_t count)
{
    std::vector<std::uint8_t> out;
    out.reserve(2 + 2 * count);
    out.push_back(SLIP_END);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = frame[i];
        if (b == SLIP_END) {
            out.push_back(SLIP_ESC);
            out.push_back(SLIP_ESC_END);
        } else if (b == SLIP_ESC) {
            out.push_back(SLIP_ESC);
            out.push_back(SLIP_ESC_ESC);
        } else {
            out.push_back(b);
        }
    }
    out.push_back(SLIP_END);
    return out;
}

bool IsValidFrame(const std::uint8_t *frame, std::size_t decoded)
{
    if (!frame || decoded < 4)
        return false;
    const std::size_t length = frame[FrameLengthAt];
    if (length < 4 || length > decoded)
        return false;
    return FrameChecksum(frame + 1, length - 1) == frame[FrameChecksumAt];
}

void RxFrameDecoder::PutByte(std::uint8_t byte)
{
    if (byte != SLIP_END) {
        if (discarding_)
            return;
        if (Count < static_cast<int>(BufferSize)) {
            Buffer[static_cast<std::size_t>(Count++)] = byte;
        } else {
            // Too long for any frame: drop it and everything up to the next end mark.
            Buffer.fill(0);
            Count = 0;
            discarding_ = true;
        }
        return;
    }
    if (discarding_) {
        discarding_ = false;
        return;
    }
    if (Count == 0)
        return;

    std::size_t r = 0, w = 0;
    const auto n = static_cast<std::size_t>(Count);
    while (r < n) {
        std::uint8_t b = Buffer[r];
        if (b == SLIP_ESC) {
            if (r + 1 >= n)
                break; // a trailing escape has nothing to escape
            ++r;
            const std::uint8_t e = Buffer[r];
            b = e == SLIP_ESC_END ? SLIP_END : e == SLIP_ESC_ESC ? SLIP_ESC : e;
        }
        Buffer[w++] = b;
        ++r;
    }
    std::fill(Buffer.begin() + static_cast<std::ptrdiff_t>(w), Buffer.end(), 0);
    Count = static_cast<int>(w);
    Deliver();
}

void RxFrameDecoder::Deliver()
{
    const auto n = static_cast<std::size_t>(Count);
    // Hand over a copy: the handler may feed the decoder again.
    std::array<std::uint8_t, BufferSize + 56> frame = Buffer;
    Buffer.fill(0);
    Count = 0;
    if (sink_)
        sink_(frame.data(), n);
}

void RxFrameDecoder::Reset()
{
    Buffer.fill(0);
    Count = 0;
    discarding_ = false;
}

} // namespace devlink
