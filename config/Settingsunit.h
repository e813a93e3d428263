// The unit's settings as the tool holds them for the whole run.
//
// CAN inputs, virtual inputs and flash functions live in three packed tables;
// every other setting lives only in the controls of the configuration pages,
// which the accessors below read and write: Get<Quantity>(index) and
// Set<Quantity>(index, value) with the 1-based item number. An index outside a
// family's range changes nothing, and a getter then gives 0 or "".
//
// The accessors reach the controls through ConfigPages, which the main window
// sets once its pages exist (tests set it to their own pages); while it is null
// every accessor behaves as for an index out of range.
//
// Main thread only: the tables and the controls are not locked.
#pragma once

#include "config/TriggerCodes.h"

#include <QString>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

class QComboBox;
class TConfigPagesUi;

extern TConfigPagesUi *ConfigPages;

// Tables: little-endian, byte-aligned; FlashRecord is also the wire layout of
// the flash blocks. Names are 8-bit (Latin-1) text ended by a zero byte.
// Plain layouts without initialisers, so that they may be cleared and copied
// as bytes: write `CanInputRecord record{}` for a zeroed one.
#pragma pack(push, 1)
struct CanInputRecord
{
    std::uint8_t Enabled;         // 1 = in use
    std::uint32_t NoCanDataState; // 0 "Set Off", 1 "Set On", 2 "Hold state"
    std::uint32_t CanIdOn;
    std::uint32_t CanIdOff;
    std::uint32_t OperatorOn; // 0 "=", 1 ">", 2 "<", 3 "&", 4 "!&", 5 "not"
    std::uint32_t OperatorOff;
    std::uint32_t ValueOn; // 0..65535
    std::uint32_t ValueOff;
    std::uint8_t HighByteOnPos; // data byte 1..8, 0 = none
    std::uint8_t LowByteOnPos;
    std::uint8_t HighByteOffPos;
    std::uint8_t LowByteOffPos;
    char Name[16];
    std::uint8_t RowEnabled;
    std::uint8_t RowIndex; // data byte 0..7
    std::uint8_t RowValue;
    std::uint8_t DataType; // 0 unsigned, 1 signed
    char DimensionName[6];
    float Multiplicator;
    std::int8_t CalOffset;
};

struct VirtualInputRecord
{
    std::uint8_t InDelay[3];      // tenths of a second, sources 1..3
    std::uint8_t ChannelIndex[3]; // position in VirtualChannelList: 0 "Not Used", 1 "+30", ...
    std::int8_t OperatorIndex[2]; // 0 "AND", 1 "OR", 2 "NOR", -1 none
    std::uint8_t MaskNot;         // bit s-1 set: source s inverted
    char Name[16];
};

struct FlashRecord
{
    std::uint8_t Enabled;
    std::uint8_t Continues;
    std::uint8_t InputTrigger; // TriggerCode
    std::uint8_t FlashTimeOn;  // steps of 100 ms
    std::uint8_t FlashTimeOff;
    std::uint8_t Duration;
    std::uint8_t ChannelList[4]; // 255 = empty slot
    char Name[15];               // a 15-character name has no terminating zero
};
#pragma pack(pop)

static_assert(std::endian::native == std::endian::little, "tables are little-endian");
static_assert(sizeof(CanInputRecord) == 64);
static_assert(sizeof(VirtualInputRecord) == 25);
static_assert(sizeof(FlashRecord) == 25);
static_assert(std::is_trivially_copyable_v<CanInputRecord> &&
              std::is_trivially_copyable_v<VirtualInputRecord> &&
              std::is_trivially_copyable_v<FlashRecord>);
static_assert(offsetof(CanInputRecord, Name) == 33 && offsetof(CanInputRecord, RowEnabled) == 49 &&
              offsetof(CanInputRecord, Multiplicator) == 59 &&
              offsetof(CanInputRecord, CalOffset) == 63);
static_assert(offsetof(VirtualInputRecord, MaskNot) == 8 &&
              offsetof(VirtualInputRecord, Name) == 9);
static_assert(offsetof(FlashRecord, ChannelList) == 6 && offsetof(FlashRecord, Name) == 10);

inline constexpr int CanInputCount = 32;
inline constexpr int VirtualInputCount = 20;
inline constexpr int FlashCount = 5;

// Record n is element n - 1. Zero-filled at program start.
extern std::array<CanInputRecord, CanInputCount> CanInputTable;
extern std::array<VirtualInputRecord, VirtualInputCount> VirtualInputTable;
extern std::array<FlashRecord, FlashCount> FlashTable;

// Called once at start-up before the trigger lists are built; nothing to do.
void SettingsStartupHook();

// Fixed-width 8-bit name fields. NameFromField reads up to the first zero byte
// within `width`. NameToField writes at most `maxChars` characters and a
// terminating zero when it fits in `width`; bytes after it keep their contents.
QString NameFromField(const char *field, std::size_t width);
void NameToField(char *field, std::size_t width, std::size_t maxChars, const QString &name);

inline constexpr int NameLength = 15;
inline constexpr int LongNameLength = 16; // unit and sequence names

// Names: at most 15 characters (16 for the unit and sequence names) whatever
// the control holds; setters cut longer text.
QString GetInputName(int index); // 1..11
void SetInputName(int index, const QString &name);
QString GetCanInputName(int index); // 1..32; the setter also stores the table's name
void SetCanInputName(int index, const QString &name);
QString GetVirtualInputName(int index); // 1..20; the setter also stores the table's name
void SetVirtualInputName(int index, const QString &name);
QString GetOutputName(int index); // 1..34
void SetOutputName(int index, const QString &name);
QString GetFlashName(int index); // 1..5; FlashTable only
void SetFlashName(int index, const QString &name);
QString GetBoxName(); // the unit's name
void SetBoxName(const QString &name);
QString GetSequenceName(int index); // 1..4
void SetSequenceName(int index, const QString &name);

// 0 "Toggle", 1 "Momentary"; no selection reads as 0.
std::uint8_t GetInputMode(int index);
void SetInputMode(int index, std::uint8_t mode);

// Values edited as decimals and held in tenths. Getters read the leading
// decimal of the text (',' or '.'; no number reads as 0) times 10, truncated
// toward zero, whole: the settings file keeps what the pages hold, and only a
// frame for the unit holds the value to its field. A value beyond 32 bits
// gives the nearest 32-bit one. Setters show "%3.1f" of value / 10, the
// on-time 0 as "CONT.".
std::int32_t GetMaxCurrent(int index); // 1..18, tenths of an ampere
void SetMaxCurrent(int index, std::int32_t tenths);
std::int32_t GetDelay(int index); // 1..34
void SetDelay(int index, std::int32_t tenths);
std::int32_t GetPeakTime(int index); // 1..18
void SetPeakTime(int index, std::int32_t tenths);
std::int32_t GetLowCurrent(int index); // 1..18
void SetLowCurrent(int index, std::int32_t tenths);
std::int32_t GetLowCurrentTime(int index); // 1..18
void SetLowCurrentTime(int index, std::int32_t tenths);
std::int32_t GetOnTime(int index); // 1..34
void SetOnTime(int index, std::int32_t tenths);

// Whether the text, after leading blanks, starts with a decimal number as
// the tenths getters read it (',' counting as '.'): "90.9abc" does, "abc",
// "" and "-" do not.
bool StartsWithNumber(const QString &text);

// An entry that an upload or a save reads as a number but that holds none,
// named for the user: the page, the channel or item (empty where the page has
// only one such entry) and the field. The window shows message().
struct NumberEntryError
{
    QString page;
    QString item;
    QString field;
    QString text; // what the edit holds

    // "page, item, field", as the messages name the entry.
    QString where() const;
    QString message() const;
    // The entry holds a number, but one its field on the wire cannot hold:
    // `min` and `max` are the range the unit takes, as the page shows them.
    QString rangeMessage(const QString &min, const QString &max) const;
};

enum class TenthsField : std::uint8_t {
    MaxCurrent,
    Delay,
    PeakTime,
    LowCurrent,
    LowCurrentTime,
    OnTime
};

// The edit of `field` for output `index`, named for the user, with its text
// (empty when the output has no such edit).
NumberEntryError TenthsEntry(TenthsField field, int index);

// Why the edit of `field` for output `index` cannot be read as a number, or
// nothing when it can (or when the output has no such edit). The on-time
// "CONT." is the on-time 0, not text without a number.
std::optional<NumberEntryError> TenthsEntryError(TenthsField field, int index);

using TriggerLevel = std::uint8_t;
inline constexpr TriggerLevel TriggerLevelOpen = 1; // "OPEN", level entry 0
inline constexpr TriggerLevel TriggerLevelGnd = 16; // "GND", level entry 1

// 16 only while "GND" is selected, else 1; setting 16 selects "GND" when the
// channel offers it, any other value the first entry.
TriggerLevel GetTrigLevel(int index); // 1..34
void SetTrigLevel(int index, TriggerLevel level);

// Trigger combos by number: 1..34 the output triggers, 35 wiper low speed,
// 36 wiper wash, 37 wiper high speed, 38 wiper interval, 39 wiper home park,
// 40..43 sequences 1..4. Null for other numbers.
QComboBox *TriggerCombo(int number);
inline constexpr int TriggerComboCount = 43;

// Selects the code's entry (a code the combo does not list selects
// "DISABLED"); on an output trigger the channel's level choices follow at
// once, so that a level set next applies to the right choices.
void SetTriggerCode(int number, TriggerCode code);
// Code of the selected entry; no selection and unknown numbers give 0.
TriggerCode GetTriggerCode(int number);

// Brings the level combo of output `channel` in line with its trigger: "+30"
// and input 1 leave a single fixed entry, inputs 2..11 offer "OPEN" and "GND"
// keeping the level, CAN and virtual inputs and the wiper a single "-";
// "DISABLED" and the sequence steps leave it as it is.
void UpdateTrigLevelChoices(int channel);
