// Thin wrappers: each returns the Win32 function's own LONG result.
#include "devconfig/win32/Win32Registry.h"

#include <windows.h>

namespace devconfig {
namespace {

// The port's root values are the 32-bit constants; on 64-bit Windows the predefined HKEYs
// are those constants sign-extended, so they are mapped by name.
HKEY ToHkey(RegKey key) {
  if (key == kClassesRoot) return HKEY_CLASSES_ROOT;
  if (key == kCurrentUser) return HKEY_CURRENT_USER;
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key));
}
RegKey FromHkey(HKEY key) { return static_cast<RegKey>(reinterpret_cast<ULONG_PTR>(key)); }

}  // namespace

long Win32Registry::OpenKey(RegKey parent, const std::string& subkey, RegKey* key) {
  HKEY opened = nullptr;
  LONG rc = RegOpenKeyExA(ToHkey(parent), subkey.c_str(), 0, KEY_ALL_ACCESS, &opened);
  if (rc == ERROR_SUCCESS) *key = FromHkey(opened);
  return rc;
}

long Win32Registry::OpenKeyToRead(RegKey parent, const std::string& subkey, RegKey* key) {
  HKEY opened = nullptr;
  LONG rc = RegOpenKeyExA(ToHkey(parent), subkey.c_str(), 0, KEY_READ, &opened);
  if (rc == ERROR_SUCCESS) *key = FromHkey(opened);
  return rc;
}

long Win32Registry::CreateKey(RegKey parent, const std::string& subkey, RegKey* key) {
  HKEY created = nullptr;
  DWORD disposition = 0;
  LONG rc = RegCreateKeyExA(ToHkey(parent), subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &created, &disposition);
  if (rc == ERROR_SUCCESS) *key = FromHkey(created);
  return rc;
}

long Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint32_t capacity,
                               std::uint32_t* type, std::vector<std::uint8_t>* data) {
  std::vector<std::uint8_t> buffer(capacity);
  DWORD size = capacity;
  DWORD valueType = 0;
  LONG rc = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType,
                             buffer.empty() ? nullptr : buffer.data(), &size);
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    if (type) *type = valueType;
  }
  if (rc == ERROR_SUCCESS) {
    buffer.resize(size);
    *data = std::move(buffer);
  }
  return rc;
}

long Win32Registry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                             const std::vector<std::uint8_t>& data) {
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data.data(),
                        static_cast<DWORD>(data.size()));
}

long Win32Registry::DeleteKey(RegKey parent, const std::string& subkey) {
  return RegDeleteKeyA(ToHkey(parent), subkey.c_str());
}

long Win32Registry::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

}  // namespace devconfig
