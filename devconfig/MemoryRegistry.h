// An in-memory registry for tests: Win32's error codes, case-insensitive names, and any
// chosen call made to fail.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "devconfig/Registry.h"

namespace devconfig {

class MemoryRegistry : public Registry {
 public:
  // OpenRead is OpenKeyToRead: a fault on Open (full access) leaves it alone.
  enum class Op { kOpen, kOpenRead, kCreate, kQuery, kSet, kDelete, kClose };

  MemoryRegistry();

  // Makes calls fail with `code`: `op` on the key at `keyPath` (for example
  // "HKCR\\QRT_8300_FIO_DEVICES\\QRT8341"; empty for every key) and, for Query and Set, on
  // the value `value` (empty for every value). `times` < 0 fails every matching call.
  void Fail(Op op, const std::string& keyPath, long code, const std::string& value = "",
            int times = -1);
  // Makes the call that will be logged as Log()[index] fail with `code`, whatever kind of
  // call it is, ahead of anything else it would have found; the calls before and after it
  // are untouched. The two roots' closes are no calls (nothing is logged for them). A close
  // failed this way still releases its handle, as RegCloseKey does: a caller has nothing
  // left to do with it.
  void FailCall(std::size_t index, long code);

  // Direct set-up and inspection by full path ("HKCR\\..." or "HKCU\\...").
  void AddKey(const std::string& path);
  void PutValue(const std::string& path, const std::string& name, std::uint32_t type,
                std::vector<std::uint8_t> data);
  void PutDword(const std::string& path, const std::string& name, std::uint32_t value);
  void PutString(const std::string& path, const std::string& name, const std::string& text,
                 std::uint32_t type = kRegSz);
  bool KeyExists(const std::string& path) const;
  std::vector<std::string> Subkeys(const std::string& path) const;
  std::vector<std::string> ValueNames(const std::string& path) const;
  std::optional<std::uint32_t> Dword(const std::string& path, const std::string& name) const;
  std::optional<std::string> String(const std::string& path, const std::string& name,
                                    std::uint32_t* type = nullptr) const;
  // Keys opened or created and not closed yet (the two roots never count).
  std::size_t OpenHandles() const { return handles_.size(); }
  // One line per call: "<Op> <key path>[:<value>] = <result>".
  const std::vector<std::string>& Log() const { return log_; }

  long OpenKey(RegKey parent, const std::string& subkey, RegKey* key) override;
  long OpenKeyToRead(RegKey parent, const std::string& subkey, RegKey* key) override;
  long CreateKey(RegKey parent, const std::string& subkey, RegKey* key) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t capacity, std::uint32_t* type,
                  std::vector<std::uint8_t>* data) override;
  long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) override;
  long DeleteKey(RegKey parent, const std::string& subkey) override;
  long CloseKey(RegKey key) override;

 private:
  struct Value {
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  struct Node {
    std::string path;                     // as first created, for display
    std::map<std::string, Value> values;  // by lower-case name
  };
  struct Fault {
    Op op;
    std::string keyPath;  // lower case; empty = any
    std::string value;    // lower case; empty = any
    long code;
    int times;
  };

  // The full path of `parent` + `subkey`, or nothing for an unknown handle.
  std::optional<std::string> Resolve(RegKey parent, const std::string& subkey) const;
  bool HandleDeleted(RegKey key) const;
  long Injected(Op op, const std::string& path, const std::string& value);
  // The code FailCall chose for the call about to be logged, or 0.
  long Planned() const;
  long Record(Op op, const std::string& path, const std::string& value, long result);
  Node* Find(const std::string& path);
  const Node* Find(const std::string& path) const;
  Node& Make(const std::string& path);
  long Open(Op op, RegKey parent, const std::string& subkey, RegKey* key);
  RegKey NewHandle(const std::string& path, bool readOnly = false);

  std::map<std::string, Node> nodes_;  // by lower-case full path
  std::map<RegKey, std::string> handles_;
  std::set<RegKey> readOnly_;  // handles opened for reading only
  RegKey nextHandle_ = 0x1000;
  std::vector<Fault> faults_;
  std::optional<std::size_t> failIndex_;
  long failCode_ = kErrorSuccess;
  std::vector<std::string> log_;
};

}  // namespace devconfig
