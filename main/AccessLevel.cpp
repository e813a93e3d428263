#include "main/AccessLevel.h"

AccessLevel ComputeAccessLevel(const AccessFlags &f)
{
    if (f.MasterAccess)
        return AccessLevel::AccessMaster;
    if (!f.PasswordInfoReceived)
        return AccessLevel::AccessNone;
    if (f.ReadWriteAccess)
        return AccessLevel::AccessReadWrite;
    if (f.ReadOnlyAccess)
        return AccessLevel::AccessReadOnly;
    return AccessLevel::AccessDenied;
}

const char *AccessLevelText(AccessLevel level)
{
    switch (level) {
    case AccessLevel::AccessMaster:
        return "Master";
    case AccessLevel::AccessReadWrite:
        return "Read / Write";
    case AccessLevel::AccessReadOnly:
        return "Read only";
    case AccessLevel::AccessDenied:
        return "Wrong password";
    case AccessLevel::AccessNone:
        break;
    }
    return "";
}

bool CanRead(AccessLevel level)
{
    return level == AccessLevel::AccessMaster || level == AccessLevel::AccessReadWrite ||
           level == AccessLevel::AccessReadOnly;
}

bool CanWrite(AccessLevel level)
{
    return level == AccessLevel::AccessMaster || level == AccessLevel::AccessReadWrite;
}

std::optional<std::string> UnitPassword(const std::uint8_t *frame, std::size_t count,
                                        std::size_t offset)
{
    if (!frame || offset >= count || frame[offset] == 0xFF)
        return std::nullopt;
    std::string text;
    const std::size_t end =
        offset + PasswordFieldWidth < count ? offset + PasswordFieldWidth : count;
    for (std::size_t i = offset; i < end && frame[i] != 0; ++i)
        text += static_cast<char>(frame[i]);
    return text;
}

bool PasswordGrants(const std::uint8_t *frame, std::size_t count, std::size_t offset,
                    const std::string &login)
{
    const auto stored = UnitPassword(frame, count, offset);
    if (!stored)
        return false;
    return stored->empty() || *stored == login;
}
