// Helpers shared by the end-to-end tests: where the built programs are.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// The folder of the running test executable; every program and DLL is built into it.
inline std::string BinDir() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of("\\/"));
}

// The quoted path of a built program, ready for a command line.
inline std::string Program(const std::string& exe) {
  std::string line(1, '"');
  line += BinDir();
  line += '\\';
  line += exe;
  line += '"';
  return line;
}

}  // namespace e2e
