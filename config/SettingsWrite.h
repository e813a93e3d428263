// The blocks of an upload, built from the configuration pages (through
// ConfigPages and the settings accessors) and from the three settings tables,
// byte for byte as the unit takes them.
//
// Every value goes on the wire inside its field: names are Latin-1, cut to
// their field and padded with NUL bytes. A number in an edit that its field
// cannot hold (below 0, above the field's largest value) stops its block and
// says why, naming page, item, field and the range the unit takes; so does
// an identifier, mask or table field beyond its field. Nothing is ever cut to
// its low bits or held to the field, except where the unit's own rules hold
// an entry (the no-CAN-data delay to 2..2000, an automatic error reset of 1
// to 4 to 5), and the edit then shows the value sent. Texts with a meaning
// of their own keep it (the on-time "CONT.", a low-battery level "---"); a
// combo's entry goes out as its low 8 bits. An edit read as a number without
// a default of its own (the outputs' decimals, the low-battery voltages, the
// CAN exports' entries) that holds no number stops its block too, rather
// than going out as 0.
//
// Main thread only, like the pages and tables they read. Building a block
// may rewrite an edit whose value the unit's rules hold.
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
