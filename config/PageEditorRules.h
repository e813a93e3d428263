// The rules of the configuration-page editors that need no window: entry
// limits, the words that describe a trigger source, the CAN input and virtual
// input field conversions and the flash times. The main window's handlers
// apply them to their controls and records.
//
// Entry limits rewrite the edit's text rather than refusing keys, so each rule
// gives the text to show instead (nullopt: leave the text alone) and, where a
// field is written, the value that goes into it. Every number is read without
// the locale; values are held to their field before they are stored.
//
// Pure functions; any thread.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The run of decimal digits at the start of the text as a number (no digits
// give 0); very long runs stop growing at a billion, far above any limit.
std::int64_t LeadingInteger(const QString &text);

enum class EntryLimit {
    MaxCurrent,   // maximum and low current, amperes
    OnTime,       // on time and low-current time, seconds
    Delay,        // switch-on delay, seconds
    PeakTime,     // current peak time, seconds
    LowVoltage,   // low-battery switch-off voltage
    UpperVoltage, // low-battery release voltage
};

// The text the edit must show instead of `text`, or nullopt when it passes.
std::optional<QString> LimitedEntryText(EntryLimit limit, const QString &text);

// Words for the trigger source at position `index` of the full trigger list;
// `sequenceNames` are the names of sequences 1..4. Empty for "DISABLED",
// "+30" and no selection.
QString TriggerSourceDescription(int index, const std::array<QString, 4> &sequenceNames);

// The step pattern of a sequence type (0 "Not in use" .. 3 "4 step").
QString SequenceStepPattern(int typeIndex);

// A check list of outputs that takes at most a fixed number of checks.
struct CheckListLimit
{
    int maximum;
    int countedRows; // rows that count; -1 for all
    const char *text;
};
inline constexpr CheckListLimit LowBatteryListLimit{12, 34, " in low battery list!"};
inline constexpr CheckListLimit StartButtonListLimit{14, -1, " Start Button list!"};
inline constexpr CheckListLimit KillButtonListLimit{14, -1, " Kill Button list!"};
inline constexpr CheckListLimit FlashOutputListLimit{4, -1, " in output list!"};
QString CheckListLimitMessage(const CheckListLimit &limit); // "Max 12 in low battery list!"

// An edited value: what goes into the field and, when the edit must show
// something else than it holds, that text.
template <class T> struct EditedValue
{
    T value{};
    std::optional<QString> shown;
};

// Flash on, off and duration times, typed in milliseconds and stored in
// steps of 100 ms: at most 25000 ms.
EditedValue<std::uint8_t> FlashTimeFromText(const QString &text);

// CAN identifiers: hexadecimal digits; nullopt for empty text or text that is
// no hexadecimal number (the field keeps its value).
std::optional<std::uint32_t> CanIdFromText(const QString &text);
// Upper-case hexadecimal, at least 3 digits.
QString CanIdText(std::uint32_t id);

// Compare values: nullopt for empty text, "-" and text that is no integer.
// Unsigned values are held to 0..65535 (a negative one to 0), signed ones to
// -32767..32767; the field keeps the low 16 bits.
std::optional<EditedValue<std::uint32_t>> CompareValueFromText(const QString &text,
                                                               std::uint8_t dataType);
// The stored value as the edit shows it: signed types read the low 16 bits
// as a signed number.
QString CompareValueText(std::uint32_t value, std::uint8_t dataType);

// Row index (0..7) and row value (0..255): nullopt for empty text or text
// that is no integer; a value above the maximum is the maximum and shown so.
std::optional<EditedValue<std::uint8_t>> RowFieldFromText(const QString &text, int maximum);

// Calibration offset: a decimal held to -127..127 and truncated toward zero;
// nullopt for empty text.
std::optional<std::int8_t> CalOffsetFromText(const QString &text);

// Virtual input delays, seconds with one decimal held in tenths: at most
// 10.0 s; nullopt for empty text.
std::optional<EditedValue<std::uint8_t>> VirtualDelayFromText(const QString &text);
// The delay edit's text as tenths, without the limit's rewrite (0..255).
std::uint8_t TenthsFromText(const QString &text);

// A click on a byte-position selector: Lo and Hi data bytes (1..8, 0 none).
struct BytePositionPick
{
    std::uint8_t lo = 0;
    std::uint8_t hi = 0;
    bool refused = false; // not side by side; lo and hi are unchanged
};
inline constexpr const char *BytePositionsApartMessage =
    "If more than one byte, they have to be side by side";
// The column (1..8) under x on an image `width` pixels wide; 0 outside it.
int BytePositionColumn(int x, int width);
BytePositionPick SelectBytePosition(int column, std::uint8_t lo, std::uint8_t hi);
