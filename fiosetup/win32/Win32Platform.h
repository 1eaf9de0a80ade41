// The installer's own ports over Win32: files and the setting-change broadcast.
#pragma once

#include "fiosetup/Ports.h"

namespace fiosetup {

class Win32Files : public FileSystem {
 public:
  bool DirectoryExists(const std::string& path) override;
  bool MakeDirectory(const std::string& path, const std::string& security) override;
  bool FileExists(const std::string& path) override;
  bool CopyReplacing(const std::string& from, const std::string& to) override;
  bool MakeWritable(const std::string& path) override;
  bool MoveReplacing(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
  // By file identity (volume and file index), so any spelling of the path is recognised.
  bool IsRunningProgram(const std::string& path) override;
  bool SameContents(const std::string& a, const std::string& b) override;
  std::size_t WriteReplacing(const std::string& path,
                             const std::vector<std::uint8_t>& data) override;
  std::optional<std::vector<std::uint8_t>> ReadStart(const std::string& path,
                                                     std::size_t count) override;
};

// WM_WININICHANGE with "Environment" to every top-level window. A plain broadcast would
// wait forever for a window that does not answer; this one gives up on a hung window.
class Win32SettingChange : public SettingChange {
 public:
  void BroadcastEnvironment() override;
};

}  // namespace fiosetup
