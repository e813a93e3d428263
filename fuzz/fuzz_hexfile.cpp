// The Intel HEX reader on any text: it reports a bad file with its own
// error and never reads or writes outside its image, and on a well-formed
// file it fills the image exactly as a small reference reader does. Its
// message, whatever the file holds, is short text that fits a message box.
#include "fuzz/FuzzSupport.h"
#include "tools/HexFile.h"

#include <optional>
#include <string_view>
#include <vector>

using fuzzsupport::check;

namespace {

constexpr std::int32_t ImageSize = 4096;
constexpr std::uint8_t Fill = 0xFF;
// The longest message text with a quoted line of at most 60 characters and
// the ellipsis after it.
constexpr std::size_t MessageMax = 160;

// Printable ASCII, and the ellipsis that ends a shortened quote.
bool plainText(std::string_view message)
{
    const std::string_view ellipsis = "\xE2\x80\xA6";
    for (std::size_t i = 0; i < message.size(); ++i) {
        const auto c = static_cast<unsigned char>(message[i]);
        if (c >= 0x20 && c < 0x7F)
            continue;
        if (message.substr(i, ellipsis.size()) != ellipsis)
            return false;
        i += ellipsis.size() - 1;
    }
    return true;
}

struct Reference
{
    std::vector<std::uint8_t> image = std::vector<std::uint8_t>(ImageSize, Fill);
    std::int32_t start = ImageSize, end = 0;
};

std::optional<std::uint8_t> hexByte(std::string_view s, std::size_t at)
{
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    if (at + 2 > s.size())
        return std::nullopt;
    const int hi = digit(s[at]), lo = digit(s[at + 1]);
    if (hi < 0 || lo < 0)
        return std::nullopt;
    return static_cast<std::uint8_t>(hi * 16 + lo);
}

// Reads only the plainest files: every line a record with a right checksum,
// of type 00, 01, 02 or 04 (address records with two bytes), every data
// record inside the image, up to an end record. Anything else: no answer.
std::optional<Reference> readReference(std::string_view text)
{
    Reference ref;
    std::uint32_t base = 0;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() < 11 || line[0] != ':' || (line.size() - 1) % 2 != 0)
            return std::nullopt;
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 1; i < line.size(); i += 2) {
            const auto b = hexByte(line, i);
            if (!b)
                return std::nullopt;
            bytes.push_back(*b);
        }
        const std::size_t count = bytes[0];
        if (bytes.size() != count + 5)
            return std::nullopt;
        std::uint8_t sum = 0;
        for (std::uint8_t b : bytes)
            sum = static_cast<std::uint8_t>(sum + b);
        if (sum != 0)
            return std::nullopt;
        const std::uint32_t offset = bytes[1] * 256u + bytes[2];
        switch (bytes[3]) {
        case 0: {
            const std::uint64_t at = std::uint64_t(base) + offset;
            if (at + count > ImageSize)
                return std::nullopt;
            for (std::size_t i = 0; i < count; ++i)
                ref.image[at + i] = bytes[4 + i];
            if (count > 0) {
                ref.start = std::min<std::int32_t>(ref.start, std::int32_t(at));
                ref.end = std::max<std::int32_t>(ref.end, std::int32_t(at + count - 1));
            }
            break;
        }
        case 1:
            return ref;
        case 2:
        case 4:
            if (count != 2)
                return std::nullopt;
            base = (bytes[4] * 256u + bytes[5]) * (bytes[3] == 2 ? 16u : 65536u);
            break;
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    HEXFile file(ImageSize, Fill);
    bool read = true;
    try {
        file.readText(text);
    } catch (const ErrorMsg &e) {
        read = false;
        check(e.getMessage().size() <= MessageMax, "a short message");
        check(plainText(e.getMessage()), "a message of plain text");
    }
    const std::optional<Reference> ref = readReference(text);
    if (!ref)
        return 0;
    check(read, "a well-formed file reads");
    for (std::int32_t a = 0; a < ImageSize; ++a)
        check(file.getData(a) == ref->image[std::size_t(a)], "image as the reference has it");
    check(file.getRangeStart() == ref->start && file.getRangeEnd() == ref->end,
          "used range as the reference has it");
    return 0;
}
