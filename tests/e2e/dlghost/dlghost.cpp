// A test-only program around the generic dialog host: entry dialog, confirmation, result
// dialog and message boxes, so the host can be driven end to end like the real programs.
// Exit code: 3 after CANCEL, else 0x10000 + the number of completed rounds (more than a
// shell's 8 bits, so the test also proves that the full exit code is read).
// "dialog N" runs entry dialog N of the programs' list instead (ProgramDialogs.h).
#include "tests/e2e/dlghost/dlghost.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/Hex.h"
#include "tests/e2e/dlghost/ProgramDialogs.h"
#include "ui/win32/Win32Ui.h"

namespace {

const char kTitle[] = "Dialog Host Test";

// One line per OK: "ok" and, after a blank each, the texts as hexadecimal ("-" for an empty
// one), so that no byte the dialog handed over is lost to the line's layout.
std::string ResultLine(const ui::EntryResult& typed) {
  if (!typed) return "cancelled\n";
  std::string line = "ok";
  for (const std::string& text : *typed) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    line += ' ';
    line += text.empty() ? "-" : base::BytesToHex({bytes, text.size()});
  }
  return line + '\n';
}

// The program's own dialog over the template in the program's built .EXE, loaded as data
// only (nothing of the program runs), again and again until CANCEL.
int RunProgramDialog(HWND main, std::size_t index) {
  const std::vector<dlghost::ProgramDialog> all = dlghost::ProgramDialogs();
  if (index >= all.size()) return 2;
  std::string path = ui::ProgramPath();
  path.replace(path.find_last_of("\\/") + 1, std::string::npos, all[index].exe);
  HMODULE resources = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!resources) return 4;
  ui::Win32Ui programUi(resources, main);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD rounds = 0;
  for (;;) {
    ui::EntryResult typed = programUi.RunEntry(all[index].dialog);
    std::string line = ResultLine(typed);
    DWORD written = 0;
    WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    if (!typed) break;
    ++rounds;
  }
  FreeLibrary(resources);
  DestroyWindow(main);
  return static_cast<int>(0x10000 + rounds);
}

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

  const std::string mode(args);
  if (mode.rfind("dialog ", 0) == 0) {
    return RunProgramDialog(main, std::strtoul(mode.c_str() + 7, nullptr, 10));
  }
  ui::Win32Ui ui(instance, main);
  if (mode == "icons") {
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
