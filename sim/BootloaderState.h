// The unit's bootloader: after a restart it announces itself and, when the
// tool answers at once, takes the firmware page by page into program memory.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace sim {

struct BootloaderState
{
    enum class Phase : std::uint8_t {
        Application, // bytes are frames for the application
        Announced,   // sent '>', waits for the tool's '<'
        Receiving,   // collects the next block or the end marker
        Failed,      // rejected a block; waits for the next restart
    };
    static constexpr std::size_t PageSize = 256;
    static constexpr std::size_t BlockSize = PageSize + 3;
    static constexpr std::chrono::milliseconds AnnounceTimeout{1000};

    Phase phase = Phase::Application;
    std::chrono::milliseconds announcedFor{0};
    std::vector<std::uint8_t> block;  // the block being received
    std::vector<std::uint8_t> rawOut; // bytes to the tool, sent as they are
    std::uint32_t pagesWritten = 0;   // since the last restart
    std::uint32_t blocksRejected = 0; // since the last restart
    std::vector<std::uint8_t> rejected; // the last block rejected, as it came
    // The block, counted from 1 after each restart, that arrives with one
    // byte bent on its way (and is rejected as any bad block is); 0: none.
    std::uint32_t bentBlock = 0;
};

} // namespace sim
