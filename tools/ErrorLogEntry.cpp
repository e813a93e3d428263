#include "tools/ErrorLogEntry.h"

#include "link/FrameCodec.h"

#include <algorithm>

namespace errorlog {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

} // namespace

std::optional<Entry> DecodeEntry(const std::uint8_t *frame, std::size_t count)
{
    const std::size_t available = std::min<std::size_t>(count, frame[devlink::FrameLengthAt]);
    if (available < DataAt)
        return std::nullopt;
    Entry e;
    e.index = frame[IndexAt];
    const std::uint8_t *name = frame + FileNameAt;
    e.fileName.assign(reinterpret_cast<const char *>(name),
                      static_cast<std::size_t>(std::find(name, name + FileNameSize, 0) - name));
    e.line = static_cast<std::uint16_t>(frame[LineAt] | frame[LineAt + 1] << 8);
    e.count = frame[CountAt];
    e.dataLength = frame[DataLengthAt];
    const std::size_t shown = std::min<std::size_t>(e.dataLength, available - DataAt);
    e.data.assign(frame + DataAt, frame + DataAt + shown);
    return e;
}

std::vector<std::string> EntryLines(const Entry &entry)
{
    std::string data;
    for (std::uint8_t b : entry.data)
        data += std::string("0x") + HexDigits[b >> 4] + HexDigits[b & 0x0F] + ':';
    std::string length = std::to_string(entry.dataLength);
    if (entry.truncated())
        length += " (" + std::to_string(entry.data.size()) + " received)";
    return {std::string(53, '-'),
            "File name   : " + entry.fileName,
            "Line number : " + std::to_string(entry.line),
            "Count       : " + std::to_string(entry.count),
            "Data len    : " + length,
            "Data        : " + data};
}

} // namespace errorlog
