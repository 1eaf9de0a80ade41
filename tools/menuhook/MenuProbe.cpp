// The test side of the menu hook: install, ask, wait for the answer.
#include <string>

#include "tools/menuhook/MenuHook.h"

namespace menuhook {

namespace {

std::string BesideExecutable(const char* name) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of("\\/") + 1) + name;
}

}  // namespace

MenuProbe::MenuProbe(HWND window)
    : window_(window),
      question_(RegisterWindowMessageA(kQuestionMessage)),
      answer_(RegisterWindowMessageA(kAnswerMessage)) {
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread needs a queue for answers
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  module_ = LoadLibraryA(BesideExecutable("MENUHOOK.dll").c_str());
  if (!module_) throw Error("cannot load MENUHOOK.dll");
  // Through a function pointer without arguments: FARPROC says nothing of the real type.
  auto proc = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void (*)()>(GetProcAddress(module_, "MenuHookProc")));
  hook_ = proc ? SetWindowsHookExA(WH_GETMESSAGE, proc, module_, thread) : nullptr;
  if (!hook_) {
    FreeLibrary(module_);
    throw Error("cannot hook thread " + std::to_string(thread) + ": error " +
                std::to_string(GetLastError()));
  }
}

MenuProbe::~MenuProbe() {
  UnhookWindowsHookEx(hook_);
  FreeLibrary(module_);
}

UINT MenuProbe::Ask(WPARAM question) {
  if (!PostMessageA(window_, question_, question, static_cast<LPARAM>(GetCurrentThreadId()))) {
    throw Error("cannot post a menu question to the window");
  }
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, answer_, answer_, PM_REMOVE)) {
      if (msg.wParam == question) return static_cast<UINT>(msg.lParam);
    }
    DWORD waited = GetTickCount() - start;
    if (waited > 10000) {
      throw Error(
          "no answer from the menu hook within 10 s (the program is busy or the hook "
          "is not in its thread)");
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_POSTMESSAGE);
  }
}

}  // namespace menuhook
