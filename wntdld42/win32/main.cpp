// WNTDLD42, the key loader of the 8342 PIN pad: window, start-up, menu dispatch, shutdown.
#include <windows.h>

#include "devconfig/win32/Win32Registry.h"
#include "ui/CommandGate.h"
#include "ui/win32/Shell.h"
#include "ui/win32/Win32Ui.h"
#include "wntdld42/ImportedPinApi.h"
#include "wntdld42/Operations.h"
#include "wntdld42/WNTDLD42.h"
#include "wntdld42/win32/Win32ModeForm.h"

namespace {

constexpr char kClassName[] = "WNTDLD42";

// What the window procedure needs once the PIN pad is open.
struct WindowState {
  wntdld42::Program* program = nullptr;
  ui::CommandGate commands;  // also closing: never under a running command
};

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_COMMAND:
      if (state && state->program) {
        state->commands.Run([&] {
          if (wntdld42::RunCommand(*state->program, LOWORD(wParam)) ==
              wntdld42::CommandResult::kExit) {
            DestroyWindow(window);
          }
        });
        return 0;
      }
      break;
    case WM_CLOSE:
      if (state && state->commands.Busy()) return 0;
      break;
    case WM_DESTROY:
      ui::QuitHelp(window, wntdld42::kHelpFile);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  if (!ui::RegisterProgramClass(instance, kClassName, MainWindowProc)) return 0;
  HWND window = ui::CreateProgramWindow(instance, kClassName, wntdld42::kCaption);
  if (!window) return 0;
  ShowWindow(window, show);
  UpdateWindow(window);

  ui::Win32Ui ui(instance, window);
  wntdld42::Win32ModeForm modeForm(instance, window);
  wntdld42::ImportedPinApi api;
  devconfig::Win32Registry registry;
  wntdld42::Program program{api, ui, modeForm};
  auto placePointer = [](int x, int y) { SetCursorPos(x, y); };
  if (wntdld42::OpenPinPad(program, registry, placePointer) != wntdld42::StartResult::kOpened) {
    DestroyWindow(window);  // which also quits a help viewer that the prompt's HELP opened
    return 0;
  }

  WindowState state;
  state.program = &program;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  int code = ui::RunMessageLoop(instance, window, kClassName);
  api.PinClose(program.handle);
  return code;
}
