// The stand-in libraries' end of the serial line: a COM port of Windows.
#pragma once

#include <cstdint>
#include <memory>

#include "simdev/Line.h"

namespace simdev::win32 {

// Opens \\.\COMn at the line's settings (19200 baud, 8 data bits, no parity, 1 stop bit),
// for this program alone. A port that does not exist gives status::kCannotOpenPort, one that
// another program holds status::kPortHeld. Wine lets a second program open a port that one
// already has open, Windows does not: a named semaphore per port refuses it the same on both.
std::unique_ptr<line::Port> OpenComPort(std::uint16_t port, std::uint16_t* status);

}  // namespace simdev::win32
