// The simdev command: attaches, shows, changes and scripts the emulated devices of a state
// directory. Portable; the program around it only passes its arguments and prints.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace simdev {

// Exit statuses of the command.
inline constexpr int kCliOk = 0;
inline constexpr int kCliFailed = 1;  // the command could not be carried out
inline constexpr int kCliUsage = 2;   // unknown command or wrong arguments

// Runs one command (`args` without the program name) on the state directory `dir`.
int RunCli(std::span<const std::string> args, const std::string& dir, std::string* out,
           std::string* err);

std::string CliUsage(const std::string& dir);

// A port as the commands take it: COMn, comn or n, 1 to 65535.
std::optional<std::uint16_t> ParsePort(const std::string& text);

}  // namespace simdev
