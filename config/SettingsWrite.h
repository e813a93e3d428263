// The blocks of an upload, built from the configuration pages (through
// ConfigPages and the settings accessors) and from the three settings tables,
// byte for byte as the unit takes them.
//
// Every value goes on the wire inside its field: names are Latin-1, cut to
// their field and padded with NUL bytes; a number outside its field is held
// to the field's range and the edit shows the value sent (the decimals held
// in tenths keep their text, which the settings file saves as it stands), or,
// where another number would change its meaning (identifiers, hexadecimal
// masks, table fields), the block is not built and says why. Nothing is ever
// cut to its low bits. An edit read as a number without a default of its
// own (the outputs' decimals, the low-battery voltages) that holds no number
// stops its block too, rather than going out as 0.
//
// Main thread only, like the pages and tables they read. Building a block
// may rewrite an edit whose value had to be held to its range.
#pragma once

#include "link/FrameCodec.h"

#include <QString>

#include <cstdint>
#include <optional>

// One block ready to go (checksum filled), or why it cannot be built.
struct WriteBlock
{
    std::optional<devlink::DeviceFrame> frame;
    QString error;

    bool isValid() const { return frame.has_value(); }
};

// Frames of a complete upload: 11 inputs, 34 outputs, low battery, CAN setup,
// start/kill, 32 CAN inputs, CAN input enable, unit name, 20 virtual inputs,
// 5 flash functions, wiper, sequences, PWM, CAN export 1, CAN exports 2..4.
inline constexpr int UploadFrameCount = 114;

WriteBlock BuildInputConfig(int input);    // 1..11
WriteBlock BuildOutputConfig(int channel); // 1..34
WriteBlock BuildLowBattery();
WriteBlock BuildCanSetup();
WriteBlock BuildStartKill();
WriteBlock BuildCanInput(int record); // 0..31, from CanInputTable
WriteBlock BuildCanInputEnable();
WriteBlock BuildBoxName();
WriteBlock BuildVirtualInput(int record); // 0..19, from VirtualInputTable
WriteBlock BuildFlash(int record);        // 0..4, FlashTable as stored
WriteBlock BuildWiper();
WriteBlock BuildSequences();
WriteBlock BuildPwm();
WriteBlock BuildCanExport1();
WriteBlock BuildCanExport(int item); // 0..2 for CAN exports 2..4

// Builds every block of an upload once and returns the first reason one
// cannot be built; empty when the whole upload can go. Run before anything
// is sent, so that an upload never stops half-way over a bad entry.
QString CheckUploadBlocks();
