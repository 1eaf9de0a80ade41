// The registry as tests read and restore it.
#include "tests/support/Registry.h"

#include <utility>

#include "tools/UiAuto.h"

namespace support {

RegistrySnapshot::RegistrySnapshot(HKEY root, std::string path)
    : root_(root), path_(std::move(path)) {
  HKEY key;
  if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  Read(key, "");
  RegCloseKey(key);
}

RegistrySnapshot::RegistrySnapshot(HKEY root, std::string path, std::string value)
    : root_(root), path_(std::move(path)), value_(std::move(value)) {
  DWORD type = 0, size = 0;
  if (RegGetValueA(root_, path_.c_str(), value_->c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                   &size) != ERROR_SUCCESS) {
    return;
  }
  std::string data(size, '\0');
  if (RegGetValueA(root_, path_.c_str(), value_->c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                   data.data(), &size) == ERROR_SUCCESS) {
    data.resize(size);
    keys_.push_back({"", {{*value_, type, data}}});
  }
}

void RegistrySnapshot::Read(HKEY key, const std::string& path) {
  Key read{path, {}};
  char name[16384];
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name, type = 0, size = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      break;
    std::string data(size, '\0');
    nameSize = sizeof name;
    RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                  &size);
    data.resize(size);
    read.values.push_back({name, type, data});
  }
  keys_.push_back(std::move(read));
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    HKEY subkey;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &subkey) != ERROR_SUCCESS) continue;
    Read(subkey, path.empty() ? name : path + "\\" + name);
    RegCloseKey(subkey);
  }
}

void RegistrySnapshot::Restore() const {
  if (value_) {
    if (keys_.empty()) {
      RegDeleteKeyValueA(root_, path_.c_str(), value_->c_str());
    } else {
      const Value& v = keys_.front().values.front();
      RegSetKeyValueA(root_, path_.c_str(), v.name.c_str(), v.type, v.data.data(),
                      static_cast<DWORD>(v.data.size()));
    }
    return;
  }
  RegDeleteTreeA(root_, path_.c_str());
  RegDeleteKeyA(root_, path_.c_str());
  for (const Key& k : keys_) {
    const std::string path = k.path.empty() ? path_ : path_ + "\\" + k.path;
    HKEY key;
    if (RegCreateKeyExA(root_, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      continue;
    for (const Value& v : k.values) {
      RegSetValueExA(key, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                     static_cast<DWORD>(v.data.size()));
    }
    RegCloseKey(key);
  }
}

RegResult Reg(const std::string& args) {
  uiauto::StartOptions options;
  options.captureOutput = true;
  uiauto::Process p = uiauto::Process::Start("reg.exe " + args, options);
  DWORD exit = p.WaitExit();
  return {exit, p.Output()};
}

std::optional<std::uint32_t> Dword(const RegResult& listing, const std::string& name) {
  const std::string marker = "    " + name + "    REG_DWORD    0x";
  auto at = listing.output.find(marker);
  if (at == std::string::npos) return std::nullopt;
  return static_cast<std::uint32_t>(
      std::stoul(listing.output.substr(at + marker.size()), nullptr, 16));
}

}  // namespace support
