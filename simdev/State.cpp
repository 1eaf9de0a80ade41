// State directory, state files and scripted faults.
#include "simdev/State.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/Hex.h"
#include "base/Number.h"
#include "base/PlainFile.h"

namespace simdev {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

std::string DefaultStateDirectory() {
#ifdef _WIN32
  std::string base = Env("ProgramData");
  if (base.empty()) base = "C:\\ProgramData";
  return JoinPath(base, "simdev");
#else
  std::string base = Env("XDG_STATE_HOME");
  if (base.empty()) {
    std::string home = Env("HOME");
    base = home.empty() ? "/tmp" : home + "/.local/state";
  }
  return JoinPath(base, "simdev");
#endif
}

std::string StateDirectory() {
  std::string dir = Env(kStateDirVariable);
  return dir.empty() ? DefaultStateDirectory() : dir;
}

std::optional<std::uint16_t> ParsePort(const std::string& text) {
  std::string_view digits = text;
  if (digits.size() > 3 && (digits.substr(0, 3) == "COM" || digits.substr(0, 3) == "com"))
    digits.remove_prefix(3);
  auto port =
      digits.empty() || digits[0] == '0' ? std::nullopt : base::ParseDecimal(digits, 0xFFFF);
  if (!port) return std::nullopt;
  return static_cast<std::uint16_t>(*port);
}

std::string DeviceFileName(std::uint16_t port, const std::string& model) {
  return "COM" + std::to_string(port) + "-" + model;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  char last = dir.back();
  if (last == '/' || last == '\\') return dir + name;
#ifdef _WIN32
  return dir + "\\" + name;
#else
  return dir + "/" + name;
#endif
}

std::vector<AttachedDevice> ListDevices(const std::string& dir) {
  std::vector<AttachedDevice> devices;
  std::error_code ec;
  for (fs::directory_iterator it(fs::path(dir), ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.size() < 5 || name.compare(0, 3, "COM") != 0) continue;
    std::size_t dash = name.find('-');
    if (dash == std::string::npos) continue;
    auto port = ParsePort(name.substr(0, dash));
    std::string model = name.substr(dash + 1);
    if (!port || !base::ParseDecimal(model, ~0ul)) continue;
    devices.push_back({*port, model, name});
  }
  std::sort(devices.begin(), devices.end(), [](const AttachedDevice& a, const AttachedDevice& b) {
    return a.port != b.port ? a.port < b.port : a.model < b.model;
  });
  return devices;
}

std::optional<AttachedDevice> DeviceOnPort(const std::string& dir, std::uint16_t port) {
  for (const AttachedDevice& d : ListDevices(dir))
    if (d.port == port) return d;
  return std::nullopt;
}

std::string Get(const KeyValues& state, const std::string& key) {
  auto it = state.find(key);
  return it == state.end() ? "" : it->second;
}

bool IsValidKey(const std::string& key) {
  if (key.empty()) return false;
  return std::all_of(key.begin(), key.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
  });
}

bool IsValidValue(const std::string& value) {
  return std::all_of(value.begin(), value.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x7F;
  });
}

LoadResult LoadKeyValues(const std::string& path, KeyValues* values) {
  std::string text;
  switch (base::ReadPlainFile(path, kMaxStateFileSize, &text)) {
    case base::ReadResult::kCannotOpen:
      return LoadResult::kMissing;
    case base::ReadResult::kTooLarge:
      return LoadResult::kMalformed;
    case base::ReadResult::kOk:
      break;
  }
  return ParseKeyValues(text, values);
}

LoadResult ParseKeyValues(std::string_view text, KeyValues* values) {
  values->clear();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) return LoadResult::kMalformed;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (!IsValidKey(key) || !IsValidValue(value)) return LoadResult::kMalformed;
    (*values)[key] = value;
  }
  return LoadResult::kOk;
}

bool SaveKeyValues(const std::string& path, const KeyValues& values, const std::string& title) {
  std::optional<std::string> text = FormatKeyValues(values, title);
  return text && base::WriteWholeFile(path, *text);
}

std::optional<std::string> FormatKeyValues(const KeyValues& values, const std::string& title) {
  std::string text = "# " + title + "\n";
  for (const auto& [key, value] : values) {
    if (!IsValidKey(key) || !IsValidValue(value)) return std::nullopt;
    text += key + "=" + value + "\n";
  }
  return text;
}

std::optional<std::string> TakeFault(KeyValues& state, const std::string& name) {
  auto it = state.find("fault." + name);
  if (it == state.end()) return std::nullopt;
  auto skip = state.find("fault." + name + ".skip");
  if (skip != state.end()) {
    unsigned long left = std::strtoul(skip->second.c_str(), nullptr, 10);
    if (left > 0) {
      skip->second = std::to_string(left - 1);
      return std::nullopt;
    }
    state.erase(skip);
  }
  std::string value = it->second;
  state.erase(it);
  return value;
}

void SetFault(KeyValues& state, const std::string& name, const std::string& value, unsigned skip) {
  state["fault." + name] = value;
  if (skip > 0)
    state["fault." + name + ".skip"] = std::to_string(skip);
  else
    state.erase("fault." + name + ".skip");
}

void ClearFaults(KeyValues& state) {
  for (auto it = state.begin(); it != state.end();)
    it = it->first.rfind("fault.", 0) == 0 ? state.erase(it) : std::next(it);
}

}  // namespace simdev
