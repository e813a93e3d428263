// Helpers shared by the simulated unit's tests: building requests as the
// tool sends them and cutting the unit's byte stream back into frames.
#pragma once

#include "link/FrameCodec.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace simtest {

using Bytes = std::vector<std::uint8_t>;

// A stuffed request of `length` bytes with `data` from byte 4 on.
inline Bytes request(std::uint8_t node, std::uint8_t code, std::uint8_t length,
                     std::initializer_list<std::uint8_t> data = {})
{
    devlink::DeviceFrame f(node, code, length);
    std::size_t at = devlink::FrameDataAt;
    for (std::uint8_t b : data)
        f.set(at++, b);
    f.finish();
    return devlink::SlipEncode(f.data(), f.length());
}

// Every frame in a stream of stuffed bytes.
inline std::vector<Bytes> frames(const Bytes &stream)
{
    std::vector<Bytes> out;
    devlink::RxFrameDecoder decoder(
        [&out](const std::uint8_t *f, std::size_t n) { out.emplace_back(f, f + n); });
    for (std::uint8_t b : stream)
        decoder.PutByte(b);
    return out;
}

inline Bytes stuffed(const Bytes &frame)
{
    return devlink::SlipEncode(frame.data(), frame.size());
}

} // namespace simtest
