// Writing a file whole. Apart from PlainFile.cpp on purpose: its streams and paths bring the
// C++ runtime's locale machinery (some 700 KB of code) into every program that links the file,
// and only simdev and the help compiler write files this way.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/PlainFile.h"

namespace base {

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temp.c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {  // some platforms refuse to rename onto an existing file
    std::filesystem::remove(path, ec);
    std::filesystem::rename(temp, path, ec);
  }
  if (ec) std::filesystem::remove(temp, ec);
  return !ec;
}

}  // namespace base
