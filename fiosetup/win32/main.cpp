// FIOSETUP: with a configuration file on its command line it applies that file to the
// registry and exits with the result, showing no window; otherwise it opens its window,
// which lists the configured devices and runs the menu commands.
#include <windows.h>

#include "devconfig/win32/Win32Registry.h"
#include "fiosetup/DeviceTable.h"
#include "fiosetup/HelpContexts.h"
#include "fiosetup/Operations.h"
#include "fiosetup/Startup.h"
#include "fiosetup/Texts.h"
#include "fiosetup/win32/ComPortDialog.h"
#include "fiosetup/win32/InstallerWindow.h"
#include "fiosetup/win32/Win32Menu.h"
#include "fiosetup/win32/Win32Platform.h"
#include "ui/win32/Shell.h"
#include "ui/win32/Win32Ui.h"

namespace {

constexpr char kName[] = "FIOSETUP";  // window class, menu, icon and accelerator table

// The high bit of the version word is clear on Windows NT.
bool IsWindowsNt() { return (GetVersion() & 0x80000000u) == 0; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  fiosetup::DeviceTable table;
  table.nt = IsWindowsNt();

  devconfig::Win32Registry registry;
  ui::Win32Ui ui(instance, nullptr);
  ui::SleepPause pause;
  fiosetup::Win32SettingChange settingChange;
  fiosetup::Win32Files files;

  // GetCommandLineA keeps the rest exactly as typed (WinMain's argument may not).
  if (auto path = fiosetup::ConfigurationPathOf(GetCommandLineA())) {
    fiosetup::NoStatusLine status;
    fiosetup::Platform platform{registry, ui, pause, status, settingChange, files};
    return static_cast<int>(fiosetup::RestoreConfiguration(table, *path, platform));
  }

  fiosetup::InstallerWindow window(table);
  fiosetup::Platform platform{registry, ui, pause, window, settingChange, files};
  fiosetup::Win32ComPortDialog comPort(instance, nullptr);
  fiosetup::Program session{table, platform, comPort, window};
  window.session = &session;

  ui::ProgramFrame frame(instance, kName);
  frame.Attach(&window);  // before Create: it measures the font at WM_CREATE
  HWND hwnd = frame.Create(fiosetup::kTitle);
  if (!hwnd) return 0;
  ui.SetOwner(hwnd);
  comPort.SetOwner(hwnd);

  HMENU menu = GetMenu(hwnd);
  fiosetup::ReadConfiguration(table, registry);
  fiosetup::ApplyAvailability(menu, table.availability);
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  frame.Run();
  return 0;
}
