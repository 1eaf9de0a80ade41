// A test-only program around the generic dialog host: entry dialog, confirmation, result
// dialog and message boxes, so the host can be driven end to end like the real programs.
// Exit code: 3 after CANCEL, else 0x10000 + the number of completed rounds (more than a
// shell's 8 bits, so the test also proves that the full exit code is read).
#include "tests/e2e/dlghost/dlghost.h"

#include <windows.h>

#include <string>

#include "ui/win32/Win32Ui.h"

namespace {

const char kTitle[] = "Dialog Host Test";

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR args, int show) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "DLGHOST";
  RegisterClassA(&wc);
  HWND main = CreateWindowA("DLGHOST", kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  ShowWindow(main, show);
  UpdateWindow(main);

  ui::Win32Ui ui(instance, main);
  if (std::string(args) == "icons") {
    // One box per icon, its text naming the icon, so the automation's icon reading is checked.
    const std::pair<ui::Icon, const char*> icons[] = {{ui::Icon::kNone, "none"},
                                                      {ui::Icon::kError, "error"},
                                                      {ui::Icon::kQuestion, "question"},
                                                      {ui::Icon::kWarning, "warning"},
                                                      {ui::Icon::kInformation, "information"}};
    for (const auto& [icon, name] : icons) ui.ShowMessage({kTitle, name, icon, ui::Buttons::kOk});
    return 0;
  }
  const ui::EntryDialog entry{"ENTRY",        {{IDC_NAME, 5, 0, ""}, {IDC_PORT, 3, 3, "1"}},
                              IDC_OK,         IDC_CANCEL,
                              IDC_HELPBUTTON, {"dlghost.hlp", 42}};
  DWORD rounds = 0;
  for (;;) {
    ui::EntryResult typed = ui.RunEntry(entry);
    if (!typed) {
      ui.ShowMessage({kTitle, "Cancelled", ui::Icon::kError, ui::Buttons::kOk});
      return 3;
    }
    if (ui.RunConfirm({"CONFIRM", IDC_CONFIRM_OK, IDC_CONFIRM_CANCEL}) != ui::Answer::kOk) continue;
    ui.ShowResult(
        {"RESULT", {{IDC_SHOW_NAME, (*typed)[0]}, {IDC_SHOW_PORT, (*typed)[1]}}, IDC_SHOW_OK});
    ++rounds;
    if (ui.ShowMessage({kTitle, "Again?", ui::Icon::kQuestion, ui::Buttons::kYesNo}) !=
        ui::Answer::kYes) {
      break;
    }
  }
  DestroyWindow(main);
  return static_cast<int>(0x10000 + rounds);
}
