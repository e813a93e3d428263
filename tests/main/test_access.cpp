#include "main/AccessLevel.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

// A PASSWORD_READ_CFM body: fields at 4 and 13, each up to 8 characters and a NUL.
std::array<std::uint8_t, 256> passwordFrame(const char *ro, const char *rw)
{
    std::array<std::uint8_t, 256> f{};
    f[1] = 22;
    f[2] = 1;
    f[3] = 0xEA;
    auto put = [&](std::size_t at, const char *pw) {
        if (!pw)
            std::memset(&f[at], 0xFF, 9); // erased: nothing stored
        else
            std::memcpy(&f[at], pw, std::strlen(pw));
    };
    put(4, ro);
    put(13, rw);
    return f;
}

} // namespace

// The gate's grant for each stored password (empty, none, text) and login.
TEST(AccessGate, PasswordGrantsByStoredPasswordAndLogin)
{
    struct Case
    {
        const char *ro, *rw, *login;
        bool readOnly, readWrite;
    } cases[] = {
        {"", "", "", true, true}, // nothing set: everyone gets everything
        {"", "", "anything", true, true},
        {"8061", "KTVW", "8061", true, false}, // read-only password only
        {"8061", "KTVW", "KTVW", false, true},
        {"ABC", "ABC", "abc", false, false}, // case matters
        {"8061", "KTVW", "", false, false},
        {nullptr, nullptr, "", false, false}, // an erased unit grants nothing
        {nullptr, nullptr, "\xFF\xFF", false, false},
        {"12345678", "", "12345678", true, true},
    };
    for (const auto &c : cases) {
        const auto f = passwordFrame(c.ro, c.rw);
        EXPECT_EQ(PasswordGrants(f.data(), 22, ReadOnlyPasswordAt, c.login), c.readOnly) << c.login;
        EXPECT_EQ(PasswordGrants(f.data(), 22, ReadWritePasswordAt, c.login), c.readWrite)
            << c.login;
    }
}

TEST(AccessGate, PasswordIsNeverReadBeyondItsFieldOrTheFrame)
{
    auto f = passwordFrame("ABCDEFGH", "XY");
    f[12] = 'Z'; // no NUL at the end of the field
    EXPECT_EQ(UnitPassword(f.data(), 22, ReadOnlyPasswordAt).value(), "ABCDEFGHZ");
    // A short frame: the read/write field was not received.
    EXPECT_FALSE(UnitPassword(f.data(), 13, ReadWritePasswordAt).has_value());
    EXPECT_EQ(UnitPassword(f.data(), 15, ReadWritePasswordAt).value(), "XY");
}

TEST(AccessGate, LevelsByPrecedence)
{
    struct Case
    {
        AccessFlags f;
        AccessLevel level;
        const char *text;
        bool read, write;
    } cases[] = {
        {{true, false, false, false}, AccessLevel::AccessMaster, "Master", true, true},
        {{true, true, false, false}, AccessLevel::AccessMaster, "Master", true, true},
        {{false, true, true, true}, AccessLevel::AccessReadWrite, "Read / Write", true, true},
        {{false, true, true, false}, AccessLevel::AccessReadOnly, "Read only", true, false},
        {{false, true, false, false}, AccessLevel::AccessDenied, "Wrong password", false, false},
        {{false, false, true, true}, AccessLevel::AccessNone, "", false, false},
    };
    for (const auto &c : cases) {
        const AccessLevel l = ComputeAccessLevel(c.f);
        EXPECT_EQ(l, c.level);
        EXPECT_STREQ(AccessLevelText(l), c.text);
        EXPECT_EQ(CanRead(l), c.read) << c.text;
        EXPECT_EQ(CanWrite(l), c.write) << c.text;
    }
}
