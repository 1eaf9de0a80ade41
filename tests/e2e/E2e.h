// Helpers shared by the end-to-end tests: where the built programs are.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// The folder of the running test executable; every program and DLL is built into it.
inline std::string BinDir() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of("\\/"));
}

// The quoted path of a built program, ready for a command line: in the bin folder, or in
// SUITE_PROGRAM_DIR when a test runs the programs as a kit ships them (signed, stripped).
inline std::string Program(const std::string& exe) {
  char dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("SUITE_PROGRAM_DIR", dir, MAX_PATH);
  std::string line(1, '"');
  line += n > 0 && n < MAX_PATH ? std::string(dir, n) : BinDir();
  line += '\\';
  line += exe;
  line += '"';
  return line;
}

// Records a device's port as the installer does: `subkey` (for example
// "QRT_8300_FIO_DEVICES\\QRT8343") under HKEY_CLASSES_ROOT, created when missing, with ComPort.
inline bool SetComPort(const char* subkey, DWORD port) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG rc = RegSetValueExA(key, "ComPort", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&port),
                           sizeof port);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

// The whole content of a file, empty when it cannot be read.
inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
}

// Waits until `window` is destroyed, not only hidden: a dialog that has ended is hidden first
// and destroyed, with what its WM_DESTROY does, once its modal loop has returned.
inline bool WaitDestroyed(HWND window) {
  for (int i = 0; i < 500 && IsWindow(window); ++i) Sleep(10);
  return !IsWindow(window);
}

// Which of `texts` a running process holds anywhere in its writable memory, each as ASCII and
// as UTF-16LE (the form Windows controls keep text in): "ASCII <text>" or "UTF-16 <text>".
inline std::vector<std::string> FoundInMemory(DWORD pid, const std::vector<std::string>& texts) {
  std::vector<std::string> needles, names;
  for (const std::string& text : texts) {
    std::string wide;
    for (char c : text) wide += std::string{c, '\0'};
    needles.insert(needles.end(), {text, wide});
    names.insert(names.end(), {"ASCII " + text, "UTF-16 " + text});
  }
  std::vector<bool> found(needles.size(), false);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return {"cannot open process " + std::to_string(pid)};
  constexpr DWORD kWritable =
      PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  std::string chunk;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr;
       VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State != MEM_COMMIT || !(region.Protect & kWritable) ||
        (region.Protect & PAGE_GUARD)) {
      continue;
    }
    chunk.resize(region.RegionSize);
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, region.BaseAddress, chunk.data(), chunk.size(), &got)) continue;
    std::string_view bytes(chunk.data(), got);
    for (std::size_t i = 0; i < needles.size(); ++i)
      found[i] = found[i] || bytes.find(needles[i]) != std::string_view::npos;
  }
  CloseHandle(process);
  std::vector<std::string> holds;
  for (std::size_t i = 0; i < needles.size(); ++i)
    if (found[i]) holds.push_back(names[i]);
  return holds;
}

// Line ends as a console program's text-mode standard output writes them.
inline std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The other way: CR LF (or a CR alone) made '\n', as an edit control's text is read.
inline std::string Lines(const std::string& text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lines += text[i];
    }
  }
  return lines;
}

// One record of an Intel HEX file, with its checksum and a CR LF line end.
inline std::string HexRecord(std::uint8_t type, unsigned address,
                             const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> all = {static_cast<std::uint8_t>(data.size()),
                                   static_cast<std::uint8_t>(address >> 8),
                                   static_cast<std::uint8_t>(address), type};
  all.insert(all.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (std::uint8_t b : all) sum += b;
  all.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
  std::string text = ":";
  for (std::uint8_t b : all) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", b);
    text += hex;
  }
  return text + "\r\n";
}

}  // namespace e2e
