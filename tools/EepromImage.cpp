#include "tools/EepromImage.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

namespace eeprom {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

std::optional<int> HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return std::nullopt;
}

std::optional<unsigned> HexField(std::string_view text)
{
    unsigned value = 0;
    for (char c : text) {
        const auto d = HexDigit(c);
        if (!d)
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(*d);
    }
    return value;
}

// One text line, without its line end; why it is no row, or empty.
std::string ParseLine(std::string_view line, ImageRow &row)
{
    constexpr std::size_t AddressDigits = 4;
    constexpr std::size_t CellsAt = AddressDigits + 1;
    constexpr std::size_t CellWidth = 3; // two digits and a separator
    if (line.size() < CellsAt || line[AddressDigits] != ':')
        return "an address of 4 hex digits and ':' expected";
    const auto address = HexField(line.substr(0, AddressDigits));
    if (!address)
        return "the address is not 4 hex digits";
    if (*address >= GridSize)
        return "the address " + HexAddress(static_cast<std::uint16_t>(*address)) +
               " lies outside the grid";
    row.address = static_cast<std::uint16_t>(*address - *address % RowBytes);
    if (line.size() < CellsAt + RowBytes * CellWidth)
        return "16 bytes expected, the line is too short";
    for (std::size_t i = 0; i < RowBytes; ++i) {
        const std::string_view cell = line.substr(CellsAt + i * CellWidth, 2);
        const auto value = HexField(cell);
        if (!value)
            return "byte " + std::to_string(i + 1) + " ('" + std::string(cell) +
                   "') is not 2 hex digits";
        row.bytes[i] = static_cast<std::uint8_t>(*value);
    }
    return {};
}

std::string Quoted(const std::string &fileName)
{
    return "'" + fileName + "'";
}

} // namespace

std::string HexByte(std::uint8_t value)
{
    return {HexDigits[value >> 4], HexDigits[value & 0x0F]};
}

std::string HexAddress(std::uint16_t address)
{
    return HexByte(static_cast<std::uint8_t>(address >> 8)) +
           HexByte(static_cast<std::uint8_t>(address & 0xFF));
}

std::string AsciiText(std::span<const std::uint8_t> bytes)
{
    std::string out;
    for (std::uint8_t b : bytes) {
        if (b >= 33 && b <= 126)
            out += static_cast<char>(b);
        else
            out += ". ";
    }
    return out;
}

std::string TextLine(const ImageRow &row)
{
    std::string out = HexAddress(row.address) + ':';
    for (std::size_t i = 0; i < RowBytes; ++i)
        out += HexByte(row.bytes[i]) + (i + 1 < RowBytes ? ',' : ';');
    return out + "//" + AsciiText(row.bytes) + '\n';
}

std::size_t RowsOfRange(std::size_t start, std::size_t end)
{
    return end > start ? (end - start + RowBytes - 1) / RowBytes : 0;
}

std::string WriteTextImage(const Image &image, std::size_t start, std::size_t end)
{
    const std::size_t first = start - start % RowBytes;
    const std::size_t stop = std::min(first + RowsOfRange(start, end) * RowBytes, image.size());
    std::string out;
    for (std::size_t at = first; at < stop; at += RowBytes) {
        ImageRow row;
        row.address = static_cast<std::uint16_t>(at);
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(at), RowBytes, row.bytes.begin());
        out += TextLine(row);
    }
    return out;
}

ReadResult ReadTextImage(std::string_view text)
{
    ReadResult result;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        ImageRow row;
        if (ParseLine(line, row).empty())
            result.rows.push_back(row);
        else
            ++result.skipped;
    }
    return result;
}

ReadResult ReadBinImage(std::span<const std::uint8_t> bytes)
{
    ReadResult result;
    const std::size_t size = std::min(bytes.size(), GridSize);
    for (std::size_t at = 0; at + RowBytes <= size; at += RowBytes) {
        ImageRow row;
        row.address = static_cast<std::uint16_t>(at);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), RowBytes, row.bytes.begin());
        result.rows.push_back(row);
    }
    return result;
}

FileKind KindOfFile(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return FileKind::Unknown;
    std::string ext(fileName.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    if (ext == "TXT")
        return FileKind::Text;
    if (ext == "BIN")
        return FileKind::Binary;
    return FileKind::Unknown;
}

ReadResult ReadImageFile(const std::string &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return {{}, "Unable to open file: " + Quoted(fileName)};
    const FileKind kind = KindOfFile(fileName);
    if (kind == FileKind::Unknown)
        return {};
    const std::vector<char> raw((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    if (in.bad())
        return {{}, "Unable to read file: " + Quoted(fileName)};
    ReadResult result = kind == FileKind::Text
                            ? ReadTextImage(std::string_view(raw.data(), raw.size()))
                            : ReadBinImage(std::span(
                                  reinterpret_cast<const std::uint8_t *>(raw.data()), raw.size()));
    if (!result.isValid())
        result.error = Quoted(fileName) + ": " + result.error;
    return result;
}

std::string WriteFile(const std::string &fileName, std::string_view text)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out)
        return "Unable to create file: " + Quoted(fileName);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        return "Unable to write file: " + Quoted(fileName);
    return {};
}

void Apply(Image &image, const std::vector<ImageRow> &rows)
{
    for (const ImageRow &row : rows)
        if (row.address + RowBytes <= image.size())
            std::copy(row.bytes.begin(), row.bytes.end(),
                      image.begin() + static_cast<std::ptrdiff_t>(row.address));
}

} // namespace eeprom
