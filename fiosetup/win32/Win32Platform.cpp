// Win32 files and broadcast for the installer.
#include "fiosetup/win32/Win32Platform.h"

#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <algorithm>

#include "base/PlainFile.h"
#include "ui/win32/Win32Ui.h"

namespace fiosetup {

bool Win32Files::DirectoryExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Files::MakeDirectory(const std::string& path, const std::string& security) {
  // Never a folder with the parent's entries instead: no descriptor, no folder.
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
          security.c_str(), SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr)) {
    return false;
  }
  BOOL made = CreateDirectoryA(path.c_str(), &attributes);
  LocalFree(attributes.lpSecurityDescriptor);
  return made != FALSE;
}

bool Win32Files::FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Files::CopyReplacing(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool Win32Files::MakeWritable(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  return SetFileAttributesA(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool Win32Files::MoveReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void Win32Files::Remove(const std::string& path) { DeleteFileA(path.c_str()); }

namespace {

// Opened for reading beside everyone, the loader of a running program included.
HANDLE OpenShared(const char* path, DWORD access) {
  return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

struct FileIdentity {
  DWORD volume = 0, high = 0, low = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const char* path) {
  HANDLE file = OpenShared(path, 0);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  BOOL ok = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

bool Win32Files::IsRunningProgram(const std::string& path) {
  const std::string self = ui::ProgramPath();
  if (self.empty()) return false;
  auto target = IdentityOf(path.c_str());
  return target && target == IdentityOf(self.c_str());
}

bool Win32Files::SameContents(const std::string& a, const std::string& b) {
  HANDLE first = OpenShared(a.c_str(), GENERIC_READ);
  HANDLE second = OpenShared(b.c_str(), GENERIC_READ);
  bool same = first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE;
  LARGE_INTEGER sizeA{}, sizeB{};
  same = same && GetFileSizeEx(first, &sizeA) && GetFileSizeEx(second, &sizeB) &&
         sizeA.QuadPart == sizeB.QuadPart;
  std::vector<char> bufferA(64 * 1024), bufferB(bufferA.size());
  while (same) {
    DWORD readA = 0, readB = 0;
    same = ReadFile(first, bufferA.data(), static_cast<DWORD>(bufferA.size()), &readA, nullptr) &&
           ReadFile(second, bufferB.data(), static_cast<DWORD>(bufferB.size()), &readB, nullptr) &&
           readA == readB && std::equal(bufferA.begin(), bufferA.begin() + readA, bufferB.begin());
    if (readA == 0) break;
  }
  if (first != INVALID_HANDLE_VALUE) CloseHandle(first);
  if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
  return same;
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
