// The shared pieces of the windowed programs' shells.
#include "ui/win32/Shell.h"

#include "ui/win32/Win32Ui.h"

namespace ui {

bool RegisterProgramClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, name);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszMenuName = name;
  windowClass.lpszClassName = name;
  return RegisterClassA(&windowClass) != 0;
}

HWND CreateProgramWindow(HINSTANCE instance, const char* className, const char* title,
                         void* param) {
  return CreateWindowA(className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, param);
}

void QuitHelp(HWND main, const char* helpFile) {
  WinHelpA(main, HelpFilePath(helpFile).c_str(), HELP_QUIT, 0);
}

int RunMessageLoop(HINSTANCE instance, HWND main, const char* acceleratorName) {
  HACCEL accelerators = LoadAcceleratorsA(instance, acceleratorName);
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!accelerators || !TranslateAcceleratorA(main, accelerators, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace ui
