// FIOSETUP: with a configuration file on its command line it applies that file to the
// registry and exits with the result, showing no window.
#include <windows.h>

#include "devconfig/win32/Win32Registry.h"
#include "fiosetup/CommandLine.h"
#include "fiosetup/DeviceTable.h"
#include "fiosetup/win32/Win32Platform.h"
#include "ui/win32/Win32Ui.h"

namespace {

// The high bit of the version word is clear on Windows NT.
bool IsWindowsNt() { return (GetVersion() & 0x80000000u) == 0; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  fiosetup::DeviceTable table;
  table.nt = IsWindowsNt();

  // GetCommandLineA keeps the rest exactly as typed (WinMain's argument may not).
  if (auto path = fiosetup::ConfigurationPathOf(GetCommandLineA())) {
    devconfig::Win32Registry registry;
    ui::Win32Ui ui(instance, nullptr);
    ui::SleepPause pause;
    fiosetup::NoStatusLine status;
    fiosetup::Win32SettingChange settingChange;
    fiosetup::Win32Files files;
    fiosetup::Platform platform{registry, ui, pause, status, settingChange, files};
    return static_cast<int>(fiosetup::RestoreConfiguration(table, *path, platform));
  }
  return 0;
}
