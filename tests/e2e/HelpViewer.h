// Wine's help viewer seen from a test: find its window, read the topic it shows, close it.
//
// The viewer (winhlp32) is a process of its own, started by the first WinHelpA call and
// reused by later ones. It finds a help file given by its bare name ("wnt43sup.hlp") in its
// working directory, inherited from the program that started it, or on PATH: start the
// programs with the bin folder as their working directory so it finds the built files.
// A context number that the file does not map shows no topic: the viewer then closes.
#pragma once

#include <windows.h>

#include <string>

#include "tests/e2e/E2e.h"
#include "tools/UiAuto.h"

namespace e2e {

inline constexpr int kHelpTextId = 0x701;  // the viewer's rich edit control with the topic

// The viewer's main window when it is on the screen, else null.
inline HWND FindHelpViewer() {
  for (const uiauto::WindowInfo& w : uiauto::TopLevelWindows()) {
    if (w.visible && w.className == "MS_WINHELP") return w.hwnd;
  }
  return nullptr;
}

// The text of the topic the viewer shows, one line per paragraph ('\n' between them).
inline std::string HelpViewerText(HWND viewer) {
  HWND text = GetDlgItem(viewer, kHelpTextId);
  if (!text) return "";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(text, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return "";
  std::string buffer(2 * length + 2, '\0');  // room for line ends given as CR LF
  DWORD_PTR got = 0;
  SendMessageTimeoutA(text, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                      SMTO_ABORTIFHUNG, 5000, &got);
  buffer.resize(got);
  return Lines(buffer);
}

// The topic's title: its first paragraph.
inline std::string HelpTopicTitle(HWND viewer) {
  std::string text = HelpViewerText(viewer);
  return text.substr(0, text.find('\n'));
}

// Waits until the viewer shows the topic with this title; fails naming what it showed.
inline HWND WaitHelpTopic(const std::string& title, DWORD timeoutMs = uiauto::kDefaultTimeout) {
  DWORD start = GetTickCount();
  std::string seen = "no viewer window";
  for (;;) {
    if (HWND viewer = FindHelpViewer()) {
      std::string shown = HelpTopicTitle(viewer);
      if (shown == title) return viewer;
      seen.assign(1, '"').append(shown).append(1, '"');
    }
    if (GetTickCount() - start > timeoutMs) {
      throw uiauto::Error("timed out after " + std::to_string(timeoutMs) +
                          " ms waiting for the help viewer to show \"" + title + "\"; it shows " +
                          seen + "; windows: " + uiauto::DescribeWindows());
    }
    Sleep(20);
  }
}

// True when, for `settleMs`, no viewer shows a topic (the viewer closed or shows nothing).
inline bool HelpViewerShowsNoTopic(DWORD settleMs = 1000) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < settleMs) {
    HWND viewer = FindHelpViewer();
    if (viewer && !HelpViewerText(viewer).empty()) return false;
    Sleep(50);
  }
  return true;
}

// Closes the viewer, if it is open, and waits until its process has ended: the next WinHelpA
// call looks for a running viewer, and would hand its request to one on its way out.
inline void CloseHelpViewer(DWORD timeoutMs = uiauto::kDefaultTimeout) {
  while (HWND viewer = FindHelpViewer()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(viewer, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    uiauto::WaitGone(viewer, "the help viewer", timeoutMs);
    if (process) {
      DWORD waited = WaitForSingleObject(process, timeoutMs);
      CloseHandle(process);
      if (waited != WAIT_OBJECT_0) throw uiauto::Error("the help viewer did not end after closing");
    }
  }
}

// Runs `end` (which ends the program that opened the help) and waits for the viewer that is on
// the screen to end by itself: a program quits its help as its main window goes.
template <typename End>
void ExpectHelpViewerEndsWith(End end, DWORD timeoutMs = uiauto::kDefaultTimeout) {
  HWND viewer = FindHelpViewer();
  if (!viewer)
    throw uiauto::Error("no help viewer on the screen; windows: " + uiauto::DescribeWindows());
  DWORD pid = 0;
  GetWindowThreadProcessId(viewer, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  end();
  DWORD waited = process ? WaitForSingleObject(process, timeoutMs) : WAIT_FAILED;
  if (process) CloseHandle(process);
  if (waited != WAIT_OBJECT_0)
    throw uiauto::Error("the help viewer stayed after the program that opened it ended");
}

}  // namespace e2e
