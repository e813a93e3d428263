// The unit's application firmware as far as the tool can see it: it takes
// the stuffed bytes the tool sends, answers every request it knows with
// the frames of the protocol, and keeps a live state (outputs, inputs,
// currents, supply, temperature) that moves on with advance().
//
// Thread contract: every public method may be called from any thread; one
// mutex guards all state. feed() returns its answers by value and never
// calls out while locked, so callers may hold their own lock around it
// (SimLine does: its lock is always taken before this one).
//
// Time moves only through advance(): the unit has no clock of its own.
#pragma once

#include "link/FrameCodec.h"
#include "sim/BootloaderState.h"
#include "sim/ProgramMemory.h"
#include "sim/CalibrationState.h"
#include "sim/ServiceState.h"
#include "sim/SettingsMemory.h"
#include "sim/SystemSetupState.h"
#include "sim/UnitState.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <optional>
#include <vector>

namespace sim {

// One unstuffed frame, exactly its Length bytes.
using Frame = std::vector<std::uint8_t>;

class SimulatedUnit
{
public:
    // The live state is simulated in steps of this length.
    static constexpr std::chrono::milliseconds Tick{100};

    SimulatedUnit();
    SimulatedUnit(const SimulatedUnit &) = delete;
    SimulatedUnit &operator=(const SimulatedUnit &) = delete;

    // Stuffed bytes from the tool; returns the answers to every frame they
    // completed, in order. A frame split across calls is completed later.
    std::vector<Frame> feed(std::span<const std::uint8_t> bytes);
    // Forgets a partly received frame (the line was unplugged).
    void resetReceiver();
    // Whether a request on `node` with `code` draws an answer or has an effect.
    bool handles(std::uint8_t node, std::uint8_t code) const;

    // Moves the unit's time on: power-up seconds and the live state.
    void advance(std::chrono::milliseconds by);
    std::uint64_t upTimeMs() const;

    // Knobs and test hooks.
    void setVersionText(std::string_view text); // cut to IdentityState::MaxVersionText
    std::string versionText() const;
    // Every setting the tool reads and writes; SettingsMemory::factory() at start.
    SettingsMemory settings() const;
    void setSettings(const SettingsMemory &settings);
    void setStatistics(const StatisticsState &statistics);
    StatisticsState statistics() const;
    // Texts are cut to 8 characters.
    void setPasswords(std::string_view readOnly, std::string_view readWrite);
    void erasePasswords();
    PasswordState passwords() const;
    // Puts a fault (ChannelFault) on channel 1..34, or clears it with FaultNone.
    // A new fault counts in the unit's error count.
    void setChannelFault(int channel, std::uint8_t fault);
    void setChannelWarning(int channel, bool warning);
    void setChannelLoad(int channel, std::uint16_t tenths);
    // Stops the built-in input pattern and sets input 1..11 or CAN input 1..32.
    void setInput(int input, bool active);
    void setCanInput(int input, bool active);
    void setInputPattern(bool running);
    // Spread of the measured currents; 0 also steadies the supply voltage.
    void setCurrentNoise(std::uint8_t tenths);
    void setNoiseSeed(std::uint32_t seed);

    // The error counters of the diagnostic reads. A new fault on an output
    // (setChannelFault) counts: a short as a short circuit; on a high-power
    // output an overload as a trip at the current its load draws and an open
    // load as a low current.
    DiagnosticState diagnostics() const;
    void setDiagnostics(const DiagnosticState &diagnostics);
    // The program memory the firmware read answers from; builtIn() at start.
    ProgramMemory programMemory() const;
    void setProgramMemory(const ProgramMemory &memory);
    // Restarts the unit into its bootloader and returns what it announces
    // ('>'). A '<' starts a download into program memory; without one
    // within AnnounceTimeout of unit time the application starts. Bytes
    // the bootloader receives are lost to the application.
    std::vector<std::uint8_t> restart();
    // The bootloader's answers since the last call, raw bytes, not frames.
    std::vector<std::uint8_t> takeRawOutput();
    BootloaderState bootloader() const;
    // Bytes of the block the bootloader is receiving; nullopt while it
    // receives none (announced, failed, or the application runs).
    std::optional<std::size_t> bootBlockHeld() const;
    // Blocks the bootloader has taken or rejected since the last restart.
    std::uint32_t bootBlocksDone() const;
    // From the next block on: the `nth` block after each restart (from 1)
    // comes with a byte bent on its way; 0: none.
    void bendBootBlock(std::uint32_t nth);
    // The CAN monitor's choice, as the last CAN_MONITOR_REQ set it, and the
    // number of reports handed to the line so far.
    std::uint8_t canMonitorSelector() const;
    std::uint64_t canMonitorReports() const;

    // Calibration of the high-power channels, CalibrationState::factory() at start.
    CalibrationState calibration() const;
    UnitMode mode() const;
    OutputState output(int channel) const; // channel 1..34
    LiveState live() const;
    // The identity SYSTEM_SETUP_READ_REQ answers and SYSTEM_SETUP_WRITE_REQ stores.
    SystemSetupState systemSetup() const;
    void setSystemSetup(const SystemSetupState &identity);
    // Node 0's runtime error log and EEPROM, ErrorLogState::sample() and
    // EepromState::sample() at start.
    ErrorLogState errorLog() const;
    void setErrorLog(const ErrorLogState &log);
    EepromState eeprom() const;
    void setEeprom(const EepromState &eeprom);

private:
    // A received frame with bounded access to its bytes.
    class Request
    {
    public:
        Request(const std::uint8_t *bytes, std::size_t count) : bytes_(bytes), count_(count) {}
        std::uint8_t at(std::size_t offset) const { return offset < count_ ? bytes_[offset] : 0; }
        std::uint8_t length() const { return at(devlink::FrameLengthAt); }
        std::uint8_t node() const { return at(devlink::FrameNodeAt); }
        std::uint8_t command() const { return at(devlink::FrameCommandAt); }
        // The frame's own bytes, as many as its Length counts.
        std::span<const std::uint8_t> bytes() const
        {
            return {bytes_, std::min<std::size_t>(count_, length())};
        }

    private:
        const std::uint8_t *bytes_;
        std::size_t count_;
    };
    using Replies = std::vector<Frame>;
    using Handler = void (SimulatedUnit::*)(const Request &, Replies &);

    void on(std::uint8_t node, std::uint8_t code, Handler handler);
    void dispatch(const std::uint8_t *frame, std::size_t count, Replies &replies);
    static void reply(Replies &replies, devlink::DeviceFrame &frame);
    static std::uint8_t answerCode(const Request &request);

    // Identity and statistics
    void onVersion(const Request &request, Replies &replies);
    void onStatistics(const Request &request, Replies &replies);
    void onPing(const Request &request, Replies &replies);
    void onSystemSetupRead(const Request &request, Replies &replies);
    void onSystemSetupWrite(const Request &request, Replies &replies);
    // Passwords
    void onPasswordRead(const Request &request, Replies &replies);
    void onPasswordWrite(const Request &request, Replies &replies);
    // Settings memory. Reads of inputs and outputs with byte 4 = 0xFF answer
    // every record in ascending order; a number the unit has no input or
    // output for draws no answer (as the channel status does). Reads of the
    // other numbered blocks answer any number: beyond the table with the
    // number and zero data, which ends the tool's chain for that block. A
    // write is stored when it names a record the unit has, and acknowledged
    // either way, repeating byte 4 where the acknowledgement carries it.
    void onSettingsRead(const Request &request, Replies &replies);
    void onSettingsWrite(const Request &request, Replies &replies);
    void onFactoryReset(const Request &request, Replies &replies);
    // Settings live in non-volatile memory and survive; nothing else changes.
    void onReboot(const Request &request, Replies &replies);
    // Live state and manual control
    void onBoxStatus(const Request &request, Replies &replies);
    void onInputStatus(const Request &request, Replies &replies);
    void onChannelStatus(const Request &request, Replies &replies);
    void onMode(const Request &request, Replies &replies);
    void onChannelSwitch(const Request &request, Replies &replies);
    // Diagnostic counters
    void onDiagnosticRead(const Request &request, Replies &replies);
    void onLowPowerDiagnosticRead(const Request &request, Replies &replies);
    void onDiagnosticClear(const Request &request, Replies &replies);
    // Program memory: 16 bytes from the address asked for.
    void onFirmwareRead(const Request &request, Replies &replies);
    // CAN monitor. The unit reports bus messages as they pass (canBusTickLocked)
    // and sends the reports behind the answers of the next frame that reaches
    // it, as the line gives the unit a turn only when the tool sends.
    void onCanMonitor(const Request &request, Replies &replies);
    void canBusTickLocked();
    bool canMonitorWantsLocked(std::uint16_t id) const;
    void sendCanReportsLocked(Replies &replies);
    void countFaultLocked(int channel, std::uint8_t fault);
    // Current calibration (sim/SimCalibration.cpp). A reading relates the
    // channel's live current to a raw A/D value through the channel's sensor.
    void onCalChannelRead(const Request &request, Replies &replies);
    void onCalRatioWrite(const Request &request, Replies &replies);
    void onCalSwitches(const Request &request, Replies &replies);
    void onCalOffsetStore(const Request &request, Replies &replies);
    std::uint16_t rawAdLocked(int channel) const;
    // Runtime error log, system log reset and EEPROM (sim/SimServiceLog.cpp).
    void onErrorLogCount(const Request &request, Replies &replies);
    void onErrorLogEntry(const Request &request, Replies &replies);
    void onErrorLogReset(const Request &request, Replies &replies);
    void onSystemLogReset(const Request &request, Replies &replies);
    void onEepromRead(const Request &request, Replies &replies);
    void onEepromWrite(const Request &request, Replies &replies);
    // Bootloader (sim/SimBootloader.cpp): false when the byte is the application's.
    bool bootByteLocked(std::uint8_t byte);
    void bootElapsedLocked(std::chrono::milliseconds by);

    void tickLocked();
    void updateInputsLocked();
    void updateOutputsLocked();
    int noiseLocked(int amplitude);
    static bool validChannel(int channel) { return channel >= 1 && channel <= ChannelCount; }

    mutable std::mutex mutex_; // guards everything below
    std::array<std::array<Handler, 256>, 2> handlers_{};
    devlink::RxFrameDecoder decoder_;
    Replies *collecting_ = nullptr; // answers of the feed() in progress
    IdentityState identity_;
    StatisticsState statistics_;
    PasswordState passwords_;
    SettingsMemory settings_ = SettingsMemory::factory();
    LiveState live_;
    DiagnosticState diagnostics_;
    CanMonitorState canMonitor_;
    SystemSetupState systemSetup_;
    CalibrationState calibration_ = CalibrationState::factory();
    ProgramMemory program_ = ProgramMemory::builtIn();
    ErrorLogState errorLog_ = ErrorLogState::sample();
    EepromState eeprom_ = EepromState::sample();
    BootloaderState boot_;
    std::minstd_rand noise_{5230};
};

} // namespace sim
