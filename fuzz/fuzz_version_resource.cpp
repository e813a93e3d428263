// The version-resource reader on any file: it finds a resource or gives an
// error and never reads outside the file; every query of what it found stays
// inside the resource.
#include "fuzz/FuzzSupport.h"
#include "platform/win/VersionResource.h"

#include <span>

using fuzzsupport::check;
using namespace win;

namespace {

bool inside(std::span<const std::uint8_t> part, const QByteArray &whole)
{
    const auto *begin = reinterpret_cast<const std::uint8_t *>(whole.constData());
    return part.empty() || (part.data() >= begin && part.data() + part.size() <= begin + whole.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    VersionError error{};
    const QByteArray resource = ReadVersionResource(std::span<const std::uint8_t>(data, size), &error);
    // The first bytes may also be a resource of their own.
    const QByteArray direct(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const QByteArray *r : {&resource, &direct}) {
        const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t *>(r->constData()),
                                                  static_cast<std::size_t>(r->size()));
        std::uint32_t flags = 0;
        FixedFileFlags(bytes, flags);
        std::uint16_t language = 0, codePage = 0;
        const bool translated = FirstTranslation(bytes, language, codePage);
        VerLanguageName(language);
        for (const char *key : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\FileVersion",
                                "\\StringFileInfo\\040904b0\\ProductName", "\\StringFileInfo"}) {
            std::span<const std::uint8_t> value;
            if (VerQueryValue(bytes, key, value)) {
                check(inside(value, *r), "a value lies inside the resource");
                VersionText(value);
            }
        }
        if (translated) {
            const QString table = QStringLiteral("\\StringFileInfo\\%1%2\\CompanyName")
                                      .arg(language, 4, 16, QLatin1Char('0'))
                                      .arg(codePage, 4, 16, QLatin1Char('0'));
            std::span<const std::uint8_t> value;
            if (VerQueryValue(bytes, table.toStdString(), value))
                check(inside(value, *r), "a value lies inside the resource");
        }
    }
    return 0;
}
