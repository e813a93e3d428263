// The state of the settings transfer (a read of all settings or an upload)
// and the request frames its steps send.
//
// Main thread only.
#pragma once

#include "link/FrameCodec.h"

#include <cstdint>
#include <initializer_list>
#include <optional>

// The step of the running read or upload. Values 1, 2 and 4 are not used.
enum TTransferState : std::uint8_t {
    tsIdle = 0,
    tsReading = 3, // inputs, outputs and the low-battery block of a read
    tsSendInputs = 5,
    tsSendOutputs = 6,
    tsLowBatterySent = 7,
    tsCanSetupSent = 8,
    tsCanSetupRequested = 9,
    tsSendCanInputs = 10,
    tsRequestCanInputs = 11,
    tsSendVirtualInputs = 12,
    tsRequestVirtualInputs = 13,
    tsSendStartKill = 14,
    tsRequestStartKill = 15,
    tsSendPwm = 16,
    tsRequestPwm = 17,
    tsSendFlash = 18,
    tsRequestFlash = 19,
    tsSendWiper = 20,
    tsRequestWiper = 21,
    tsSendSequences = 22,
    tsRequestSequences = 23,
    tsRequestCanExport1 = 24,
    tsSendCanExport1 = 25,
    tsRequestCanExports = 26,
    tsSendCanExports = 27,
    tsRequestCanInputEnable = 28,
    tsSendCanInputEnable = 29,
    tsRequestBoxName = 30,
    tsSendBoxName = 31,
};

extern TTransferState TransferState;
// The item of the step: input 1..11 and channel 1..34 count from 1; CAN
// input, virtual input and flash records and the CAN exports 2..4 from 0.
extern std::uint8_t TransferItem;

// A node-1 request with its length from the command table, `data` from
// byte 4 on and its checksum filled.
devlink::DeviceFrame TransferRequestFrame(std::uint8_t command,
                                          std::initializer_list<std::uint8_t> data = {});

// The request a read state sends for `item`, finished with its checksum;
// nullopt for the states that send no request of their own.
std::optional<devlink::DeviceFrame> ReadRequestFrame(std::uint8_t state, std::uint8_t item);
