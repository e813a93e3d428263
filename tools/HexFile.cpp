#include "tools/HexFile.h"

#include <algorithm>
#include <fstream>
#include <new>
#include <sstream>

namespace {

// Characters of a faulty line that a message quotes.
constexpr std::size_t QuotedLineMax = 60;

// The line as a message quotes it: bytes that are no printable ASCII as
// "\xNN", and cut short with an ellipsis, so that a binary file picked by
// mistake still gives a message that fits on the screen.
std::string quotedLine(std::string_view line)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string shown;
    for (const char ch : line) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool printable = byte >= 0x20 && byte < 0x7F;
        if (shown.size() + (printable ? 1 : 4) > QuotedLineMax) {
            shown += "\xE2\x80\xA6"; // U+2026, the ellipsis
            break;
        }
        if (printable) {
            shown += ch;
        } else {
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 0xF];
        }
    }
    return " Line from file was: (" + shown + ").";
}

std::uint8_t hexByte(std::string_view line, std::size_t at)
{
    return static_cast<std::uint8_t>(Utility::convertHex(line.substr(at, 2)));
}

} // namespace

std::string ErrorMsg::describe() const
{
    if (line_ <= 0)
        return message_;
    return "HEX file line " + std::to_string(line_) + ": " + message_;
}

std::uint32_t Utility::convertHex(std::string_view digits)
{
    if (digits.empty())
        throw ErrorMsg("Cannot convert zero-length hex-string to number!");
    if (digits.size() > 8)
        throw ErrorMsg("Hex conversion overflow! Too many hex digits in string.");
    std::uint32_t value = 0;
    for (char c : digits) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            throw ErrorMsg("Invalid hex digit found!");
        value = (value << 4) + digit;
    }
    return value;
}

HEXFile::HEXFile(std::int32_t size_, std::uint8_t fill)
{
    if (size_ < 1)
        throw ErrorMsg("Cannot have zero-size HEX buffer!");
    try {
        data.resize(static_cast<std::size_t>(size_));
    } catch (const std::bad_alloc &) {
        throw ErrorMsg("Memory allocation failed for HEX-line-buffer!");
    }
    size = size_;
    rangeStart = size;
    rangeEnd = 0;
    clearAll(fill);
}

void HEXFile::clearAll(std::uint8_t value)
{
    std::fill(data.begin(), data.end(), value);
}

std::uint8_t HEXFile::getData(std::int32_t address) const
{
    if (address < 0 || address >= size)
        throw ErrorMsg("Address outside legal range!");
    return data[static_cast<std::size_t>(address)];
}

void HEXFile::parseRecord(std::string_view line, HEXRecord &record)
{
    if (line.size() < 11)
        throw ErrorMsg("Wrong HEX file format, missing fields!" + quotedLine(line));
    if (line[0] != ':')
        throw ErrorMsg("Wrong HEX file format, does not start with colon!" + quotedLine(line));
    record.byteCount = hexByte(line, 1);
    record.address = Utility::convertHex(line.substr(3, 4));
    record.recordType = hexByte(line, 7);
    const std::size_t count = record.byteCount;
    if (line.size() < 11 + 2 * count)
        throw ErrorMsg("Wrong HEX file format, missing fields!" + quotedLine(line));
    record.data.resize(count);
    std::uint8_t sum = static_cast<std::uint8_t>(record.byteCount + (record.address >> 8) +
                                                 (record.address & 0xFF) + record.recordType);
    for (std::size_t i = 0; i < count; ++i) {
        record.data[i] = hexByte(line, 9 + 2 * i);
        sum = static_cast<std::uint8_t>(sum + record.data[i]);
    }
    sum = static_cast<std::uint8_t>(sum + hexByte(line, 9 + 2 * count));
    if (sum != 0)
        throw ErrorMsg("Wrong checksum for HEX record!" + quotedLine(line));
}

void HEXFile::readFile(const std::filesystem::path &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw ErrorMsg("Error opening HEX file for input!");
    read(in);
}

void HEXFile::readText(std::string_view text)
{
    std::istringstream in{std::string(text)};
    read(in);
}

void HEXFile::read(std::istream &in)
{
    rangeStart = size;
    rangeEnd = 0;
    std::uint64_t base = 0;
    std::string line;
    HEXRecord record;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        try {
            parseRecord(line, record);
            switch (record.recordType) {
            case DataRecord: {
                const std::uint64_t at = base + record.address;
                const std::uint64_t end = at + record.byteCount;
                // Files often carry the bootloader area above the image; the
                // part that fits is still updated.
                if (end > static_cast<std::uint64_t>(size) || record.byteCount == 0)
                    break;
                std::copy(record.data.begin(), record.data.end(),
                          data.begin() + static_cast<std::ptrdiff_t>(at));
                rangeStart = std::min(rangeStart, static_cast<std::int32_t>(at));
                rangeEnd = std::max(rangeEnd, static_cast<std::int32_t>(end - 1));
                break;
            }
            case EndOfFileRecord:
                return;
            case ExtendedSegmentAddress:
            case ExtendedLinearAddress: {
                if (record.byteCount < 2)
                    throw ErrorMsg("Extended address record needs two data bytes!" +
                                   quotedLine(line));
                const std::uint64_t value = record.data[0] * 256u + record.data[1];
                base = record.recordType == ExtendedSegmentAddress ? value * 16 : value * 65536;
                break;
            }
            case StartSegmentAddress:
            case StartLinearAddress:
                break;
            default:
                throw ErrorMsg("Unsupported HEX record format!" + quotedLine(line));
            }
        } catch (const ErrorMsg &e) {
            throw ErrorMsg(e.getMessage(), lineNumber);
        }
    }
    throw ErrorMsg("Premature end of file encountered! Make sure file contains an EOF-record.");
}
