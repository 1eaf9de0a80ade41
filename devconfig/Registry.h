// The Registry port: the few registry calls the suite makes, with Win32's error codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace devconfig {

// An open key. The two predefined roots have the values of HKEY_CLASSES_ROOT and
// HKEY_CURRENT_USER; other values are whatever the implementation handed out.
using RegKey = std::uint64_t;
inline constexpr RegKey kClassesRoot = 0x80000000u;
inline constexpr RegKey kCurrentUser = 0x80000001u;

// Value types, as REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// Win32 error codes the port returns (ERROR_*).
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorKeyDeleted = 1018;

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens an existing key with full access (KEY_ALL_ACCESS).
  virtual long OpenKey(RegKey parent, const std::string& subkey, RegKey* key) = 0;
  // Opens an existing key for reading only (KEY_READ), for a reader that needs no more and
  // must work for a user who may only read the key; values cannot be set through it.
  virtual long OpenKeyToRead(RegKey parent, const std::string& subkey, RegKey* key) = 0;
  // Creates or opens a key: non-volatile, no class string, full access.
  virtual long CreateKey(RegKey parent, const std::string& subkey, RegKey* key) = 0;
  // Reads a value into a buffer of `capacity` bytes, as RegQueryValueExA does: a missing
  // value gives kErrorFileNotFound, a larger one kErrorMoreData; the buffer keeps its
  // contents on any error.
  virtual long QueryValue(RegKey key, const std::string& name, std::uint32_t capacity,
                          std::uint32_t* type, std::vector<std::uint8_t>* data) = 0;
  virtual long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                        const std::vector<std::uint8_t>& data) = 0;
  // Deletes a subkey that has no subkeys of its own.
  virtual long DeleteKey(RegKey parent, const std::string& subkey) = 0;
  virtual long CloseKey(RegKey key) = 0;
};

// Closes a key when it goes out of scope.
class KeyCloser {
 public:
  KeyCloser(Registry& registry, RegKey key) : registry_(registry), key_(key) {}
  ~KeyCloser() { registry_.CloseKey(key_); }
  KeyCloser(const KeyCloser&) = delete;
  KeyCloser& operator=(const KeyCloser&) = delete;

 private:
  Registry& registry_;
  RegKey key_;
};

// Queries a REG_DWORD-sized value into a 4-byte field with a capacity of 4 bytes. The bytes
// returned overwrite the field from its first byte, as the Win32 call writes into the
// caller's DWORD; on any error the field keeps its value.
long QueryDword(Registry& registry, RegKey key, const std::string& name, std::uint32_t* field);
long SetDword(Registry& registry, RegKey key, const std::string& name, std::uint32_t value);

// Queries a string value into a buffer of `capacity` bytes; the text ends at the first
// zero byte (or at the end of the data). `type` receives the stored type.
long QueryString(Registry& registry, RegKey key, const std::string& name, std::uint32_t capacity,
                 std::string* text, std::uint32_t* type);
// Sets a string value of the given type (kRegSz or kRegExpandSz); its size is the text's
// length plus the terminating zero.
long SetString(Registry& registry, RegKey key, const std::string& name, const std::string& text,
               std::uint32_t type);

}  // namespace devconfig
