#include "widgets/Std2VerInfo.h"

#include "platform/win/VersionResource.h"

#include <QCoreApplication>

#include <span>

namespace {

std::span<const std::uint8_t> bytesOf(const QByteArray &data)
{
    return {reinterpret_cast<const std::uint8_t *>(data.constData()),
            static_cast<std::size_t>(data.size())};
}

QString hex4(std::uint16_t value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

} // namespace

TzcVerInfo::TzcVerInfo(QObject *owner) : QObject(owner) {}

TzcVerInfo::~TzcVerInfo() = default;

void TzcVerInfo::Loaded()
{
    DoTheFile();
}

void TzcVerInfo::SetFile(const QString &name)
{
    m_verFile = name;
    DoTheFile();
}

void TzcVerInfo::DoTheFile()
{
    m_buffer.clear();
    m_bufferSize = 0;
    m_fileFlags = 0;
    m_found = false;
    const QString name = m_verFile.isEmpty() ? QCoreApplication::applicationFilePath() : m_verFile;
    if (name.isEmpty())
        return;
    QByteArray resource = win::ReadVersionResourceFile(name);
    if (resource.isEmpty())
        return;
    m_buffer = std::move(resource);
    m_bufferSize = static_cast<std::int32_t>(m_buffer.size());
    m_found = true;
    // Without a complete fixed block the flags stay 0; the strings may still
    // be there.
    std::uint32_t flags = 0;
    if (win::FixedFileFlags(bytesOf(m_buffer), flags))
        m_fileFlags = flags;
}

bool TzcVerInfo::translation(std::uint16_t &language, std::uint16_t &codePage) const
{
    return m_found && win::FirstTranslation(bytesOf(m_buffer), language, codePage);
}

QString TzcVerInfo::GetString(const QString &key) const
{
    std::uint16_t language = 0, codePage = 0;
    if (!translation(language, codePage))
        return {};
    const std::string path = ("\\StringFileInfo\\" + hex4(language) + hex4(codePage) + "\\" + key)
                                 .toLatin1()
                                 .toStdString();
    std::span<const std::uint8_t> value;
    if (!win::VerQueryValue(bytesOf(m_buffer), path, value))
        return {};
    return win::VersionText(value);
}

QString TzcVerInfo::LocaleID() const
{
    std::uint16_t language = 0, codePage = 0;
    return translation(language, codePage) ? hex4(language) : QString();
}

QString TzcVerInfo::CodePage() const
{
    std::uint16_t language = 0, codePage = 0;
    return translation(language, codePage) ? hex4(codePage) : QString();
}

QString TzcVerInfo::Language() const
{
    std::uint16_t language = 0, codePage = 0;
    return translation(language, codePage) ? win::VerLanguageName(language) : QString();
}
