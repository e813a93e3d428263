// Access to the unit: which level the flags give and how the unit's stored
// passwords are read from its answer. Plain logic, no windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

enum class AccessLevel { AccessNone, AccessDenied, AccessReadOnly, AccessReadWrite, AccessMaster };

struct AccessFlags
{
    bool MasterAccess = false;
    bool PasswordInfoReceived = false;
    bool ReadOnlyAccess = false;
    bool ReadWriteAccess = false;
};

AccessLevel ComputeAccessLevel(const AccessFlags &flags);
// The status-bar text of a level ("Master", "Read / Write", ...; empty for none).
const char *AccessLevelText(AccessLevel level);

bool CanRead(AccessLevel level);  // Read, menu and buttons
bool CanWrite(AccessLevel level); // Upload, Default settings, Firmware

// Offsets of the two password fields in PASSWORD_READ_CFM.
inline constexpr std::size_t ReadOnlyPasswordAt = 4;
inline constexpr std::size_t ReadWritePasswordAt = 13;
inline constexpr std::size_t PasswordFieldWidth = 9; // 8 characters and the NUL

// A stored password from its field: the text up to the first NUL, never
// beyond the field or the `count` decoded bytes. nullopt when nothing is
// stored (first byte 0xFF, an erased unit) or the field was not received.
std::optional<std::string> UnitPassword(const std::uint8_t *frame, std::size_t count,
                                        std::size_t offset);

// Whether the password field grants its access to `login`: an empty stored
// password grants it to anyone, a missing one to nobody.
bool PasswordGrants(const std::uint8_t *frame, std::size_t count, std::size_t offset,
                    const std::string &login);
