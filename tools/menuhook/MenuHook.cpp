// MENUHOOK.dll: a WH_GETMESSAGE hook that answers menu-state questions in the thread that
// owns the menu. Linked -shared -static, so it loads into any program without other DLLs.
#include "tools/menuhook/MenuHook.h"

namespace {

UINT MenuState(HWND window, WPARAM question) {
  HMENU menu = GetMenu(window);
  if (!menu) return 0xFFFFFFFF;
  if (!(question & menuhook::kByPosition)) {
    return GetMenuState(menu, static_cast<UINT>(question & 0xFFFF), MF_BYCOMMAND);
  }
  int top = static_cast<int>((question >> 16) & 0xFF);
  int item = static_cast<int>(static_cast<short>(question & 0xFFFF));
  if (item < 0) return GetMenuState(menu, static_cast<UINT>(top), MF_BYPOSITION);
  HMENU submenu = GetSubMenu(menu, top);
  if (!submenu) return 0xFFFFFFFF;
  return GetMenuState(submenu, static_cast<UINT>(item), MF_BYPOSITION);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    MenuHookProc(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT question = RegisterWindowMessageA(menuhook::kQuestionMessage);
  static const UINT answer = RegisterWindowMessageA(menuhook::kAnswerMessage);
  auto* msg = reinterpret_cast<MSG*>(lParam);
  // Answered once, when the message is taken off the queue; the program never sees it.
  if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == question) {
    UINT state = MenuState(msg->hwnd, msg->wParam);
    PostThreadMessageA(static_cast<DWORD>(msg->lParam), answer, msg->wParam, state);
    msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
