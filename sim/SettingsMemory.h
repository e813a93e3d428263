// The unit's settings memory: every block the tool reads and writes, as
// typed fields, and the codec between a block and the frame that carries
// it. A read answer and the matching write request share one layout (from
// byte 4 on), so one walk over each record's fields serves both
// directions.
//
// Byte order on the wire: little-endian throughout, except the output's
// maximum current, which is big-endian. Names are NUL-padded fixed fields
// with no terminator when full.
//
// Plain values; no locking here (SimulatedUnit guards its copy).
#pragma once

#include "sim/UnitState.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace devlink {
class DeviceFrame;
}

namespace sim {

inline constexpr int VirtualInputCount = 20;
inline constexpr int FlashCount = 5;
inline constexpr int SequenceCount = 4;
inline constexpr int CanExportCount = 3; // CAN exports 2..4; export 1 has a layout of its own

template <std::size_t N> using NameField = std::array<char, N>;

// `text` cut to the field, the rest NUL.
template <std::size_t N> NameField<N> nameField(std::string_view text)
{
    NameField<N> field{};
    std::copy_n(text.begin(), std::min(text.size(), N), field.begin());
    return field;
}

// The field's characters up to the first NUL, at most the whole field.
template <std::size_t N> std::string nameText(const NameField<N> &field)
{
    const auto end = std::find(field.begin(), field.end(), '\0');
    return std::string(field.begin(), end);
}

struct InputSettings
{
    NameField<15> name{};
    std::uint8_t mode = 0; // 0 toggle, 1 momentary
    bool operator==(const InputSettings &) const = default;
};

struct OutputSettings
{
    std::uint16_t maxCurrentTenths = 0xFFFF; // high-power channels; 0xFFFF on the others
    std::uint8_t peakTimeTenths = 0;
    std::uint8_t trigger = 0;      // trigger code
    std::uint8_t triggerLevel = 1; // 1 open, 16 ground
    NameField<15> name{};
    std::uint8_t delayTenths = 0;
    std::uint8_t onTimeTenths = 0; // 0 continuous
    std::uint16_t lowCurrentTenths = 0;
    std::uint8_t lowCurrentTimeTenths = 0;
    bool operator==(const OutputSettings &) const = default;
};

struct LowBatterySettings
{
    static constexpr std::uint8_t Unused = 255;
    std::uint8_t lowVoltageTenths = 0;
    std::uint8_t upperVoltageTenths = 0;
    std::array<std::uint8_t, 12> shedChannels{}; // channels 1..34, 255 unused
    bool operator==(const LowBatterySettings &) const = default;
};

struct CanSetupSettings
{
    std::uint16_t bitRateKbit = 250;
    std::uint16_t noCanDataDelay = 15;
    std::uint16_t resetErrorId = 0;
    std::uint8_t resetErrorDataByte = 0; // 0..7
    std::uint8_t resetErrorBitMask = 0;
    std::uint8_t autoResetChannelErrors = 0;
    std::uint8_t export5Interval = 0;
    std::uint16_t export5BaseId = 0;
    bool operator==(const CanSetupSettings &) const = default;
};

struct CanInputSettings
{
    std::uint8_t enabled = 0;        // flags byte, bit 0
    std::uint8_t noCanDataState = 0; // flags byte, bits 1-2: 0 off, 1 on, 2 hold
    std::uint16_t canIdOn = 0;
    std::uint16_t canIdOff = 0;
    std::uint16_t valueOn = 0;
    std::uint16_t valueOff = 0;
    std::int8_t operatorOn = 0; // 0 "=", 1 ">", 2 "<", 3 "&", 4 "!&", 5 "not"
    std::int8_t operatorOff = 0;
    std::uint8_t highByteOnPos = 0; // data byte 1..8, 0 none
    std::uint8_t lowByteOnPos = 0;
    std::uint8_t highByteOffPos = 0;
    std::uint8_t lowByteOffPos = 0;
    NameField<15> name{};
    std::uint8_t rowEnabled = 0;
    std::uint8_t rowIndex = 0;
    std::uint8_t rowValue = 0;
    std::uint8_t dataType = 0; // 0 unsigned, 1 signed
    NameField<5> dimensionName{};
    float multiplicator = 1.0f;
    std::int8_t calOffset = 0;
    bool operator==(const CanInputSettings &) const = default;
};

struct CanInputEnableSettings
{
    std::uint8_t enabled = 0;
    std::uint8_t inputPin = 0xC0; // trigger code of the digital input
    bool operator==(const CanInputEnableSettings &) const = default;
};

struct VirtualInputSettings
{
    static constexpr std::uint8_t Plus30 = 255;
    std::array<std::uint8_t, 3> sources{};  // source list index; 255 the supply line
    std::array<std::int8_t, 2> operators{}; // 0 AND, 1 OR, 2 NOR, -1 none
    NameField<15> name{};
    std::array<std::uint8_t, 3> delaysTenths{};
    std::uint8_t maskNot = 0; // bit n inverts source n + 1
    bool operator==(const VirtualInputSettings &) const = default;
};

struct StartKillSettings
{
    static constexpr std::uint8_t Unused = 255;
    std::uint8_t startTrigger = 0;
    std::array<std::uint8_t, 14> startChannels{}; // 1..34; 0 and 255 unused
    std::uint8_t killTrigger = 0;
    std::uint8_t killDelay = 10;
    std::array<std::uint8_t, 14> killChannels{};
    bool operator==(const StartKillSettings &) const = default;
};

struct FlashSettings
{
    static constexpr std::uint8_t Unused = 255;
    std::uint8_t enabled = 0;
    std::uint8_t continues = 0;
    std::uint8_t trigger = 0;
    std::uint8_t timeOn = 0;
    std::uint8_t timeOff = 0;
    std::uint8_t duration = 0;
    std::array<std::uint8_t, 4> channels{}; // 0-based outputs 0..33, 255 unused
    NameField<15> name{};
    bool operator==(const FlashSettings &) const = default;
};

struct WiperSettings
{
    std::uint8_t lowSpeedInput = 0; // trigger codes
    std::uint8_t highSpeedInput = 0;
    std::uint8_t intervalInput = 0;
    std::uint8_t homeParkInput = 0;
    std::uint8_t homeParkLevel = 0;
    std::uint8_t intervalTime = 30;
    std::uint8_t washInput = 0;
    std::uint8_t washTime = 30;
    bool operator==(const WiperSettings &) const = default;
};

struct SequenceSettings
{
    std::uint8_t trigger = 0;
    std::uint8_t type = 0; // 0 not in use, 1 toggle, 2 three steps, 3 four steps
    NameField<16> name{};  // first byte 255: no name
    bool operator==(const SequenceSettings &) const = default;
};

struct PwmSettings
{
    std::uint8_t inputPwm = 0;
    std::uint8_t pwm1 = 0;
    std::uint8_t pwm2 = 0;
    bool operator==(const PwmSettings &) const = default;
};

struct CanExport1Settings
{
    std::uint8_t enabled = 0;
    std::uint16_t refreshTime = 0;
    std::uint16_t canId = 0;
    std::array<std::uint8_t, 18> dataBytes{}; // 0 disabled, 1..18 channel
    std::uint8_t rowCounter = 0;
    bool operator==(const CanExport1Settings &) const = default;
};

// CAN exports 2 and 3 use the first 34 bit selections, export 4 all 64.
struct CanExportSettings
{
    std::uint8_t enabled = 0;
    std::uint16_t refreshTime = 0;
    std::uint16_t canId = 0;
    std::array<std::uint8_t, 64> bits{}; // source list index per bit, 0 disabled
    bool operator==(const CanExportSettings &) const = default;
};

struct SettingsMemory
{
    std::array<InputSettings, InputCount> inputs{};
    std::array<OutputSettings, ChannelCount> outputs{};
    LowBatterySettings lowBattery;
    CanSetupSettings canSetup;
    std::array<CanInputSettings, CanInputCount> canInputs{};
    CanInputEnableSettings canInputEnable;
    NameField<16> boxName{};
    std::array<VirtualInputSettings, VirtualInputCount> virtualInputs{};
    StartKillSettings startKill;
    std::array<FlashSettings, FlashCount> flash{};
    WiperSettings wiper;
    std::array<SequenceSettings, SequenceCount> sequences{};
    PwmSettings pwm;
    CanExport1Settings canExport1;
    std::array<CanExportSettings, CanExportCount> canExports{}; // exports 2..4

    // What a new unit holds, and what a factory reset restores.
    static SettingsMemory factory();
    bool operator==(const SettingsMemory &) const = default;
};

enum class SettingsBlock : std::uint8_t {
    Inputs,
    Outputs,
    LowBattery,
    CanSetup,
    CanInputs,
    CanInputEnable,
    BoxName,
    VirtualInputs,
    StartKill,
    Flash,
    Wiper,
    Sequences,
    Pwm,
    CanExport1,
    CanExports,
};

// How one block travels.
struct SettingsBlockInfo
{
    SettingsBlock block;
    std::uint8_t readRequest;  // node 1
    std::uint8_t writeRequest; // node 1
    std::uint8_t readLength;   // of the read answer; the write request may be longer
    int records;               // 0: one block without a number in byte 4
    int firstNumber;           // byte 4 of the first record
    bool readAll;              // byte 4 = 0xFF reads every record, each in its own answer
    bool ackCarriesNumber;     // the write acknowledgement repeats byte 4
};

// Every block, in the order of a full read.
std::span<const SettingsBlockInfo> settingsBlocks();
// The block that a read or write request on node 1 is about, or nullptr.
const SettingsBlockInfo *findSettingsBlock(std::uint8_t requestCode);

// Whether `number` (byte 4) names a record of `info`; always true for a
// block without records.
bool hasRecord(const SettingsBlockInfo &info, std::uint8_t number);

// Puts block `info` into `frame` from byte 4 on: for a numbered block the
// record `number` and its data, or the number alone when the table has no
// such record. The frame's header and length are the caller's.
void encodeSettings(const SettingsMemory &memory, const SettingsBlockInfo &info,
                    std::uint8_t number, devlink::DeviceFrame &frame);

// Stores the block carried by `frame` (whole frame from byte 0; a write
// request, or a read answer, which has the same layout). Offsets beyond
// the span read as 0. False, and nothing stored, when byte 4 names no
// record of the block.
bool decodeSettings(SettingsMemory &memory, const SettingsBlockInfo &info,
                    std::span<const std::uint8_t> frame);

} // namespace sim
