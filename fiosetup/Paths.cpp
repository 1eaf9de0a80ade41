// Path building for the installer.
#include "fiosetup/Paths.h"

namespace fiosetup {

bool Holds(std::string_view directory, std::size_t nameLength) {
  return directory.size() + 1 + nameLength <= kMaxPath;
}

std::optional<std::string> JoinPath(std::string_view directory, std::string_view name) {
  if (!Holds(directory, name.size())) return std::nullopt;
  std::string path(directory);
  path += '\\';
  path += name;
  return path;
}

std::string StripTrailingBackslash(std::string directory) {
  if (!directory.empty() && directory.back() == '\\') directory.pop_back();
  return directory;
}

namespace {
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool SameDirectory(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace fiosetup
