#include "config/Transfer.h"

#include "link/DeviceCommands.h"

#include <algorithm>

using namespace devlink;

TTransferState TransferState = tsIdle;
std::uint8_t TransferItem = 0;

namespace {

DeviceFrame request(std::uint8_t command)
{
    return TransferRequestFrame(command);
}

DeviceFrame itemRequest(std::uint8_t command, std::uint8_t item)
{
    return TransferRequestFrame(command, {item});
}

} // namespace

DeviceFrame TransferRequestFrame(std::uint8_t command, std::initializer_list<std::uint8_t> data)
{
    const CommandInfo *info = FindCommand(NodeApplication, command);
    const std::size_t length = info && info->length ? info->length : FrameDataAt + data.size();
    DeviceFrame frame(NodeApplication, command, static_cast<std::uint8_t>(length));
    std::size_t at = FrameDataAt;
    for (const std::uint8_t b : data)
        if (at < length)
            frame.set(at++, b);
    frame.finish();
    return frame;
}

std::optional<DeviceFrame> ReadRequestFrame(std::uint8_t state, std::uint8_t item)
{
    switch (state) {
    case tsRequestCanInputs:
        return itemRequest(CAN_INPUT_READ_REQ, item);
    case tsRequestVirtualInputs:
        return itemRequest(VIRTUAL_INPUT_READ_REQ, item);
    case tsRequestFlash:
        return itemRequest(FLASH_READ_REQ, item);
    case tsRequestCanExports:
        // Three exports: an item beyond them asks for the last.
        return itemRequest(CAN_EXPORT_READ_REQ, std::min<std::uint8_t>(item, 2));
    case tsRequestCanExport1:
        return itemRequest(CAN_EXPORT1_READ_REQ, 0);
    case tsRequestStartKill:
        return request(START_KILL_READ_REQ);
    case tsRequestPwm:
        return request(PWM_CONFIG_READ_REQ);
    case tsRequestWiper:
        return request(WIPER_READ_REQ);
    case tsRequestSequences:
        return request(SEQUENCE_READ_REQ);
    case tsRequestCanInputEnable:
        return request(CAN_INPUT_ENABLE_READ_REQ);
    case tsRequestBoxName:
        return request(BOX_NAME_READ_REQ);
    default:
        return std::nullopt;
    }
}
