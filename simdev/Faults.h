// Scripted faults: their names, what `simdev fault` keeps for each (as simdev/State.h's
// SetFault keeps it and TakeFault takes it), and how the device end takes the line's.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "simdev/State.h"

namespace simdev::faults {

// The 8342 also takes its functions' names (PinFunctionName): that function's next call fails.
inline constexpr char kOpen[] = "open", kWrite[] = "write", kRead[] = "read", kRc[] = "rc",
                      kShort[] = "short", kDload[] = "dload", kCall[] = "call", kLine[] = "line",
                      kClear[] = "clear";

// A device fault's status: its value, a decimal 1 to 65535, else `fallback`.
std::uint16_t StatusCode(const std::string& value, std::uint16_t fallback);

// What happens to the next frames on a device's line; kept as "drop 3", "delay 250 2", "unplug".
struct LineFault {
  enum Kind { kDrop, kGarble, kSilence, kDelay, kUnplug } kind = kDrop;
  unsigned ms = 0;     // a delay's
  unsigned count = 1;  // frames hit; an unplugged line stays dead
};
inline constexpr const char* kLineFaultKinds[] = {"drop", "garble", "silence", "delay", "unplug"};
std::string FormatLineFault(const LineFault& fault);
std::optional<LineFault> PendingLineFault(const KeyValues& state);
// The line fault that hits the frame arriving now, taken as that frame uses it: its count goes
// down by one (an unplugged line stays so), or a skip count lets the frame pass.
std::optional<LineFault> TakeLineFault(KeyValues& state);

// `simdev fault PORT ARGS` on the state of a device of `model`: scripts the fault (kClear: takes
// every one away) and gives what the command says; nothing, with the problem and `state` left
// as it was, for no fault of that model.
std::optional<std::string> Script(std::span<const std::string> args, const std::string& model,
                                  KeyValues& state, std::string* problem);

}  // namespace simdev::faults
