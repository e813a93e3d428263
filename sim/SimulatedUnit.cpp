#include "sim/SimulatedUnit.h"

#include "link/DeviceCommands.h"

#include <algorithm>

namespace sim {

using namespace devlink;

namespace {
constexpr std::uint8_t AllChannels = 0xFF; // also all inputs, all outputs
constexpr std::uint32_t InputMask = (1u << InputCount) - 1;
constexpr std::uint8_t MaxPingBytes = 15;

std::uint8_t saturatedU8(std::int64_t value)
{
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 0xFF));
}

std::uint8_t nibble(std::uint8_t count)
{
    return std::min<std::uint8_t>(count, 15);
}

std::uint8_t saturatedIncrement(std::uint8_t count)
{
    return count < 0xFF ? static_cast<std::uint8_t>(count + 1) : count;
}

// The bus beside the unit: the messages its CAN inputs listen to pass every
// InputMessageTicks ticks, and other devices send messages of their own.
struct BusMessage
{
    std::uint16_t id;
    std::uint8_t length;
    std::uint32_t everyTicks;
};
constexpr std::uint32_t InputMessageTicks = 5;
constexpr std::uint8_t InputMessageLength = 8;
constexpr BusMessage ForeignTraffic[] = {{0x100, 8, 2}, {0x18F, 3, 10}, {0x7E8, 8, 20}};

PasswordState::Field passwordField(std::string_view text)
{
    PasswordState::Field field{};
    const std::size_t n = std::min(text.size(), PasswordState::FieldSize - 1);
    std::copy_n(text.begin(), n, field.begin());
    return field;
}
} // namespace

SimulatedUnit::SimulatedUnit()
{
    // Requests without an entry here are not answered, as the firmware
    // ignores codes it does not know; the tool times out on them.
    on(NodeApplication, VERSION_REQ, &SimulatedUnit::onVersion);
    on(NodeApplication, STATISTICS_REQ, &SimulatedUnit::onStatistics);
    on(NodeApplication, PASSWORD_READ_REQ, &SimulatedUnit::onPasswordRead);
    on(NodeApplication, PASSWORD_WRITE_REQ, &SimulatedUnit::onPasswordWrite);
    on(NodeApplication, BOX_STATUS_REQ, &SimulatedUnit::onBoxStatus);
    on(NodeApplication, INPUT_STATUS_REQ, &SimulatedUnit::onInputStatus);
    on(NodeApplication, CHANNEL_STATUS_REQ, &SimulatedUnit::onChannelStatus);
    on(NodeApplication, MODE_REQ, &SimulatedUnit::onMode);
    on(NodeApplication, CHANNEL_SWITCH_REQ, &SimulatedUnit::onChannelSwitch);
    on(NodeApplication, DIAGNOSTIC_READ_REQ, &SimulatedUnit::onDiagnosticRead);
    on(NodeApplication, LP_DIAGNOSTIC_READ_REQ, &SimulatedUnit::onLowPowerDiagnosticRead);
    on(NodeApplication, DIAGNOSTIC_CLEAR_REQ, &SimulatedUnit::onDiagnosticClear);
    on(NodeApplication, CAN_MONITOR_REQ, &SimulatedUnit::onCanMonitor);
    on(NodeApplication, CAL_CHANNEL_READ_REQ, &SimulatedUnit::onCalChannelRead);
    on(NodeApplication, CAL_RATIO_WRITE_REQ, &SimulatedUnit::onCalRatioWrite);
    on(NodeApplication, CAL_SWITCHES_REQ, &SimulatedUnit::onCalSwitches);
    on(NodeApplication, CAL_OFFSET_STORE_REQ, &SimulatedUnit::onCalOffsetStore);
    on(NodeSystem, PING_REQ, &SimulatedUnit::onPing);
    on(NodeApplication, SYSTEM_SETUP_READ_REQ, &SimulatedUnit::onSystemSetupRead);
    on(NodeApplication, SYSTEM_SETUP_WRITE_REQ, &SimulatedUnit::onSystemSetupWrite);
    for (const SettingsBlockInfo &block : settingsBlocks()) {
        on(NodeApplication, block.readRequest, &SimulatedUnit::onSettingsRead);
        on(NodeApplication, block.writeRequest, &SimulatedUnit::onSettingsWrite);
    }
    on(NodeApplication, FACTORY_RESET_REQ, &SimulatedUnit::onFactoryReset);
    on(NodeApplication, REBOOT_REQ, &SimulatedUnit::onReboot);
    on(NodeSystem, ERROR_LOG_COUNT_REQ, &SimulatedUnit::onErrorLogCount);
    on(NodeSystem, ERROR_LOG_ENTRY_REQ, &SimulatedUnit::onErrorLogEntry);
    on(NodeSystem, ERROR_LOG_RESET_REQ, &SimulatedUnit::onErrorLogReset);
    on(NodeApplication, SYSTEM_LOG_RESET_REQ, &SimulatedUnit::onSystemLogReset);
    on(NodeSystem, EEPROM_READ_REQ, &SimulatedUnit::onEepromRead);
    on(NodeSystem, EEPROM_WRITE_REQ, &SimulatedUnit::onEepromWrite);
    on(NodeApplication, FIRMWARE_READ_REQ, &SimulatedUnit::onFirmwareRead);

    // The live state keeps a fixed wiring of its own, apart from the
    // settings memory: outputs follow the inputs in turn, high-power loads
    // between 1.5 A and 10.4 A.
    for (int ch = 1; ch <= ChannelCount; ++ch) {
        OutputState &o = live_.outputs[static_cast<std::size_t>(ch - 1)];
        o.trigger = static_cast<std::uint8_t>((ch - 1) % InputCount + 1);
        if (ch <= HighPowerChannelCount)
            o.loadTenths = static_cast<std::uint16_t>(15 + (ch * 37) % 90);
    }
    decoder_.setSink([this](const std::uint8_t *frame, std::size_t count) {
        if (collecting_)
            dispatch(frame, count, *collecting_);
    });
    tickLocked();
}

void SimulatedUnit::on(std::uint8_t node, std::uint8_t code, Handler handler)
{
    handlers_.at(node).at(code) = handler;
}

bool SimulatedUnit::handles(std::uint8_t node, std::uint8_t code) const
{
    std::lock_guard lock(mutex_);
    return node < handlers_.size() && handlers_[node][code] != nullptr;
}

std::vector<Frame> SimulatedUnit::feed(std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    Replies replies;
    collecting_ = &replies;
    for (std::uint8_t b : bytes)
        if (!bootByteLocked(b))
            decoder_.PutByte(b);
    collecting_ = nullptr;
    sendCanReportsLocked(replies);
    return replies;
}

void SimulatedUnit::resetReceiver()
{
    std::lock_guard lock(mutex_);
    decoder_.Reset();
}

void SimulatedUnit::dispatch(const std::uint8_t *frame, std::size_t count, Replies &replies)
{
    const Request request(frame, count);
    bool acceptable = IsValidFrame(frame, count);
    // A known request that is shorter than its layout cannot be carried out.
    if (acceptable) {
        const CommandInfo *info = FindCommand(request.node(), request.command());
        if (info && info->direction == Direction::ToUnit && request.length() < info->length)
            acceptable = false;
    }
    if (!acceptable) {
        DeviceFrame nak(NodeSystem, SERIAL_ERROR_IND);
        reply(replies, nak);
        return;
    }
    if (request.node() >= handlers_.size())
        return;
    if (const Handler handler = handlers_[request.node()][request.command()])
        (this->*handler)(request, replies);
}

void SimulatedUnit::reply(Replies &replies, DeviceFrame &frame)
{
    frame.finish();
    replies.emplace_back(frame.data(), frame.data() + frame.length());
}

std::uint8_t SimulatedUnit::answerCode(const Request &request)
{
    return ReplyCode(request.node(), request.command());
}

// --- identity and statistics ---

void SimulatedUnit::onVersion(const Request &request, Replies &replies)
{
    DeviceFrame f(NodeApplication, answerCode(request), 24);
    const std::string &text = identity_.versionText;
    for (std::size_t i = 0; i < text.size(); ++i)
        f.set(FrameDataAt + i, static_cast<std::uint8_t>(text[i]));
    const std::uint64_t seconds = (identity_.upTimeMs / 1000) & 0xFFFFFF;
    f.set(17, static_cast<std::uint8_t>(seconds >> 16))
        .set(18, static_cast<std::uint8_t>(seconds >> 8))
        .set(19, static_cast<std::uint8_t>(seconds));
    reply(replies, f);
}

void SimulatedUnit::onStatistics(const Request &request, Replies &replies)
{
    DeviceFrame f(NodeApplication, answerCode(request), 8);
    f.setU16LE(4, statistics_.maxCurrentTenths)
        .set(6, statistics_.maxTemperature)
        .set(7, statistics_.watchdogCount);
    reply(replies, f);
}

void SimulatedUnit::onPing(const Request &request, Replies &replies)
{
    const std::size_t n = std::min(request.at(FrameDataAt), MaxPingBytes);
    DeviceFrame f(NodeSystem, answerCode(request), static_cast<std::uint8_t>(5 + n));
    f.set(FrameDataAt, static_cast<std::uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i)
        f.set(5 + i, request.at(5 + i));
    reply(replies, f);
}

// --- passwords ---

void SimulatedUnit::onPasswordRead(const Request &request, Replies &replies)
{
    DeviceFrame f(NodeApplication, answerCode(request), 22);
    f.setText(4, passwords_.readOnly.data(), PasswordState::FieldSize);
    f.setText(13, passwords_.readWrite.data(), PasswordState::FieldSize);
    reply(replies, f);
}

void SimulatedUnit::onPasswordWrite(const Request &request, Replies &replies)
{
    // Eight characters each; the unit adds the terminating NUL itself.
    for (std::size_t i = 0; i + 1 < PasswordState::FieldSize; ++i) {
        passwords_.readOnly[i] = request.at(4 + i);
        passwords_.readWrite[i] = request.at(13 + i);
    }
    passwords_.readOnly.back() = 0;
    passwords_.readWrite.back() = 0;
    DeviceFrame f(NodeApplication, answerCode(request));
    reply(replies, f);
}

// --- settings memory ---

void SimulatedUnit::onSettingsRead(const Request &request, Replies &replies)
{
    const SettingsBlockInfo *info = findSettingsBlock(request.command());
    if (!info)
        return;
    const auto answer = [&](std::uint8_t number) {
        DeviceFrame f(NodeApplication, answerCode(request), info->readLength);
        encodeSettings(settings_, *info, number, f);
        reply(replies, f);
    };
    const std::uint8_t which = request.at(FrameDataAt);
    if (!info->readAll) {
        answer(which);
    } else if (which == AllChannels) {
        for (int n = info->firstNumber; n < info->firstNumber + info->records; ++n)
            answer(static_cast<std::uint8_t>(n));
    } else if (hasRecord(*info, which)) {
        answer(which);
    }
}

void SimulatedUnit::onSettingsWrite(const Request &request, Replies &replies)
{
    const SettingsBlockInfo *info = findSettingsBlock(request.command());
    if (!info)
        return;
    decodeSettings(settings_, *info, request.bytes());
    DeviceFrame f(NodeApplication, answerCode(request), info->ackCarriesNumber ? 5 : 4);
    if (info->ackCarriesNumber)
        f.set(FrameDataAt, request.at(FrameDataAt));
    reply(replies, f);
}

void SimulatedUnit::onFactoryReset(const Request &request, Replies &replies)
{
    settings_ = SettingsMemory::factory();
    DeviceFrame f(NodeApplication, answerCode(request));
    reply(replies, f);
}

void SimulatedUnit::onReboot(const Request &request, Replies &replies)
{
    DeviceFrame f(NodeApplication, answerCode(request));
    reply(replies, f);
}

// --- live state and manual control ---

void SimulatedUnit::onBoxStatus(const Request &request, Replies &replies)
{
    DeviceFrame f(NodeApplication, answerCode(request), 10);
    f.set(4, live_.highPowerErrors)
        .set(5, live_.lowPowerErrors)
        .setU16BE(6, live_.totalCurrentTenths)
        .set(8, live_.supplyTenths)
        .set(9, saturatedU8(live_.temperatureMilli / 1000));
    reply(replies, f);
}

void SimulatedUnit::onInputStatus(const Request &request, Replies &replies)
{
    DeviceFrame f(NodeApplication, answerCode(request), 10);
    f.set(4, static_cast<std::uint8_t>(live_.inputs & 0xFF))
        .set(5, static_cast<std::uint8_t>((live_.inputs >> 8) & 0x07))
        .setU32LE(6, live_.canInputs);
    reply(replies, f);
}

void SimulatedUnit::onChannelStatus(const Request &request, Replies &replies)
{
    const std::uint8_t which = request.at(FrameDataAt);
    int first = which, last = which;
    if (which == AllChannels) {
        first = 1;
        last = ChannelCount;
    } else if (!validChannel(which)) {
        return;
    }
    for (int ch = first; ch <= last; ++ch) {
        const OutputState &o = live_.outputs[static_cast<std::size_t>(ch - 1)];
        DeviceFrame f(NodeApplication, answerCode(request), 10);
        f.set(4, static_cast<std::uint8_t>(ch))
            .set(5, o.on ? ChannelOn : ChannelOff)
            .set(6, o.fault)
            .setU16BE(7, o.currentTenths)
            .set(9, o.warning ? 1 : 0);
        reply(replies, f);
    }
}

void SimulatedUnit::onMode(const Request &request, Replies &replies)
{
    const std::uint8_t value = request.at(FrameDataAt);
    if (value > static_cast<std::uint8_t>(UnitMode::Calibration))
        return; // not a mode: ignored like an unknown request
    const auto mode = static_cast<UnitMode>(value);
    // Leaving automatic mode holds every output where it is until switched.
    if (live_.mode == UnitMode::Automatic && mode != UnitMode::Automatic)
        for (OutputState &o : live_.outputs)
            o.manualOn = o.on;
    live_.mode = mode;
    updateOutputsLocked();
    DeviceFrame f(NodeApplication, answerCode(request));
    reply(replies, f);
}

void SimulatedUnit::onChannelSwitch(const Request &request, Replies &)
{
    // The firmware sends no answer to a switch command.
    const int ch = request.at(FrameDataAt);
    const std::uint8_t command = request.at(FrameDataAt + 1);
    if (live_.mode != UnitMode::Manual || !validChannel(ch))
        return;
    if (command != ChannelOn && command != ChannelOff)
        return;
    live_.outputs[static_cast<std::size_t>(ch - 1)].manualOn = command == ChannelOn;
    updateOutputsLocked();
}

// --- diagnostic counters ---

void SimulatedUnit::onDiagnosticRead(const Request &request, Replies &replies)
{
    DeviceFrame f(NodeApplication, answerCode(request), 58);
    for (std::size_t i = 0; i < HighPowerChannelCount; ++i) {
        const ChannelCounters &c = diagnostics_.channels[i];
        f.set(4 + i, static_cast<std::uint8_t>(nibble(c.shortCircuits) | nibble(c.trips) << 4))
            .set(22 + i, c.tripCurrentSteps)
            .set(40 + i, nibble(c.lowCurrents));
    }
    reply(replies, f);
}

void SimulatedUnit::onLowPowerDiagnosticRead(const Request &request, Replies &replies)
{
    // One byte per low-power output 19..34 from byte 4, the short circuits
    // in the low nibble.
    constexpr int lowPower = ChannelCount - HighPowerChannelCount;
    DeviceFrame f(NodeApplication, answerCode(request), 4 + lowPower);
    for (std::size_t i = 0; i < lowPower; ++i)
        f.set(4 + i, nibble(diagnostics_.channels[HighPowerChannelCount + i].shortCircuits));
    reply(replies, f);
}

void SimulatedUnit::onDiagnosticClear(const Request &request, Replies &replies)
{
    diagnostics_ = DiagnosticState{};
    DeviceFrame f(NodeApplication, answerCode(request));
    reply(replies, f);
}

void SimulatedUnit::countFaultLocked(int channel, std::uint8_t fault)
{
    ChannelCounters &c = diagnostics_.channels[static_cast<std::size_t>(channel - 1)];
    const bool high = channel <= HighPowerChannelCount;
    if (fault == FaultNegativeShort || fault == FaultPositiveShort) {
        c.shortCircuits = saturatedIncrement(c.shortCircuits);
    } else if (high && fault == FaultOverload) {
        c.trips = saturatedIncrement(c.trips);
        const OutputState &o = live_.outputs[static_cast<std::size_t>(channel - 1)];
        c.tripCurrentSteps = saturatedU8(o.loadTenths / 4);
    } else if (high && fault == FaultOpenLoad) {
        c.lowCurrents = saturatedIncrement(c.lowCurrents);
    }
}

// --- CAN monitor ---

void SimulatedUnit::onCanMonitor(const Request &request, Replies &)
{
    // The choice travels outside Length; the firmware sends no answer.
    const std::uint8_t selector = request.at(FrameDataAt);
    if (selector > CanMonitorState::LastInput)
        return;
    canMonitor_.selector = selector;
    if (selector == CanMonitorState::Off)
        canMonitor_.pending.clear();
}

bool SimulatedUnit::canMonitorWantsLocked(std::uint16_t id) const
{
    const std::uint8_t selector = canMonitor_.selector;
    if (selector == CanMonitorState::All)
        return true;
    const auto listens = [id](const CanInputSettings &input) {
        return id != 0 && (input.canIdOn == id || input.canIdOff == id);
    };
    if (selector == CanMonitorState::Active)
        return std::any_of(settings_.canInputs.begin(), settings_.canInputs.end(),
                           [&](const CanInputSettings &input) {
                               return (input.enabled & 1) != 0 && listens(input);
                           });
    if (selector >= CanMonitorState::FirstInput && selector <= CanMonitorState::LastInput)
        return listens(settings_.canInputs[selector - CanMonitorState::FirstInput]);
    return false;
}

void SimulatedUnit::canBusTickLocked()
{
    if (canMonitor_.selector == CanMonitorState::Off)
        return;
    const std::uint64_t tick = identity_.upTimeMs / static_cast<std::uint64_t>(Tick.count());
    std::vector<BusMessage> due;
    for (const BusMessage &m : ForeignTraffic)
        if ((tick + m.id) % m.everyTicks == 0)
            due.push_back(m);
    for (const CanInputSettings &input : settings_.canInputs)
        for (std::uint16_t id : {input.canIdOn, input.canIdOff})
            if ((input.enabled & 1) != 0 && id != 0 && (tick + id) % InputMessageTicks == 0 &&
                std::none_of(due.begin(), due.end(),
                             [id](const BusMessage &m) { return m.id == id; }))
                due.push_back({id, InputMessageLength, InputMessageTicks});

    for (const BusMessage &m : due) {
        if (!canMonitorWantsLocked(m.id))
            continue;
        if (canMonitor_.pending.size() >= CanMonitorState::MaxPending)
            return;
        DeviceFrame f(NodeApplication, CAN_MONITOR_IND, static_cast<std::uint8_t>(7 + m.length));
        f.setU16LE(4, m.id).set(6, m.length);
        // Data that changes from message to message, as counters and sensors do.
        for (std::size_t i = 0; i < m.length; ++i)
            f.set(7 + i, static_cast<std::uint8_t>(tick * 7 + m.id + i * 31));
        f.finish();
        canMonitor_.pending.emplace_back(f.data(), f.data() + f.length());
    }
}

void SimulatedUnit::sendCanReportsLocked(Replies &replies)
{
    for (Frame &report : canMonitor_.pending)
        replies.push_back(std::move(report));
    canMonitor_.reported += canMonitor_.pending.size();
    canMonitor_.pending.clear();
}

// --- time ---

void SimulatedUnit::advance(std::chrono::milliseconds by)
{
    if (by.count() <= 0)
        return;
    std::lock_guard lock(mutex_);
    bootElapsedLocked(by);
    const auto ms = static_cast<std::uint64_t>(by.count());
    const auto tick = static_cast<std::uint64_t>(Tick.count());
    // Whole ticks are simulated at their own time so that the input
    // pattern and the maxima see every step.
    std::uint64_t left = ms;
    while (live_.sinceTickMs + left >= tick) {
        const std::uint64_t step = tick - live_.sinceTickMs;
        identity_.upTimeMs += step;
        left -= step;
        live_.sinceTickMs = 0;
        tickLocked();
    }
    identity_.upTimeMs += left;
    live_.sinceTickMs += left;
}

std::uint64_t SimulatedUnit::upTimeMs() const
{
    std::lock_guard lock(mutex_);
    return identity_.upTimeMs;
}

void SimulatedUnit::tickLocked()
{
    canBusTickLocked();
    updateInputsLocked();
    live_.supplyNoiseTenths =
        static_cast<std::int8_t>(noiseLocked(live_.currentNoiseTenths > 0 ? 1 : 0));
    updateOutputsLocked();

    // The housing warms towards 25 °C plus 1 °C per 5 A, with a time
    // constant of 30 s.
    const std::int32_t target = 25000 + live_.totalCurrentTenths * 20;
    const std::int32_t ticksPerTau = static_cast<std::int32_t>(30000 / Tick.count());
    live_.temperatureMilli += (target - live_.temperatureMilli) / ticksPerTau;

    statistics_.maxCurrentTenths = std::max(statistics_.maxCurrentTenths, live_.totalCurrentTenths);
    statistics_.maxTemperature =
        std::max(statistics_.maxTemperature, saturatedU8(live_.temperatureMilli / 1000));
}

void SimulatedUnit::updateInputsLocked()
{
    if (!live_.inputPattern)
        return;
    // Input i toggles every (i + 1) x 0.7 s; one CAN input after the
    // other is active for 0.5 s.
    const std::uint64_t t = identity_.upTimeMs;
    std::uint16_t inputs = 0;
    for (int i = 1; i <= InputCount; ++i)
        if ((t / (700u * static_cast<unsigned>(i + 1))) % 2 == 1)
            inputs = static_cast<std::uint16_t>(inputs | (1u << (i - 1)));
    live_.inputs = inputs;
    live_.canInputs = 1u << ((t / 500) % CanInputCount);
}

void SimulatedUnit::updateOutputsLocked()
{
    int total = 0;
    for (int ch = 1; ch <= ChannelCount; ++ch) {
        OutputState &o = live_.outputs[static_cast<std::size_t>(ch - 1)];
        const bool triggered = o.trigger >= 1 && o.trigger <= InputCount &&
                               ((live_.inputs >> (o.trigger - 1)) & 1u) != 0;
        bool on = live_.mode == UnitMode::Automatic ? triggered : o.manualOn;
        // Shorts and overloads trip the output; an open load stays switched.
        if (o.fault == FaultNegativeShort || o.fault == FaultPositiveShort ||
            o.fault == FaultOverload)
            on = false;
        o.on = on;
        int current = 0;
        if (ch <= HighPowerChannelCount && on && o.fault != FaultOpenLoad && o.loadTenths > 0)
            current = std::max(0, o.loadTenths + noiseLocked(live_.currentNoiseTenths));
        o.currentTenths = static_cast<std::uint16_t>(current);
        total += current;
    }
    live_.totalCurrentTenths = static_cast<std::uint16_t>(std::min(total, 0xFFFF));
    // The supply sags by 0.1 V per 5 A of load.
    live_.supplyTenths = saturatedU8(138 - total / 50 + live_.supplyNoiseTenths);
}

int SimulatedUnit::noiseLocked(int amplitude)
{
    if (amplitude <= 0)
        return 0;
    std::uniform_int_distribution<int> spread(-amplitude, amplitude);
    return spread(noise_);
}

// --- knobs ---

void SimulatedUnit::setVersionText(std::string_view text)
{
    std::lock_guard lock(mutex_);
    identity_.versionText = std::string(text.substr(0, IdentityState::MaxVersionText));
    // A NUL inside would end the text early on the tool's side anyway.
    identity_.versionText = identity_.versionText.c_str();
}

std::string SimulatedUnit::versionText() const
{
    std::lock_guard lock(mutex_);
    return identity_.versionText;
}

SettingsMemory SimulatedUnit::settings() const
{
    std::lock_guard lock(mutex_);
    return settings_;
}

void SimulatedUnit::setSettings(const SettingsMemory &settings)
{
    std::lock_guard lock(mutex_);
    settings_ = settings;
}

void SimulatedUnit::setStatistics(const StatisticsState &statistics)
{
    std::lock_guard lock(mutex_);
    statistics_ = statistics;
}

StatisticsState SimulatedUnit::statistics() const
{
    std::lock_guard lock(mutex_);
    return statistics_;
}

void SimulatedUnit::setPasswords(std::string_view readOnly, std::string_view readWrite)
{
    std::lock_guard lock(mutex_);
    passwords_.readOnly = passwordField(readOnly);
    passwords_.readWrite = passwordField(readWrite);
}

void SimulatedUnit::erasePasswords()
{
    std::lock_guard lock(mutex_);
    passwords_.readOnly.fill(0xFF);
    passwords_.readWrite.fill(0xFF);
}

PasswordState SimulatedUnit::passwords() const
{
    std::lock_guard lock(mutex_);
    return passwords_;
}

void SimulatedUnit::setChannelFault(int channel, std::uint8_t fault)
{
    if (!validChannel(channel))
        return;
    std::lock_guard lock(mutex_);
    OutputState &o = live_.outputs[static_cast<std::size_t>(channel - 1)];
    if (fault != FaultNone && fault != o.fault) {
        std::uint8_t &count =
            channel <= HighPowerChannelCount ? live_.highPowerErrors : live_.lowPowerErrors;
        if (count < 0xFF)
            ++count;
        countFaultLocked(channel, fault);
    }
    o.fault = fault;
    updateOutputsLocked();
}

void SimulatedUnit::setChannelWarning(int channel, bool warning)
{
    if (!validChannel(channel))
        return;
    std::lock_guard lock(mutex_);
    live_.outputs[static_cast<std::size_t>(channel - 1)].warning = warning;
}

void SimulatedUnit::setChannelLoad(int channel, std::uint16_t tenths)
{
    if (!validChannel(channel))
        return;
    std::lock_guard lock(mutex_);
    live_.outputs[static_cast<std::size_t>(channel - 1)].loadTenths = tenths;
    updateOutputsLocked();
}

void SimulatedUnit::setInput(int input, bool active)
{
    if (input < 1 || input > InputCount)
        return;
    std::lock_guard lock(mutex_);
    live_.inputPattern = false;
    const auto bit = static_cast<std::uint16_t>(1u << (input - 1));
    live_.inputs = static_cast<std::uint16_t>(active ? live_.inputs | bit : live_.inputs & ~bit);
    live_.inputs &= InputMask;
    updateOutputsLocked();
}

void SimulatedUnit::setCanInput(int input, bool active)
{
    if (input < 1 || input > CanInputCount)
        return;
    std::lock_guard lock(mutex_);
    live_.inputPattern = false;
    const std::uint32_t bit = 1u << (input - 1);
    live_.canInputs = active ? live_.canInputs | bit : live_.canInputs & ~bit;
}

void SimulatedUnit::setInputPattern(bool running)
{
    std::lock_guard lock(mutex_);
    live_.inputPattern = running;
    updateInputsLocked();
    updateOutputsLocked();
}

void SimulatedUnit::setCurrentNoise(std::uint8_t tenths)
{
    std::lock_guard lock(mutex_);
    live_.currentNoiseTenths = tenths;
    if (tenths == 0)
        live_.supplyNoiseTenths = 0;
    updateOutputsLocked();
}

void SimulatedUnit::setNoiseSeed(std::uint32_t seed)
{
    std::lock_guard lock(mutex_);
    noise_.seed(seed);
}

DiagnosticState SimulatedUnit::diagnostics() const
{
    std::lock_guard lock(mutex_);
    return diagnostics_;
}

void SimulatedUnit::setDiagnostics(const DiagnosticState &diagnostics)
{
    std::lock_guard lock(mutex_);
    diagnostics_ = diagnostics;
}

std::uint8_t SimulatedUnit::canMonitorSelector() const
{
    std::lock_guard lock(mutex_);
    return canMonitor_.selector;
}

std::uint64_t SimulatedUnit::canMonitorReports() const
{
    std::lock_guard lock(mutex_);
    return canMonitor_.reported;
}

UnitMode SimulatedUnit::mode() const
{
    std::lock_guard lock(mutex_);
    return live_.mode;
}

OutputState SimulatedUnit::output(int channel) const
{
    std::lock_guard lock(mutex_);
    return validChannel(channel) ? live_.outputs[static_cast<std::size_t>(channel - 1)]
                                 : OutputState{};
}

LiveState SimulatedUnit::live() const
{
    std::lock_guard lock(mutex_);
    return live_;
}

} // namespace sim
