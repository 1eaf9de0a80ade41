// UI automation for end-to-end tests: start a program, find its windows and dialogs, read
// and type fields, click, read message boxes, wait for its exit, take screenshots.
// Every wait has a time-out and fails with what it waited for and which windows existed.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace uiauto {

struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline constexpr DWORD kDefaultTimeout = 15000;

struct StartOptions {
  std::string workDir;                                   // empty: the caller's
  std::vector<std::pair<std::string, std::string>> env;  // added or replaced variables
  bool captureOutput = false;                            // standard output and error to a file
  // The program file itself, for one the command line cannot name: Windows would look for
  // "simdev.exe" for a native Linux program called simdev.
  std::string application;
};

class Process {
 public:
  // `commandLine` is passed to CreateProcessA as it stands (quote the program if needed).
  static Process Start(const std::string& commandLine, const StartOptions& options = {});
  Process(Process&& other) noexcept;
  Process& operator=(Process&&) = delete;
  Process(const Process&) = delete;
  ~Process();  // ends a program that is still running, so a failed test leaves no window

  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const;
  // The full 32-bit exit code (a Unix shell would only see its low 8 bits).
  DWORD WaitExit(DWORD timeoutMs = kDefaultTimeout);
  // What the program wrote to standard output and error (captureOutput only).
  std::string Output() const;
  void Kill();

 private:
  Process() = default;
  PROCESS_INFORMATION info_{};
  std::string outputPath_;
  std::string commandLine_;
};

struct WindowInfo {
  HWND hwnd;
  std::string title;
  std::string className;
  DWORD pid;
  bool visible;
};
std::vector<WindowInfo> TopLevelWindows();
std::string DescribeWindows();

// A visible top-level window (main window or dialog) of the process with exactly this title.
HWND WaitWindow(const Process& process, const std::string& title,
                DWORD timeoutMs = kDefaultTimeout);
// A visible dialog (class #32770) of the process with exactly this title: tells a dialog from
// a main window of the same title (an About box is often titled like its program).
HWND WaitDialog(const Process& process, const std::string& title,
                DWORD timeoutMs = kDefaultTimeout);
// Waits until the window is gone (closed or destroyed).
void WaitGone(HWND window, const std::string& what, DWORD timeoutMs = kDefaultTimeout);
// Fails when a visible top-level window of the process has this title (checked now).
bool HasWindow(const Process& process, const std::string& title);

std::string Text(HWND window);  // window or control text
std::string Text(HWND dialog, int id);
void SetText(HWND dialog, int id, const std::string& text);  // replaces the text (WM_SETTEXT)
void Type(HWND dialog, int id, const std::string& text);     // types key by key (WM_CHAR)
void Clear(HWND dialog, int id);                             // selects all and deletes, by key
void Click(HWND dialog, int id);    // a click on a button, handled unless it opens a modal dialog
void Command(HWND window, int id);  // a menu command
void PressKey(HWND window, int virtualKey);  // key down and up
HWND Control(HWND dialog, int id);           // fails when there is none
LONG_PTR Style(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);

int ListCount(HWND dialog, int id);
std::string ListText(HWND dialog, int id, int index);
int ListSelection(HWND dialog, int id);
void ListSelect(HWND dialog, int id, int index);  // as a click on the item: notifies the dialog

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::string caption;
  std::string text;
  std::string icon;          // "none", "error", "question", "warning", "information"
  std::vector<int> buttons;  // ids of the visible buttons: IDOK, IDCANCEL, IDYES, IDNO ...
};
// The newest message box of the process.
MessageBoxInfo WaitMessageBox(const Process& process, DWORD timeoutMs = kDefaultTimeout);
MessageBoxInfo ReadMessageBox(HWND box);
// Presses a button of a message box and waits until it is gone.
void Answer(const MessageBoxInfo& box, int buttonId);

// Captures the whole screen, or one window, to a PNG file.
void Screenshot(const std::string& pngPath, HWND window = nullptr);

}  // namespace uiauto
