// helpcall: test-only program that asks the help viewer for a topic the way the suite's
// programs do, WinHelpA for a window of its own.
//
//   helpcall FILE NUMBER [--shot PNG]   HELP_CONTEXT NUMBER (with --shot: wait for the
//                                       viewer's topic and save a picture of the viewer)
//   helpcall FILE contents              HELP_CONTENTS
//   helpcall FILE quit                  HELP_QUIT: closes the viewer
//
// Exit code: 0 when WinHelpA returned TRUE, 1 when it returned FALSE, 2 for wrong
// arguments, 3 when the picture could not be taken.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/e2e/HelpViewer.h"
#include "tools/UiAuto.h"

namespace {

int Usage() {
  std::fputs("usage: helpcall FILE NUMBER [--shot PNG] | FILE contents | FILE quit\n", stderr);
  return 2;
}

HWND CreateOwner(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "HelpCallTest";
  RegisterClassA(&wc);
  return CreateWindowA("HelpCallTest", "Help Call Test", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                       CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--shot") == 0)) return Usage();
  const char* file = argv[1];
  std::string what = argv[2];
  UINT command = HELP_CONTEXT;
  ULONG_PTR data = 0;
  if (what == "contents") {
    command = HELP_CONTENTS;
  } else if (what == "quit") {
    command = HELP_QUIT;
  } else {
    char* end = nullptr;
    data = std::strtoul(what.c_str(), &end, 10);
    if (what.empty() || *end != '\0') return Usage();
  }
  HWND owner = CreateOwner(GetModuleHandleA(nullptr));
  BOOL shown = WinHelpA(owner, file, command, data);
  int code = shown ? 0 : 1;
  if (shown && argc == 5) {
    try {
      HWND viewer = nullptr;
      for (int i = 0; i < 250 && !viewer; ++i) {
        viewer = e2e::FindHelpViewer();
        if (viewer && e2e::HelpTopicTitle(viewer).empty()) viewer = nullptr;
        if (!viewer) Sleep(20);
      }
      if (!viewer) throw uiauto::Error("the help viewer shows no topic");
      uiauto::Screenshot(argv[4], viewer);
      std::printf("%s: \"%s\"\n", argv[4], e2e::HelpTopicTitle(viewer).c_str());
    } catch (const uiauto::Error& e) {
      std::fprintf(stderr, "helpcall: %s\n", e.what());
      code = 3;
    }
  }
  DestroyWindow(owner);
  return code;
}
