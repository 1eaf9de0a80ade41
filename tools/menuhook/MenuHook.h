// The menu-state questions that MENUHOOK.dll answers inside a program's GUI thread (another
// process cannot read a menu under Wine), and MenuProbe, the test side that asks them.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace menuhook {

// Registered messages. A question is posted to the program's window: wParam is the
// question, lParam the id of the thread that waits for the answer. The answer is posted to
// that thread: wParam the question again, lParam what GetMenuState gave (0xFFFFFFFF when
// there is no such item).
inline constexpr char kQuestionMessage[] = "SuiteMenuHook.Question";
inline constexpr char kAnswerMessage[] = "SuiteMenuHook.Answer";

// A question names one item of the window's menu: by command id, or by position (a menu of
// the menu bar, then an item of that menu; item -1 asks about the menu bar's own item).
inline constexpr WPARAM kByPosition = 0x01000000;
inline WPARAM ByCommand(int id) { return static_cast<WPARAM>(id & 0xFFFF); }
inline WPARAM ByPosition(int menu, int item) {
  return kByPosition | static_cast<WPARAM>((menu & 0xFF) << 16) |
         static_cast<WPARAM>(item & 0xFFFF);
}

struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Installs MENUHOOK.dll (found beside the running executable) into the GUI thread of a
// window of another process, for as long as the probe lives.
class MenuProbe {
 public:
  explicit MenuProbe(HWND window);
  ~MenuProbe();
  MenuProbe(const MenuProbe&) = delete;
  MenuProbe& operator=(const MenuProbe&) = delete;

  // GetMenuState of a command (MF_BYCOMMAND) and of an item by position (MF_BYPOSITION).
  UINT State(int commandId) { return Ask(ByCommand(commandId)); }
  UINT StateAt(int menu, int item) { return Ask(ByPosition(menu, item)); }

 private:
  UINT Ask(WPARAM question);

  HWND window_;
  HMODULE module_ = nullptr;
  HHOOK hook_ = nullptr;
  UINT question_;
  UINT answer_;
};

}  // namespace menuhook
