// Serial backends of the driver layer: USB-serial bridges found through
// libserialport, and the extra ports named in QM5230_SERIAL_PORTS (so that a
// pseudo-terminal can stand for a unit). Both open their port as a POSIX
// terminal, so that one tested read/write path serves every serial device.
//
// Thread contract: the backends keep no mutable state (the extra-port list is
// fixed when the backend is made), so descriptions() and open() may be called
// from any thread, also at the same time. A Device opened here is used by one
// caller at a time (see Device in d2xx.h); its lastError() belongs to that
// caller. Destroying a Device closes its port.
#pragma once

#include "platform/d2xx/d2xx.h"

#include <string_view>

namespace d2xx {

// lastError() of a serial device after any failure but a vanished device
// (ErrorDeviceGone), including a line setting the port cannot take.
inline constexpr std::uint32_t ErrorIoFailed = 1;

// Opening configures the line at this speed; setBaudRate changes it.
inline constexpr int DefaultBaudRate = 38400;

// The paths of a comma-separated list with blanks trimmed and empty entries
// dropped, in list order (a path named twice is listed twice).
std::vector<std::string> splitPortList(std::string_view commaSeparatedPaths);

// Opens the terminal at `path` for reading and writing, raw, at
// DefaultBaudRate with 8 data bits, 2 stop bits, no parity and no flow
// control; read time-out 5 ms, write time-out 100 ms. nullptr when the path
// is missing, busy or no terminal.
//
// The device's read waits up to the read time-out for `size` bytes and
// succeeds with what came (0 bytes is success); write waits up to the write
// time-out and succeeds with the count written, which may fall short. A
// time-out of 0 means no waiting. A device whose terminal hung up or whose
// node vanished fails every later read and write with ErrorDeviceGone.
std::unique_ptr<Device> openSerialDevice(const std::string &path);

} // namespace d2xx
