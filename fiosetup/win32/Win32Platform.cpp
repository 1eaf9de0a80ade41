// Win32 files and broadcast for the installer.
#include "fiosetup/win32/Win32Platform.h"

#include <windows.h>

#include "base/PlainFile.h"

namespace fiosetup {

bool Win32Files::DirectoryExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Files::MakeDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32Files::CopyReplacing(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::size_t Win32Files::WriteReplacing(const std::string& path,
                                       const std::vector<std::uint8_t>& data) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  BOOL ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  CloseHandle(file);
  return ok ? written : 0;
}

std::optional<std::vector<std::uint8_t>> Win32Files::ReadStart(const std::string& path,
                                                               std::size_t count) {
  // The same rule as base::OpenPlainFile, over CreateFileA since the file is opened without
  // sharing: a device name (COM1 would give the bytes of the serial port, NUL sixteen zero
  // bytes of a valid but empty configuration) or anything else that is no disk file is not read.
  if (base::IsDeviceName(path)) return std::nullopt;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return std::nullopt;
  }
  std::vector<std::uint8_t> data(count);
  DWORD read = 0;
  BOOL ok = ReadFile(file, data.data(), static_cast<DWORD>(count), &read, nullptr);
  CloseHandle(file);
  data.resize(ok ? read : 0);
  return data;
}

void Win32SettingChange::BroadcastEnvironment() {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("Environment"),
                      SMTO_ABORTIFHUNG, 5000, &result);
}

}  // namespace fiosetup
