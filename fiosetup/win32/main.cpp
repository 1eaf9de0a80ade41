// FIOSETUP: with a configuration file on its command line it applies that file to the
// registry and exits with the result, showing no window; otherwise it opens its window,
// which lists the configured devices and runs the menu commands.
#include <windows.h>

#include <string>

#include "devconfig/win32/Win32Registry.h"
#include "fiosetup/DeviceTable.h"
#include "fiosetup/HelpContexts.h"
#include "fiosetup/Operations.h"
#include "fiosetup/Painting.h"
#include "fiosetup/Startup.h"
#include "fiosetup/Texts.h"
#include "fiosetup/win32/ComPortDialog.h"
#include "fiosetup/win32/Win32Menu.h"
#include "fiosetup/win32/Win32Platform.h"
#include "ui/win32/Shell.h"
#include "ui/win32/Win32Ui.h"

namespace {

constexpr char kName[] = "FIOSETUP";  // window class, menu, icon and accelerator table

// The high bit of the version word is clear on Windows NT.
bool IsWindowsNt() { return (GetVersion() & 0x80000000u) == 0; }

// The main window: what it paints, and its status line.
class InstallerWindow : public fiosetup::StatusLine, public fiosetup::MainWindow {
 public:
  explicit InstallerWindow(const fiosetup::DeviceTable& table) : table_(table) {}

  HWND hwnd = nullptr;
  fiosetup::Program* session = nullptr;

  // The steps that set a status line block the message loop, so it is drawn at once.
  void Show(const std::string& text) override {
    status_ = text;
    Repaint();
  }
  void Repaint() override {
    if (!hwnd) return;
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
  }

  // The metrics of the window's default font, measured once.
  void MeasureFont() {
    HDC dc = GetDC(hwnd);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(hwnd, dc);
    charWidth_ = metrics.tmAveCharWidth;
    lineHeight_ = metrics.tmHeight + metrics.tmExternalLeading;
  }
  void Resized(int height) { clientHeight_ = height; }

  void Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HGDIOBJ font = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    auto lines = fiosetup::PaintLines(table_, status_, clientHeight_, lineHeight_);
    for (std::size_t k = 0; k < lines.size(); ++k) {
      TextOutA(dc, charWidth_, static_cast<int>(k + 1) * lineHeight_, lines[k].c_str(),
               static_cast<int>(lines[k].size()));
    }
    SelectObject(dc, font);
    EndPaint(hwnd, &ps);
  }

 private:
  const fiosetup::DeviceTable& table_;
  std::string status_ = fiosetup::BlankLine();
  int charWidth_ = 0;
  int lineHeight_ = 0;
  int clientHeight_ = 0;
};

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<InstallerWindow*>(create->lpCreateParams)->hwnd = hwnd;
  }
  auto* window = reinterpret_cast<InstallerWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
  fiosetup::Program& session = *window->session;
  switch (message) {
    case WM_CREATE:
      window->MeasureFont();
      return 0;
    case WM_SIZE:
      window->Resized(HIWORD(lParam));
      return 0;
    case WM_PAINT:
      window->Paint();
      return 0;
    case WM_COMMAND: {
      fiosetup::After after = fiosetup::RunCommand(session, LOWORD(wParam));
      fiosetup::ApplyAvailability(GetMenu(hwnd), session.table.availability);
      if (after == fiosetup::After::Close) {
        DestroyWindow(hwnd);
      } else if (after == fiosetup::After::Repaint) {
        window->Repaint();
      }
      return 0;
    }
    case WM_CLOSE:
      // The close box and the system menu ask about unsaved edits just as Exit does.
      if (fiosetup::CloseRequested(session) == fiosetup::After::Close) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      ui::QuitHelp(hwnd, fiosetup::kHelpFile);
      window->hwnd = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

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

  InstallerWindow window(table);
  fiosetup::Platform platform{registry, ui, pause, window, settingChange, files};
  fiosetup::Win32ComPortDialog comPort(instance, nullptr);
  fiosetup::Program session{table, platform, comPort, window};
  window.session = &session;

  if (!ui::RegisterProgramClass(instance, kName, WindowProc)) return 0;
  HWND hwnd = ui::CreateProgramWindow(instance, kName, fiosetup::kTitle, &window);
  if (!hwnd) return 0;
  ui.SetOwner(hwnd);
  comPort.SetOwner(hwnd);

  HMENU menu = GetMenu(hwnd);
  fiosetup::ReadConfiguration(table, registry);
  fiosetup::ApplyAvailability(menu, table.availability);
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  ui::RunMessageLoop(instance, hwnd, kName);
  return 0;
}
