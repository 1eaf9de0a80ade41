// The temporary folder of a test.
#include "tests/support/TempFolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace support {

namespace {

unsigned long ProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

}  // namespace

TempFolder::TempFolder(const std::string& prefix) {
  static std::atomic<unsigned> made{0};
  path_ = fs::temp_directory_path() /
          (prefix + "-" + std::to_string(ProcessId()) + "-" + std::to_string(made++));
  RemoveAll(path_);  // what an earlier process of the same id left behind
  fs::create_directories(path_);
}

TempFolder::~TempFolder() { RemoveAll(path_); }

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::string path = File(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TempCurrentFolder::TempCurrentFolder(const std::string& prefix)
    : TempFolder(prefix), previous_(fs::current_path()) {
  fs::current_path(Path());
}

TempCurrentFolder::~TempCurrentFolder() { fs::current_path(previous_); }

void RemoveAll(const fs::path& path) {
  std::error_code ec;
#ifdef _WIN32
  // Windows deletes no read-only file, and copies from read-only media keep the attribute.
  for (fs::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
    SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
#endif
  fs::remove_all(path, ec);
}

}  // namespace support
