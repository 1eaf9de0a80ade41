// Test doubles for the installer's ports: files in a temporary directory, a recorded status
// line and broadcast, and one bundle of every port.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "devconfig/MemoryRegistry.h"
#include "fiosetup/DeviceTable.h"
#include "fiosetup/Ports.h"
#include "tests/support/TempFolder.h"
#include "ui/RecordedPause.h"
#include "ui/ScriptedUi.h"

namespace fiosetup::testing {

// The greyed commands in menu order, the S check mark, and the submenus File > Update,
// Device > Delete and Device > Change as U, D and C (a dash when greyed).
std::string DescribeAvailability(const Availability& availability);

// Files under a root directory. The installer's Windows paths are mapped below the root:
// every backslash becomes a folder separator and a drive colon an underscore, so
// "C:\W8300FIO\X.DLL" is <root>/C_/W8300FIO/X.DLL. Every copy is logged with the number of
// pauses seen by then, so a test can tell that each copy came after its own pause.
class DirFiles : public FileSystem {
 public:
  DirFiles(std::filesystem::path root, const ui::RecordedPause* pause = nullptr)
      : root_(std::move(root)), pause_(pause) {}

  std::filesystem::path Map(const std::string& windowsPath) const;
  void Put(const std::string& windowsPath, const std::string& content);
  std::optional<std::string> Get(const std::string& windowsPath) const;
  std::vector<std::string> Names(const std::string& windowsDirectory) const;  // sorted

  struct Copy {
    std::string from, to;
    bool ok;
    std::size_t pausesBefore;
  };
  std::vector<Copy> copies;
  std::vector<std::string> madeDirectories;
  std::vector<std::string> madeSecurities;  // the security each one was made with
  // When set, a write stops after this many bytes (a full disk).
  std::optional<std::size_t> writeLimit;
  // The file of the running program: like Windows, a copy onto it fails, a rename does not.
  std::optional<std::string> running;
  // Files with the read-only attribute, as Windows treats them for an account that is not
  // the system's own (root ignores the attribute): a copy keeps the source's, nothing
  // replaces, overwrites or deletes such a file, a rename takes its attribute along.
  void SetReadOnly(const std::string& windowsPath) { readOnly_.insert(Key(windowsPath)); }
  bool IsReadOnly(const std::string& windowsPath) const {
    return readOnly_.count(Key(windowsPath)) != 0;
  }
  // Every call of a FileSystem method, in order: the method's name and its paths, by blanks.
  std::vector<std::string> calls;
  // The call that will be logged as calls[failCall] fails, in the way its method reports
  // failure: false (nothing done), Remove does nothing, WriteReplacing writes half the bytes
  // and says so (a full disk), ReadStart reads half of what it would have (a short read).
  std::optional<std::size_t> failCall;

  bool DirectoryExists(const std::string& path) override;
  bool MakeDirectory(const std::string& path, const std::string& security) override;
  bool FileExists(const std::string& path) override;
  bool CopyReplacing(const std::string& from, const std::string& to) override;
  bool MakeWritable(const std::string& path) override;
  bool MoveReplacing(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
  bool IsRunningProgram(const std::string& path) override;
  bool SameContents(const std::string& a, const std::string& b) override;
  std::size_t WriteReplacing(const std::string& path,
                             const std::vector<std::uint8_t>& data) override;
  std::optional<std::vector<std::uint8_t>> ReadStart(const std::string& path,
                                                     std::size_t count) override;

 private:
  // Logs the call; true when it is the one to fail.
  bool Fails(const char* method, const std::string& path, const std::string& other = "");
  bool RunningAt(const std::string& path) const;
  std::string Key(const std::string& windowsPath) const { return Map(windowsPath).string(); }

  std::filesystem::path root_;
  const ui::RecordedPause* pause_;
  std::set<std::string> readOnly_;  // by Key
};

class RecordingStatus : public StatusLine {
 public:
  void Show(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

class RecordingSettingChange : public SettingChange {
 public:
  void BroadcastEnvironment() override { ++broadcasts; }
  int broadcasts = 0;
};

// Every fake, and the Platform over them.
struct Fakes {
  support::TempFolder dir{"fiosetup-test"};
  devconfig::MemoryRegistry registry;
  ui::ScriptedUi ui;
  ui::RecordedPause pause;
  RecordingStatus status;
  RecordingSettingChange settingChange;
  DirFiles files{dir.Path(), &pause};

  Platform platform() { return Platform{registry, ui, pause, status, settingChange, files}; }
  // Calls that changed the registry (create, set, delete), in order.
  std::vector<std::string> RegistryWrites() const;
};

}  // namespace fiosetup::testing
