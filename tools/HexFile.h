// Intel HEX firmware files read into a fixed-size memory image.
//
// Plain C++ without Qt, so the firmware update and the flash compare share
// it and tests run it directly. Every fault throws an ErrorMsg by value;
// callers on the event loop catch it and tell the user (an exception must
// never reach Qt's event loop).
//
// Not thread-safe: one thread uses an object at a time.
#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// The error every fault of the reader carries: the message text and, for a
// fault in a file, the 1-based line it was found on (0 when none).
class ErrorMsg : public std::exception
{
public:
    explicit ErrorMsg(std::string message, int line = 0) : message_(std::move(message)), line_(line)
    {
    }
    ~ErrorMsg() override = default;

    const std::string &getMessage() const { return message_; }
    int lineNumber() const { return line_; }
    // The message with its line, as the user is shown it.
    std::string describe() const;
    const char *what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
    int line_ = 0;
};

// Hex-field conversion shared by the reader.
class Utility
{
public:
    // Hex digits, most significant first, at most 8 of them; throws on an
    // empty string, too many digits or a character that is no hex digit.
    static std::uint32_t convertHex(std::string_view digits);
};

// One parsed line of a HEX file.
struct HEXRecord
{
    std::uint8_t byteCount = 0;
    std::uint32_t address = 0; // the record's 16-bit load offset
    std::uint8_t recordType = 0;
    std::vector<std::uint8_t> data;
};

class HEXFile
{
public:
    enum RecordType : std::uint8_t {
        DataRecord = 0,
        EndOfFileRecord = 1,
        ExtendedSegmentAddress = 2,
        StartSegmentAddress = 3,
        ExtendedLinearAddress = 4,
        StartLinearAddress = 5,
    };

    // An image of `size` bytes, each `fill`; throws for a size below 1.
    HEXFile(std::int32_t size, std::uint8_t fill);

    // Reads every record up to the end-of-file record into the image. Bytes
    // no record covers keep their value. On an error the records before it
    // stay stored and the range keeps what it had reached.
    void readFile(const std::filesystem::path &fileName);
    void readText(std::string_view text);
    void read(std::istream &in);

    // Parses and checks one line (checksum included); throws on a bad line.
    static void parseRecord(std::string_view line, HEXRecord &record);

    // Writes `value` into every byte; the used range stays.
    void clearAll(std::uint8_t value);
    // Throws "Address outside legal range!" outside 0 .. size-1.
    std::uint8_t getData(std::int32_t address) const;

    // Lowest and highest (inclusive) address a data record filled; size and 0
    // while none did.
    std::int32_t getRangeStart() const { return rangeStart; }
    std::int32_t getRangeEnd() const { return rangeEnd; }
    std::int32_t getSize() const { return size; }
    bool hasData() const { return rangeStart <= rangeEnd; }

private:
    std::vector<std::uint8_t> data;
    std::int32_t rangeStart = 0;
    std::int32_t rangeEnd = 0;
    std::int32_t size = 0;
};
