// A program's own help window seen from a test: find it, wait until it shows a topic of the
// built help file, read its text and links, open a link. Contents and Back are pressed with
// uiauto::Click(help, ui::kHelpContentsId) and ui::kHelpBackId; uiauto::WaitGone sees it go.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "help/HelpReader.h"
#include "help/HelpView.h"
#include "tests/e2e/E2e.h"
#include "tests/help/HelpContexts.h"
#include "tools/UiAuto.h"
#include "ui/win32/HelpWindow.h"

namespace e2e {

// The help window of the process `pid` when it is on the screen, else null.
inline HWND FindHelpWindow(DWORD pid) {
  for (const uiauto::WindowInfo& w : uiauto::TopLevelWindows()) {
    if (w.visible && w.pid == pid && w.className == ui::kHelpWindowClass) return w.hwnd;
  }
  return nullptr;
}

// What the window shows, in one text to compare and to print: the topic's lines, then
// "-> title" for each link in list order.
inline std::string HelpShows(HWND help) {
  if (!GetDlgItem(help, ui::kHelpTextId) || !GetDlgItem(help, ui::kHelpLinksId))
    return "(a window without the text and link controls)";
  std::string shown = Lines(uiauto::Text(help, ui::kHelpTextId));
  for (int i = 0, n = uiauto::ListCount(help, ui::kHelpLinksId); i < n; ++i)
    shown += "\n-> " + uiauto::ListText(help, ui::kHelpLinksId, i);
  return shown;
}

// The same for a topic as help/HelpView gives it.
inline std::string HelpShows(const help::ShownTopic& topic) {
  std::string shown = Lines(topic.text);
  for (const help::ShownLink& link : topic.links) shown += "\n-> " + link.text;
  return shown;
}

// The built help file of a name as the programs pass it ("wnt43sup.hlp"), from the bin folder.
inline help::HelpFile BuiltHelp(const std::string& file) {
  help::ReadResult read =
      help::ReadHelpFile(ReadBytes(BinDir() + "\\" + helptest::BuiltName(file)));
  if (!read.error.empty()) throw uiauto::Error(file + " cannot be read: " + read.error);
  return read.file;
}

// Waits until the help window of `process` shows `topic`, text and links; returns the window.
// Fails with what it showed instead, or when there is no topic to wait for.
inline HWND WaitHelpShows(const uiauto::Process& process,
                          const std::optional<help::ShownTopic>& topic,
                          DWORD timeoutMs = uiauto::kDefaultTimeout) {
  if (!topic) throw uiauto::Error("the help file leads to no topic there");
  const std::string expected = HelpShows(*topic);
  std::string seen = "no help window";
  for (DWORD start = GetTickCount();; Sleep(20)) {
    if (HWND help = FindHelpWindow(process.Id())) {
      seen = HelpShows(help);
      if (seen == expected) return help;
    }
    if (GetTickCount() - start > timeoutMs) {
      throw uiauto::Error("timed out after " + std::to_string(timeoutMs) +
                          " ms waiting for the help window to show\n" + expected + "\nIt shows\n" +
                          seen + "\nWindows: " + uiauto::DescribeWindows());
    }
  }
}

// Waits until the help window shows the topic of context `number` in the built `file`.
inline HWND WaitHelpAt(const uiauto::Process& process, const std::string& file,
                       std::uint32_t number) {
  return WaitHelpShows(process, help::ShowNumber(BuiltHelp(file), number));
}

// Opens link `index` as a double click on it does: selected first, then LBN_DBLCLK.
inline void OpenHelpLink(HWND help, int index) {
  uiauto::ListSelect(help, ui::kHelpLinksId, index);
  PostMessageA(help, WM_COMMAND, MAKEWPARAM(ui::kHelpLinksId, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(uiauto::Control(help, ui::kHelpLinksId)));
}

}  // namespace e2e
