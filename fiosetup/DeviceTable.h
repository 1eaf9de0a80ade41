// The installer's device table, the availability of its menu commands, the start-up read
// from the registry and the edits behind the Device and Options menus.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "devconfig/DeviceConfig.h"
#include "devconfig/Registry.h"
#include "fiosetup/FIOSETUP.h"

namespace fiosetup {

using devconfig::DeviceKind;

inline constexpr std::size_t Index(DeviceKind kind) { return static_cast<std::size_t>(kind); }

// Menu command ids of one kind (FIOSETUP.h numbers them per kind in the kinds' order).
int AddCommand(DeviceKind kind);
int DeleteCommand(DeviceKind kind);
int ChangeCommand(DeviceKind kind);
// The kind an Add, Delete or Change command acts on; nothing for any other command.
std::optional<DeviceKind> KindOfCommand(int commandId);

// The three submenus that are enabled or greyed as wholes.
enum class Submenu { kFileUpdate = 0, kDeviceDelete = 1, kDeviceChange = 2 };

// Enabled or greyed per menu command, the check mark of S, and the three submenus. The
// window applies it to the real menu after every change.
class Availability {
 public:
  // Every command id of the menu, in menu order.
  static constexpr std::array<int, 23> kCommands = {IDM_EXIT,
                                                    IDM_INSTALL,
                                                    IDM_SAVETODISK,
                                                    IDM_UPDATE_CONFIGURATION,
                                                    IDM_UPDATE_DEVICESUPPORT,
                                                    IDM_ADD_8341,
                                                    IDM_ADD_8342MSR,
                                                    IDM_ADD_8342PIN,
                                                    IDM_ADD_8343,
                                                    IDM_DELETE_8341,
                                                    IDM_DELETE_8342MSR,
                                                    IDM_DELETE_8342PIN,
                                                    IDM_DELETE_8343,
                                                    IDM_CHANGE_8341,
                                                    IDM_CHANGE_8342MSR,
                                                    IDM_CHANGE_8342PIN,
                                                    IDM_CHANGE_8343,
                                                    IDM_OPTION_S,
                                                    IDM_ABOUT,
                                                    IDM_HELP_FILE,
                                                    IDM_HELP_DEVICE,
                                                    IDM_HELP_OPTION,
                                                    IDM_HELP_GENERAL};

  Availability();  // the state before the start-up read

  bool Enabled(int commandId) const;  // false for an id that is not a menu command
  void Enable(int commandId) { Set(commandId, true); }
  void Grey(int commandId) { Set(commandId, false); }
  void Set(int commandId, bool enabled);

  bool SChecked() const { return sChecked_; }
  void CheckS(bool checked) { sChecked_ = checked; }

  bool SubmenuEnabled(Submenu submenu) const {
    return submenus_[static_cast<std::size_t>(submenu)];
  }
  void SetSubmenu(Submenu submenu, bool enabled) {
    submenus_[static_cast<std::size_t>(submenu)] = enabled;
  }

  bool operator==(const Availability&) const = default;

 private:
  std::array<bool, kCommands.size()> enabled_{};
  bool sChecked_ = false;
  std::array<bool, 3> submenus_{};
};

// One instance for the whole run, owned by the shell.
struct DeviceTable {
  std::array<std::uint32_t, 4> port{};  // per kind: COM port 1-256, 0 = not configured
  std::array<bool, 4> registered{};     // per kind: its subkey exists, as far as we know
  bool optionS = false;                 // S option of the 8342 MSR
  std::uint32_t mode = 0;               // the Mode value: 1, or 2 with an 8343
  bool changed = false;                 // edits not yet written to the registry
  std::int32_t deviceCount = 0;
  bool nt = false;  // Windows NT: only the PATH update looks at it
  Availability availability;

  std::uint32_t& Port(DeviceKind kind) { return port[Index(kind)]; }
  std::uint32_t Port(DeviceKind kind) const { return port[Index(kind)]; }
  bool& Registered(DeviceKind kind) { return registered[Index(kind)]; }
  bool Registered(DeviceKind kind) const { return registered[Index(kind)]; }
};

// Fills the table from the device configuration key. A key that does not open counts as
// absent; nothing is reported.
void ReadConfiguration(DeviceTable& table, devconfig::Registry& registry);

// The edits. A port of 0 (the COM port dialog was cancelled) leaves everything unchanged.
void AddDevice(DeviceTable& table, DeviceKind kind, std::uint32_t port);
void DeleteDevice(DeviceTable& table, DeviceKind kind);
void ChangeDevice(DeviceTable& table, DeviceKind kind, std::uint32_t port);
void ToggleOptionS(DeviceTable& table);

// What the registry writer does to the availability when it succeeded.
void ApplyRegistryWritten(DeviceTable& table);

// The main window's lines: 79 blanks, the heading, and one line per configured device.
inline constexpr std::size_t kLineWidth = 79;
std::string BlankLine();
inline constexpr char kHeading[] = "               Current QRT 8300 FIO Devices Configuration";
std::vector<std::string> DeviceLines(const DeviceTable& table);

}  // namespace fiosetup
