// The simdev command's part for the emulated 8342 PIN pad.
#include "simdev/PinPadCli.h"

#include <algorithm>

#include "base/Hex.h"
#include "simdev/PinLibrary.h"
#include "simdev/PinPad8342.h"

namespace simdev {

namespace {

bool ParseSerial(const std::string& text, std::array<std::uint8_t, 8>* serial) {
  auto bytes = base::ParseHex(text);
  if (!bytes || bytes->size() != 8) return false;
  std::copy(bytes->begin(), bytes->end(), serial->begin());
  return true;
}

bool IsHardwareVersion(const std::string& text) {
  return text.size() <= PinPad8342::kMaxHardwareVersion && IsValidValue(text);
}

bool ParseCode(const std::string& text, std::string* value) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  unsigned long code = std::stoul(text);
  if (code == 0 || code > 0xFFFF) return false;
  *value = std::to_string(code);
  return true;
}

}  // namespace

std::optional<KeyValues> PinPadAttachState(std::uint16_t port, std::span<const std::string> options,
                                           std::string* problem) {
  std::array<std::uint8_t, 8> serial = kDefaultPinPadSerial;
  std::string version = kDefaultHardwareVersion;
  for (const std::string& option : options) {
    if (option.rfind("serial=", 0) == 0) {
      if (!ParseSerial(option.substr(7), &serial)) {
        *problem = "a PIN pad serial number is 16 hexadecimal digits";
        return std::nullopt;
      }
    } else if (option.rfind("version=", 0) == 0) {
      version = option.substr(8);
      if (!IsHardwareVersion(version)) {
        *problem = "a hardware version is at most 31 printable characters";
        return std::nullopt;
      }
    } else {
      *problem = "unknown attach option " + option;
      return std::nullopt;
    }
  }
  return NewPinPadState(port, serial, version);
}

bool SetPinPadField(KeyValues* state, const std::string& name, const std::string& value,
                    std::string* problem) {
  if (name == "serial") {
    std::array<std::uint8_t, 8> serial{};
    if (!ParseSerial(value, &serial)) {
      *problem = "serial is 16 hexadecimal digits";
      return false;
    }
    (*state)[name] = base::BytesToHex({serial.data(), serial.size()});
  } else if (name == "hardware_version") {
    if (!IsHardwareVersion(value)) {
      *problem = "hardware_version holds at most 31 printable characters";
      return false;
    }
    (*state)[name] = value;
  } else if (name == "mode") {
    if (value != "encrypted" && value != "clear") {
      *problem = "mode is encrypted or clear";
      return false;
    }
    (*state)[name] = value;
  } else {
    *problem = "no field " + name + " to set on a PIN pad (serial, hardware_version, mode)";
    return false;
  }
  return true;
}

bool PinPadFault(const std::string& what, const std::string& code, std::string* name,
                 std::string* value, std::string* said, std::string* problem) {
  bool known = what == "open" || what == "call";
  for (int f = static_cast<int>(PinFunction::kOpen); f <= static_cast<int>(PinFunction::kClose);
       ++f)
    known = known || what == PinFunctionName(static_cast<PinFunction>(f));
  if (!known) {
    *problem = "unknown PIN pad fault " + what + " (open, call, or a function such as PinLoadKey)";
    return false;
  }
  *value = "";
  if (!code.empty() && !ParseCode(code, value)) {
    *problem = "a status code is 1 to 65535";
    return false;
  }
  if (what != "open" && value->empty()) {
    *problem = what + " needs the status code to return, 1 to 65535";
    return false;
  }
  *name = what;
  if (what == "open") {
    *said = "the next open fails" + (value->empty() ? std::string() : " with status " + *value);
  } else if (what == "call") {
    *said = "the next call returns " + *value;
  } else {
    *said = "the next " + what + " returns " + *value;
  }
  return true;
}

}  // namespace simdev
