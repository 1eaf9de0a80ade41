// menushot: opens a menu of a running program's main window by its access key, takes a
// screenshot of the window with the menu open, and closes the menu again. For the demo, since
// the UI automation drives dialogs and menu commands but does not open menus.
//   menushot "Window Title" KEY file.png      (KEY: the access key, for example o)
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "tools/UiAuto.h"

namespace {

// The visible popup menu window (class #32768), if one is open.
HWND OpenPopupMenu() {
  for (const uiauto::WindowInfo& w : uiauto::TopLevelWindows()) {
    if (w.visible && w.className == "#32768") return w.hwnd;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || std::string(argv[2]).size() != 1) {
    std::fprintf(stderr, "usage: menushot \"Window Title\" KEY file.png\n");
    return 2;
  }
  // The window takes keys only once it is shown and no modal dialog has it disabled.
  HWND window = nullptr;
  for (int i = 0; i < 750; ++i) {
    window = FindWindowA(nullptr, argv[1]);
    if (window && IsWindowVisible(window) && IsWindowEnabled(window)) break;
    window = nullptr;
    Sleep(20);
  }
  if (!window) {
    std::fprintf(stderr, "menushot: no window \"%s\" to take keys\n", argv[1]);
    return 1;
  }
  Sleep(300);
  // What Alt and the access key do: the window's own menu loop opens the popup.
  PostMessageA(window, WM_SYSCOMMAND, SC_KEYMENU,
               std::tolower(static_cast<unsigned char>(argv[2][0])));
  HWND popup = nullptr;
  for (int i = 0; i < 250 && !popup; ++i) {
    popup = OpenPopupMenu();
    if (!popup) Sleep(20);
  }
  if (!popup) {
    std::fprintf(stderr, "menushot: no menu opened\n");
    return 1;
  }
  Sleep(300);
  int status = 0;
  try {
    uiauto::Screenshot(argv[3], window);
    std::printf("screenshot %s\n", argv[3]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "menushot: %s\n", e.what());
    status = 1;
  }
  // Leaving the menu: the popup, then the menu bar.
  uiauto::PressKey(popup, VK_ESCAPE);
  uiauto::PressKey(window, VK_ESCAPE);
  uiauto::PressKey(window, VK_ESCAPE);
  return status;
}
