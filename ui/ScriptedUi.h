// A Ui for tests: answers dialogs and message boxes from a script and records all it was shown.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/Ui.h"

namespace ui {

class ScriptedUi : public Ui {
 public:
  // What the user does, consumed in order by the dialogs and boxes that need an answer.
  // A message box with only OK and a result dialog are answered with OK without a step.
  // Next entry dialog: type `typed`, then OK.
  ScriptedUi& Enter(std::string dialog, std::vector<std::string> typed);
  ScriptedUi& Answer(ui::Answer answer);    // next message box with a choice
  ScriptedUi& Cancel(std::string dialog);   // next entry or confirm dialog: CANCEL
  ScriptedUi& Confirm(std::string dialog);  // next confirm dialog: OK
  // Next entry or confirm dialog ends without its buttons, as when the main window is closed
  // under it (a message box does the same with Answer(ui::Answer::kNone)).
  ScriptedUi& Dismiss(std::string dialog);

  struct Event {
    enum class Kind { kMessage, kEntry, kConfirm, kResult, kHelp };
    Kind kind;
    ui::Message message;                              // Message
    ui::EntryDialog entry;                            // Entry
    std::string name;                                 // Entry, Confirm, Result: the template name
    std::vector<std::pair<int, std::string>> fields;  // Result: the texts shown
    ui::HelpRef help;                                 // Help
  };

  const std::vector<Event>& Events() const { return events_; }
  // Every message box text shown, in order.
  std::vector<std::string> MessageTexts() const;
  // The template names of the dialogs shown, in order.
  std::vector<std::string> DialogNames() const;
  // Steps the program never asked for, and dialogs it showed that the script did not expect.
  std::vector<std::string> Problems() const;

  ui::Answer ShowMessage(const Message& message) override;
  EntryResult RunEntry(const EntryDialog& dialog) override;
  ui::Answer RunConfirm(const ConfirmDialog& dialog) override;
  void ShowResult(const ResultDialog& dialog) override;
  void ShowHelp(const HelpRef& help) override;

 private:
  struct Step {
    enum class Kind { kAnswer, kEnter, kCancel, kConfirm, kDismiss } kind;
    ui::Answer answer = ui::Answer::kOk;
    std::string dialog;
    std::vector<std::string> typed;
  };
  bool TakeStep(const std::string& dialog, Step* step);

  std::deque<Step> steps_;
  std::vector<Event> events_;
  std::vector<std::string> problems_;
};

}  // namespace ui
