// Device frames: the four-byte header, the XOR checksum and the
// byte-stuffing (RFC 1055) used on the serial stream in both directions.
//
// Everything here is plain data and runs on whichever thread owns the
// object; the tool uses it on the main thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace devlink {

inline constexpr std::uint8_t SLIP_END = 0xC0;
inline constexpr std::uint8_t SLIP_ESC = 0xDB;
inline constexpr std::uint8_t SLIP_ESC_END = 0xDC;
inline constexpr std::uint8_t SLIP_ESC_ESC = 0xDD;

inline constexpr std::uint8_t ChecksumPlaceholder = 0x55;
inline constexpr std::size_t MaxFrameLength = 255;
// Worst case of a stuffed frame: both ends plus every byte escaped.
inline constexpr std::size_t MaxStuffedLength = 2 + 2 * MaxFrameLength;

// Offsets of the frame header.
enum FrameOffset : std::size_t {
    FrameChecksumAt = 0,
    FrameLengthAt = 1,
    FrameNodeAt = 2,
    FrameCommandAt = 3,
    FrameDataAt = 4
};

// XOR of `count` bytes starting at `bytes`; 0 for no bytes.
std::uint8_t FrameChecksum(const std::uint8_t *bytes, std::size_t count);

// A frame under construction: header plus data, checksum filled by finish().
class DeviceFrame
{
public:
    DeviceFrame(std::uint8_t node, std::uint8_t command, std::uint8_t length = 4);

    // Data byte i counted from the frame start (i >= 4 for payload).
    DeviceFrame &set(std::size_t offset, std::uint8_t value);
    DeviceFrame &setU16LE(std::size_t offset, std::uint16_t value);
    DeviceFrame &setU16BE(std::size_t offset, std::uint16_t value);
    DeviceFrame &setU32LE(std::size_t offset, std::uint32_t value);
    DeviceFrame &setText(std::size_t offset, const std::uint8_t *text, std::size_t width);

    // Puts FrameChecksum(frame + 1, Length - 1) into byte 0.
    DeviceFrame &finish();

    std::uint8_t length() const { return bytes_[FrameLengthAt]; }
    const std::uint8_t *data() const { return bytes_.data(); }
    std::uint8_t *data() { return bytes_.data(); }
    std::uint8_t operator[](std::size_t i) const { return bytes_[i]; }

private:
    std::array<std::uint8_t, 256> bytes_{};
};

// Stuffs `count` frame bytes between two SLIP_END bytes.
std::vector<std::uint8_t> SlipEncode(const std::uint8_t *frame, std::size_t count);

// True when `frame` holds a frame that can be trusted: at least 4 bytes
// decoded, 4 <= Length <= decoded, and the checksum over Length bytes matches.
bool IsValidFrame(const std::uint8_t *frame, std::size_t decoded);

// Collects stuffed bytes and delivers every complete, unstuffed frame.
// The buffer beyond the decoded count is zero when a frame is delivered,
// so that handlers reading fixed offsets never see an earlier frame's bytes.
class RxFrameDecoder
{
public:
    static constexpr std::size_t BufferSize = 200;
    using Sink = std::function<void(const std::uint8_t *frame, std::size_t count)>;

    RxFrameDecoder() = default;
    explicit RxFrameDecoder(Sink sink) : sink_(std::move(sink)) {}
    void setSink(Sink sink) { sink_ = std::move(sink); }

    void PutByte(std::uint8_t byte);
    // Forgets a partly collected frame (connect, return of the device).
    void Reset();

    int count() const { return Count; }

private:
    void Deliver();

    std::array<std::uint8_t, BufferSize + 56> Buffer{}; // frames are read up to offset 255
    int Count = 0;
    bool discarding_ = false;
    Sink sink_;
};

} // namespace devlink
