// The unit's EEPROM as the service tool keeps it, and its image files.
//
// Text image: one line per 16-byte row, "AAAA:" then 16 two-digit hex cells,
// the first 15 each followed by ',', the last by ';', then "//" and the row's
// ASCII text, ending in LF. Binary image: the bytes themselves from address 0.
//
// Readers take a file name or the file's bytes in memory and give either the
// rows they read or one precise error.
// Plain data, no windows; any thread may use its own objects.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace eeprom {

// The unit's EEPROM.
inline constexpr std::size_t ImageSize = 4096;
inline constexpr std::size_t RowBytes = 16;
inline constexpr std::size_t RowCount = ImageSize / RowBytes;
// The editor's grid holds more rows than the EEPROM; files and answers may
// fill them.
inline constexpr std::size_t GridRowCount = 999;
inline constexpr std::size_t GridSize = GridRowCount * RowBytes;

using Image = std::array<std::uint8_t, GridSize>;
using RowData = std::array<std::uint8_t, RowBytes>;

struct ImageRow
{
    std::uint16_t address = 0; // a multiple of RowBytes inside the image
    RowData bytes{};
    bool operator==(const ImageRow &) const = default;
};

struct ReadResult
{
    std::vector<ImageRow> rows;
    std::string error;       // empty when the file was read
    std::size_t skipped = 0; // text lines that were no row
    bool isValid() const { return error.empty(); }
};

// Two upper-case hex digits; four for an address.
std::string HexByte(std::uint8_t value);
std::string HexAddress(std::uint16_t address);

// The ASCII column of a row: the character for 33..126, ". " for any other byte.
std::string AsciiText(std::span<const std::uint8_t> bytes);

// The text line of one row, with its LF.
std::string TextLine(const ImageRow &row);

// How many rows a range covers: from the row holding `start`, one for each
// of start, start + 16, ... that stays below `end`.
std::size_t RowsOfRange(std::size_t start, std::size_t end);

// Text image of the rows of RowsOfRange(start, end), clamped to the grid.
std::string WriteTextImage(const Image &image, std::size_t start, std::size_t end);

// Text image from memory. Empty lines are skipped, CR before LF is allowed;
// a line that is no row of the grid is skipped and counted. A line's address
// may lie inside its row.
ReadResult ReadTextImage(std::string_view text);
// Binary image from memory: 16 bytes a row from address 0, as many rows as
// the grid holds; a last block of fewer than 16 bytes is not a row.
ReadResult ReadBinImage(std::span<const std::uint8_t> bytes);

enum class FileKind { Text, Binary, Unknown };
// By the text after the name's last '.', in any case: "txt" or "bin".
FileKind KindOfFile(std::string_view fileName);

// Reads the file by its kind; a file of another kind gives no rows. Errors
// name the file.
ReadResult ReadImageFile(const std::string &fileName);
// Writes `text` to the file, replacing it; an error text, or empty.
std::string WriteFile(const std::string &fileName, std::string_view text);

// Puts the rows into the image.
void Apply(Image &image, const std::vector<ImageRow> &rows);

} // namespace eeprom
