// The programs' own help window. No Windows the suite supports opens WinHelp files any more
// (Windows 10 and 11 cannot, 7 and 8.1 only after a separate download), so the programs read
// the topic from their .hlp file themselves (help/HelpView) and show it here: one top-level
// window per program, owned by the main window (it goes when that goes) and reused by every
// request; the topic's text in a read-only edit control, where it can be selected and copied;
// its links in a list box, opened by a double click or Enter; Contents and Back; Escape closes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "help/HelpReader.h"
#include "ui/Ui.h"

namespace ui {

inline constexpr char kHelpWindowClass[] = "SuiteHelpWindow";
// Child control ids.
inline constexpr int kHelpTextId = 100;      // the topic's text (help::ShownTopic::text)
inline constexpr int kHelpLinksId = 101;     // the topic's links, by the linked topic's title
inline constexpr int kHelpContentsId = 102;  // "Contents"
inline constexpr int kHelpBackId = 103;      // "Back"

class HelpWindow {
 public:
  HelpWindow() = default;
  HelpWindow(const HelpWindow&) = delete;
  HelpWindow& operator=(const HelpWindow&) = delete;
  ~HelpWindow();

  // Shows the topic of `help` for the main window `owner`, reading the help file beside the
  // program's .EXE (only there: an elevated program must not read a file someone placed in its
  // current folder or on PATH). A file that cannot be read, or a number it does not map, gives
  // one stop box captioned with the owner's title, naming the file; the window is then left
  // as it was.
  // `boxOwner` owns that box: the entry dialog whose HELP asked, else `owner`.
  void Show(HWND owner, HWND boxOwner, const HelpRef& help);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ChildProcedure(HWND child, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool Create(HWND owner);
  void Layout();
  // Shows the topic at `offset`; `remember` puts the one shown now on the Back list.
  void Open(std::uint32_t offset, bool remember);

  HWND window_ = nullptr;
  HWND text_ = nullptr, links_ = nullptr, contents_ = nullptr, back_ = nullptr;
  HFONT font_ = nullptr;
  help::HelpFile file_;
  std::uint32_t shown_ = 0;              // offset of the topic on the screen
  std::vector<std::uint32_t> backList_;  // offsets, the last shown first
  std::vector<std::int32_t> linkHashes_;
};

}  // namespace ui
