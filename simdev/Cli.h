// The simdev command: attaches, shows, changes and scripts the emulated devices of a state
// directory. Portable; the program around it passes its arguments, brings `simdev serve` and
// prints.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "simdev/State.h"

namespace simdev {

// Exit statuses of the command.
inline constexpr int kCliOk = 0;
inline constexpr int kCliFailed = 1;  // the command could not be carried out
inline constexpr int kCliUsage = 2;   // unknown command or wrong arguments

// What a device model's part of a command did: its exit status, and what it did or the problem.
struct CliResult {
  int status = kCliOk;
  std::string said;
};

// A device model's part of the command (TerminalCli.cpp, PinPadCli.cpp). The command finds the
// device, and saves its state when a part changed it.
struct ModelCli {
  const char* model;
  // The state of a device attached with these options; says what it is ("an 8342 PIN pad").
  CliResult (*attach)(std::uint16_t port, std::span<const std::string> options, KeyValues* state);
  // `simdev set` on the device kept in `file`; says the field as it now is.
  CliResult (*set)(const std::string& file, KeyValues& state, const std::string& name,
                   const std::string& value);
  // `simdev card PORT insert [ATR] | remove`; null for a device without a card slot.
  CliResult (*card)(KeyValues& state, std::span<const std::string> args);
  // Makes `state` what `simdev show` lists and gives a line to add; null: listed as it is.
  std::string (*show)(KeyValues& state);
};

// `simdev serve`: the platform's server (simdev/Serve.h).
using ServeCommand = int (*)(std::span<const std::string> args, const std::string& dir,
                             std::string* err);

// Runs one command (`args` without the program name) on the state directory `dir`.
int RunCli(std::span<const std::string> args, const std::string& dir, std::string* out,
           std::string* err, ServeCommand serve = nullptr);

std::string CliUsage(const std::string& dir);

}  // namespace simdev
