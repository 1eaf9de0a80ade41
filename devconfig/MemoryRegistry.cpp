// The in-memory registry. It follows what the Win32 registry does for the calls the suite
// makes: missing keys and values are ERROR_FILE_NOT_FOUND, a key with subkeys cannot be
// deleted (ERROR_ACCESS_DENIED), a handle to a deleted key gives ERROR_KEY_DELETED, an
// unknown handle ERROR_INVALID_HANDLE, and a value larger than the buffer ERROR_MORE_DATA.
#include "devconfig/MemoryRegistry.h"

#include <algorithm>
#include <cctype>

namespace devconfig {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

const char* OpName(MemoryRegistry::Op op) {
  switch (op) {
    case MemoryRegistry::Op::kOpen:
      return "Open";
    case MemoryRegistry::Op::kOpenRead:
      return "OpenRead";
    case MemoryRegistry::Op::kCreate:
      return "Create";
    case MemoryRegistry::Op::kQuery:
      return "Query";
    case MemoryRegistry::Op::kSet:
      return "Set";
    case MemoryRegistry::Op::kDelete:
      return "Delete";
    case MemoryRegistry::Op::kClose:
      return "Close";
  }
  return "?";
}

std::string RootPath(RegKey key) {
  if (key == kClassesRoot) return "HKCR";
  if (key == kCurrentUser) return "HKCU";
  return {};
}

// Splits "a\\b\\c" into its parts; empty parts (doubled or trailing backslashes) are dropped.
std::vector<std::string> Parts(const std::string& subkey) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : subkey) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string ParentOf(const std::string& path) {
  auto slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
  Make("HKCR");
  Make("HKCU");
}

void MemoryRegistry::Fail(Op op, const std::string& keyPath, long code, const std::string& value,
                          int times) {
  faults_.push_back({op, Lower(keyPath), Lower(value), code, times});
}

void MemoryRegistry::FailCall(std::size_t index, long code) {
  failIndex_ = index;
  failCode_ = code;
}

long MemoryRegistry::Planned() const {
  return failIndex_ == log_.size() ? failCode_ : kErrorSuccess;
}

MemoryRegistry::Node* MemoryRegistry::Find(const std::string& path) {
  auto it = nodes_.find(Lower(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

const MemoryRegistry::Node* MemoryRegistry::Find(const std::string& path) const {
  auto it = nodes_.find(Lower(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

MemoryRegistry::Node& MemoryRegistry::Make(const std::string& path) {
  std::string parent = ParentOf(path);
  if (!parent.empty() && !Find(parent)) Make(parent);
  Node& node = nodes_[Lower(path)];
  if (node.path.empty()) node.path = path;
  return node;
}

void MemoryRegistry::AddKey(const std::string& path) { Make(path); }

void MemoryRegistry::PutValue(const std::string& path, const std::string& name, std::uint32_t type,
                              std::vector<std::uint8_t> data) {
  Make(path).values[Lower(name)] = Value{name, type, std::move(data)};
}

void MemoryRegistry::PutDword(const std::string& path, const std::string& name,
                              std::uint32_t value) {
  std::vector<std::uint8_t> data(4);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<std::uint8_t>(value >> (8 * i));
  PutValue(path, name, kRegDword, data);
}

void MemoryRegistry::PutString(const std::string& path, const std::string& name,
                               const std::string& text, std::uint32_t type) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  PutValue(path, name, type, data);
}

bool MemoryRegistry::KeyExists(const std::string& path) const { return Find(path) != nullptr; }

std::vector<std::string> MemoryRegistry::Subkeys(const std::string& path) const {
  std::vector<std::string> names;
  std::string prefix = Lower(path) + "\\";
  for (const auto& [key, node] : nodes_) {
    if (key.compare(0, prefix.size(), prefix) == 0 &&
        key.find('\\', prefix.size()) == std::string::npos) {
      names.push_back(node.path.substr(prefix.size()));
    }
  }
  return names;
}

std::vector<std::string> MemoryRegistry::ValueNames(const std::string& path) const {
  std::vector<std::string> names;
  if (const Node* node = Find(path)) {
    for (const auto& [key, value] : node->values) names.push_back(value.name);
  }
  return names;
}

std::optional<std::uint32_t> MemoryRegistry::Dword(const std::string& path,
                                                   const std::string& name) const {
  const Node* node = Find(path);
  if (!node) return std::nullopt;
  auto it = node->values.find(Lower(name));
  if (it == node->values.end() || it->second.type != kRegDword || it->second.data.size() != 4) {
    return std::nullopt;
  }
  const auto& d = it->second.data;
  return static_cast<std::uint32_t>(d[0]) | static_cast<std::uint32_t>(d[1]) << 8 |
         static_cast<std::uint32_t>(d[2]) << 16 | static_cast<std::uint32_t>(d[3]) << 24;
}

std::optional<std::string> MemoryRegistry::String(const std::string& path, const std::string& name,
                                                  std::uint32_t* type) const {
  const Node* node = Find(path);
  if (!node) return std::nullopt;
  auto it = node->values.find(Lower(name));
  if (it == node->values.end()) return std::nullopt;
  if (type) *type = it->second.type;
  const auto& d = it->second.data;
  return std::string(d.begin(), std::find(d.begin(), d.end(), std::uint8_t{0}));
}

std::optional<std::string> MemoryRegistry::Resolve(RegKey parent, const std::string& subkey) const {
  std::string base = RootPath(parent);
  if (base.empty()) {
    auto it = handles_.find(parent);
    if (it == handles_.end()) return std::nullopt;
    base = it->second;
  }
  for (const std::string& part : Parts(subkey)) base += "\\" + part;
  return base;
}

long MemoryRegistry::Injected(Op op, const std::string& path, const std::string& value) {
  std::string lowerPath = Lower(path);
  std::string lowerValue = Lower(value);
  for (Fault& fault : faults_) {
    if (fault.op != op || fault.times == 0) continue;
    if (!fault.keyPath.empty() && fault.keyPath != lowerPath) continue;
    if (!fault.value.empty() && fault.value != lowerValue) continue;
    if (fault.times > 0) --fault.times;
    return fault.code;
  }
  return kErrorSuccess;
}

long MemoryRegistry::Record(Op op, const std::string& path, const std::string& value, long result) {
  log_.push_back(std::string(OpName(op)) + " " + path + (value.empty() ? "" : ":" + value) + " = " +
                 std::to_string(result));
  return result;
}

RegKey MemoryRegistry::NewHandle(const std::string& path, bool readOnly) {
  RegKey key = nextHandle_++;
  handles_[key] = path;
  if (readOnly) readOnly_.insert(key);
  return key;
}

bool MemoryRegistry::HandleDeleted(RegKey key) const {
  if (!RootPath(key).empty()) return false;
  auto it = handles_.find(key);
  return it != handles_.end() && !Find(it->second);
}

long MemoryRegistry::Open(Op op, RegKey parent, const std::string& subkey, RegKey* key) {
  auto path = Resolve(parent, subkey);
  if (!path) return Record(op, "?\\" + subkey, "", kErrorInvalidHandle);
  if (long rc = Planned()) return Record(op, *path, "", rc);
  if (HandleDeleted(parent)) return Record(op, *path, "", kErrorKeyDeleted);
  const Node* node = Find(*path);
  if (!node) return Record(op, *path, "", kErrorFileNotFound);
  if (long rc = Injected(op, *path, "")) return Record(op, *path, "", rc);
  *key = NewHandle(node->path, op == Op::kOpenRead);
  return Record(op, *path, "", kErrorSuccess);
}

long MemoryRegistry::OpenKey(RegKey parent, const std::string& subkey, RegKey* key) {
  return Open(Op::kOpen, parent, subkey, key);
}

long MemoryRegistry::OpenKeyToRead(RegKey parent, const std::string& subkey, RegKey* key) {
  return Open(Op::kOpenRead, parent, subkey, key);
}

long MemoryRegistry::CreateKey(RegKey parent, const std::string& subkey, RegKey* key) {
  auto path = Resolve(parent, subkey);
  if (!path) return Record(Op::kCreate, "?\\" + subkey, "", kErrorInvalidHandle);
  if (long rc = Planned()) return Record(Op::kCreate, *path, "", rc);
  if (HandleDeleted(parent)) return Record(Op::kCreate, *path, "", kErrorKeyDeleted);
  if (long rc = Injected(Op::kCreate, *path, "")) return Record(Op::kCreate, *path, "", rc);
  *key = NewHandle(Make(*path).path);
  return Record(Op::kCreate, *path, "", kErrorSuccess);
}

long MemoryRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t capacity,
                                std::uint32_t* type, std::vector<std::uint8_t>* data) {
  auto path = Resolve(key, "");
  if (!path) return Record(Op::kQuery, "?", name, kErrorInvalidHandle);
  if (long rc = Planned()) return Record(Op::kQuery, *path, name, rc);
  Node* node = Find(*path);
  if (!node) return Record(Op::kQuery, *path, name, kErrorKeyDeleted);
  if (long rc = Injected(Op::kQuery, *path, name)) return Record(Op::kQuery, *path, name, rc);
  auto it = node->values.find(Lower(name));
  if (it == node->values.end()) return Record(Op::kQuery, *path, name, kErrorFileNotFound);
  if (type) *type = it->second.type;
  if (it->second.data.size() > capacity) return Record(Op::kQuery, *path, name, kErrorMoreData);
  *data = it->second.data;
  return Record(Op::kQuery, *path, name, kErrorSuccess);
}

long MemoryRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                              const std::vector<std::uint8_t>& data) {
  auto path = Resolve(key, "");
  if (!path) return Record(Op::kSet, "?", name, kErrorInvalidHandle);
  if (long rc = Planned()) return Record(Op::kSet, *path, name, rc);
  Node* node = Find(*path);
  if (!node) return Record(Op::kSet, *path, name, kErrorKeyDeleted);
  if (long rc = Injected(Op::kSet, *path, name)) return Record(Op::kSet, *path, name, rc);
  if (readOnly_.count(key)) return Record(Op::kSet, *path, name, kErrorAccessDenied);
  node->values[Lower(name)] = Value{name, type, data};
  return Record(Op::kSet, *path, name, kErrorSuccess);
}

long MemoryRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
  auto path = Resolve(parent, subkey);
  if (!path) return Record(Op::kDelete, "?\\" + subkey, "", kErrorInvalidHandle);
  if (long rc = Planned()) return Record(Op::kDelete, *path, "", rc);
  if (HandleDeleted(parent)) return Record(Op::kDelete, *path, "", kErrorKeyDeleted);
  if (Parts(subkey).empty()) return Record(Op::kDelete, *path, "", kErrorAccessDenied);
  if (!Find(*path)) return Record(Op::kDelete, *path, "", kErrorFileNotFound);
  if (long rc = Injected(Op::kDelete, *path, "")) return Record(Op::kDelete, *path, "", rc);
  if (!Subkeys(*path).empty()) return Record(Op::kDelete, *path, "", kErrorAccessDenied);
  nodes_.erase(Lower(*path));
  return Record(Op::kDelete, *path, "", kErrorSuccess);
}

long MemoryRegistry::CloseKey(RegKey key) {
  if (!RootPath(key).empty()) return kErrorSuccess;
  auto it = handles_.find(key);
  if (it == handles_.end()) return Record(Op::kClose, "?", "", kErrorInvalidHandle);
  std::string path = it->second;
  if (long rc = Planned()) {
    handles_.erase(it);
    readOnly_.erase(key);
    return Record(Op::kClose, path, "", rc);
  }
  if (long rc = Injected(Op::kClose, path, "")) return Record(Op::kClose, path, "", rc);
  handles_.erase(it);
  readOnly_.erase(key);
  return Record(Op::kClose, path, "", kErrorSuccess);
}

}  // namespace devconfig
