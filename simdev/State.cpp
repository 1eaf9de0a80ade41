// State directory, state files and scripted faults.
#include "simdev/State.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/Number.h"
#include "base/PlainFile.h"

namespace simdev {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A key of letters, digits, '.', '_' and '-', and a value IsValidValue takes.
bool IsValidEntry(const std::string& key, const std::string& value) {
  return !key.empty() && IsValidValue(value) && std::all_of(key.begin(), key.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
  });
}

}  // namespace

std::string StateDirectory() {
  const std::string dir = Env(kStateDirVariable);
  if (!dir.empty()) return dir;
#ifdef _WIN32
  std::string base = Env("ProgramData");
  if (base.empty()) base = "C:\\ProgramData";
#else
  std::string base = Env("XDG_STATE_HOME");
  if (base.empty()) {
    std::string home = Env("HOME");
    base = home.empty() ? "/tmp" : home + "/.local/state";
  }
#endif
  return JoinPath(base, "simdev");
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
  if (dir.empty() || dir.back() == '/' || dir.back() == '\\') return dir + name;
  return dir + static_cast<char>(fs::path::preferred_separator) + name;
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

std::optional<unsigned long> GetNumber(const KeyValues& state, const std::string& key,
                                       unsigned long most) {
  auto it = state.find(key);
  return it == state.end() ? 0ul : base::ParseDecimal(it->second, most);
}

bool IsValidValue(const std::string& value) {
  return std::all_of(value.begin(), value.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x7F;
  });
}

LoadResult LoadKeyValues(const std::string& path, KeyValues* values) {
  std::string text;
  const base::ReadResult read = base::ReadPlainFile(path, kMaxStateFileSize, &text);
  if (read == base::ReadResult::kCannotOpen) return LoadResult::kMissing;
  return read == base::ReadResult::kOk ? ParseKeyValues(text, values) : LoadResult::kMalformed;
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
    if (!IsValidEntry(key, value)) return LoadResult::kMalformed;
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
    if (!IsValidEntry(key, value)) return std::nullopt;
    text += key + "=" + value + "\n";
  }
  return text;
}

std::optional<std::string> TakeFault(KeyValues& state, const std::string& name) {
  auto it = state.find("fault." + name);
  if (it == state.end()) return std::nullopt;
  auto skip = state.find("fault." + name + ".skip");
  if (skip != state.end()) {
    // A count that is no number lets the fault hit now.
    unsigned long left = base::ParseDecimal(skip->second, ~0ul).value_or(0);
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
