// The unit's bootloader: its raw byte exchange with the tool, apart from the frames.
#include "sim/SimulatedUnit.h"

#include <algorithm>
#include <utility>

namespace sim {

namespace {
constexpr std::uint8_t Start = '>', StartAck = '<', Device = 'D', PageSizeInfo = 'T', Ready = '!',
                       Error = '@', End = 0xFF;
} // namespace

std::vector<std::uint8_t> SimulatedUnit::restart()
{
    std::lock_guard lock(mutex_);
    decoder_.Reset();
    boot_.phase = BootloaderState::Phase::Announced;
    boot_.announcedFor = std::chrono::milliseconds{0};
    boot_.block.clear();
    boot_.rawOut.clear();
    boot_.pagesWritten = 0;
    boot_.blocksRejected = 0;
    boot_.rejected.clear();
    return {Start};
}

std::vector<std::uint8_t> SimulatedUnit::takeRawOutput()
{
    std::lock_guard lock(mutex_);
    return std::exchange(boot_.rawOut, {});
}

BootloaderState SimulatedUnit::bootloader() const
{
    std::lock_guard lock(mutex_);
    return boot_;
}

std::optional<std::size_t> SimulatedUnit::bootBlockHeld() const
{
    std::lock_guard lock(mutex_);
    if (boot_.phase != BootloaderState::Phase::Receiving)
        return std::nullopt;
    return boot_.block.size();
}

std::uint32_t SimulatedUnit::bootBlocksDone() const
{
    std::lock_guard lock(mutex_);
    return boot_.pagesWritten + boot_.blocksRejected;
}

void SimulatedUnit::bendBootBlock(std::uint32_t nth)
{
    std::lock_guard lock(mutex_);
    boot_.bentBlock = nth;
}

void SimulatedUnit::bootElapsedLocked(std::chrono::milliseconds by)
{
    if (boot_.phase != BootloaderState::Phase::Announced)
        return;
    boot_.announcedFor += by;
    if (boot_.announcedFor >= BootloaderState::AnnounceTimeout)
        boot_.phase = BootloaderState::Phase::Application;
}

bool SimulatedUnit::bootByteLocked(std::uint8_t byte)
{
    using Phase = BootloaderState::Phase;
    switch (boot_.phase) {
    case Phase::Application:
        return false;
    case Phase::Announced:
        // Anything but the tool's answer is line noise to the bootloader.
        if (byte != StartAck)
            return true;
        boot_.phase = Phase::Receiving;
        boot_.block.clear();
        boot_.rawOut.insert(boot_.rawOut.end(), {Device, PageSizeInfo, Ready});
        return true;
    case Phase::Failed:
        return true;
    case Phase::Receiving:
        break;
    }
    boot_.block.push_back(byte);
    if (boot_.block.size() == 2 && boot_.block[0] == End && boot_.block[1] == End) {
        boot_.block.clear();
        boot_.phase = Phase::Application;
        return true;
    }
    if (boot_.block.size() < BootloaderState::BlockSize)
        return true;
    std::vector<std::uint8_t> block = std::exchange(boot_.block, {});
    if (boot_.bentBlock != 0 && boot_.pagesWritten + boot_.blocksRejected + 1 == boot_.bentBlock)
        block[2] ^= 0x01; // a bit flipped on the line: the sum no longer agrees
    const std::size_t address = (std::size_t{block[0]} << 16) | (std::size_t{block[1]} << 8);
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i < 2 + BootloaderState::PageSize; ++i)
        sum = static_cast<std::uint8_t>(sum + block[i]);
    if (sum != block.back() || address + BootloaderState::PageSize > program_.bytes.size()) {
        ++boot_.blocksRejected;
        boot_.rejected = std::move(block);
        boot_.phase = Phase::Failed;
        boot_.rawOut.push_back(Error);
        return true;
    }
    std::copy_n(block.begin() + 2, BootloaderState::PageSize,
                program_.bytes.begin() + static_cast<std::ptrdiff_t>(address));
    ++boot_.pagesWritten;
    boot_.rawOut.push_back(Ready);
    return true;
}

} // namespace sim
