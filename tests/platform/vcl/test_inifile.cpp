#include "platform/vcl/IniFile.h"

#include <gtest/gtest.h>

#include <functional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <climits>
#include <utility>

namespace {

using vcl::TIniFile;

QByteArray readAll(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

unsigned modeOf(const QString &name)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(name).constData(), &st) != 0)
        return 0;
    return st.st_mode & 0777;
}

// A tool INI file as another program (or a hand) left it: comments, foreign
// sections, odd spacing, a line that is neither section nor key, and no line
// end after the last line.
const QByteArray ForeignFile = "; tool settings\n"
                               "stray line before any section\n"
                               "[Form]\n"
                               "Top = 10\n"
                               "  Left=20   \n"
                               "; comment inside Form\n"
                               "InitMax=0\n"
                               "\n"
                               "[FIRMWARE]\n"
                               "PATH=C:\\fw\\unit.hex\n"
                               "garbage without equals\n"
                               "\n"
                               "\n"
                               "; comment about FIA\n"
                               "[FIA]\n"
                               "PATH=\"  spaced  \"";

TEST(IniFile, WritesKeepEveryOtherByte)
{
    TIniFile ini = TIniFile::fromText(ForeignFile);
    ini.WriteInteger("form", "TOP", 42);      // in place, spacing kept
    ini.WriteInteger("Form", "Width", 944);   // new key after the last key
    ini.WriteBool("Form", "InitMax", true);   // in place
    ini.WriteString("firmware", "NEW", "x");  // before the trailing blank lines
    ini.WriteString("PASSWORD", "LOGIN", ""); // new section at the end
    ini.WriteString("PASSWORD", "SETREADONLY", "8061");
    EXPECT_EQ(ini.text(), QByteArray("; tool settings\n"
                                     "stray line before any section\n"
                                     "[Form]\n"
                                     "Top = 42\n"
                                     "  Left=20   \n"
                                     "; comment inside Form\n"
                                     "InitMax=1\n"
                                     "Width=944\n"
                                     "\n"
                                     "[FIRMWARE]\n"
                                     "PATH=C:\\fw\\unit.hex\n"
                                     "NEW=x\n"
                                     "garbage without equals\n"
                                     "\n"
                                     "\n"
                                     "; comment about FIA\n"
                                     "[FIA]\n"
                                     "PATH=\"  spaced  \"\n"
                                     "\n"
                                     "[PASSWORD]\n"
                                     "LOGIN=\n"
                                     "SETREADONLY=8061\n"));
    EXPECT_TRUE(ini.isModified());
}

TEST(IniFile, UntouchedTextRoundTripsExactly)
{
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    for (const QByteArray &text : {ForeignFile, QByteArray(), QByteArray("\n\n"), all,
                                   QByteArray("[a]\r\nk=v\r\n\r\n"), QByteArray("[a]\nk=v")}) {
        EXPECT_EQ(TIniFile::fromText(text).text(), text);
    }
}

TEST(IniFile, LookupRules)
{
    const TIniFile ini = TIniFile::fromText("[ Form ]\n"
                                            "top=1\n"
                                            "TOP=2\n"
                                            "[form]\n"
                                            "Top=3\n"
                                            "Only2nd=4\n"
                                            "[Other\n"
                                            "k=5\n"
                                            "; k2=6\n"
                                            "=7\n");
    // Names match regardless of case and blanks; the first section and the
    // first key of a name win, a later duplicate is never read.
    EXPECT_EQ(ini.ReadInteger("FORM", "Top", 0), 1);
    EXPECT_EQ(ini.ReadInteger("form", "only2nd", -1), -1);
    EXPECT_EQ(ini.ReadSection("Form"), QStringList{"top"});
    EXPECT_EQ(ini.ReadSections(), (QStringList{"Form", "Other"}));
    // A header without ']' still opens its section; comments are no keys.
    EXPECT_EQ(ini.ReadString("other", "K", "-"), "5");
    EXPECT_FALSE(ini.ValueExists("Other", "; k2"));
    EXPECT_EQ(ini.ReadSection("Other"), QStringList{"k"});
    EXPECT_TRUE(ini.SectionExists("OTHER"));
    EXPECT_FALSE(ini.SectionExists("None"));
    EXPECT_FALSE(ini.ValueExists("Form", "Left"));
    EXPECT_EQ(ini.ReadString("None", "x", "dflt"), "dflt");
}

TEST(IniFile, DuplicatesWriteTheFirst)
{
    TIniFile ini = TIniFile::fromText("[A]\nk=1\nK=2\n[a]\nk=3\n");
    ini.WriteString("A", "k", "9");
    EXPECT_EQ(ini.text(), QByteArray("[A]\nk=9\nK=2\n[a]\nk=3\n"));
    ini.DeleteKey("a", "K");
    EXPECT_EQ(ini.text(), QByteArray("[A]\n[a]\nk=3\n"));
    EXPECT_EQ(ini.ReadString("A", "k", "gone"), "gone");
}

TEST(IniFile, ValuesAreTrimmedAndUnquoted)
{
    const TIniFile ini = TIniFile::fromText("[S]\n"
                                            "a=  x  \n"
                                            "b=\"  y  \"\n"
                                            "c=\"\"\n"
                                            "d=\"x\n"
                                            "e=\"\"x\"\"\n"
                                            "f= 'q' \n"
                                            "g=\n"
                                            "  h  =  v = w\t\n"
                                            "i=\"\n");
    const struct
    {
        const char *key;
        const char *value;
    } rows[] = {{"a", "x"},   {"b", "  y  "}, {"c", ""},      {"d", "\"x"}, {"e", "\"x\""},
                {"f", "'q'"}, {"g", ""},      {"h", "v = w"}, {"i", "\""}};
    for (const auto &row : rows)
        EXPECT_EQ(ini.ReadString("S", row.key, "default"), QString::fromLatin1(row.value))
            << row.key;
}

TEST(IniFile, WrittenStringsReadBackAsWritten)
{
    TIniFile ini = TIniFile::fromText("");
    const QString values[] = {"plain", " lead", "trail ", "\"quoted\"", "", "\"", "a\"b", "tab\t"};
    int n = 0;
    for (const QString &v : values)
        ini.WriteString("S", QString("K%1").arg(++n), v);
    n = 0;
    for (const QString &v : values)
        EXPECT_EQ(ini.ReadString("S", QString("K%1").arg(++n), "?"), v) << v.toStdString();
    // A value is one line: line breaks cannot reach the file.
    ini.WriteString("S", "ML", "a\r\nb\nc");
    EXPECT_EQ(ini.ReadString("S", "ML", "?"), "a  b c");
    EXPECT_EQ(ini.ReadSection("S").size(), 9);
}

TEST(IniFile, IntegersBooleansAndFloats)
{
    const struct
    {
        const char *value;
        int integer;  // default 77
        bool boolean; // default true
    } rows[] = {
        {"12", 12, true},         {"-5", -5, true},         {"0", 0, false},
        {"0x1F", 31, true},       {" 42 ", 42, true},       {"\"42\"", 42, true},
        {"+7", 7, true},          {"12abc", 77, true},      {"", 77, true},
        {"abc", 77, true},        {"true", 77, true},       {"1.5", 77, true},
        {"2147483648", 77, true}, {"0x80000000", 77, true}, {"-2147483648", INT_MIN, true},
    };
    for (const auto &row : rows) {
        const TIniFile ini = TIniFile::fromText(QByteArray("[S]\nk=") + row.value + '\n');
        EXPECT_EQ(ini.ReadInteger("S", "k", 77), row.integer) << row.value;
        EXPECT_EQ(ini.ReadBool("S", "k", true), row.boolean) << row.value;
    }
    const TIniFile zero = TIniFile::fromText("[S]\nk=0\nb=x\n");
    EXPECT_FALSE(zero.ReadBool("S", "k", true));
    EXPECT_FALSE(zero.ReadBool("S", "b", false));
    EXPECT_FALSE(zero.ReadBool("S", "missing", false));

    TIniFile ini = TIniFile::fromText("[S]\ncomma=1,5\nbad=abc\nempty=\n");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "comma", 0), 1.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "bad", 2.5), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "empty", 3.5), 3.5);
    ini.WriteFloat("S", "M", double(0.1f));
    ini.WriteInteger("S", "I", -12);
    ini.WriteBool("S", "B", false);
    EXPECT_EQ(ini.ReadString("S", "M", ""), "0.100000001490116");
    EXPECT_EQ(float(ini.ReadFloat("S", "M", 0)), 0.1f);
    EXPECT_EQ(ini.ReadString("S", "I", ""), "-12");
    EXPECT_EQ(ini.ReadString("S", "B", ""), "0");
}

TEST(IniFile, CrLfFilesStayCrLf)
{
    TIniFile ini = TIniFile::fromText("[Form]\r\nTop=5\r\n\r\n[CONFIG]\r\nPATH=C:\\x\r\n");
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 0), 5);
    EXPECT_EQ(ini.ReadString("CONFIG", "PATH", ""), "C:\\x");
    ini.WriteInteger("Form", "Left", 7);
    ini.WriteString("CONFIG", "PATH", "D:\\y");
    ini.WriteString("New", "k", "v");
    EXPECT_EQ(ini.text(), QByteArray("[Form]\r\nTop=5\r\nLeft=7\r\n\r\n[CONFIG]\r\nPATH=D:\\y\r\n"
                                     "\r\n[New]\r\nk=v\r\n"));
    // Without a final line end the last line gets one before new lines.
    TIniFile open = TIniFile::fromText("[A]\r\nk=1");
    open.WriteString("A", "j", "2");
    EXPECT_EQ(open.text(), QByteArray("[A]\r\nk=1\r\nj=2\r\n"));
}

TEST(IniFile, EveryByteSurvives)
{
    QByteArray high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += char(b);
    const QByteArray text = "; " + high + "\n[S" + high + "]\nk=" + high + "\n[T]\nx=1\n";
    TIniFile ini = TIniFile::fromText(text);
    const QString value = ini.ReadString("S" + QString::fromLatin1(high), "k", "");
    ASSERT_EQ(value.size(), 128);
    for (int i = 0; i < 128; ++i)
        EXPECT_EQ(value.at(i).unicode(), 0x80 + i);
    ini.WriteString("T", "copy", value);
    EXPECT_EQ(ini.text(), text + "copy=" + high + "\n");
    // Case-insensitive matching covers Latin-1 letters.
    EXPECT_TRUE(ini.SectionExists("s" + QString::fromLatin1(high).toLower()));
}

TEST(IniFile, FirstLineMayCarryAByteOrderMark)
{
    TIniFile ini = TIniFile::fromText("\xEF\xBB\xBF[Form]\nTop=3\n");
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 0), 3);
    ini.WriteInteger("Form", "Top", 4);
    EXPECT_EQ(ini.text(), QByteArray("\xEF\xBB\xBF[Form]\nTop=4\n"));
}

TEST(IniFile, NewKeysGoAfterTheLastKey)
{
    TIniFile ini = TIniFile::fromText("[Empty]\n\n[Full]\na=1\n; note\nb=2\n\n\n; next\n[Last]\n");
    ini.WriteString("Empty", "k", "1");
    ini.WriteString("Full", "c", "3");
    ini.WriteString("Last", "z", "9");
    EXPECT_EQ(ini.text(), QByteArray("[Empty]\nk=1\n\n[Full]\na=1\n; note\nb=2\nc=3\n\n\n; next\n"
                                     "[Last]\nz=9\n"));
}

TEST(IniFile, EraseSectionKeepsTheNextSectionsComment)
{
    TIniFile ini = TIniFile::fromText("[A]\na=1\n; inside\nb=2\n\n; about B\n[B]\nx=1\n"
                                      "[a]\nc=3\n\n[C]\n");
    ini.EraseSection("a");
    EXPECT_EQ(ini.text(), QByteArray("; about B\n[B]\nx=1\n[C]\n"));
    EXPECT_FALSE(ini.SectionExists("A"));
    ini.EraseSection("C");
    ini.EraseSection("missing");
    EXPECT_EQ(ini.text(), QByteArray("; about B\n[B]\nx=1\n"));
}

// Reading from a file and from memory must agree.
// Lookups go through an index of the lines; lines added or removed by writes
// must never leave it pointing at the wrong line.
TEST(IniFile, LookupsStayRightAcrossWrites)
{
    TIniFile ini = TIniFile::fromText("junk\nk=0\n[A]\nk=1\n[B]\nk=2\n[a]\nk=3\nx=4\n");
    const struct
    {
        const char *what;
        std::function<void(TIniFile &)> change;
        const char *a, *b, *x; // k of A, k of B, x of A
    } steps[] = {
        {"as read", [](TIniFile &) {}, "1", "2", "-"},
        {"a key added to A", [](TIniFile &i) { i.WriteString("A", "x", "5"); }, "1", "2", "5"},
        {"a section in front erased", [](TIniFile &i) { i.EraseSection("a"); }, "-", "2", "-"},
        {"A anew at the end", [](TIniFile &i) { i.WriteString("A", "k", "6"); }, "6", "2", "-"},
        {"a key of B deleted", [](TIniFile &i) { i.DeleteKey("B", "k"); }, "6", "-", "-"},
        {"B's key again", [](TIniFile &i) { i.WriteString("b", "K", "7"); }, "6", "7", "-"},
        {"text replaced", [](TIniFile &i) { i = TIniFile::fromText("[B]\nk=8\n"); }, "-", "8", "-"},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.what);
        step.change(ini);
        EXPECT_EQ(ini.ReadString("A", "k", "-"), step.a);
        EXPECT_EQ(ini.ReadString("b", "K", "-"), step.b);
        EXPECT_EQ(ini.ReadString("A", "x", "-"), step.x);
    }
}

// A large file of junk lines around the keys reads its keys and writes back
// every byte (how long it takes is measured by hand, not here).
TEST(IniFile, LargeFileOfJunkLines)
{
    QByteArray text = "[INPUT]\r\n";
    for (int i = 0; i < 100000; ++i)
        text += "junk line " + QByteArray::number(i) + " without an equals sign\r\n";
    text += "NAME1=Horn\r\n[OUTPUT]\r\nNAME1=Lamp\r\nNAME1=second\r\n";
    TIniFile ini = TIniFile::fromText(text);
    EXPECT_EQ(ini.ReadString("input", "name1", "-"), "Horn");
    EXPECT_EQ(ini.ReadString("OUTPUT", "NAME1", "-"), "Lamp");
    EXPECT_EQ(ini.ReadString("OUTPUT", "NAME2", "-"), "-");
    EXPECT_EQ(ini.text(), text);
}

TEST(IniFile, FileAndTextReadAlike)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("QM5230.INI");
    ASSERT_TRUE(writeAll(name, ForeignFile));
    const TIniFile fromFile(name);
    const TIniFile fromText = TIniFile::fromText(ForeignFile);
    EXPECT_EQ(fromFile.text(), fromText.text());
    EXPECT_EQ(fromFile.ReadString("FIA", "PATH", ""), "  spaced  ");
    EXPECT_EQ(fromFile.ReadSections(), fromText.ReadSections());
    EXPECT_FALSE(fromFile.isModified());
}

TEST(IniFile, MissingOrUnreadableFileIsEmpty)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        const TIniFile missing(dir.filePath("none.ini"));
        EXPECT_EQ(missing.ReadString("PASSWORD", "SETREADONLY", "8061"), "8061");
        EXPECT_TRUE(missing.text().isEmpty());
        const TIniFile folder(dir.path());
        EXPECT_TRUE(folder.text().isEmpty());
    }
    // Reading alone writes nothing back.
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("none.ini")));
}

TEST(IniFile, NewFileIsOwnerOnlyAndExistingKeepsItsMode)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const mode_t oldMask = ::umask(022);
    const QString fresh = dir.filePath("fresh.ini");
    {
        TIniFile ini(fresh);
        ini.WriteString("PASSWORD", "LOGIN", "secret");
        EXPECT_TRUE(ini.UpdateFile()) << ini.errorString().toStdString();
        EXPECT_FALSE(ini.isModified());
    }
    EXPECT_EQ(modeOf(fresh), 0600u);
    EXPECT_EQ(readAll(fresh), QByteArray("[PASSWORD]\nLOGIN=secret\n"));

    const QString shared = dir.filePath("shared.ini");
    ASSERT_TRUE(writeAll(shared, "[A]\r\nk=1\r\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0640), 0);
    {
        TIniFile ini(shared);
        ini.WriteInteger("A", "k", 2);
    } // the destructor saves
    EXPECT_EQ(modeOf(shared), 0640u);
    EXPECT_EQ(readAll(shared), QByteArray("[A]\r\nk=2\r\n"));
    ::umask(oldMask);
}

TEST(IniFile, WriteFailureIsReported)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString targets[] = {dir.filePath("no/such/folder/x.ini"), dir.path()};
    for (const QString &target : targets) {
        TIniFile ini(target);
        ini.WriteString("A", "k", "v");
        EXPECT_FALSE(ini.UpdateFile()) << target.toStdString();
        EXPECT_FALSE(ini.errorString().isEmpty());
        EXPECT_TRUE(ini.isModified());
    } // and the destructor's try fails quietly
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("no")));
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
}

TEST(IniFile, MovedFromObjectDoesNotSave)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("m.ini");
    {
        TIniFile first(name);
        first.WriteString("A", "k", "1");
        TIniFile second(std::move(first));
        EXPECT_TRUE(second.isModified());
        EXPECT_FALSE(first.isModified()); // NOLINT(bugprone-use-after-move): documented state
        ASSERT_TRUE(writeAll(name, "[A]\nk=other\n"));
        second.WriteString("A", "j", "2");
        ASSERT_TRUE(second.UpdateFile());
    }
    EXPECT_EQ(readAll(name), QByteArray("[A]\nk=1\nj=2\n"));

    // A text-only object never creates a file.
    TIniFile text = TIniFile::fromText("");
    text.WriteString("A", "k", "1");
    EXPECT_TRUE(text.UpdateFile());
    EXPECT_TRUE(text.fileName().isEmpty());
}

} // namespace
