#include "sim/SettingsMemory.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"

#include <bit>
#include <initializer_list>
#include <string>

namespace sim {

using namespace devlink;

namespace {

// Fills a frame whose data bytes are still zero.
class FrameWriter
{
public:
    explicit FrameWriter(DeviceFrame &frame) : frame_(frame) {}

    void u8(std::size_t at, std::uint8_t value) { frame_.set(at, value); }
    void i8(std::size_t at, std::int8_t value) { frame_.set(at, static_cast<std::uint8_t>(value)); }
    void u16le(std::size_t at, std::uint16_t value) { frame_.setU16LE(at, value); }
    void u16be(std::size_t at, std::uint16_t value) { frame_.setU16BE(at, value); }
    void f32le(std::size_t at, float value)
    {
        frame_.setU32LE(at, std::bit_cast<std::uint32_t>(value));
    }
    // Several fields share one byte.
    void bits(std::size_t at, unsigned shift, unsigned width, std::uint8_t value)
    {
        const unsigned mask = (1u << width) - 1;
        frame_.set(at, static_cast<std::uint8_t>(frame_[at] | (value & mask) << shift));
    }
    template <class T, std::size_t N> void bytes(std::size_t at, const std::array<T, N> &values)
    {
        for (std::size_t i = 0; i < N; ++i)
            frame_.set(at + i, static_cast<std::uint8_t>(values[i]));
    }
    template <std::size_t N> void text(std::size_t at, const NameField<N> &field)
    {
        bytes(at, field);
    }

private:
    DeviceFrame &frame_;
};

// Reads fields from a received frame; offsets beyond it read as 0.
class FrameReader
{
public:
    explicit FrameReader(std::span<const std::uint8_t> frame) : frame_(frame) {}

    std::uint8_t byte(std::size_t at) const { return at < frame_.size() ? frame_[at] : 0; }

    void u8(std::size_t at, std::uint8_t &value) const { value = byte(at); }
    void i8(std::size_t at, std::int8_t &value) const
    {
        value = static_cast<std::int8_t>(byte(at));
    }
    void u16le(std::size_t at, std::uint16_t &value) const
    {
        value = static_cast<std::uint16_t>(byte(at) | byte(at + 1) << 8);
    }
    void u16be(std::size_t at, std::uint16_t &value) const
    {
        value = static_cast<std::uint16_t>(byte(at) << 8 | byte(at + 1));
    }
    void f32le(std::size_t at, float &value) const
    {
        std::uint32_t word = 0;
        for (std::size_t i = 0; i < 4; ++i)
            word |= std::uint32_t(byte(at + i)) << (8 * i);
        value = std::bit_cast<float>(word);
    }
    void bits(std::size_t at, unsigned shift, unsigned width, std::uint8_t &value) const
    {
        const unsigned mask = (1u << width) - 1;
        value = static_cast<std::uint8_t>(byte(at) >> shift & mask);
    }
    template <class T, std::size_t N> void bytes(std::size_t at, std::array<T, N> &values) const
    {
        for (std::size_t i = 0; i < N; ++i)
            values[i] = static_cast<T>(byte(at + i));
    }
    template <std::size_t N> void text(std::size_t at, NameField<N> &field) const
    {
        bytes(at, field);
    }

private:
    std::span<const std::uint8_t> frame_;
};

// One walk per record: the frame offset of every field. `R` is the record,
// const when writing a frame.

template <class Io, class R> void walkInput(Io &io, R &r)
{
    io.text(5, r.name);
    io.u8(20, r.mode);
}

template <class Io, class R> void walkOutput(Io &io, R &r)
{
    io.u16be(5, r.maxCurrentTenths);
    io.u8(7, r.peakTimeTenths);
    io.u8(8, r.trigger);
    io.u8(9, r.triggerLevel);
    io.text(10, r.name);
    io.u8(25, r.delayTenths);
    io.u8(26, r.onTimeTenths);
    io.u16le(27, r.lowCurrentTenths);
    io.u8(29, r.lowCurrentTimeTenths);
}

template <class Io, class R> void walkLowBattery(Io &io, R &r)
{
    io.u8(4, r.lowVoltageTenths);
    io.u8(5, r.upperVoltageTenths);
    io.bytes(6, r.shedChannels);
}

// Byte 4 is always 0.
template <class Io, class R> void walkCanSetup(Io &io, R &r)
{
    io.u16le(5, r.bitRateKbit);
    io.u16le(7, r.noCanDataDelay);
    io.u16le(9, r.resetErrorId);
    io.u8(11, r.resetErrorDataByte);
    io.u8(12, r.resetErrorBitMask);
    io.u8(13, r.autoResetChannelErrors);
    io.u8(14, r.export5Interval);
    io.u16le(15, r.export5BaseId);
}

template <class Io, class R> void walkCanInput(Io &io, R &r)
{
    io.bits(5, 0, 1, r.enabled);
    io.bits(5, 1, 2, r.noCanDataState);
    io.u16le(6, r.canIdOn);
    io.u16le(8, r.canIdOff);
    io.u16le(10, r.valueOn);
    io.u16le(12, r.valueOff);
    io.i8(14, r.operatorOn);
    io.i8(15, r.operatorOff);
    io.u8(16, r.highByteOnPos);
    io.u8(17, r.lowByteOnPos);
    io.u8(18, r.highByteOffPos);
    io.u8(19, r.lowByteOffPos);
    io.text(20, r.name);
    io.u8(35, r.rowEnabled);
    io.u8(36, r.rowIndex);
    io.u8(37, r.rowValue);
    io.u8(38, r.dataType);
    io.text(39, r.dimensionName);
    io.f32le(44, r.multiplicator);
    io.i8(48, r.calOffset);
}

template <class Io, class R> void walkCanInputEnable(Io &io, R &r)
{
    io.u8(4, r.enabled);
    io.u8(5, r.inputPin);
}

// Bytes 5 and 30 are not used.
template <class Io, class R> void walkVirtualInput(Io &io, R &r)
{
    io.bytes(6, r.sources);
    io.bytes(9, r.operators);
    io.text(11, r.name);
    io.bytes(26, r.delaysTenths);
    io.u8(29, r.maskNot);
}

template <class Io, class R> void walkStartKill(Io &io, R &r)
{
    io.u8(4, r.startTrigger);
    io.bytes(5, r.startChannels);
    io.u8(19, r.killTrigger);
    io.u8(20, r.killDelay);
    io.bytes(21, r.killChannels);
}

template <class Io, class R> void walkFlash(Io &io, R &r)
{
    io.u8(5, r.enabled);
    io.u8(6, r.continues);
    io.u8(7, r.trigger);
    io.u8(8, r.timeOn);
    io.u8(9, r.timeOff);
    io.u8(10, r.duration);
    io.bytes(11, r.channels);
    io.text(15, r.name);
}

template <class Io, class R> void walkWiper(Io &io, R &r)
{
    io.u8(4, r.lowSpeedInput);
    io.u8(5, r.highSpeedInput);
    io.u8(6, r.intervalInput);
    io.u8(7, r.homeParkInput);
    io.u8(8, r.homeParkLevel);
    io.u8(9, r.intervalTime);
    io.u8(10, r.washInput);
    io.u8(11, r.washTime);
}

// 19 bytes per sequence from byte 4; the last byte of each stays 0.
template <class Io, class R> void walkSequences(Io &io, R &sequences)
{
    constexpr std::size_t Stride = 19;
    for (std::size_t k = 0; k < sequences.size(); ++k) {
        const std::size_t at = FrameDataAt + Stride * k;
        io.u8(at, sequences[k].trigger);
        io.u8(at + 1, sequences[k].type);
        io.text(at + 2, sequences[k].name);
    }
}

template <class Io, class R> void walkPwm(Io &io, R &r)
{
    io.u8(4, r.inputPwm);
    io.u8(5, r.pwm1);
    io.u8(6, r.pwm2);
}

// Byte 4 is always 0.
template <class Io, class R> void walkCanExport1(Io &io, R &r)
{
    io.u8(5, r.enabled);
    io.u16le(6, r.refreshTime);
    io.u16le(8, r.canId);
    io.bytes(10, r.dataBytes);
    io.u8(28, r.rowCounter);
}

template <class Io, class R> void walkCanExport(Io &io, R &r)
{
    io.u8(5, r.enabled);
    io.u16le(6, r.refreshTime);
    io.u16le(8, r.canId);
    io.bytes(10, r.bits);
}

// `index` is a valid record index of the block (0 for a single block).
template <class Io, class M> void walkBlock(Io &io, M &m, SettingsBlock block, std::size_t index)
{
    switch (block) {
    case SettingsBlock::Inputs:
        return walkInput(io, m.inputs.at(index));
    case SettingsBlock::Outputs:
        return walkOutput(io, m.outputs.at(index));
    case SettingsBlock::LowBattery:
        return walkLowBattery(io, m.lowBattery);
    case SettingsBlock::CanSetup:
        return walkCanSetup(io, m.canSetup);
    case SettingsBlock::CanInputs:
        return walkCanInput(io, m.canInputs.at(index));
    case SettingsBlock::CanInputEnable:
        return walkCanInputEnable(io, m.canInputEnable);
    case SettingsBlock::BoxName:
        return io.text(FrameDataAt, m.boxName);
    case SettingsBlock::VirtualInputs:
        return walkVirtualInput(io, m.virtualInputs.at(index));
    case SettingsBlock::StartKill:
        return walkStartKill(io, m.startKill);
    case SettingsBlock::Flash:
        return walkFlash(io, m.flash.at(index));
    case SettingsBlock::Wiper:
        return walkWiper(io, m.wiper);
    case SettingsBlock::Sequences:
        return walkSequences(io, m.sequences);
    case SettingsBlock::Pwm:
        return walkPwm(io, m.pwm);
    case SettingsBlock::CanExport1:
        return walkCanExport1(io, m.canExport1);
    case SettingsBlock::CanExports:
        return walkCanExport(io, m.canExports.at(index));
    }
}

// In the order of a full read.
constexpr std::array kBlocks = {
    SettingsBlockInfo{SettingsBlock::Inputs, INPUT_CONFIG_READ_REQ, INPUT_CONFIG_WRITE_REQ, 21,
                      InputCount, 1, true, false},
    SettingsBlockInfo{SettingsBlock::Outputs, OUTPUT_CONFIG_READ_REQ, OUTPUT_CONFIG_WRITE_REQ, 30,
                      ChannelCount, 1, true, false},
    SettingsBlockInfo{SettingsBlock::LowBattery, LOW_BATTERY_READ_REQ, LOW_BATTERY_WRITE_REQ, 18, 0,
                      0, false, false},
    SettingsBlockInfo{SettingsBlock::CanSetup, CAN_SETUP_READ_REQ, CAN_SETUP_WRITE_REQ, 17, 0, 0,
                      false, false},
    SettingsBlockInfo{SettingsBlock::CanInputs, CAN_INPUT_READ_REQ, CAN_INPUT_WRITE_REQ, 49,
                      CanInputCount, 0, false, true},
    SettingsBlockInfo{SettingsBlock::CanInputEnable, CAN_INPUT_ENABLE_READ_REQ,
                      CAN_INPUT_ENABLE_WRITE_REQ, 6, 0, 0, false, false},
    SettingsBlockInfo{SettingsBlock::BoxName, BOX_NAME_READ_REQ, BOX_NAME_WRITE_REQ, 20, 0, 0,
                      false, false},
    SettingsBlockInfo{SettingsBlock::VirtualInputs, VIRTUAL_INPUT_READ_REQ, VIRTUAL_INPUT_WRITE_REQ,
                      31, VirtualInputCount, 0, false, true},
    SettingsBlockInfo{SettingsBlock::StartKill, START_KILL_READ_REQ, START_KILL_WRITE_REQ, 35, 0, 0,
                      false, false},
    SettingsBlockInfo{SettingsBlock::Flash, FLASH_READ_REQ, FLASH_WRITE_REQ, 30, FlashCount, 0,
                      false, true},
    SettingsBlockInfo{SettingsBlock::Wiper, WIPER_READ_REQ, WIPER_WRITE_REQ, 12, 0, 0, false,
                      false},
    SettingsBlockInfo{SettingsBlock::Sequences, SEQUENCE_READ_REQ, SEQUENCE_WRITE_REQ, 80, 0, 0,
                      false, false},
    SettingsBlockInfo{SettingsBlock::Pwm, PWM_CONFIG_READ_REQ, PWM_CONFIG_WRITE_REQ, 7, 0, 0, false,
                      false},
    SettingsBlockInfo{SettingsBlock::CanExport1, CAN_EXPORT1_READ_REQ, CAN_EXPORT1_WRITE_REQ, 29, 0,
                      0, false, false},
    SettingsBlockInfo{SettingsBlock::CanExports, CAN_EXPORT_READ_REQ, CAN_EXPORT_WRITE_REQ, 74,
                      CanExportCount, 0, false, true},
};

} // namespace

std::span<const SettingsBlockInfo> settingsBlocks()
{
    return kBlocks;
}

const SettingsBlockInfo *findSettingsBlock(std::uint8_t requestCode)
{
    for (const SettingsBlockInfo &info : kBlocks)
        if (info.readRequest == requestCode || info.writeRequest == requestCode)
            return &info;
    return nullptr;
}

bool hasRecord(const SettingsBlockInfo &info, std::uint8_t number)
{
    return info.records == 0 ||
           (number >= info.firstNumber && number < info.firstNumber + info.records);
}

void encodeSettings(const SettingsMemory &memory, const SettingsBlockInfo &info,
                    std::uint8_t number, DeviceFrame &frame)
{
    FrameWriter writer(frame);
    std::size_t index = 0;
    if (info.records > 0) {
        frame.set(FrameDataAt, number);
        if (!hasRecord(info, number))
            return;
        index = static_cast<std::size_t>(number - info.firstNumber);
    }
    walkBlock(writer, memory, info.block, index);
}

bool decodeSettings(SettingsMemory &memory, const SettingsBlockInfo &info,
                    std::span<const std::uint8_t> frame)
{
    const FrameReader reader(frame);
    const std::uint8_t number = reader.byte(FrameDataAt);
    if (!hasRecord(info, number))
        return false;
    const auto index = info.records > 0 ? static_cast<std::size_t>(number - info.firstNumber) : 0;
    walkBlock(reader, memory, info.block, index);
    return true;
}

// --- factory settings ---

namespace {

constexpr std::array<std::uint8_t, InputCount> InputCodes = {0xC0, 0xC1, 0xC2, 0xD1, 0xC4, 0xC5,
                                                             0xC6, 0xC7, 0xC3, 0xD2, 0xD3};
constexpr std::uint8_t input(int n)
{
    return InputCodes[static_cast<std::size_t>(n - 1)];
}
constexpr std::uint8_t canInput(int n)
{
    return static_cast<std::uint8_t>(n);
}
constexpr std::uint8_t virtualInput(int n)
{
    return static_cast<std::uint8_t>(32 + n);
}
constexpr std::uint8_t sequenceStep(int sequence, int step)
{
    return static_cast<std::uint8_t>(55 + 3 * (sequence - 1) + step);
}
constexpr std::uint8_t Plus30 = 255;
constexpr std::uint8_t WiperSlow = 53;
constexpr std::uint8_t WiperFast = 54;
constexpr std::uint8_t Open = 1;
constexpr std::uint8_t Ground = 16;

// Sources of a virtual input count in the tool's list: 2.. the inputs, 13.. the CAN inputs.
constexpr std::uint8_t sourceInput(int n)
{
    return static_cast<std::uint8_t>(1 + n);
}
constexpr std::uint8_t sourceCanInput(int n)
{
    return static_cast<std::uint8_t>(12 + n);
}

struct NamedInput
{
    const char *name;
    std::uint8_t mode;
};
constexpr NamedInput FactoryInputs[InputCount] = {
    {"Ignition", 0},       {"Headlight sw", 0}, {"Main beam sw", 1}, {"Indicator L sw", 0},
    {"Indicator R sw", 0}, {"Wiper sw", 0},     {"Horn button", 1},  {"Brake sw", 0},
    {"Reverse sw", 0},     {"Start button", 1}, {"Kill switch", 0},
};

struct FactoryOutput
{
    const char *name;
    std::uint8_t trigger;
    std::uint8_t level;
    std::uint16_t maxCurrent; // high-power channels only
    std::uint8_t peakTime;
    std::uint8_t delay;
    std::uint8_t onTime;
    std::uint16_t lowCurrent;
    std::uint8_t lowCurrentTime;
};
constexpr FactoryOutput FactoryOutputs[ChannelCount] = {
    {"Headlight L", input(2), Ground, 100, 5, 0, 0, 20, 10},
    {"Headlight R", input(2), Ground, 100, 5, 0, 0, 20, 10},
    {"Main beam L", input(3), Ground, 100, 5, 0, 0, 20, 10},
    {"Main beam R", input(3), Ground, 100, 5, 0, 0, 20, 10},
    {"Fuel pump", input(1), Ground, 150, 10, 0, 0, 15, 20},
    {"Radiator fan", canInput(4), Open, 250, 20, 0, 0, 30, 20},
    {"Starter relay", 0, Open, 200, 30, 0, 0, 0, 0},
    {"Wiper motor", WiperSlow, Open, 150, 20, 0, 0, 0, 0},
    {"Wiper fast", WiperFast, Open, 150, 20, 0, 0, 0, 0},
    {"Horn", input(7), Ground, 80, 5, 0, 0, 0, 0},
    {"Brake lights", input(8), Ground, 60, 5, 0, 0, 5, 10},
    {"Reverse light", input(9), Ground, 40, 5, 0, 0, 0, 0},
    {"Indicator L", 0, Open, 60, 5, 0, 0, 5, 10},
    {"Indicator R", 0, Open, 60, 5, 0, 0, 5, 10},
    {"Ignition coil", input(1), Ground, 100, 5, 0, 0, 0, 0},
    {"Injectors", input(1), Ground, 100, 5, 0, 0, 0, 0},
    {"Water pump", virtualInput(1), Open, 120, 10, 20, 0, 10, 30},
    {"Heated screen", 0, Open, 200, 10, 0, 0, 0, 0},
    {"Dash lights", input(2), Ground, 0, 0, 0, 0, 0, 0},
    {"ECU supply", input(1), Ground, 0, 0, 0, 0, 0, 0},
    {"Radio", input(1), Ground, 0, 0, 10, 0, 0, 0},
    {"Interior light", canInput(2), Open, 0, 0, 0, 200, 0, 0},
    {"Number plate", input(2), Ground, 0, 0, 0, 0, 0, 0},
    {"Side light L", input(2), Ground, 0, 0, 0, 0, 0, 0},
    {"Side light R", input(2), Ground, 0, 0, 0, 0, 0, 0},
    {"Beacon", sequenceStep(1, 0), Open, 0, 0, 0, 0, 0, 0},
    {"Memory supply", Plus30, Open, 0, 0, 0, 0, 0, 0},
    {"Output 28", 0, Open, 0, 0, 0, 0, 0, 0},
    {"Output 29", 0, Open, 0, 0, 0, 0, 0, 0},
    {"Output 30", 0, Open, 0, 0, 0, 0, 0, 0},
    {"Output 31", 0, Open, 0, 0, 0, 0, 0, 0},
    {"Output 32", 0, Open, 0, 0, 0, 0, 0, 0},
    {"Output 33", 0, Open, 0, 0, 0, 0, 0, 0},
    {"Output 34", 0, Open, 0, 0, 0, 0, 0, 0},
};

template <std::size_t N>
void fillUnused(std::array<std::uint8_t, N> &slots, std::initializer_list<std::uint8_t> used,
                std::uint8_t unused)
{
    slots.fill(unused);
    std::copy_n(used.begin(), std::min(used.size(), N), slots.begin());
}

} // namespace

SettingsMemory SettingsMemory::factory()
{
    SettingsMemory m;
    for (std::size_t i = 0; i < m.inputs.size(); ++i)
        m.inputs[i] = {nameField<15>(FactoryInputs[i].name), FactoryInputs[i].mode};

    for (std::size_t i = 0; i < m.outputs.size(); ++i) {
        const FactoryOutput &d = FactoryOutputs[i];
        OutputSettings &o = m.outputs[i];
        o.name = nameField<15>(d.name);
        o.trigger = d.trigger;
        o.triggerLevel = d.level;
        o.delayTenths = d.delay;
        o.onTimeTenths = d.onTime;
        // Low-power channels have no current settings; they hold what the tool sends for them.
        if (static_cast<int>(i) < HighPowerChannelCount) {
            o.maxCurrentTenths = d.maxCurrent;
            o.peakTimeTenths = d.peakTime;
            o.lowCurrentTenths = d.lowCurrent;
            o.lowCurrentTimeTenths = d.lowCurrentTime;
        }
    }

    m.lowBattery.lowVoltageTenths = 115;
    m.lowBattery.upperVoltageTenths = 125;
    fillUnused(m.lowBattery.shedChannels, {18, 21, 22}, LowBatterySettings::Unused);

    m.canSetup = {250, 100, 0x1A0, 0, 0x01, 0, 100, 0x500};

    for (std::size_t i = 0; i < m.canInputs.size(); ++i)
        m.canInputs[i].name = nameField<15>("CAN " + std::to_string(i + 1));
    m.canInputs[0] = {.enabled = 1,
                      .canIdOn = 0x0CF,
                      .canIdOff = 0x0CF,
                      .valueOn = 400,
                      .valueOff = 300,
                      .operatorOn = 1,
                      .operatorOff = 2,
                      .highByteOnPos = 4,
                      .lowByteOnPos = 5,
                      .highByteOffPos = 4,
                      .lowByteOffPos = 5,
                      .name = nameField<15>("Engine running"),
                      .dimensionName = nameField<5>("rpm"),
                      .multiplicator = 0.125f};
    m.canInputs[1] = {.enabled = 1,
                      .noCanDataState = 2,
                      .canIdOn = 0x3A1,
                      .canIdOff = 0x3A1,
                      .valueOn = 0x01,
                      .valueOff = 0x01,
                      .operatorOn = 3,
                      .operatorOff = 4,
                      .lowByteOnPos = 1,
                      .lowByteOffPos = 1,
                      .name = nameField<15>("Door open")};
    m.canInputs[2] = {.enabled = 1,
                      .canIdOn = 0x2F0,
                      .canIdOff = 0x2F0,
                      .valueOn = 1,
                      .lowByteOnPos = 2,
                      .lowByteOffPos = 2,
                      .name = nameField<15>("Hazard switch")};
    m.canInputs[3] = {.enabled = 1,
                      .noCanDataState = 1,
                      .canIdOn = 0x0EE,
                      .canIdOff = 0x0EE,
                      .valueOn = 105,
                      .valueOff = 95,
                      .operatorOn = 1,
                      .operatorOff = 2,
                      .lowByteOnPos = 3,
                      .lowByteOffPos = 3,
                      .name = nameField<15>("Coolant hot"),
                      .rowEnabled = 1,
                      .rowValue = 2,
                      .dataType = 1,
                      .dimensionName = nameField<5>("C"),
                      .calOffset = -40};
    m.canInputs[4] = {.enabled = 1,
                      .canIdOn = 0x2F1,
                      .canIdOff = 0x2F1,
                      .valueOn = 0x04,
                      .valueOff = 0x04,
                      .operatorOn = 3,
                      .operatorOff = 4,
                      .lowByteOnPos = 1,
                      .lowByteOffPos = 1,
                      .name = nameField<15>("Beacon switch")};

    m.canInputEnable = {1, input(1)};
    m.boxName = nameField<16>("Tessaron QM5230");

    for (std::size_t i = 0; i < m.virtualInputs.size(); ++i)
        m.virtualInputs[i].name = nameField<15>("Virtual " + std::to_string(i + 1));
    m.virtualInputs[0] = {{VirtualInputSettings::Plus30, sourceInput(1), sourceCanInput(1)},
                          {0, 0},
                          nameField<15>("Engine on"),
                          {0, 0, 5},
                          0};
    m.virtualInputs[1] = {
        {sourceInput(8), sourceInput(9), 0}, {1, -1}, nameField<15>("Rear lights"), {}, 0};

    m.startKill.startTrigger = input(10);
    fillUnused(m.startKill.startChannels, {7, 5}, StartKillSettings::Unused);
    m.startKill.killTrigger = input(11);
    m.startKill.killDelay = 10;
    fillUnused(m.startKill.killChannels, {5, 15, 16}, StartKillSettings::Unused);

    for (FlashSettings &f : m.flash)
        f.channels.fill(FlashSettings::Unused);
    // The tool keeps flash channels as 0-based list positions: 12 is output 13.
    m.flash[0] = {1, 1, input(4), 5, 5, 0, {12, 255, 255, 255}, nameField<15>("Indicator L")};
    m.flash[1] = {1, 1, input(5), 5, 5, 0, {13, 255, 255, 255}, nameField<15>("Indicator R")};
    m.flash[2] = {1, 1, canInput(3), 5, 5, 0, {12, 13, 255, 255}, nameField<15>("Hazard")};

    m.wiper = {input(6), 0, 0, 0, 0, 30, 0, 30};

    // Sequences never named hold an erased name.
    for (SequenceSettings &s : m.sequences)
        s.name.fill('\xFF');
    m.sequences[0] = {canInput(5), 2, nameField<16>("Beacon modes")};

    m.pwm = {0, 1, 0};

    m.canExport1 = {1, 100, 0x300, {}, 0};
    fillUnused(m.canExport1.dataBytes, {1, 2, 5, 6}, 0);

    // Bit selections count in the tool's list: 1..34 the outputs, 35.. the inputs.
    m.canExports[0] = {1, 500, 0x310, {}};
    fillUnused(m.canExports[0].bits, {1, 2, 3, 4, 5, 6, 7, 8, 35, 46}, 0);
    m.canExports[1] = {0, 1000, 0x311, {}};
    m.canExports[2] = {0, 1000, 0x312, {}};
    return m;
}

} // namespace sim
