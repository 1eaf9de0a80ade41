// WNTDLD42, the key loader of the 8342 PIN pad: window, start-up, menu dispatch, shutdown.
#include <windows.h>

#include <deque>

#include "devconfig/win32/Win32Registry.h"
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
  bool busy = false;        // an operation runs: its dialogs pump the thread's messages
  std::deque<int> waiting;  // commands that arrived meanwhile, taken when it ends
};

// Runs a command and then those that arrived while it ran, each to its end, one at a time.
void RunCommands(HWND window, WindowState& state, int command) {
  if (state.busy) {
    state.waiting.push_back(command);
    return;
  }
  state.busy = true;
  state.waiting.push_back(command);
  while (!state.waiting.empty()) {
    int next = state.waiting.front();
    state.waiting.pop_front();
    if (wntdld42::RunCommand(*state.program, next) == wntdld42::CommandResult::kExit) {
      DestroyWindow(window);
    }
    // Closed, by Exit or by a close request under a form: what waited is dropped, not sent.
    if (!IsWindow(window)) state.waiting.clear();
  }
  state.busy = false;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_COMMAND:
      if (state && state->program) {
        RunCommands(window, *state, LOWORD(wParam));
        return 0;
      }
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
