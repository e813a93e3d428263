// The requests of a complete read of all settings, as they go on the wire.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace testsupport {

// A request as it must appear on the wire: checksum = XOR of bytes 1..Length-1.
inline std::vector<std::uint8_t> wire(std::uint8_t command,
                                      std::initializer_list<std::uint8_t> data = {})
{
    // Sized at once: GCC 12 sees a false array bound in growing a four-byte vector.
    std::vector<std::uint8_t> f(4 + data.size(), 0);
    f[1] = static_cast<std::uint8_t>(f.size());
    f[2] = 1;
    f[3] = command;
    std::copy(data.begin(), data.end(), f.begin() + 4);
    for (std::size_t i = 1; i < f.size(); ++i)
        f[0] ^= f[i];
    return f;
}

// The 71 requests of a complete read, in the order of the chain.
inline std::vector<std::vector<std::uint8_t>> fullReadRequests()
{
    std::vector<std::vector<std::uint8_t>> r{wire(0x04, {0xFF}), wire(0x02, {0xFF}), wire(0x28),
                                             wire(0x26)};
    for (std::uint8_t i = 0; i < 32; ++i)
        r.push_back(wire(0x53, {i}));
    r.push_back(wire(0x65));
    r.push_back(wire(0x63));
    for (std::uint8_t i = 0; i < 20; ++i)
        r.push_back(wire(0x55, {i}));
    r.push_back(wire(0x2A));
    for (std::uint8_t i = 0; i < 5; ++i)
        r.push_back(wire(0x59, {i}));
    for (std::uint8_t c : {0x67, 0x69, 0x09})
        r.push_back(wire(c));
    r.push_back(wire(0x57, {0}));
    for (std::uint8_t i = 0; i < 3; ++i)
        r.push_back(wire(0x5B, {i}));
    return r;
}

} // namespace testsupport
