#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace vcl {

// A profile (INI) file with the classic private-profile rules:
// - "[name]" opens a section, "key=value" is a setting; section and key names
//   match without regard to case, and the first match wins (a later duplicate
//   section or key is never read).
// - Values lose the blanks around them and one pair of enclosing double quotes.
// - Lines starting with ';', lines before the first section and any line that
//   is neither a section nor a setting are kept but never read.
// - Text is 8-bit: every QString goes to and from bytes as Latin-1, so every
//   byte of the file survives a read-modify-write (characters beyond Latin-1
//   are written as '?').
// - Writing a key rewrites only its line; a new key goes after the last key of
//   its section, a new section at the end of the file. Every other line keeps
//   its bytes and its own line end; new lines take the file's line end (that
//   of its first line; LF for a new file, unless setLineEnd says otherwise).
// - Sections and keys are looked up through an index built once from the
//   lines, so a read costs the same in a file of any size; writes that add
//   or remove lines have it built again at the next lookup.
//
// Writes change the text in memory only. UpdateFile() writes it out and
// reports failure; the destructor writes it when something changed since the
// last UpdateFile() and drops a failure silently. So "open, read and write a
// few keys, close" is one object in a scope, and keys written before an early
// return still reach the file. A text-only object (fromText) never touches a
// file.
//
// Not thread-safe: one thread uses an object at a time.
class TIniFile
{
public:
    // Reads the file when it exists; a missing or unreadable file, and one
    // above 16 MiB (no profile file is that large), is empty.
    explicit TIniFile(const QString &fileName);
    static TIniFile fromText(const QByteArray &text);
    ~TIniFile();

    TIniFile(TIniFile &&other) noexcept;
    TIniFile &operator=(TIniFile &&other) noexcept;
    TIniFile(const TIniFile &) = delete;
    TIniFile &operator=(const TIniFile &) = delete;

    QString fileName() const { return m_fileName; }
    // The line end of lines added from now on: "\n" or "\r\n".
    void setLineEnd(const QByteArray &eol) { m_eol = eol; }
    // The whole file as it would be written.
    QByteArray text() const;
    bool isModified() const { return m_modified; }

    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    // Decimal with optional sign, or "0x" followed by hexadecimal digits;
    // other text, an empty value and a value outside int give `def`.
    int ReadInteger(const QString &section, const QString &key, int def) const;
    // An integer, any value but 0 being true; otherwise `def`.
    bool ReadBool(const QString &section, const QString &key, bool def) const;
    // A decimal number with '.' or ',' as separator (files written under a
    // comma locale read as well); otherwise `def`.
    double ReadFloat(const QString &section, const QString &key, double def) const;

    // Line breaks in a value become blanks (a value is one line). A value
    // that would not read back as written (blanks at either end, or enclosed
    // in double quotes) is written inside double quotes.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    // "1" or "0".
    void WriteBool(const QString &section, const QString &key, bool value);
    // 15 significant digits, '.' as separator (FloatToStr).
    void WriteFloat(const QString &section, const QString &key, double value);

    // A section exists when its "[name]" line does, even without keys.
    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    // Key names of the section as spelt in the file, each name once.
    QStringList ReadSection(const QString &section) const;
    QStringList ReadSections() const;
    // Removes every section of that name: its "[name]" line, its lines up to
    // its last key and the blank lines after that key (comments that precede
    // the next section stay).
    void EraseSection(const QString &section);
    // Removes every line of that key in the section.
    void DeleteKey(const QString &section, const QString &key);

    // Writes the text to the file: atomically (a new file beside it, renamed
    // over it) where the folder allows, else in place. A new file is created
    // readable and writable by its owner only, as it holds passwords; an
    // existing file keeps its permissions. False, with errorString(), when
    // the file could not be written; true for a text-only object.
    bool UpdateFile();
    QString errorString() const { return m_error; }

private:
    enum class Kind { Other, Section, Key };
    struct Line
    {
        QByteArray text; // without its line end
        QByteArray eol;  // "\r\n", "\n", or empty for a last line without one
        Kind kind = Kind::Other;
        QString spelt; // section or key name as in the file
        QString name;  // the same, case-folded for matching
    };

    TIniFile() = default;
    void parse(const QByteArray &bytes);
    static void classify(Line &line, qsizetype skip = 0);
    qsizetype findSection(const QString &folded, qsizetype from = 0) const;
    // The first "[name]" line and the first line of each key in that
    // section, by folded name; built on demand, dropped when lines move.
    void buildIndex() const;
    void linesMoved() { m_indexed = false; }
    // Takes line `i`, the last one, into a built index.
    void indexLine(qsizetype i) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, const QString &folded) const;
    QString rawValue(qsizetype index) const;
    void insertLine(qsizetype at, const QByteArray &text);
    void appendLine(const QByteArray &text);

    QString m_fileName;
    std::vector<Line> m_lines;
    mutable bool m_indexed = false;
    mutable QHash<QString, qsizetype> m_sectionIndex;
    mutable QHash<std::pair<qsizetype, QString>, qsizetype> m_keyIndex;
    QByteArray m_eol = "\n";
    bool m_modified = false;
    QString m_error;
};

} // namespace vcl
