#include "platform/win/VersionResource.h"

#include <QFile>

#include <cstring>
#include <optional>

namespace win {

namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::size_t kFixedSize = 52;
constexpr qint64 kMaxFileSize = 256 * 1024 * 1024;

// Little-endian reads that fail instead of reading past the end.
class Bytes
{
public:
    explicit Bytes(std::span<const std::uint8_t> data) : m_data(data) {}

    std::size_t size() const { return m_data.size(); }
    bool has(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= m_data.size() && count <= m_data.size() - offset;
    }
    std::optional<std::uint16_t> u16(std::uint64_t offset) const
    {
        if (!has(offset, 2))
            return std::nullopt;
        return static_cast<std::uint16_t>(m_data[offset] | (m_data[offset + 1] << 8));
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const
    {
        if (!has(offset, 4))
            return std::nullopt;
        return std::uint32_t(m_data[offset]) | (std::uint32_t(m_data[offset + 1]) << 8) |
               (std::uint32_t(m_data[offset + 2]) << 16) |
               (std::uint32_t(m_data[offset + 3]) << 24);
    }
    std::span<const std::uint8_t> sub(std::uint64_t offset, std::uint64_t count) const
    {
        return m_data.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
    }

private:
    std::span<const std::uint8_t> m_data;
};

struct Section
{
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

struct Image
{
    Bytes file;
    std::uint64_t sectionTable = 0;
    std::uint16_t sectionCount = 0;

    std::optional<Section> section(std::uint16_t i) const
    {
        const std::uint64_t at = sectionTable + std::uint64_t(i) * 40;
        const auto va = file.u32(at + 12), raw = file.u32(at + 16), ptr = file.u32(at + 20);
        if (!va || !raw || !ptr)
            return std::nullopt;
        return Section{*va, *raw, *ptr};
    }

    // The file offset of `count` bytes at `rva`, when a section holds them.
    std::optional<std::uint64_t> offsetOf(std::uint32_t rva, std::uint64_t count) const
    {
        for (std::uint16_t i = 0; i < sectionCount; ++i) {
            const auto s = section(i);
            if (!s)
                return std::nullopt;
            if (rva < s->virtualAddress)
                continue;
            const std::uint64_t into = rva - s->virtualAddress;
            if (into > s->rawSize || count > s->rawSize - into)
                continue;
            const std::uint64_t offset = std::uint64_t(s->rawOffset) + into;
            if (!file.has(offset, count))
                return std::nullopt;
            return offset;
        }
        return std::nullopt;
    }
};

// One entry of a resource directory: its id (or 0xFFFFFFFF for a named
// entry) and its target relative to the resource section.
struct DirEntry
{
    std::uint32_t id;
    std::uint32_t target;
    bool isDirectory;
};

// The entries of the directory at `dir` (relative to the resource base
// `root`), at most as many as fit before `rootEnd`.
std::optional<DirEntry> pickEntry(const Bytes &file, std::uint64_t root, std::uint64_t rootSize,
                                  std::uint32_t dir, std::optional<std::uint32_t> wanted,
                                  bool preferWanted)
{
    if (std::uint64_t(dir) + 16 > rootSize)
        return std::nullopt;
    const auto named = file.u16(root + dir + 12), ids = file.u16(root + dir + 14);
    if (!named || !ids)
        return std::nullopt;
    const std::uint64_t count = std::uint64_t(*named) + *ids;
    if (std::uint64_t(dir) + 16 + count * 8 > rootSize)
        return std::nullopt;
    std::optional<DirEntry> first;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = root + dir + 16 + i * 8;
        const std::uint32_t name = *file.u32(at), data = *file.u32(at + 4);
        const DirEntry entry{(name & 0x80000000u) ? 0xFFFFFFFFu : name, data & 0x7FFFFFFFu,
                             (data & 0x80000000u) != 0};
        if (wanted && entry.id == *wanted)
            return entry;
        if (!first)
            first = entry;
    }
    if (wanted && !preferWanted)
        return std::nullopt;
    return first;
}

QByteArray fail(VersionError *error, VersionError why)
{
    if (error)
        *error = why;
    return {};
}

bool equalKey(std::span<const std::uint8_t> key16, std::string_view key)
{
    if (key16.size() != key.size() * 2)
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char16_t c = char16_t(key16[2 * i] | (key16[2 * i + 1] << 8));
        char16_t k = static_cast<unsigned char>(key[i]);
        char16_t a = c;
        if (a >= u'A' && a <= u'Z')
            a = char16_t(a + 32);
        if (k >= u'A' && k <= u'Z')
            k = char16_t(k + 32);
        if (a != k)
            return false;
    }
    return true;
}

std::uint64_t align4(std::uint64_t offset)
{
    return (offset + 3) & ~std::uint64_t(3);
}

// A block of the version tree: [start, end) in the resource.
struct Block
{
    std::uint64_t start;
    std::uint64_t end;
    std::span<const std::uint8_t> key; // UTF-16, without the NUL
    std::uint64_t valueStart;
    std::uint64_t valueEnd;
    bool text;
    std::uint64_t childrenStart;
};

std::optional<Block> readBlock(const Bytes &res, std::uint64_t start, std::uint64_t limit)
{
    const auto length = res.u16(start), valueLength = res.u16(start + 2), type = res.u16(start + 4);
    if (!length || !valueLength || !type || *length < 6 || start + *length > limit)
        return std::nullopt;
    Block b{start, start + *length, {}, 0, 0, *type == 1, 0};
    std::uint64_t at = start + 6;
    while (true) {
        const auto c = res.u16(at);
        if (!c || at + 2 > b.end)
            return std::nullopt;
        if (*c == 0)
            break;
        at += 2;
    }
    b.key = res.sub(start + 6, at - (start + 6));
    b.valueStart = std::min(align4(at + 2), b.end);
    // Text lengths count characters by the format, bytes by some tools:
    // take the larger reach and stop at the NUL or the block's end.
    const std::uint64_t reach = b.text ? std::uint64_t(*valueLength) * 2 : *valueLength;
    b.valueEnd = std::min(b.valueStart + reach, b.end);
    b.childrenStart = std::min(align4(b.valueEnd), b.end);
    if (b.text) {
        std::uint64_t p = b.valueStart;
        while (p + 2 <= b.valueEnd && *res.u16(p) != 0)
            p += 2;
        b.valueEnd = p;
        // A text value of zero length leaves its children right after the key.
        if (*valueLength == 0)
            b.childrenStart = b.valueStart;
    }
    return b;
}

std::optional<Block> findChild(const Bytes &res, const Block &parent, std::string_view key)
{
    std::uint64_t at = parent.childrenStart;
    while (at + 6 <= parent.end) {
        const auto child = readBlock(res, at, parent.end);
        if (!child)
            return std::nullopt;
        if (equalKey(child->key, key))
            return child;
        at = align4(child->end);
    }
    return std::nullopt;
}

} // namespace

QString VersionErrorText(VersionError error)
{
    switch (error) {
    case VersionError::None:
        return {};
    case VersionError::CannotRead:
        return QStringLiteral("The file cannot be read");
    case VersionError::NotPE:
        return QStringLiteral("The file is not a Windows executable");
    case VersionError::NoResources:
        return QStringLiteral("The file has no resources");
    case VersionError::NoVersion:
        return QStringLiteral("The file has no version resource");
    case VersionError::BadVersion:
        return QStringLiteral("The version resource is damaged");
    }
    return {};
}

QByteArray ReadVersionResource(std::span<const std::uint8_t> data, VersionError *error)
{
    const Bytes file(data);
    if (error)
        *error = VersionError::None;
    if (!file.has(0, 64) || data[0] != 'M' || data[1] != 'Z')
        return fail(error, VersionError::NotPE);
    const std::uint64_t pe = *file.u32(0x3C);
    if (!file.has(pe, 24) || std::memcmp(data.data() + pe, "PE\0\0", 4) != 0)
        return fail(error, VersionError::NotPE);
    const std::uint16_t sections = *file.u16(pe + 6);
    const std::uint16_t optionalSize = *file.u16(pe + 20);
    const std::uint64_t optional = pe + 24;
    if (!file.has(optional, optionalSize))
        return fail(error, VersionError::NotPE);
    const auto magic = file.u16(optional);
    std::uint64_t countAt = 0;
    if (magic == 0x10B)
        countAt = 92;
    else if (magic == 0x20B)
        countAt = 108;
    else
        return fail(error, VersionError::NotPE);
    Image image{file, optional + optionalSize, sections};
    if (!file.has(image.sectionTable, std::uint64_t(sections) * 40))
        return fail(error, VersionError::NotPE);

    // Data directory 2 is the resource directory.
    const std::uint64_t dirAt = countAt + 4 + 2 * 8;
    if (optionalSize < dirAt + 8 || *file.u32(optional + countAt) < 3)
        return fail(error, VersionError::NoResources);
    const std::uint32_t rva = *file.u32(optional + dirAt);
    const std::uint32_t size = *file.u32(optional + dirAt + 4);
    if (rva == 0 || size < 16)
        return fail(error, VersionError::NoResources);
    // The directory's size may understate its section: trust the section.
    auto root = image.offsetOf(rva, 16);
    if (!root)
        return fail(error, VersionError::NoResources);
    std::uint64_t rootSize = 0;
    for (std::uint16_t i = 0; i < sections; ++i) {
        const auto s = image.section(i);
        if (s && rva >= s->virtualAddress && rva - s->virtualAddress < s->rawSize) {
            rootSize = std::min<std::uint64_t>(s->rawSize - (rva - s->virtualAddress),
                                               file.size() - *root);
            break;
        }
    }

    const auto type = pickEntry(file, *root, rootSize, 0, kRtVersion, false);
    if (!type || !type->isDirectory)
        return fail(error, type ? VersionError::BadVersion : VersionError::NoVersion);
    const auto name = pickEntry(file, *root, rootSize, type->target, 1u, true);
    if (!name || !name->isDirectory)
        return fail(error, VersionError::BadVersion);
    const auto language = pickEntry(file, *root, rootSize, name->target, 0u, true);
    if (!language || language->isDirectory || std::uint64_t(language->target) + 16 > rootSize)
        return fail(error, VersionError::BadVersion);
    const std::uint32_t dataRva = *file.u32(*root + language->target);
    const std::uint32_t dataSize = *file.u32(*root + language->target + 4);
    const auto dataAt = image.offsetOf(dataRva, dataSize);
    if (!dataAt || dataSize < 6)
        return fail(error, VersionError::BadVersion);
    const auto bytes = file.sub(*dataAt, dataSize);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

QByteArray ReadVersionResource(const QByteArray &file, VersionError *error)
{
    return ReadVersionResource(std::span(reinterpret_cast<const std::uint8_t *>(file.constData()),
                                         static_cast<std::size_t>(file.size())),
                               error);
}

QByteArray ReadVersionResourceFile(const QString &fileName, VersionError *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return fail(error, VersionError::CannotRead);
    const QByteArray data = file.read(kMaxFileSize);
    if (file.error() != QFileDevice::NoError)
        return fail(error, VersionError::CannotRead);
    return ReadVersionResource(data, error);
}

bool VerQueryValue(std::span<const std::uint8_t> resource, std::string_view subBlock,
                   std::span<const std::uint8_t> &value)
{
    const Bytes res(resource);
    auto block = readBlock(res, 0, res.size());
    if (!block)
        return false;
    std::string_view rest = subBlock;
    while (!rest.empty()) {
        while (!rest.empty() && rest.front() == '\\')
            rest.remove_prefix(1);
        if (rest.empty())
            break;
        const auto cut = rest.find('\\');
        const std::string_view key = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut);
        block = findChild(res, *block, key);
        if (!block)
            return false;
    }
    value = res.sub(block->valueStart, block->valueEnd - block->valueStart);
    return true;
}

QString VersionText(std::span<const std::uint8_t> value)
{
    QString text;
    text.reserve(static_cast<qsizetype>(value.size() / 2));
    for (std::size_t i = 0; i + 1 < value.size(); i += 2)
        text.append(QChar(char16_t(value[i] | (value[i + 1] << 8))));
    return text;
}

bool FixedFileFlags(std::span<const std::uint8_t> resource, std::uint32_t &flags)
{
    std::span<const std::uint8_t> fixed;
    if (!VerQueryValue(resource, "\\", fixed) || fixed.size() < kFixedSize)
        return false;
    const Bytes block(fixed);
    if (*block.u32(0) != kFixedSignature)
        return false;
    flags = *block.u32(28);
    return true;
}

bool FirstTranslation(std::span<const std::uint8_t> resource, std::uint16_t &language,
                      std::uint16_t &codePage)
{
    std::span<const std::uint8_t> table;
    if (!VerQueryValue(resource, "\\VarFileInfo\\Translation", table) || table.size() < 4)
        return false;
    language = static_cast<std::uint16_t>(table[0] | (table[1] << 8));
    codePage = static_cast<std::uint16_t>(table[2] | (table[3] << 8));
    return true;
}

} // namespace win
