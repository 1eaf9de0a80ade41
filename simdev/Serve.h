// `simdev serve`: the emulated devices as a long-running process at the device's end of one
// serial line per COM port, carrying out the stand-in libraries' calls on the devices of the
// state directory (simdev/Remote.h), which the other simdev commands keep using meanwhile.
#pragma once

#include <span>
#include <string>

namespace simdev {

// The file in the state directory that asks a running server to stop (and that it removes).
inline constexpr char kServeStopFile[] = "serve.stop";
// The file in the state directory where a running server lists its lines, one "COMn TTY"
// each; written again whenever a line is added, removed when the server ends.
inline constexpr char kServeLinesFile[] = "serve.lines";

inline constexpr char kServeUsage[] =
    "usage: simdev serve [--link DIR] [--fast] [PORT...]\n"
    "  serves PORT... (COMn or n), or every port with a device attached, and each port a\n"
    "  device is attached to later; prints each port and its line (\"COM3 /dev/pts/4\");\n"
    "  --link DIR links DIR/comN to each line (a Wine prefix's dosdevices folder; a link that\n"
    "  was there is put back at the end); --fast does not hold the bytes back to the line's\n"
    "  speed (10 bit times a byte at the speed the program set). Ends on SIGTERM or Ctrl-C,\n"
    "  on serve.stop in the state directory, or when that folder goes; then prints the\n"
    "  bytes each line received and sent.\n";

// Serves until told to stop; returns the exit status.
int Serve(std::span<const std::string> args, const std::string& dir, std::string* err);

}  // namespace simdev
