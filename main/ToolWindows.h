// The tool windows that receive frames while they are open. Each window
// puts itself into its slot when it opens and clears it when it closes;
// the dispatcher forwards every frame to the slots that are filled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

class QWidget;

class TFrameHandler
{
public:
    virtual ~TFrameHandler() = default;
    // `count` is the number of bytes decoded; the buffer behind it is zeroed
    // up to 256 bytes, so fixed offsets are always safe to read.
    virtual void HandleFrame(const std::uint8_t *frame, std::size_t count) = 0;
};

// Hands the frames on to a window that has a HandleFrame of its own.
template <typename Window> class FramesTo final : public TFrameHandler
{
public:
    explicit FramesTo(Window &window) : window_(window) {}
    void HandleFrame(const std::uint8_t *frame, std::size_t count) override
    {
        window_.HandleFrame(frame, count);
    }

private:
    Window &window_;
};

struct ToolWindowSlot
{
    QWidget *window = nullptr;
    TFrameHandler *handler = nullptr;
    bool open() const { return handler != nullptr; }
};

struct ToolWindowSet
{
    ToolWindowSlot Ping, SystemSetup, Calibration, RunTimeError, FIA, EEPROM, Version, SetPassword;
};

// Main thread only.
extern ToolWindowSet ToolWindows;

// Opens a service tool's window modally over `owner` and returns when it was
// closed and deleted. The tool library fills these at start-up (the main
// window's library sits below it); an empty launcher opens nothing.
using ToolLauncher = std::function<void(QWidget *owner)>;

struct ToolLauncherSet
{
    ToolLauncher Ping, SystemSetup, Calibration, RunTimeError, EEPROM, Firmware, FIA, About;
};

// Main thread only.
extern ToolLauncherSet ToolLaunchers;
