// Helpers of the FIOSETUP window tests: the device key and PATH read back with reg.exe,
// the menu state read inside the program through the menu hook, dialogs found by title and
// class, and the window's lines compared with the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/Registry.h"
#include "tools/UiAuto.h"
#include "tools/menuhook/MenuHook.h"

namespace fio {

inline constexpr char kTitle[] = "QRT 8300 FIO Devices Installation Program";
inline constexpr char kRootKey[] = "HKCR\\QRT_8300_FIO_DEVICES";

// `reg query` of the device key or one of its subkeys, with its values.
support::RegResult Query(const std::string& subkey = "");
// Adds a REG_DWORD value to a subkey of the device key (created when missing).
void AddDword(const std::string& subkey, const std::string& value, std::uint32_t data);
// The user's PATH as `reg query HKCU\Environment /v PATH` shows it; nothing when absent.
std::optional<std::string> UserPath();

// Sets the user's PATH to a known text for a test and restores what was there afterwards.
class PathGuard {
 public:
  explicit PathGuard(const std::string& path);

 private:
  support::RegistrySnapshot saved_{HKEY_CURRENT_USER, "Environment", "PATH"};
};
void WriteFile(const std::string& path, const std::string& content);
std::optional<std::string> ReadFile(const std::string& path);
// The names of the files in a folder, sorted.
std::vector<std::string> FileNames(const std::string& folder);
bool IsFolder(const std::string& path);

// The availability on the running program's menu, in the form the core's tests use:
// the greyed commands in menu order, the S check mark, and the submenus File > Update,
// Device > Delete and Device > Change as U, D and C (a dash when greyed). A command missing
// from the menu shows as "missing <id>".
std::string DescribeMenu(menuhook::MenuProbe& probe);

// Whether a message box of the program shows up within `ms`.
bool MessageBoxWithin(const uiauto::Process& process, DWORD ms);

// Compares the main window's client area on the screen with `lines` drawn as the window
// must draw them: the system fixed-pitch font, one average character width (of the default
// font) from the left, line k at k line heights. Empty when they agree, otherwise which
// lines differ. Retries for a while: the window may still be drawing.
std::string ScreenDiffers(HWND window, const std::vector<std::string>& lines);

// The heading and a device line as the window shows them.
inline constexpr char kHeading[] = "               Current QRT 8300 FIO Devices Configuration";
std::string DeviceLine(int port, const std::string& suffix);

}  // namespace fio
