// WNTDLD42, the key loader of the 8342 PIN pad: window, start-up, menu dispatch, shutdown.
// The pad is opened once at start-up, with the window as the owner of the port prompt, so
// commands reach the program only after that; it is closed once the window has gone.
#include <windows.h>

#include "devconfig/win32/Win32Registry.h"
#include "ui/win32/Shell.h"
#include "ui/win32/Win32Ui.h"
#include "wntdld42/HelpContexts.h"
#include "wntdld42/ImportedPinApi.h"
#include "wntdld42/Operations.h"
#include "wntdld42/Startup.h"
#include "wntdld42/Texts.h"
#include "wntdld42/win32/Win32ModeForm.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  ui::ProgramFrame frame(instance, "WNTDLD42");
  HWND window = frame.Create(wntdld42::kCaption);
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
  ui::Commands commands(program);
  frame.Attach(&commands);
  int code = frame.Run();
  api.PinClose(program.handle);
  return code;
}
