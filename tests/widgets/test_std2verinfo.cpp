// The version-resource component on the generated executables.
#include "widgets/Std2VerInfo.h"

#include <gtest/gtest.h>

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(QM_FIXTURES "/") + QString::fromLatin1(name);
}

struct VerCase
{
    const char *file;
    bool exists;
    const char *company;
    const char *original;
    const char *localeId;
    const char *codePage;
    const char *language;
    unsigned flags; // IS_DEBUG bit 0 ... IS_SPECIALBUILD bit 5
};

// Values as written in the fixtures' .rc files.
const VerCase kFiles[] = {
    {"version64.exe", true, "Example Works", "version64.exe", "0409", "04e4",
     "English (United States)", 0x0B},
    {"version32.dll", true, "Beispielwerk", "", "0407", "04b0", "German (Germany)", 0x34},
    {"otherlang.dll", true, "", "", "0409", "04b0", "English (United States)", 0x00},
    {"noversion.exe", false, "", "", "", "", "", 0x00},
    {"missing.exe", false, "", "", "", "", "", 0x00},
};

class VerInfo : public testing::TestWithParam<VerCase>
{
};

TEST_P(VerInfo, PropertiesOfTheFile)
{
    const VerCase &c = GetParam();
    TzcVerInfo info;
    info.SetFile(fixture(c.file));
    EXPECT_EQ(info.ExistVerInfo(), c.exists);
    EXPECT_EQ(info.CompanyName(), c.company);
    EXPECT_EQ(info.OriginalFileName(), c.original);
    EXPECT_EQ(info.LocaleID(), c.localeId);
    EXPECT_EQ(info.CodePage(), c.codePage);
    EXPECT_EQ(info.Language(), c.language);
    const unsigned flags =
        unsigned(info.IS_DEBUG()) | unsigned(info.IS_PRERELEASE()) << 1 |
        unsigned(info.IS_PATCHED()) << 2 | unsigned(info.IS_PRIVATEBUILD()) << 3 |
        unsigned(info.IS_INFOINFERRED()) << 4 | unsigned(info.IS_SPECIALBUILD()) << 5;
    EXPECT_EQ(flags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, VerInfo, testing::ValuesIn(kFiles));

TEST(TzcVerInfo, StringsOfTheFirstTranslation)
{
    TzcVerInfo info;
    info.SetFile(fixture("version64.exe"));
    EXPECT_EQ(info.FileDescription(), "Version fixture (64-bit)");
    EXPECT_EQ(info.FileVersion(), "1.2.3.4");
    EXPECT_EQ(info.InternalName(), "version64");
    EXPECT_EQ(info.ProductName(), "Fixture Product");
    EXPECT_EQ(info.ProductVersion(), "5.6.7.8");
    EXPECT_EQ(info.PrivateBuild(), "built by the test script");
    EXPECT_EQ(info.LegalTrademarks(), "");
    EXPECT_EQ(info.GetNonStandardString("a rather long custom key name"), "custom value");
    EXPECT_EQ(info.GetNonStandardString(QString(1000, QLatin1Char('K'))), "");
    info.SetDummyStr("changed");
    info.SetDummy(false);
    EXPECT_EQ(info.CompanyName(), "Example Works");
    EXPECT_TRUE(info.IS_DEBUG());
}

TEST(TzcVerInfo, AnotherFileClearsTheValues)
{
    TzcVerInfo info;
    info.SetFile(fixture("version64.exe"));
    ASSERT_TRUE(info.ExistVerInfo());
    info.SetFile(fixture("missing.exe"));
    EXPECT_FALSE(info.ExistVerInfo());
    EXPECT_EQ(info.CompanyName(), "");
    EXPECT_FALSE(info.IS_DEBUG());
    // The running program is no Windows executable.
    info.SetFile({});
    info.Loaded();
    EXPECT_FALSE(info.ExistVerInfo());
}

} // namespace
