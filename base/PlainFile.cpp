// The device-name test and the guarded open.
#include "base/PlainFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace base {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// COMn and LPTn with n 1-9, or one of the superscript digits 1, 2, 3 of the ANSI code page,
// which Windows takes for ports too.
bool IsNumberedPort(std::string_view base) {
  if (base.size() != 4) return false;
  if (!EqualsIgnoringCase(base.substr(0, 3), "COM") &&
      !EqualsIgnoringCase(base.substr(0, 3), "LPT"))
    return false;
  const auto n = static_cast<unsigned char>(base[3]);
  return (n >= '1' && n <= '9') || n == 0xB9 || n == 0xB2 || n == 0xB3;
}

bool IsRegularFile(const struct stat& info) { return (info.st_mode & S_IFMT) == S_IFREG; }

}  // namespace

bool IsDeviceName(std::string_view path) {
  if (path.size() >= 4 && (path[0] == '\\' || path[0] == '/') &&
      (path[1] == '\\' || path[1] == '/') && path[2] == '.' && (path[3] == '\\' || path[3] == '/'))
    return true;
  std::size_t slash = path.find_last_of("\\/:");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
  for (std::string_view device : kDevices) {
    if (EqualsIgnoringCase(base, device)) return true;
  }
  return IsNumberedPort(base);
}

File OpenPlainFile(const std::string& path, bool text) {
  if (path.empty() || IsDeviceName(path)) return nullptr;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && !IsRegularFile(info)) return nullptr;
  File file(std::fopen(path.c_str(), text ? "r" : "rb"));
  // Checked again on what was opened: the name may have changed hands in between.
  if (file && (fstat(fileno(file.get()), &info) != 0 || !IsRegularFile(info))) file.reset();
  return file;
}

ReadResult ReadPlainFile(const std::string& path, std::size_t limit, std::string* bytes) {
  bytes->clear();
  File file = OpenPlainFile(path, false);
  if (!file) return ReadResult::kCannotOpen;
  constexpr std::size_t kChunk = 64 * 1024;
  for (;;) {
    const std::size_t old = bytes->size();
    // One byte beyond the limit tells a file of exactly `limit` bytes from a larger one.
    const std::size_t want = std::min(kChunk, limit + 1 - old);
    bytes->resize(old + want);
    const std::size_t got = std::fread(bytes->data() + old, 1, want, file.get());
    bytes->resize(old + got);
    if (bytes->size() > limit) {
      bytes->resize(limit);
      return ReadResult::kTooLarge;
    }
    if (got < want) break;
  }
  return std::ferror(file.get()) ? ReadResult::kCannotOpen : ReadResult::kOk;
}

}  // namespace base
