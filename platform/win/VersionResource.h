// The version resource of a Windows executable file (PE32 and PE32+), read
// from the file's bytes without the window system: the resource is found
// through the resource directory and queried like the system's
// VerQueryValue, with keys compared without regard to ASCII case.
//
// Every offset and length in the file is checked against the bytes there
// are: a truncated or hostile file gives an error, never a read outside the
// buffer. Thread contract: plain values and functions, usable on any thread.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>
#include <string_view>

namespace win {

enum class VersionError {
    None,
    CannotRead,  // the file cannot be opened or read
    NotPE,       // no executable headers, or headers that do not fit the file
    NoResources, // no resource directory, or one that does not fit
    NoVersion,   // no version resource
    BadVersion,  // a version resource that does not fit or is malformed
};

// Why a read failed, in words for the user.
QString VersionErrorText(VersionError error);

// The bytes of the version resource (VS_VERSIONINFO) of the executable in
// `file`, or an error and an empty result.
QByteArray ReadVersionResource(std::span<const std::uint8_t> file, VersionError *error = nullptr);
QByteArray ReadVersionResource(const QByteArray &file, VersionError *error = nullptr);
// The same from a file name; files above 256 MiB are not read.
QByteArray ReadVersionResourceFile(const QString &fileName, VersionError *error = nullptr);

// Looks up `subBlock` in a version resource as the system's VerQueryValue
// does: "\" is the root's value (the fixed block), "\VarFileInfo\Translation"
// the translation table, "\StringFileInfo\<table>\<key>" a string. Gives the
// value's bytes inside `resource` (a text value up to, not including, its
// terminating NUL); false when there is no such block.
bool VerQueryValue(std::span<const std::uint8_t> resource, std::string_view subBlock,
                   std::span<const std::uint8_t> &value);

// A text value's UTF-16 bytes as a string.
QString VersionText(std::span<const std::uint8_t> value);

// The fixed block's file flags, when the resource has a complete fixed block
// (52 bytes, signature 0xFEEF04BD).
bool FixedFileFlags(std::span<const std::uint8_t> resource, std::uint32_t &flags);

// The first entry of the translation table: language and code page; false
// without a table of at least one entry.
bool FirstTranslation(std::span<const std::uint8_t> resource, std::uint16_t &language,
                      std::uint16_t &codePage);

// The English name of a language id ("English (United States)" for
// 0x0409); empty for an id the table does not know.
QString VerLanguageName(std::uint16_t languageId);

} // namespace win
