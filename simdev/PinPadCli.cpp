// The simdev command's part for the emulated 8342 PIN pad.
#include "simdev/PinPadCli.h"

#include "base/Hex.h"
#include "simdev/PinPad8342.h"

namespace simdev {

namespace {

bool IsHardwareVersion(const std::string& text) {
  return text.size() <= PinPad8342::kMaxHardwareVersion && IsValidValue(text);
}

CliResult Attach(std::uint16_t port, std::span<const std::string> options, KeyValues* state) {
  std::array<std::uint8_t, 8> serial = kDefaultPinPadSerial;
  std::string version = kDefaultHardwareVersion;
  for (const std::string& option : options) {
    if (option.rfind("serial=", 0) == 0) {
      if (!base::ParseHex(std::string_view(option).substr(7), serial))
        return {kCliUsage, "a PIN pad serial number is 16 hexadecimal digits"};
    } else if (option.rfind("version=", 0) == 0) {
      version = option.substr(8);
      if (!IsHardwareVersion(version))
        return {kCliUsage, "a hardware version is at most 31 printable characters"};
    } else {
      return {kCliUsage, "unknown attach option " + option};
    }
  }
  *state = NewPinPadState(port, serial, version);
  return {kCliOk, "an 8342 PIN pad"};
}

CliResult Set(const std::string&, KeyValues& state, const std::string& name,
              const std::string& value) {
  PinPad8342 pad;
  std::string error;
  if (!LoadPinPad(state, &pad, &error)) return {kCliFailed, error};
  if (name == "serial") {
    if (!base::ParseHex(value, pad.serial)) return {kCliUsage, "serial is 16 hexadecimal digits"};
  } else if (name == "hardware_version") {
    pad.hardwareVersion = value;
    if (!IsHardwareVersion(value))
      return {kCliUsage, "hardware_version holds at most 31 printable characters"};
  } else if (name == "mode") {
    if (value != "encrypted" && value != "clear") return {kCliUsage, "mode is encrypted or clear"};
    pad.encrypted = value == "encrypted";
  } else {
    return {kCliUsage,
            "no field " + name + " to set on a PIN pad (serial, hardware_version, mode)"};
  }
  StorePinPad(pad, &state);
  return {kCliOk, name + "=" + Get(state, name)};
}

}  // namespace

const ModelCli kPinPadCli = {kModel8342, Attach, Set, nullptr, nullptr};

}  // namespace simdev
