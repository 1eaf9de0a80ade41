// The scripted test Ui.
#include "ui/ScriptedUi.h"

namespace ui {

ScriptedUi& ScriptedUi::Answer(ui::Answer answer) {
  steps_.push_back({Step::Kind::kAnswer, answer, {}, {}});
  return *this;
}

ScriptedUi& ScriptedUi::Enter(std::string dialog, std::vector<std::string> typed) {
  steps_.push_back({Step::Kind::kEnter, ui::Answer::kOk, std::move(dialog), std::move(typed)});
  return *this;
}

ScriptedUi& ScriptedUi::Cancel(std::string dialog) {
  steps_.push_back({Step::Kind::kCancel, ui::Answer::kCancel, std::move(dialog), {}});
  return *this;
}

ScriptedUi& ScriptedUi::Confirm(std::string dialog) {
  steps_.push_back({Step::Kind::kConfirm, ui::Answer::kOk, std::move(dialog), {}});
  return *this;
}

ScriptedUi& ScriptedUi::Dismiss(std::string dialog) {
  steps_.push_back({Step::Kind::kDismiss, ui::Answer::kNone, std::move(dialog), {}});
  return *this;
}

bool ScriptedUi::TakeStep(const std::string& dialog, Step* step) {
  if (steps_.empty()) {
    problems_.push_back("unscripted: " + dialog);
    return false;
  }
  *step = steps_.front();
  steps_.pop_front();
  return true;
}

ui::Answer ScriptedUi::ShowMessage(const Message& message) {
  Event event{Event::Kind::kMessage, message, {}, {}, {}, {}};
  events_.push_back(event);
  if (message.buttons == Buttons::kOk) return ui::Answer::kOk;
  Step step;
  if (!TakeStep("message box \"" + message.text + "\"", &step)) {
    return message.buttons == Buttons::kYesNo ? ui::Answer::kNo : ui::Answer::kCancel;
  }
  if (step.kind != Step::Kind::kAnswer) {
    problems_.push_back("message box \"" + message.text + "\" shown where the script expected " +
                        step.dialog);
    return message.buttons == Buttons::kYesNo ? ui::Answer::kNo : ui::Answer::kCancel;
  }
  return step.answer;
}

EntryResult ScriptedUi::RunEntry(const EntryDialog& dialog) {
  Event event{Event::Kind::kEntry, {}, dialog, dialog.name, {}, {}};
  events_.push_back(event);
  Step step;
  if (!TakeStep(dialog.name, &step)) return std::nullopt;
  if (step.dialog != dialog.name ||
      (step.kind != Step::Kind::kEnter && step.kind != Step::Kind::kCancel &&
       step.kind != Step::Kind::kDismiss)) {
    problems_.push_back("entry dialog " + dialog.name + " shown where the script expected " +
                        (step.dialog.empty() ? "a message box" : step.dialog));
    return std::nullopt;
  }
  if (step.kind != Step::Kind::kEnter) return std::nullopt;
  // Fields start with their preset text; typed texts replace it, as a user overtyping it.
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < dialog.fields.size(); ++i) {
    const Field& field = dialog.fields[i];
    std::string text = i < step.typed.size() ? step.typed[i] : field.preset;
    if (field.inputLimit > 0 && text.size() > field.inputLimit) text.resize(field.inputLimit);
    texts.push_back(TakeField(text, field.take));
  }
  if (step.typed.size() > dialog.fields.size()) {
    problems_.push_back("more texts typed than " + dialog.name + " has fields");
  }
  return texts;
}

ui::Answer ScriptedUi::RunConfirm(const ConfirmDialog& dialog) {
  events_.push_back({Event::Kind::kConfirm, {}, {}, dialog.name, {}, {}});
  Step step;
  if (!TakeStep(dialog.name, &step)) return ui::Answer::kCancel;
  if (step.dialog != dialog.name ||
      (step.kind != Step::Kind::kConfirm && step.kind != Step::Kind::kCancel &&
       step.kind != Step::Kind::kDismiss)) {
    problems_.push_back("confirm dialog " + dialog.name + " shown where the script expected " +
                        (step.dialog.empty() ? "a message box" : step.dialog));
    return ui::Answer::kCancel;
  }
  return step.answer;
}

void ScriptedUi::ShowResult(const ResultDialog& dialog) {
  events_.push_back({Event::Kind::kResult, {}, {}, dialog.name, dialog.fields, {}});
}

void ScriptedUi::ShowHelp(const HelpRef& help) {
  events_.push_back({Event::Kind::kHelp, {}, {}, {}, {}, help});
}

std::vector<std::string> ScriptedUi::MessageTexts() const {
  std::vector<std::string> texts;
  for (const Event& e : events_) {
    if (e.kind == Event::Kind::kMessage) texts.push_back(e.message.text);
  }
  return texts;
}

std::vector<std::string> ScriptedUi::DialogNames() const {
  std::vector<std::string> names;
  for (const Event& e : events_) {
    if (e.kind == Event::Kind::kEntry || e.kind == Event::Kind::kConfirm ||
        e.kind == Event::Kind::kResult) {
      names.push_back(e.name);
    }
  }
  return names;
}

std::vector<std::string> ScriptedUi::Problems() const {
  std::vector<std::string> all = problems_;
  for (const Step& s : steps_) {
    all.push_back("never asked: " +
                  (s.dialog.empty() ? std::string("message box answer") : s.dialog));
  }
  return all;
}

}  // namespace ui
