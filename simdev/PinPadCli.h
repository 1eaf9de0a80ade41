// What the simdev command does for an emulated 8342 PIN pad: the attach options, the fields
// `simdev set` changes and the faults `simdev fault` scripts. The command itself (Cli.cpp)
// finds the device and saves its state.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "simdev/State.h"

namespace simdev {

// The state of a PIN pad attached with these options (serial=16 hexadecimal digits,
// version=TEXT); nothing, with the problem, on a bad option.
std::optional<KeyValues> PinPadAttachState(std::uint16_t port, std::span<const std::string> options,
                                           std::string* problem);

// Sets serial (16 hexadecimal digits), hardware_version (at most 31 printable characters)
// or mode (encrypted or clear); false, with the problem, on anything else.
bool SetPinPadField(KeyValues* state, const std::string& name, const std::string& value,
                    std::string* problem);

// A PIN pad fault: open [CODE], call CODE, or a function name (PinLoadKey ...) and CODE,
// each code 1 to 65535. Fills the fault's name and value and a sentence saying what it
// does; false, with the problem, on anything else.
bool PinPadFault(const std::string& what, const std::string& code, std::string* name,
                 std::string* value, std::string* said, std::string* problem);

}  // namespace simdev
