// The installer's own small ports (status line, setting-change broadcast, files) and the
// bundle of every port its operations use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "devconfig/Registry.h"
#include "ui/Pause.h"
#include "ui/Ui.h"

namespace fiosetup {

// The status line of the main window. Show sets the line and repaints the window at once,
// because the pause that follows blocks the message loop. Without a window it does nothing.
class StatusLine {
 public:
  virtual ~StatusLine() = default;
  virtual void Show(const std::string& text) = 0;
};

// Command-line mode: there is no window to show a status in.
class NoStatusLine : public StatusLine {
 public:
  void Show(const std::string&) override {}
};

// Tells the running programs that the environment in the registry changed.
class SettingChange {
 public:
  virtual ~SettingChange() = default;
  virtual void BroadcastEnvironment() = 0;
};

// The file operations of the installer. Paths are Windows paths as the installer builds
// them (directory, backslash, file name).
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // Creates one directory level whose security is `security`, a security descriptor string;
  // false when it could not be created, and no folder when the string is not a descriptor.
  virtual bool MakeDirectory(const std::string& path, const std::string& security) = 0;
  // A file (not a directory) of that name exists.
  virtual bool FileExists(const std::string& path) = 0;
  // Copies a file, replacing a file of the target's name. The copy keeps the source's
  // attributes, and a read-only target is not replaced.
  virtual bool CopyReplacing(const std::string& from, const std::string& to) = 0;
  // Clears a file's read-only attribute; true when it has none afterwards, also when it had
  // none or there is no such file.
  virtual bool MakeWritable(const std::string& path) = 0;
  // Renames a file, replacing a file of the new name unless that one is read-only; allowed
  // also for a running program.
  virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
  // Deletes a file; quietly nothing when it cannot.
  virtual void Remove(const std::string& path) = 0;
  // The file is the image of this very program, which cannot be overwritten while it runs.
  virtual bool IsRunningProgram(const std::string& path) = 0;
  // Both files can be read and hold the same bytes.
  virtual bool SameContents(const std::string& a, const std::string& b) = 0;
  // Creates the file (replacing any file of that name, not shared) and writes `data`;
  // returns the number of bytes written, 0 when the file could not be created.
  virtual std::size_t WriteReplacing(const std::string& path,
                                     const std::vector<std::uint8_t>& data) = 0;
  // Opens an existing file (not shared) and reads at most `count` bytes from its start.
  // Nothing when the file cannot be opened; fewer bytes (or none) when the read fails or
  // the file is shorter.
  virtual std::optional<std::vector<std::uint8_t>> ReadStart(const std::string& path,
                                                             std::size_t count) = 0;
};

// Every port an installer operation may use; the shell or the test owns them.
struct Platform {
  devconfig::Registry& registry;
  ui::Ui& ui;
  ui::Pause& pause;
  StatusLine& status;
  SettingChange& settingChange;
  FileSystem& files;
};

}  // namespace fiosetup
