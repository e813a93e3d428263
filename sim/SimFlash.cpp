// The unit's program memory: the firmware read of the flash compare.
#include "sim/SimulatedUnit.h"

#include "link/DeviceCommands.h"

#include <charconv>

namespace sim {

using namespace devlink;

namespace {

// Data records at a few places, gaps of erased flash between them.
constexpr std::string_view BuiltInHex = ":100000001F27313D3E4E535A63616E70747A828C65\n"
                                        ":100010009899A9AEB5BEBCC9CBCFD5DDE7F3F40442\n"
                                        ":100100003E46505C5D6D727982808D8F9399A1AB74\n"
                                        ":10011000B7B8C8CDD4DDDBE8EAEEF4FC0612132351\n"
                                        ":10012000282F38364345494F57616D6E7E838A9339\n"
                                        ":10013000919EA0A4AAB2BCC8C9D9DEE5EEECF9FB39\n"
                                        ":101000005D656F7B7C8C9198A19FACAEB2B8C0CA75\n"
                                        ":10F000007C848E9A9BABB0B7C0BECBCDD1D7DFE9A5\n"
                                        ":00000001FF\n";

std::uint32_t hexField(std::string_view line, std::size_t at, std::size_t digits)
{
    std::uint32_t value = 0;
    if (at + digits <= line.size())
        std::from_chars(line.data() + at, line.data() + at + digits, value, 16);
    return value;
}

} // namespace

std::string_view ProgramMemory::builtInHex()
{
    return BuiltInHex;
}

ProgramMemory ProgramMemory::builtIn()
{
    // The text above is fixed and holds only data records below 64 KiB and
    // the end record, so a plain loader does.
    ProgramMemory memory;
    std::string_view text = BuiltInHex;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.size() < 11 || line[0] != ':' || hexField(line, 7, 2) != 0)
            continue;
        const std::uint32_t count = hexField(line, 1, 2);
        const std::uint32_t address = hexField(line, 3, 4);
        for (std::uint32_t i = 0; i < count && address + i < Size; ++i)
            memory.bytes[address + i] = static_cast<std::uint8_t>(hexField(line, 9 + 2 * i, 2));
    }
    return memory;
}

ProgramMemory SimulatedUnit::programMemory() const
{
    std::lock_guard lock(mutex_);
    return program_;
}

void SimulatedUnit::setProgramMemory(const ProgramMemory &memory)
{
    std::lock_guard lock(mutex_);
    program_ = memory;
    program_.bytes.resize(ProgramMemory::Size, 0xFF);
}

void SimulatedUnit::onFirmwareRead(const Request &request, Replies &replies)
{
    const std::uint32_t address = request.at(4) | std::uint32_t(request.at(5)) << 8;
    DeviceFrame f(NodeApplication, answerCode(request), 22);
    f.setU16LE(4, static_cast<std::uint16_t>(address));
    for (std::uint32_t i = 0; i < 16; ++i)
        f.set(6 + i, program_.at(address + i));
    reply(replies, f);
}

} // namespace sim
