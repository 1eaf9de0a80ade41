// The library's end of a serial line on Linux: a terminal device (the slave side of the
// pseudo-terminal `simdev serve` gives a COM port), set up as the stand-in libraries set a
// COM port on Windows, so native tools can drive the emulated devices over the real line.
#pragma once

#include <memory>
#include <string>

#include "simdev/Line.h"

namespace simdev::posix {

// Opens `path` for reading and writing, raw, 19200 baud. Null with the reason in `error` when
// the terminal cannot be opened or set up.
std::unique_ptr<line::Port> OpenTty(const std::string& path, std::string* error);

// Sets the terminal `fd` as the stand-in libraries set a COM port: 8 data bits, no parity, one
// stop bit, nothing translated or echoed, 19200 baud. False when it is no terminal.
bool SetRawLine(int fd);

}  // namespace simdev::posix
