// WNT43SUP: the support program of the 8343 EFT terminal. An empty main window whose menu
// runs the commands of wnt43sup/Operations.h; the port is chosen once at start-up.
#include <windows.h>

#include "devconfig/win32/Win32Registry.h"
#include "eft/ImportedEftApi.h"
#include "ui/CommandGate.h"
#include "ui/win32/Shell.h"
#include "ui/win32/Win32Ui.h"
#include "wnt43sup/Operations.h"
#include "wnt43sup/Startup.h"
#include "wnt43sup/Texts.h"

namespace {

const char kClassName[] = "WNT43SUP";

// What the window procedure needs once the port is chosen.
struct WindowState {
  const wnt43sup::Program* program = nullptr;
  ui::CommandGate commands;  // also closing: never under a running command
};

// The window procedure finds its state in the window's user data, set once the port is chosen;
// no command can come earlier, the port dialog being modal.
LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_COMMAND:
      if (state) {
        state->commands.Run([&] {
          if (wnt43sup::RunMenuCommand(LOWORD(wParam), *state->program) ==
              wnt43sup::MenuResult::kExit) {
            DestroyWindow(hwnd);
          }
        });
      }
      return 0;
    case WM_CLOSE:
      if (state && state->commands.Busy()) return 0;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_DESTROY:
      ui::QuitHelp(hwnd, wnt43sup::kHelpFile);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  if (!ui::RegisterProgramClass(instance, kClassName, MainWindowProc)) return 0;
  HWND main = ui::CreateProgramWindow(instance, kClassName, wnt43sup::kTitle);
  if (!main) return 0;
  ShowWindow(main, show);
  UpdateWindow(main);

  ui::Win32Ui ui(instance, main);
  devconfig::Win32Registry registry;
  const eft::PortSelection ports = wnt43sup::SelectPort(registry, ui);
  eft::ImportedEftApi api;
  eft::ResponseBuffer response{};
  const wnt43sup::Program program{ui, api, ports, response};
  WindowState state;
  state.program = &program;
  SetWindowLongPtrA(main, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));

  ui::RunMessageLoop(instance, main, kClassName);
  return 0;
}
