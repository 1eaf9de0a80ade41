// WriteRegistry and UpdatePath.
#include "fiosetup/RegistryWriter.h"

#include <initializer_list>
#include <utility>

#include "fiosetup/Texts.h"

namespace fiosetup {

using devconfig::kErrorFileNotFound;
using devconfig::kErrorSuccess;
using devconfig::KeyCloser;
using devconfig::Registry;
using devconfig::RegKey;

namespace {

constexpr unsigned kPauseBeforeStep = 1000;
constexpr char kEnvironmentKey[] = "ENVIRONMENT";
constexpr char kPathValue[] = "PATH";

// A subkey that is already gone needs no deleting: the step wants it absent, and failing
// here would leave the writer failing on every later attempt as well.
bool DeleteSubkey(Registry& registry, RegKey root, const char* name) {
  long rc = registry.DeleteKey(root, name);
  return rc == kErrorSuccess || rc == kErrorFileNotFound;
}

// Creates or opens `name` and sets each of `values` (REG_DWORD); the key is closed again.
bool WriteSubkey(Registry& registry, RegKey root, const char* name,
                 std::initializer_list<std::pair<const char*, std::uint32_t>> values) {
  RegKey key = 0;
  if (registry.CreateKey(root, name, &key) != kErrorSuccess) return false;
  KeyCloser close(registry, key);
  for (const auto& [value, data] : values) {
    if (devconfig::SetDword(registry, key, value, data) != kErrorSuccess) return false;
  }
  return true;
}

// The exact characters of `entry` as one whole entry of `path`, which ends in ';': found at its
// start or right after a ';'. Anywhere else it is the tail of another directory ("BIN;" in
// "C:\BIN;"), which would leave the target off PATH while Install reports success.
bool HoldsEntry(const std::string& path, const std::string& entry) {
  for (std::size_t at = path.find(entry); at != std::string::npos; at = path.find(entry, at + 1))
    if (at == 0 || path[at - 1] == ';') return true;
  return false;
}

}  // namespace

base::Result WriteRegistry(DeviceTable& table, const Platform& platform) {
  Registry& registry = platform.registry;
  platform.status.Show(kStatusRegistry);
  platform.pause.Wait(kPauseBeforeStep);

  RegKey root = 0;
  if (long rc = registry.CreateKey(devconfig::kClassesRoot, devconfig::kRootKey, &root)) {
    return static_cast<base::Result>(rc);
  }
  KeyCloser closeRoot(registry, root);

  // 8341. QRT8341 is shared: it also carries OptionS for the MSR, written below.
  bool deleted8341 = false;
  if (std::uint32_t port = table.Port(DeviceKind::k8341)) {
    table.mode = table.Port(DeviceKind::k8343) != 0 ? 2 : 1;
    if (!WriteSubkey(registry, root, devconfig::kSubkey8341,
                     {{devconfig::kValueComPort, port}, {devconfig::kValueMode, table.mode}})) {
      return base::kFailed;
    }
    table.Registered(DeviceKind::k8341) = true;
  } else if (table.Registered(DeviceKind::k8341)) {
    if (!DeleteSubkey(registry, root, devconfig::kSubkey8341)) return base::kFailed;
    table.Registered(DeviceKind::k8341) = false;
    deleted8341 = true;
  }

  // 8342 MSR, with its S option in QRT8341.
  if (std::uint32_t port = table.Port(DeviceKind::k8342Msr)) {
    if (!WriteSubkey(registry, root, devconfig::kSubkey8342M, {{devconfig::kValueComPort, port}})) {
      return base::kFailed;
    }
    table.Registered(DeviceKind::k8342Msr) = true;
    if (!WriteSubkey(registry, root, devconfig::kSubkey8341,
                     {{devconfig::kValueOptionS, table.optionS ? 1u : 0u}})) {
      return base::kFailed;
    }
  } else if (table.Registered(DeviceKind::k8342Msr)) {
    if (!DeleteSubkey(registry, root, devconfig::kSubkey8342M)) return base::kFailed;
    // Without an 8341, QRT8341 held only the MSR's OptionS.
    if (table.Port(DeviceKind::k8341) == 0 && !deleted8341 &&
        !DeleteSubkey(registry, root, devconfig::kSubkey8341)) {
      return base::kFailed;
    }
    table.Registered(DeviceKind::k8342Msr) = false;
  }

  for (DeviceKind kind : {DeviceKind::k8342Pin, DeviceKind::k8343}) {
    const char* name = devconfig::SubkeyName(kind);
    if (std::uint32_t port = table.Port(kind)) {
      if (!WriteSubkey(registry, root, name, {{devconfig::kValueComPort, port}}))
        return base::kFailed;
      table.Registered(kind) = true;
    } else if (table.Registered(kind)) {
      if (!DeleteSubkey(registry, root, name)) return base::kFailed;
      table.Registered(kind) = false;
    }
  }

  ApplyRegistryWritten(table);
  return base::kSucceeded;
}

base::Result UpdatePath(const DeviceTable& table, const std::string& target,
                        const Platform& platform) {
  if (!table.nt) return base::kSucceeded;
  Registry& registry = platform.registry;
  platform.status.Show(kStatusPath);
  platform.pause.Wait(kPauseBeforeStep);

  RegKey environment = 0;
  if (registry.OpenKey(devconfig::kCurrentUser, kEnvironmentKey, &environment) != kErrorSuccess) {
    return base::kFailed;
  }
  KeyCloser close(registry, environment);

  std::string value;
  std::uint32_t type = devconfig::kRegSz;
  long rc =
      devconfig::QueryString(registry, environment, kPathValue, kPathBufferSize - 1, &value, &type);
  std::string text;
  // PATH is written back with the type it had: as a plain string, every %VAR% entry of an
  // expandable PATH would stop working.
  std::uint32_t writeType = devconfig::kRegSz;
  if (rc == kErrorSuccess) {
    const std::string entry = target + ";";
    const std::size_t sizeRead = value.size() + 1;  // with its terminating zero
    if (!value.empty() && value.back() != ';') value += ';';
    if (HoldsEntry(value, entry)) return base::kSucceeded;
    if (entry.size() + sizeRead + 1 > kPathBufferSize) return base::kFailed;
    text = value + entry;
    if (type == devconfig::kRegExpandSz) writeType = devconfig::kRegExpandSz;
  } else if (rc == kErrorFileNotFound) {
    ui::Message question{kTitle, kAskCreatePath, ui::Icon::kQuestion, ui::Buttons::kYesNo};
    if (platform.ui.ShowMessage(question) != ui::Answer::kYes) return base::kFailed;
    text = target;
  } else {
    // Too long for the buffer, or unreadable: a PATH that was not read is never replaced.
    return base::kFailed;
  }
  if (devconfig::SetString(registry, environment, kPathValue, text, writeType) != kErrorSuccess) {
    return base::kFailed;
  }
  platform.settingChange.BroadcastEnvironment();
  return base::kSucceeded;
}

}  // namespace fiosetup
