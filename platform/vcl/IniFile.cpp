#include "platform/vcl/IniFile.h"

#include "platform/vcl/Numbers.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <utility>

namespace vcl {

namespace {

constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

QString folded(const QString &name)
{
    return name.toCaseFolded();
}

// Names and values are single lines of 8-bit text.
QByteArray oneLine(const QString &text)
{
    QByteArray bytes = text.toLatin1();
    bytes.replace('\r', ' ');
    bytes.replace('\n', ' ');
    return bytes;
}

bool enclosedInQuotes(const QByteArray &v)
{
    return v.size() >= 2 && v.front() == '"' && v.back() == '"';
}

QByteArray encodeValue(const QString &value)
{
    const QByteArray bytes = oneLine(value);
    if (bytes != bytes.trimmed() || enclosedInQuotes(bytes))
        return '"' + bytes + '"';
    return bytes;
}

bool isBlankLine(const QByteArray &text)
{
    return text.trimmed().isEmpty();
}

} // namespace

TIniFile::TIniFile(const QString &fileName) : m_fileName(fileName)
{
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly) && file.size() <= MaxFileSize)
        parse(file.read(MaxFileSize + 1).left(MaxFileSize));
}

TIniFile TIniFile::fromText(const QByteArray &text)
{
    TIniFile ini;
    ini.parse(text);
    return ini;
}

TIniFile::~TIniFile()
{
    if (m_modified)
        UpdateFile();
}

TIniFile::TIniFile(TIniFile &&other) noexcept
    : m_fileName(std::exchange(other.m_fileName, QString())),
      m_lines(std::exchange(other.m_lines, {})), m_eol(other.m_eol),
      m_modified(std::exchange(other.m_modified, false)), m_error(std::move(other.m_error))
{
    other.linesMoved();
}

TIniFile &TIniFile::operator=(TIniFile &&other) noexcept
{
    if (this != &other) {
        if (m_modified)
            UpdateFile();
        m_fileName = std::exchange(other.m_fileName, QString());
        m_lines = std::exchange(other.m_lines, {});
        m_eol = other.m_eol;
        m_modified = std::exchange(other.m_modified, false);
        m_error = std::move(other.m_error);
        linesMoved();
        other.linesMoved();
    }
    return *this;
}

void TIniFile::parse(const QByteArray &bytes)
{
    m_lines.clear();
    linesMoved();
    bool eolSeen = false;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        Line line;
        const qsizetype nl = bytes.indexOf('\n', pos);
        if (nl < 0) {
            line.text = bytes.mid(pos);
            pos = bytes.size();
        } else {
            qsizetype end = nl;
            if (end > pos && bytes.at(end - 1) == '\r') {
                --end;
                line.eol = "\r\n";
            } else {
                line.eol = "\n";
            }
            line.text = bytes.mid(pos, end - pos);
            pos = nl + 1;
            if (!eolSeen) {
                m_eol = line.eol;
                eolSeen = true;
            }
        }
        // A UTF-8 byte-order mark is kept but is no part of the first name.
        classify(line, m_lines.empty() && line.text.startsWith("\xEF\xBB\xBF") ? 3 : 0);
        m_lines.push_back(std::move(line));
    }
}

void TIniFile::classify(Line &line, qsizetype skip)
{
    line.kind = Kind::Other;
    line.spelt.clear();
    line.name.clear();
    const QByteArray t = line.text.mid(skip).trimmed();
    if (t.isEmpty() || t.front() == ';')
        return;
    if (t.front() == '[') {
        const qsizetype close = t.indexOf(']');
        line.kind = Kind::Section;
        line.spelt = QString::fromLatin1(t.mid(1, close < 0 ? -1 : close - 1).trimmed());
    } else {
        const qsizetype eq = t.indexOf('=');
        if (eq <= 0)
            return;
        line.kind = Kind::Key;
        line.spelt = QString::fromLatin1(t.left(eq).trimmed());
    }
    line.name = folded(line.spelt);
}

QByteArray TIniFile::text() const
{
    QByteArray out;
    for (const Line &line : m_lines)
        out += line.text + line.eol;
    return out;
}

void TIniFile::buildIndex() const
{
    m_sectionIndex.clear();
    m_keyIndex.clear();
    qsizetype header = -1;
    bool firstOfItsName = false;
    for (qsizetype i = 0; i < qsizetype(m_lines.size()); ++i) {
        const Line &line = m_lines[i];
        if (line.kind == Kind::Section) {
            header = i;
            // A later section of the same name is never read.
            firstOfItsName = !m_sectionIndex.contains(line.name);
            if (firstOfItsName)
                m_sectionIndex.insert(line.name, i);
        } else if (line.kind == Kind::Key && header >= 0 && firstOfItsName) {
            const auto at = std::pair(header, line.name);
            if (!m_keyIndex.contains(at))
                m_keyIndex.insert(at, i);
        }
    }
    m_indexed = true;
}

qsizetype TIniFile::findSection(const QString &name, qsizetype from) const
{
    if (from == 0) {
        if (!m_indexed)
            buildIndex();
        return m_sectionIndex.value(name, -1);
    }
    for (qsizetype i = from; i < qsizetype(m_lines.size()); ++i)
        if (m_lines[i].kind == Kind::Section && m_lines[i].name == name)
            return i;
    return -1;
}

qsizetype TIniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < qsizetype(m_lines.size()) && m_lines[i].kind != Kind::Section)
        ++i;
    return i;
}

qsizetype TIniFile::findKey(qsizetype header, const QString &name) const
{
    if (!m_indexed)
        buildIndex();
    if (m_sectionIndex.value(m_lines[header].name, -1) == header)
        return m_keyIndex.value(std::pair(header, name), -1);
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Kind::Key && m_lines[i].name == name)
            return i;
    return -1;
}

QString TIniFile::rawValue(qsizetype index) const
{
    const QByteArray &t = m_lines[index].text;
    QByteArray v = t.mid(t.indexOf('=') + 1).trimmed();
    if (enclosedInQuotes(v))
        v = v.mid(1, v.size() - 2);
    return QString::fromLatin1(v);
}

void TIniFile::insertLine(qsizetype at, const QByteArray &text)
{
    if (at >= qsizetype(m_lines.size())) {
        appendLine(text);
        return;
    }
    Line line;
    line.text = text;
    line.eol = m_eol;
    classify(line);
    m_lines.insert(m_lines.begin() + at, std::move(line));
    linesMoved();
}

void TIniFile::appendLine(const QByteArray &text)
{
    if (!m_lines.empty() && m_lines.back().eol.isEmpty())
        m_lines.back().eol = m_eol;
    Line line;
    line.text = text;
    line.eol = m_eol;
    classify(line);
    m_lines.push_back(std::move(line));
    // A line at the end moves no other line: the index takes it in, so that
    // writing a whole file key by key stays linear.
    if (m_indexed)
        indexLine(qsizetype(m_lines.size()) - 1);
}

void TIniFile::indexLine(qsizetype i) const
{
    const Line &line = m_lines[i];
    if (line.kind == Kind::Section) {
        if (!m_sectionIndex.contains(line.name))
            m_sectionIndex.insert(line.name, i);
        return;
    }
    if (line.kind != Kind::Key)
        return;
    qsizetype header = i - 1;
    while (header >= 0 && m_lines[header].kind != Kind::Section)
        --header;
    // Keys of a later section of the same name are never read.
    if (header < 0 || m_sectionIndex.value(m_lines[header].name, -1) != header)
        return;
    const auto at = std::pair(header, line.name);
    if (!m_keyIndex.contains(at))
        m_keyIndex.insert(at, i);
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const qsizetype header = findSection(folded(section));
    if (header < 0)
        return def;
    const qsizetype index = findKey(header, folded(key));
    return index < 0 ? def : rawValue(index);
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int def) const
{
    const qsizetype header = findSection(folded(section));
    const qsizetype index = header < 0 ? -1 : findKey(header, folded(key));
    if (index < 0)
        return def;
    return StrToIntOrHex(rawValue(index)).value_or(def);
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const QString &section, const QString &key, double def) const
{
    const qsizetype header = findSection(folded(section));
    const qsizetype index = header < 0 ? -1 : findKey(header, folded(key));
    if (index < 0)
        return def;
    return TryStrToFloat(rawValue(index)).value_or(def);
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    m_modified = true;
    const QByteArray encoded = encodeValue(value);
    const qsizetype header = findSection(folded(section));
    if (header < 0) {
        if (!m_lines.empty() && !isBlankLine(m_lines.back().text))
            appendLine(QByteArray());
        appendLine('[' + oneLine(section) + ']');
        appendLine(oneLine(key) + '=' + encoded);
        return;
    }
    const qsizetype index = findKey(header, folded(key));
    if (index >= 0) {
        // Keep the key as spelt and the spacing around '='.
        QByteArray &t = m_lines[index].text;
        qsizetype start = t.indexOf('=') + 1;
        while (start < t.size() && (t.at(start) == ' ' || t.at(start) == '\t'))
            ++start;
        t = t.left(start) + encoded;
        return;
    }
    qsizetype last = header;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Kind::Key)
            last = i;
    insertLine(last + 1, oneLine(key) + '=' + encoded);
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteFloat(const QString &section, const QString &key, double value)
{
    WriteString(section, key, FloatToStr(value));
}

bool TIniFile::SectionExists(const QString &section) const
{
    return findSection(folded(section)) >= 0;
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    const qsizetype header = findSection(folded(section));
    return header >= 0 && findKey(header, folded(key)) >= 0;
}

QStringList TIniFile::ReadSection(const QString &section) const
{
    QStringList keys;
    const qsizetype header = findSection(folded(section));
    if (header < 0)
        return keys;
    QSet<QString> seen;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line &line = m_lines[i];
        if (line.kind == Kind::Key && !seen.contains(line.name)) {
            seen.insert(line.name);
            keys.append(line.spelt);
        }
    }
    return keys;
}

QStringList TIniFile::ReadSections() const
{
    QStringList sections;
    QSet<QString> seen;
    for (const Line &line : m_lines) {
        if (line.kind == Kind::Section && !seen.contains(line.name)) {
            seen.insert(line.name);
            sections.append(line.spelt);
        }
    }
    return sections;
}

void TIniFile::EraseSection(const QString &section)
{
    const QString name = folded(section);
    for (qsizetype header = findSection(name); header >= 0; header = findSection(name, header)) {
        const qsizetype end = sectionEnd(header);
        qsizetype stop = header + 1;
        for (qsizetype i = header + 1; i < end; ++i)
            if (m_lines[i].kind == Kind::Key)
                stop = i + 1;
        while (stop < end && isBlankLine(m_lines[stop].text))
            ++stop;
        m_lines.erase(m_lines.begin() + header, m_lines.begin() + stop);
        linesMoved();
        m_modified = true;
    }
}

void TIniFile::DeleteKey(const QString &section, const QString &key)
{
    const qsizetype header = findSection(folded(section));
    if (header < 0)
        return;
    const QString name = folded(key);
    qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end;) {
        if (m_lines[i].kind == Kind::Key && m_lines[i].name == name) {
            m_lines.erase(m_lines.begin() + i);
            linesMoved();
            --end;
            m_modified = true;
        } else {
            ++i;
        }
    }
}

bool TIniFile::UpdateFile()
{
    m_error.clear();
    if (m_fileName.isEmpty()) {
        m_modified = false;
        return true;
    }
    // Create a new file empty with owner-only permissions first; the save
    // below keeps the permissions of the file it replaces.
    bool created = false;
    if (!QFileInfo::exists(m_fileName)) {
        QFile fresh(m_fileName);
        created = fresh.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (!created && !QFileInfo::exists(m_fileName)) {
            m_error = fresh.errorString();
            return false;
        }
    }
    const QByteArray bytes = text();
    QSaveFile out(m_fileName);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        m_error = out.errorString();
        if (created)
            QFile::remove(m_fileName);
        return false;
    }
    m_modified = false;
    return true;
}

} // namespace vcl
