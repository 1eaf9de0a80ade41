// The Ui port over Win32: message boxes and one generic dialog procedure driven by the tables.
#pragma once

#include <windows.h>

#include "ui/Ui.h"
#include "ui/win32/HelpWindow.h"

namespace ui {

// Every dialog and box is modal and owned by `owner` (the main window), which also owns the
// program's help window. Once an owner that was set has been destroyed nothing more is
// shown: a flow still running then ends as though cancelled (Answer::kNone, no texts), instead of
// showing its next dialog without a window to belong to. The owner stays disabled until the
// outermost of its dialogs and boxes has ended, even when one was opened inside another.
class Win32Ui : public Ui {
 public:
  Win32Ui(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  HWND Owner() const { return owner_; }
  HINSTANCE Instance() const { return instance_; }

  Answer ShowMessage(const Message& message) override;
  EntryResult RunEntry(const EntryDialog& dialog) override;
  Answer RunConfirm(const ConfirmDialog& dialog) override;
  void ShowResult(const ResultDialog& dialog) override;
  void ShowHelp(const HelpRef& help) override;

 private:
  bool OwnerGone() const { return owner_ && !IsWindow(owner_); }
  template <typename Show>
  auto Modal(Show show);

  HINSTANCE instance_;
  HWND owner_;
  int modalDepth_ = 0;  // dialogs and boxes of this Ui open now
  HelpWindow help_;     // the program's one help window, for every help request
};

// Reads the whole text of a dialog control.
std::string DialogItemText(HWND dialog, int id);

// The full path of the running program's .EXE; empty when it does not fit MAX_PATH.
std::string ProgramPath();

// The help file `name` beside the program's .EXE, whichever folder the program was started
// from; never one in the current folder or on PATH, which someone else may have put there.
// Empty when the program's path is unknown.
std::string HelpFilePath(const std::string& name);

}  // namespace ui
