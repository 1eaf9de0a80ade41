// A fresh folder under the system's temporary folder, removed with everything in it when it
// goes: for one test, or for the whole run of a fuzz target.
#pragma once

#include <filesystem>
#include <string>

namespace support {

class TempFolder {
 public:
  // <temp>/<prefix>-<process id>-<n>: no two folders of running tests share a name, and a
  // folder a crash leaves behind tells by its prefix whose it is. The prefix may hold blanks.
  explicit TempFolder(const std::string& prefix = "suite-test");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string Str() const { return path_.string(); }
  // The path of `name` in the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes `bytes` to the file `name` in the folder and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

// A TempFolder that is the current folder while it lives, for code that works on names
// relative to it; the previous current folder comes back before the folder goes.
class TempCurrentFolder : public TempFolder {
 public:
  explicit TempCurrentFolder(const std::string& prefix);
  ~TempCurrentFolder();

 private:
  std::filesystem::path previous_;
};

// Removes `path` and everything below it, read-only files too; nothing when it is missing.
void RemoveAll(const std::filesystem::path& path);

}  // namespace support
