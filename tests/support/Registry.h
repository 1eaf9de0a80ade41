// The registry as tests read and restore it. The tests of a Windows tree share one prefix, so
// a test that changes a key leaves it as it found it; and reg.exe reads the registry back
// independently of the code under test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace support {

// A key with its values and subkeys, or one value of it, read when the snapshot is made and
// put back when it is destroyed; absent is a state too, restored by deleting.
class RegistrySnapshot {
 public:
  RegistrySnapshot(HKEY root, std::string path);
  RegistrySnapshot(HKEY root, std::string path, std::string value);
  ~RegistrySnapshot() { Restore(); }
  RegistrySnapshot(const RegistrySnapshot&) = delete;
  RegistrySnapshot& operator=(const RegistrySnapshot&) = delete;

  // Writes back what was read; a key is replaced as a whole.
  void Restore() const;

 private:
  struct Value {
    std::string name;
    DWORD type;
    std::string data;
  };
  struct Key {
    std::string path;  // below the snapshot's key: "" for the key itself
    std::vector<Value> values;
  };
  void Read(HKEY key, const std::string& path);

  HKEY root_;
  std::string path_;
  std::optional<std::string> value_;  // set when only this value is kept
  std::vector<Key> keys_;             // parents before their subkeys; empty when absent
};

struct RegResult {
  DWORD exit;
  std::string output;
};

// Runs reg.exe with `args`; its exit code and what it printed.
RegResult Reg(const std::string& args);
// The REG_DWORD value `name` in reg.exe's listing of one key.
std::optional<std::uint32_t> Dword(const RegResult& listing, const std::string& name);

}  // namespace support
