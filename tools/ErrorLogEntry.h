// One entry of the unit's runtime error log as ERROR_LOG_ENTRY_CFM carries it:
// [4] index, [5..16] source file name (NUL-padded), [17..18] line (u16 LE),
// [19] count, [20] data length, [21..] data. Plain data, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace errorlog {

inline constexpr std::size_t IndexAt = 4;
inline constexpr std::size_t FileNameAt = 5;
inline constexpr std::size_t FileNameSize = 12;
inline constexpr std::size_t LineAt = 17;
inline constexpr std::size_t CountAt = 19;
inline constexpr std::size_t DataLengthAt = 20;
inline constexpr std::size_t DataAt = 21;

struct Entry
{
    std::uint8_t index = 0;
    std::string fileName;
    std::uint16_t line = 0;
    std::uint8_t count = 0;
    std::uint8_t dataLength = 0;    // as the unit reported it
    std::vector<std::uint8_t> data; // the bytes that arrived, at most dataLength
    bool truncated() const { return data.size() < dataLength; }
};

// The entry of a valid frame of `count` decoded bytes; data is taken only from
// bytes inside both the frame's Length and the decoded count. nullopt when the
// frame is too short to hold the fixed fields.
std::optional<Entry> DecodeEntry(const std::uint8_t *frame, std::size_t count);

// The memo lines of an entry, dashes first.
std::vector<std::string> EntryLines(const Entry &entry);

} // namespace errorlog
