// `simdev serve`: the emulated devices as a long-running process at the device's end of one
// serial line per COM port, carrying out the stand-in libraries' calls on the devices of the
// state directory (simdev/DeviceEnd.h), which the other simdev commands keep using meanwhile.
// The loop is portable; each platform brings its lines: pseudo-terminals on Linux, COM ports
// on Windows (the devices on a second PC behind a null-modem cable).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace simdev {

// The file in the state directory that asks a running server to stop (and that it removes).
inline constexpr char kServeStopFile[] = "serve.stop";
// The file in the state directory where a running server lists its lines, one "COMn LINE"
// each; written again whenever a line is added, removed when the server ends.
inline constexpr char kServeLinesFile[] = "serve.lines";

inline constexpr char kServeUsage[] =
    "usage: simdev serve [--link DIR] [--fast] [--cable COMa=COMb] [PORT[=LINE]...]\n"
    "  serves PORT... (COMn or n), or every port with a device attached, and each port a\n"
    "  device is attached to later; prints each port and its line (\"COM3 /dev/pts/4\");\n"
    "  on Windows a device's line is the COM port of the same number, or LINE (COM3=COM1:\n"
    "  the device on COM3 answers on this machine's COM1). On Linux --link DIR links\n"
    "  DIR/comN to each line (a Wine prefix's dosdevices folder; a link that was there is put\n"
    "  back at the end), and the bytes are held back to the line's speed (10 bit times a\n"
    "  byte at the speed the program set) unless --fast; --cable joins two new lines linked\n"
    "  as DIR/coma and DIR/comb to each other, a null-modem cable for simdev.exe serve under\n"
    "  Wine. Ends on SIGTERM or Ctrl-C, on\n"
    "  serve.stop in the state directory, or when that folder goes; then prints the bytes\n"
    "  each line received and sent.\n";

struct ServeOptions {
  std::string linkDir;
  bool paced = true;
  std::vector<std::pair<std::uint16_t, std::string>> ports;     // device port, its line ("": own)
  std::vector<std::pair<std::uint16_t, std::uint16_t>> cables;  // --cable COMa=COMb
};
// False, with the usage error in `err`, for arguments that are not the above.
bool ParseServeArgs(std::span<const std::string> args, ServeOptions* options, std::string* err);

// The device's end of one line, as the server holds it.
class ServedLine {
 public:
  virtual ~ServedLine() = default;
  virtual const std::string& Name() const = 0;  // "/dev/pts/4", "COM1"
  // What arrived within `timeoutMs` (as soon as some bytes are in); 0 when nothing came.
  virtual std::size_t Receive(std::uint8_t* buffer, std::size_t capacity, unsigned timeoutMs) = 0;
  virtual void Send(std::span<const std::uint8_t> bytes) = 0;
  // The speed the server must hold the bytes back to itself, or 0 when the line keeps time.
  virtual unsigned PaceBaud() = 0;
};
// Opens the line for a device's port (`line` as given after '=', else empty), or says why not.
using LineOpener = std::function<std::unique_ptr<ServedLine>(
    std::uint16_t port, const std::string& line, std::string* error)>;

// Serves until `stopping`, a stop file or the state directory's removal; the exit status.
int ServeLines(const ServeOptions& options, const std::string& dir, const LineOpener& open,
               const std::atomic<bool>& stopping, std::string* err);

// The platform's `simdev serve`: parses, installs the stop on SIGTERM or Ctrl-C, serves.
int Serve(std::span<const std::string> args, const std::string& dir, std::string* err);

}  // namespace simdev
