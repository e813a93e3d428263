// The version-resource reader on executables made by the mingw-w64 tools
// (tests/widgets/fixtures/make-version-fixtures.sh, checked there with
// python3-pefile), on every truncated copy of them and on damaged trees.
#include "platform/win/VersionResource.h"

#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Data = std::vector<std::uint8_t>;

Data fixture(const char *name)
{
    QFile file(QStringLiteral(QM_FIXTURES "/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return Data(bytes.begin(), bytes.end());
}

QByteArray resourceOf(const Data &file, win::VersionError *error = nullptr)
{
    return win::ReadVersionResource(std::span<const std::uint8_t>(file), error);
}

std::span<const std::uint8_t> span(const QByteArray &b)
{
    return {reinterpret_cast<const std::uint8_t *>(b.constData()), std::size_t(b.size())};
}

QString query(std::span<const std::uint8_t> resource, const char *path)
{
    std::span<const std::uint8_t> value;
    return win::VerQueryValue(resource, path, value) ? win::VersionText(value)
                                                     : QStringLiteral("<none>");
}

const char *const kFixtures[] = {"version64.exe", "version32.dll", "otherlang.dll",
                                 "noversion.exe"};

TEST(VersionResource, ReadsTheGeneratedFiles)
{
    win::VersionError error{};
    const QByteArray v64 = resourceOf(fixture("version64.exe"), &error);
    ASSERT_EQ(error, win::VersionError::None);
    std::uint32_t flags = 0;
    ASSERT_TRUE(win::FixedFileFlags(span(v64), flags));
    EXPECT_EQ(flags, 0x0Bu);
    std::uint16_t language = 0, codePage = 0;
    ASSERT_TRUE(win::FirstTranslation(span(v64), language, codePage));
    EXPECT_EQ(language, 0x0409);
    EXPECT_EQ(codePage, 1252);
    // The table's key is upper case in the file; the query's lower case.
    EXPECT_EQ(query(span(v64), "\\StringFileInfo\\040904e4\\CompanyName"), "Example Works");
    EXPECT_EQ(query(span(v64), "\\stringfileinfo\\040904E4\\ORIGINALFILENAME"), "version64.exe");
    EXPECT_EQ(query(span(v64), "\\StringFileInfo\\040904e4\\LegalCopyright"),
              QString::fromUtf8("Copyright \u00a9 2026"));
    EXPECT_EQ(query(span(v64), "\\StringFileInfo\\040904e4\\Comments"), "");
    EXPECT_EQ(query(span(v64), "\\StringFileInfo\\040704b0\\CompanyName"), "Beispielwerk");
    EXPECT_EQ(query(span(v64), "\\StringFileInfo\\040904e4\\Missing"), "<none>");
    EXPECT_EQ(query(span(v64), "\\StringFileInfo\\040904e4\\CompanyNam"), "<none>");

    const QByteArray v32 = resourceOf(fixture("version32.dll"), &error);
    ASSERT_EQ(error, win::VersionError::None) << "32-bit headers";
    ASSERT_TRUE(win::FixedFileFlags(span(v32), flags));
    EXPECT_EQ(flags, 0x34u);
    EXPECT_EQ(query(span(v32), "\\StringFileInfo\\040704b0\\SpecialBuild"), "Sonderstand");

    EXPECT_TRUE(resourceOf(fixture("noversion.exe"), &error).isEmpty());
    EXPECT_EQ(error, win::VersionError::NoResources);
}

TEST(VersionResource, FileAndBytesAgree)
{
    for (const char *name : kFixtures) {
        const Data bytes = fixture(name);
        ASSERT_FALSE(bytes.empty()) << name;
        win::VersionError fromFile{}, fromBytes{};
        EXPECT_EQ(win::ReadVersionResourceFile(QStringLiteral(QM_FIXTURES "/") + name, &fromFile),
                  resourceOf(bytes, &fromBytes))
            << name;
        EXPECT_EQ(fromFile, fromBytes) << name;
    }
    win::VersionError error{};
    EXPECT_TRUE(win::ReadVersionResourceFile("/nonexistent/file.exe", &error).isEmpty());
    EXPECT_EQ(error, win::VersionError::CannotRead);
    EXPECT_TRUE(win::ReadVersionResourceFile("/bin/sh", &error).isEmpty());
    EXPECT_EQ(error, win::VersionError::NotPE);
    EXPECT_FALSE(win::VersionErrorText(error).isEmpty());
}

// Every prefix of every file, each in a buffer of exactly its length, so
// that AddressSanitizer sees any read past the end. A prefix that still
// holds the whole resource must give the same resource.
TEST(VersionResource, EveryTruncatedCopyGivesAnErrorOrTheResource)
{
    for (const char *name : kFixtures) {
        const Data whole = fixture(name);
        const QByteArray full = resourceOf(whole);
        for (std::size_t n = 0; n < whole.size(); ++n) {
            const Data prefix(whole.begin(), whole.begin() + std::ptrdiff_t(n));
            win::VersionError error{};
            const QByteArray got = resourceOf(prefix, &error);
            if (got.isEmpty()) {
                EXPECT_NE(error, win::VersionError::None) << name << " " << n;
                continue;
            }
            ASSERT_EQ(got, full) << name << " " << n;
        }
    }
}

void queryAll(std::span<const std::uint8_t> resource)
{
    std::uint32_t flags = 0;
    std::uint16_t language = 0, codePage = 0;
    (void)win::FixedFileFlags(resource, flags);
    (void)win::FirstTranslation(resource, language, codePage);
    (void)query(resource, "\\StringFileInfo\\040904e4\\CompanyName");
    (void)query(resource, "\\StringFileInfo\\040904e4\\A Rather Long Custom Key Name");
}

TEST(VersionResource, DamagedTreesAreReadInsideTheirBytes)
{
    const QByteArray resource = resourceOf(fixture("version64.exe"));
    ASSERT_FALSE(resource.isEmpty());
    for (qsizetype n = 0; n <= resource.size(); ++n) {
        const Data prefix(resource.begin(), resource.begin() + n);
        queryAll(prefix);
    }
    for (qsizetype i = 0; i < resource.size(); ++i) {
        for (std::uint8_t b : {std::uint8_t(0x00), std::uint8_t(0xFF), std::uint8_t(0x07)}) {
            Data damaged(resource.begin(), resource.end());
            damaged[std::size_t(i)] = b;
            queryAll(damaged);
        }
    }
}

// A version tree written by hand: root, fixed block and translation table
// as given.
Data versionTree(const Data &fixedValue, const Data &translation)
{
    auto block = [](const std::u16string &key, const Data &value, std::uint16_t type,
                    const Data &children) {
        Data b(6, 0);
        for (char16_t c : key + u'\0') {
            b.push_back(std::uint8_t(c & 0xFF));
            b.push_back(std::uint8_t(c >> 8));
        }
        while (b.size() % 4)
            b.push_back(0);
        b.insert(b.end(), value.begin(), value.end());
        while (b.size() % 4)
            b.push_back(0);
        b.insert(b.end(), children.begin(), children.end());
        b[0] = std::uint8_t(b.size() & 0xFF);
        b[1] = std::uint8_t(b.size() >> 8);
        b[2] = std::uint8_t(value.size());
        b[4] = std::uint8_t(type);
        return b;
    };
    const Data var = block(u"Translation", translation, 0, {});
    const Data varInfo = block(u"VarFileInfo", {}, 1, var);
    return block(u"VS_VERSION_INFO", fixedValue, 0, varInfo);
}

Data fixedBlock(std::size_t size, std::uint32_t signature, std::uint32_t flags)
{
    Data d(size, 0);
    for (int i = 0; i < 4 && std::size_t(i) < size; ++i)
        d[std::size_t(i)] = std::uint8_t(signature >> (8 * i));
    for (int i = 0; i < 4 && std::size_t(28 + i) < size; ++i)
        d[std::size_t(28 + i)] = std::uint8_t(flags >> (8 * i));
    return d;
}

TEST(VersionResource, ShortFixedBlockAndTranslationTableAreIgnored)
{
    const struct
    {
        const char *what;
        Data fixed;
        Data translation;
        bool hasFlags;
        bool hasTranslation;
    } cases[] = {
        {"complete", fixedBlock(52, 0xFEEF04BD, 0x21), {0x09, 0x04, 0xB0, 0x04}, true, true},
        {"no fixed block", {}, {0x09, 0x04, 0xB0, 0x04}, false, true},
        {"short fixed block", fixedBlock(32, 0xFEEF04BD, 0x21), {0x09, 0x04}, false, false},
        {"wrong signature", fixedBlock(52, 0x12345678, 0x21), {}, false, false},
    };
    for (const auto &c : cases) {
        const Data tree = versionTree(c.fixed, c.translation);
        std::uint32_t flags = 0;
        std::uint16_t language = 0, codePage = 0;
        EXPECT_EQ(win::FixedFileFlags(tree, flags), c.hasFlags) << c.what;
        if (c.hasFlags) {
            EXPECT_EQ(flags, 0x21u) << c.what;
        }
        EXPECT_EQ(win::FirstTranslation(tree, language, codePage), c.hasTranslation) << c.what;
    }
}

TEST(VersionResource, LanguageNames)
{
    // Rows of the system's table of language identifiers, from each end of
    // it and between; a primary language with the neutral sublanguage is the
    // language alone; user-defined and unknown ids have no name.
    const struct
    {
        std::uint16_t id;
        const char *name;
    } rows[] = {
        {0x0409, "English (United States)"},
        {0x0407, "German (Germany)"},
        {0x0000, "Language Neutral"},
        {0x0436, "Afrikaans (South Africa)"},
        {0x045E, "Amharic (Ethiopia)"},
        {0x3C01, "Arabic (Bahrain)"},
        {0x0845, "Bangla (Bangladesh)"},
        {0x0C04, "Chinese (Hong Kong SAR, PRC)"},
        {0x7C04, "Chinese (Traditional)"},
        {0x4809, "English (Singapore)"},
        {0x0867, "Pular (Senegal)"},
        {0x203B, "Sami (Skolt, Finland)"},
        {0x540A, "Spanish (United States)"},
        {0x046A, "Yoruba (Nigeria)"},
        {0x0009, "English"},
        {0x0019, "Russian"},
        {0x007F, "Invariant Language"},
        {0x0200, ""},
        {0x7FFF, ""},
    };
    for (const auto &r : rows)
        EXPECT_EQ(win::VerLanguageName(r.id), QString::fromLatin1(r.name)) << std::hex << r.id;

    // Every id with a name has its primary language named as well.
    int named = 0;
    for (unsigned id = 0; id <= 0xFFFF; ++id) {
        if (win::VerLanguageName(std::uint16_t(id)).isEmpty())
            continue;
        ++named;
        EXPECT_FALSE(win::VerLanguageName(std::uint16_t(id & 0x3FF)).isEmpty()) << std::hex << id;
    }
    EXPECT_GT(named, 300);
}

} // namespace
