// The version resource of an executable file as read-only properties.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>

// Reads the version resource of VerFile (empty: the running program) and
// offers its standard strings, the first translation's language and code
// page, and the fixed block's file flags. The values are read again on
// every change of VerFile and at Loaded(); their setters discard what they
// are given, so the values always describe the file.
//
// Thread contract: the thread the component was created on only.
class TzcVerInfo : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcVerInfo)

public:
    explicit TzcVerInfo(QObject *owner = nullptr);
    ~TzcVerInfo() override;

    // Called by the form builder once the form is complete: reads the file.
    void Loaded();

    const QString &VerFile() const { return m_verFile; }
    void SetFile(const QString &name);
    // Reads the resource again.
    void DoTheFile();

    // The value of a string key of the first translation's table; empty when
    // there is no resource, no translation table or no such key.
    QString GetString(const QString &key) const;
    QString GetNonStandardString(const QString &key) const { return GetString(key); }

    bool ExistVerInfo() const { return m_found; }
    QString CompanyName() const { return GetString(QStringLiteral("CompanyName")); }
    QString FileDescription() const { return GetString(QStringLiteral("FileDescription")); }
    QString FileVersion() const { return GetString(QStringLiteral("FileVersion")); }
    QString InternalName() const { return GetString(QStringLiteral("InternalName")); }
    QString LegalCopyright() const { return GetString(QStringLiteral("LegalCopyright")); }
    QString OriginalFileName() const { return GetString(QStringLiteral("OriginalFileName")); }
    QString ProductName() const { return GetString(QStringLiteral("ProductName")); }
    QString ProductVersion() const { return GetString(QStringLiteral("ProductVersion")); }
    QString LegalTrademarks() const { return GetString(QStringLiteral("LegalTrademarks")); }
    QString PrivateBuild() const { return GetString(QStringLiteral("PrivateBuild")); }
    QString SpecialBuild() const { return GetString(QStringLiteral("SpecialBuild")); }
    QString Comments() const { return GetString(QStringLiteral("Comments")); }
    QString LocaleID() const;
    QString CodePage() const;
    QString Language() const;
    bool IS_DEBUG() const { return (m_fileFlags & 0x01u) != 0; }
    bool IS_PRERELEASE() const { return (m_fileFlags & 0x02u) != 0; }
    bool IS_PATCHED() const { return (m_fileFlags & 0x04u) != 0; }
    bool IS_PRIVATEBUILD() const { return (m_fileFlags & 0x08u) != 0; }
    bool IS_INFOINFERRED() const { return (m_fileFlags & 0x10u) != 0; }
    bool IS_SPECIALBUILD() const { return (m_fileFlags & 0x20u) != 0; }

    // The writers of the read-only properties.
    void SetDummy(bool) {}
    void SetDummyStr(const QString &) {}

private:
    // The first translation's language and code page.
    bool translation(std::uint16_t &language, std::uint16_t &codePage) const;

    bool m_found = false;
    QByteArray m_buffer;
    std::int32_t m_bufferSize = 0;
    std::uint32_t m_fileFlags = 0;
    QString m_verFile;
};
