// The profile file on any text: read and written back it is the same bytes,
// and writing one key changes what that key reads and nothing else.
#include "fuzz/FuzzSupport.h"
#include "platform/vcl/IniFile.h"

#include <map>
#include <utility>

using fuzzsupport::check;

namespace {

using Values = std::map<std::pair<QString, QString>, QString>;

// Every value the file gives, by section and key as the reader lists them.
Values readAll(const vcl::TIniFile &ini)
{
    Values out;
    const QStringList sections = ini.ReadSections();
    for (const QString &section : sections) {
        const QStringList keys = ini.ReadSection(section);
        for (const QString &key : keys)
            out.emplace(std::make_pair(section.toUpper(), key.toUpper()),
                        ini.ReadString(section, key, QStringLiteral("\x01")));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes pick the section and key to write, the next line
    // of the input is the value, the rest is the file.
    static const char *const names[] = {"A", "b", "Form", "CONFIG", "x y", "OUTPUT"};
    const QString section = QString::fromLatin1(names[data[0] % 6]);
    const QString key = QString::fromLatin1(names[data[1] % 6]) + QString::number(data[1] / 6 % 3);
    const char *rest = reinterpret_cast<const char *>(data + 2);
    const std::size_t restSize = size - 2;
    std::size_t cut = 0;
    while (cut < restSize && rest[cut] != '\n')
        ++cut;
    QString value = QString::fromLatin1(rest, static_cast<qsizetype>(cut));
    const QByteArray text(rest + std::min(cut + 1, restSize),
                          static_cast<qsizetype>(restSize - std::min(cut + 1, restSize)));

    vcl::TIniFile ini = vcl::TIniFile::fromText(text);
    check(ini.text() == text, "text read and written back unchanged");

    const Values before = readAll(ini);
    ini.WriteString(section, key, value);
    check(ini.ReadString(section, key, QString()) == value.replace('\r', ' '),
          "a written value reads back");

    // Every other key keeps its value (keys may only have been added).
    const Values after = readAll(vcl::TIniFile::fromText(ini.text()));
    for (const auto &[name, old] : before) {
        if (name == std::make_pair(section.toUpper(), key.toUpper()))
            continue;
        const auto it = after.find(name);
        check(it != after.end() && it->second == old, "other keys keep their values");
    }
    return 0;
}
