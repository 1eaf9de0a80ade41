// The device table: start-up read, edits and the menu availability that follows from them.
#include "fiosetup/DeviceTable.h"

#include <algorithm>
#include <cstdio>

#include "fiosetup/FIOSETUP.h"

namespace fiosetup {

using devconfig::kErrorSuccess;
using devconfig::KeyCloser;
using devconfig::RegKey;

int AddCommand(DeviceKind kind) { return IDM_ADD_8341 + static_cast<int>(kind); }
int DeleteCommand(DeviceKind kind) { return IDM_DELETE_8341 + static_cast<int>(kind); }
int ChangeCommand(DeviceKind kind) { return IDM_CHANGE_8341 + static_cast<int>(kind); }

std::optional<DeviceKind> KindOfCommand(int commandId) {
  for (int base : {IDM_ADD_8341, IDM_DELETE_8341, IDM_CHANGE_8341}) {
    if (commandId >= base && commandId < base + 4) {
      return static_cast<DeviceKind>(commandId - base);
    }
  }
  return std::nullopt;
}

namespace {

std::optional<std::size_t> Slot(int commandId) {
  const auto& ids = Availability::kCommands;
  auto it = std::find(ids.begin(), ids.end(), commandId);
  if (it == ids.end()) return std::nullopt;
  return static_cast<std::size_t>(it - ids.begin());
}

}  // namespace

Availability::Availability() {
  enabled_.fill(true);
  for (int id : {IDM_INSTALL, IDM_SAVETODISK, IDM_OPTION_S}) Grey(id);
  for (DeviceKind kind : devconfig::kDeviceKinds) {
    Grey(DeleteCommand(kind));
    Grey(ChangeCommand(kind));
  }
  submenus_.fill(true);
}

bool Availability::Enabled(int commandId) const {
  auto slot = Slot(commandId);
  return slot && enabled_[*slot];
}

void Availability::Set(int commandId, bool enabled) {
  if (auto slot = Slot(commandId)) enabled_[*slot] = enabled;
}

namespace {

// The S option is 0 or 1; any other stored value counts as clear, so that the check mark,
// the saved bit and the written value always agree.
void ReadOptionS(DeviceTable& table, devconfig::Registry& registry, RegKey key) {
  std::uint32_t value = table.optionS ? 1 : 0;
  devconfig::QueryDword(registry, key, devconfig::kValueOptionS, &value);
  table.optionS = value == 1;
  table.availability.CheckS(table.optionS);
  table.availability.Enable(IDM_OPTION_S);
}

// Opens a subkey of the root, and marks its kind registered with its port when it opens.
bool ReadKind(DeviceTable& table, devconfig::Registry& registry, RegKey root, DeviceKind kind,
              std::int32_t* count) {
  RegKey key = 0;
  if (registry.OpenKey(root, devconfig::SubkeyName(kind), &key) != kErrorSuccess) return false;
  KeyCloser close(registry, key);
  ++*count;
  table.Registered(kind) = true;
  devconfig::QueryDword(registry, key, devconfig::kValueComPort, &table.Port(kind));
  if (kind == DeviceKind::k8341) {
    devconfig::QueryDword(registry, key, devconfig::kValueMode, &table.mode);
  }
  Availability& a = table.availability;
  a.Grey(AddCommand(kind));
  a.Enable(DeleteCommand(kind));
  a.Enable(ChangeCommand(kind));
  if (kind == DeviceKind::k8342Msr || kind == DeviceKind::k8342Pin) a.Grey(IDM_ADD_8343);
  if (kind == DeviceKind::k8343) {
    a.Grey(IDM_ADD_8342MSR);
    a.Grey(IDM_ADD_8342PIN);
  }
  return true;
}

}  // namespace

void ReadConfiguration(DeviceTable& table, devconfig::Registry& registry) {
  std::int32_t count = 0;
  RegKey root = 0;
  if (registry.OpenKey(devconfig::kClassesRoot, devconfig::kRootKey, &root) == kErrorSuccess) {
    KeyCloser closeRoot(registry, root);
    ReadKind(table, registry, root, DeviceKind::k8341, &count);
    ReadKind(table, registry, root, DeviceKind::k8342Msr, &count);
    // The S option lives in QRT8341, also when that subkey holds nothing else.
    RegKey shared = 0;
    if (registry.OpenKey(root, devconfig::kSubkey8341, &shared) == kErrorSuccess) {
      KeyCloser closeShared(registry, shared);
      ReadOptionS(table, registry, shared);
    }
    ReadKind(table, registry, root, DeviceKind::k8342Pin, &count);
    ReadKind(table, registry, root, DeviceKind::k8343, &count);
  }
  Availability& a = table.availability;
  if (count == 0) {
    a.SetSubmenu(Submenu::kFileUpdate, false);
    a.SetSubmenu(Submenu::kDeviceChange, false);
    a.SetSubmenu(Submenu::kDeviceDelete, false);
    a.Grey(IDM_UPDATE_DEVICESUPPORT);
  } else {
    a.Grey(IDM_UPDATE_CONFIGURATION);
    a.Enable(IDM_SAVETODISK);
  }
  table.deviceCount = count;
}

void AddDevice(DeviceTable& table, DeviceKind kind, std::uint32_t port) {
  if (port == 0) return;
  table.Port(kind) = port;
  bool first = table.deviceCount == 0;
  ++table.deviceCount;
  table.changed = true;
  Availability& a = table.availability;
  a.Grey(AddCommand(kind));
  a.Enable(DeleteCommand(kind));
  a.Enable(ChangeCommand(kind));
  switch (kind) {
    case DeviceKind::k8341:
      break;
    case DeviceKind::k8342Msr:
      a.Enable(IDM_OPTION_S);
      a.Grey(IDM_ADD_8343);
      break;
    case DeviceKind::k8342Pin:
      a.Grey(IDM_ADD_8343);
      break;
    case DeviceKind::k8343:
      a.Grey(IDM_ADD_8342MSR);
      a.Grey(IDM_ADD_8342PIN);
      break;
  }
  a.Enable(IDM_INSTALL);
  a.Grey(IDM_UPDATE_DEVICESUPPORT);
  a.Grey(IDM_SAVETODISK);
  if (first) {
    a.SetSubmenu(Submenu::kDeviceDelete, true);
    a.SetSubmenu(Submenu::kDeviceChange, true);
  }
}

void DeleteDevice(DeviceTable& table, DeviceKind kind) {
  table.Port(kind) = 0;
  --table.deviceCount;
  table.changed = true;
  Availability& a = table.availability;
  a.Enable(AddCommand(kind));
  a.Grey(DeleteCommand(kind));
  a.Grey(ChangeCommand(kind));
  switch (kind) {
    case DeviceKind::k8341:
      break;
    case DeviceKind::k8342Msr:
      // The S option keeps its value and its check mark; it is only greyed.
      if (table.Port(DeviceKind::k8342Pin) == 0) a.Enable(IDM_ADD_8343);
      a.Grey(IDM_OPTION_S);
      break;
    case DeviceKind::k8342Pin:
      if (table.Port(DeviceKind::k8342Msr) == 0) a.Enable(IDM_ADD_8343);
      break;
    case DeviceKind::k8343:
      a.Enable(IDM_ADD_8342MSR);
      a.Enable(IDM_ADD_8342PIN);
      break;
  }
  a.Enable(IDM_UPDATE_CONFIGURATION);
  a.Grey(IDM_UPDATE_DEVICESUPPORT);
  a.Grey(IDM_SAVETODISK);
  if (table.deviceCount == 0) {
    a.SetSubmenu(Submenu::kDeviceDelete, false);
    a.SetSubmenu(Submenu::kDeviceChange, false);
  }
}

void ChangeDevice(DeviceTable& table, DeviceKind kind, std::uint32_t port) {
  if (port == 0) return;
  table.Port(kind) = port;
  // Every kind, the 8343 included: otherwise Exit would drop a new 8343 port unasked.
  table.changed = true;
  Availability& a = table.availability;
  a.Enable(IDM_UPDATE_CONFIGURATION);
  a.Grey(IDM_UPDATE_DEVICESUPPORT);
  a.Grey(IDM_SAVETODISK);
}

void ToggleOptionS(DeviceTable& table) {
  table.optionS = !table.optionS;
  table.changed = true;
  Availability& a = table.availability;
  a.CheckS(table.optionS);
  a.Enable(IDM_INSTALL);
  a.Grey(IDM_UPDATE_DEVICESUPPORT);
  a.Grey(IDM_SAVETODISK);
}

void ApplyRegistryWritten(DeviceTable& table) {
  Availability& a = table.availability;
  if (table.deviceCount == 0) {
    a.SetSubmenu(Submenu::kFileUpdate, false);
    a.Grey(IDM_UPDATE_DEVICESUPPORT);
  } else {
    a.Enable(IDM_UPDATE_DEVICESUPPORT);
    a.Enable(IDM_SAVETODISK);
  }
}

std::string BlankLine() { return std::string(kLineWidth, ' '); }

std::vector<std::string> DeviceLines(const DeviceTable& table) {
  static constexpr const char* kSuffix[] = {" : 8341    ", " : 8342 MSR", " : 8342 PIN",
                                            " : 8343    "};
  std::vector<std::string> lines;
  for (DeviceKind kind : devconfig::kDeviceKinds) {
    std::uint32_t port = table.Port(kind);
    if (port == 0) continue;
    char number[16];
    // A port read from the registry is shown as the window always showed it, as a signed
    // number: the same as unsigned for every port the installer offers.
    std::snprintf(number, sizeof number, "%-3d", static_cast<int>(port));
    std::string line = std::string(15, ' ') + "COM" + number + kSuffix[Index(kind)];
    if (kind == DeviceKind::k8342Msr) line += table.optionS ? " (/S)" : "     ";
    lines.push_back(line);
  }
  return lines;
}

}  // namespace fiosetup
