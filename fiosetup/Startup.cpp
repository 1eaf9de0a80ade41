// Start-up: the path argument and the command-line mode, RestoreConfiguration.
#include "fiosetup/Startup.h"

#include "fiosetup/ConfigFile.h"
#include "fiosetup/RegistryWriter.h"

namespace fiosetup {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<std::string> ConfigurationPathOf(std::string_view commandLine) {
  // The program name: up to the closing quote when it starts with one (a path with
  // blanks), otherwise up to the first blank.
  std::size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    std::size_t close = commandLine.find('"', 1);
    i = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
  }
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  std::string_view rest = commandLine.substr(i);
  if (rest.empty()) return std::nullopt;

  std::string_view quoted = rest;
  while (!quoted.empty() && IsBlank(quoted.back())) quoted.remove_suffix(1);
  if (quoted.size() >= 2 && quoted.front() == '"' && quoted.back() == '"') {
    std::string_view inside = quoted.substr(1, quoted.size() - 2);
    if (inside.find('"') == std::string_view::npos) return std::string(inside);
  }
  return std::string(rest);
}

base::Result RestoreConfiguration(DeviceTable& table, const std::string& path,
                                  const Platform& platform) {
  auto bytes = platform.files.ReadStart(path, kConfigFileSize);
  if (!bytes) return kExitCannotOpen;
  if (bytes->size() < kConfigFileSize) return kExitNotAConfiguration;
  ConfigRecord record = DecodeConfiguration(
      std::span<const std::uint8_t, kConfigFileSize>(bytes->data(), kConfigFileSize));
  // The installer never saves such a file; writing it would give the device libraries a
  // configuration they cannot use.
  if (!IsValidConfiguration(record)) return kExitNotAConfiguration;

  // The registered flags tell the writer which subkeys to delete.
  ReadConfiguration(table, platform.registry);
  table.port = record.port;
  // A subkey the read could not open may be there all the same, and the key must mirror the
  // file: every kind the file leaves out is deleted, found or not (a subkey already gone
  // counts as deleted). Otherwise a missed read would leave a device configured behind an
  // exit code of success.
  for (DeviceKind kind : devconfig::kDeviceKinds) {
    if (table.Port(kind) == 0) table.Registered(kind) = true;
  }
  // The key mirrors the file, the S option included, whichever way bit 31 is.
  table.optionS = record.optionS;
  return WriteRegistry(table, platform);
}

}  // namespace fiosetup
