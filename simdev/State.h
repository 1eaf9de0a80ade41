// The emulated devices' state directory and state files, kept by the libraries' insides at
// the device's end of the line (`simdev serve`) and by the simdev command; the stand-in DLLs
// never read them. One text file per attached device, named after its port and
// model (COM3-8343), holding one `key=value` per line. Not COM3.8343: Windows takes any name
// whose part before the first dot is COM1 to COM9 for the serial port itself.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simdev {

// The variable that names the state directory. The simdev command and its server read it;
// the suite's programs and the stand-in DLLs read no environment variable.
inline constexpr char kStateDirVariable[] = "SIMDEV_STATE_DIR";

// The state directory: the variable's value, else the default folder (on Windows
// %ProgramData%\simdev, C:\ProgramData\simdev when ProgramData is unset; elsewhere
// $XDG_STATE_HOME/simdev or $HOME/.local/state/simdev).
std::string StateDirectory();

// A port as the simdev command and the state file names give it: COMn, comn or n, 1 to
// 65535, without leading zeros (COM03 would name a second file for the same port).
std::optional<std::uint16_t> ParsePort(const std::string& text);

// "COM3-8343" for port 3 and model "8343".
std::string DeviceFileName(std::uint16_t port, const std::string& model);
std::string JoinPath(const std::string& dir, const std::string& name);

// Every attached device (file names of the form COMn-model), ordered by port.
struct AttachedDevice {
  std::uint16_t port;
  std::string model;
  std::string fileName;
};
std::vector<AttachedDevice> ListDevices(const std::string& dir);
// The device on a port, if any (one device per port).
std::optional<AttachedDevice> DeviceOnPort(const std::string& dir, std::uint16_t port);

// A state file in memory: keys in order, values printable ASCII on one line.
using KeyValues = std::map<std::string, std::string>;
// The value of `key`, empty when there is none.
std::string Get(const KeyValues& state, const std::string& key);
// The value of `key` as a decimal number of at most `most`, 0 when there is none; nothing when
// the value is anything else (a damaged state file).
std::optional<unsigned long> GetNumber(const KeyValues& state, const std::string& key,
                                       unsigned long most);

inline constexpr std::size_t kMaxStateFileSize = 4u << 20;

enum class LoadResult { kOk, kMissing, kMalformed };
// Reads a state file. A line that is not `key=value` (keys of letters, digits, '.', '_' and
// '-'), a value with a control character, or a file above kMaxStateFileSize is malformed.
// Blank lines and lines starting with '#' are skipped.
LoadResult LoadKeyValues(const std::string& path, KeyValues* values);
// The same reading of a state file's bytes: kOk or kMalformed (`values` then holds the lines
// before the first bad one).
LoadResult ParseKeyValues(std::string_view text, KeyValues* values);
// Writes the whole file under a temporary name and renames it into place, so a reader never
// sees half a file. `title` becomes the first line, as a comment.
bool SaveKeyValues(const std::string& path, const KeyValues& values, const std::string& title);
// The bytes SaveKeyValues writes; nothing when a key or a value is not valid.
std::optional<std::string> FormatKeyValues(const KeyValues& values, const std::string& title);
bool IsValidValue(const std::string& value);

// Scripted faults, kept in the device's state file as `fault.<name>=<value>` and used once:
// the call that finds one removes it. With `fault.<name>.skip=N` the next N calls that would
// take it pass it by (counting it down), so a fault can hit, say, the second open of a run.
// The names the 8343 knows are listed with the simdev command; a later device can bring its
// own names. A caller saves the state whenever TakeFault changed it.
std::optional<std::string> TakeFault(KeyValues& state, const std::string& name);
void SetFault(KeyValues& state, const std::string& name, const std::string& value,
              unsigned skip = 0);
void ClearFaults(KeyValues& state);

}  // namespace simdev
