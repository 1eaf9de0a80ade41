// libFuzzer target: what FIOSETUP's command-line mode reads (fiosetup/Startup.h): the raw
// command line (ConfigurationPathOf), the configuration file (DecodeConfiguration and its
// checks in RestoreConfiguration) and the device key as it stood (ReadConfiguration). On every
// input:
//   - the whole input as a command line: the path taken is a part of it, nothing only when
//     blanks alone follow the program name, and a path without quotes comes back the same
//     after a program name, as it stands or quoted;
//   - the first byte sets the device key up (bits 0-3: which kinds' subkeys exist, bit 4: an
//     OptionS value, bit 5: ports stored as text, not numbers, bit 6: writes to the registry
//     fail), the rest is FIOSETUP.CFG: a file of fewer than 16 bytes or with a record the
//     installer never saves gives 30 and leaves the registry unread and unwritten; any other
//     is written, and the key then holds the file's ports (and its S option, with an MSR);
//     with failing writes a file with a port never succeeds.
//     The 16 bytes decode and encode back to themselves.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devconfig/DeviceConfig.h"
#include "devconfig/MemoryRegistry.h"
#include "fiosetup/ConfigFile.h"
#include "fiosetup/Startup.h"
#include "tests/support/Broken.h"
#include "ui/RecordedPause.h"
#include "ui/ScriptedUi.h"

namespace {

using fiosetup::DeviceKind;

using support::Broken;

// The one file of the command-line mode, in memory.
class OneFile : public fiosetup::FileSystem {
 public:
  OneFile(std::string path, std::vector<std::uint8_t> bytes)
      : path_(std::move(path)), bytes_(std::move(bytes)) {}
  bool DirectoryExists(const std::string&) override { return false; }
  bool MakeDirectory(const std::string&, const std::string&) override { return false; }
  bool FileExists(const std::string& path) override { return path == path_; }
  bool CopyReplacing(const std::string&, const std::string&) override { return false; }
  bool MakeWritable(const std::string&) override { return false; }
  bool MoveReplacing(const std::string&, const std::string&) override { return false; }
  void Remove(const std::string&) override {}
  bool IsRunningProgram(const std::string&) override { return false; }
  bool SameContents(const std::string&, const std::string&) override { return false; }
  std::size_t WriteReplacing(const std::string&, const std::vector<std::uint8_t>&) override {
    return 0;
  }
  std::optional<std::vector<std::uint8_t>> ReadStart(const std::string& path,
                                                     std::size_t count) override {
    if (path != path_) return std::nullopt;
    return std::vector<std::uint8_t>(bytes_.begin(),
                                     bytes_.begin() + std::min(count, bytes_.size()));
  }

 private:
  std::string path_;
  std::vector<std::uint8_t> bytes_;
};

class NoStatus : public fiosetup::StatusLine {
 public:
  void Show(const std::string&) override {}
};
class NoBroadcast : public fiosetup::SettingChange {
 public:
  void BroadcastEnvironment() override {}
};

void CommandLine(std::string_view line) {
  std::optional<std::string> path = fiosetup::ConfigurationPathOf(line);
  // What follows the program name (up to its closing quote, or to the first blank).
  std::size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    std::size_t close = line.find('"', 1);
    i = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
  }
  bool onlyBlanks = line.find_first_not_of(" \t", i) == std::string_view::npos;
  if (path.has_value() == onlyBlanks) Broken("a path taken from blanks, or none from a path");
  if (!path) return;
  if (line.find(*path) == std::string_view::npos) Broken("a path that is not on the line");
  if (path->find('"') != std::string::npos) return;
  if (fiosetup::ConfigurationPathOf("FIOSETUP.EXE \"" + *path + "\"") != *path)
    Broken("a quoted path does not come back");
  if (!path->empty() && (*path)[0] != ' ' && (*path)[0] != '\t' &&
      fiosetup::ConfigurationPathOf("\"C:\\Program Files\\FIOSETUP.EXE\" " + *path) != *path)
    Broken("a path does not come back as it stands");
}

std::string Sub(const char* name) {
  return std::string("HKCR\\") + devconfig::kRootKey + "\\" + name;
}

void Restore(std::uint8_t setup, std::vector<std::uint8_t> file) {
  devconfig::MemoryRegistry registry;
  for (DeviceKind kind : devconfig::kDeviceKinds) {
    if (!(setup & (1u << fiosetup::Index(kind)))) continue;
    std::string key = Sub(devconfig::SubkeyName(kind));
    std::uint32_t port = 1 + fiosetup::Index(kind);
    if (setup & 0x20)
      registry.PutString(key, devconfig::kValueComPort, std::to_string(port));
    else
      registry.PutDword(key, devconfig::kValueComPort, port);
  }
  if (setup & 0x10) registry.PutDword(Sub(devconfig::kSubkey8341), devconfig::kValueOptionS, 1);
  if (setup & 0x40) registry.Fail(devconfig::MemoryRegistry::Op::kSet, "", 5);
  const std::size_t logged = registry.Log().size();

  const std::string path = "A:\\FIOSETUP.CFG";
  OneFile files(path, file);
  ui::ScriptedUi ui;
  ui::RecordedPause pause;
  NoStatus status;
  NoBroadcast broadcast;
  fiosetup::Platform platform{registry, ui, pause, status, broadcast, files};
  fiosetup::DeviceTable table;
  base::Result result = fiosetup::RestoreConfiguration(table, path, platform);

  bool valid = false;
  fiosetup::ConfigRecord record;
  if (file.size() >= fiosetup::kConfigFileSize) {
    std::span<const std::uint8_t, fiosetup::kConfigFileSize> bytes(file.data(),
                                                                   fiosetup::kConfigFileSize);
    record = fiosetup::DecodeConfiguration(bytes);
    auto again = fiosetup::EncodeConfiguration(record);
    if (!std::equal(again.begin(), again.end(), bytes.begin()))
      Broken("the record does not encode back to its bytes");
    valid = fiosetup::IsValidConfiguration(record);
  }
  if (!valid) {
    if (result != fiosetup::kExitNotAConfiguration) Broken("a bad file does not give 30");
    if (registry.Log().size() != logged) Broken("a bad file reached the registry");
    return;
  }
  if (setup & 0x40) {
    // Only a file without ports (nothing to set, only subkeys to delete) can still succeed.
    bool ports = record.port != std::array<std::uint32_t, 4>{};
    if (ports && result == base::kSucceeded) Broken("a failing registry was written");
    return;
  }
  if (result != base::kSucceeded) Broken("a good file was not written");
  if (registry.OpenHandles() != 0) Broken("keys left open");
  fiosetup::DeviceTable read;
  fiosetup::ReadConfiguration(read, registry);
  if (read.port != record.port) Broken("the key does not hold the file's ports");
  if (record.port[fiosetup::Index(DeviceKind::k8342Msr)] != 0 && read.optionS != record.optionS)
    Broken("the key does not hold the file's S option");
  if (!ui.Events().empty()) Broken("the command-line mode asked something");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CommandLine(std::string_view(reinterpret_cast<const char*>(data), size));
  if (size == 0) return 0;
  Restore(data[0], std::vector<std::uint8_t>(data + 1, data + size));
  return 0;
}
