// The unit's identity as its non-volatile memory keeps it: what
// SYSTEM_SETUP_WRITE_REQ stores and SYSTEM_SETUP_READ_REQ answers. The
// firmware stores the bytes as they come, without a range check.
#pragma once

#include <cstdint>

namespace sim {

struct SystemSetupState
{
    std::uint32_t serial = 4660;
    std::uint8_t week = 27;
    std::uint8_t yearOffset = 16; // years after 2000
    std::uint8_t hardwareVersion = 3;
    std::uint32_t writes = 0; // identity writes since power-up
    bool operator==(const SystemSetupState &) const = default;
};

} // namespace sim
