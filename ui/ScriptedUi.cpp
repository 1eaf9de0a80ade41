// The scripted test Ui.
#include "ui/ScriptedUi.h"

namespace ui {

ScriptedUi& ScriptedUi::Answer(ui::Answer answer) {
  steps_.push_back({Step::Kind::Answer, answer, {}, {}});
  return *this;
}

ScriptedUi& ScriptedUi::Enter(std::string dialog, std::vector<std::string> typed) {
  steps_.push_back({Step::Kind::Enter, ui::Answer::Ok, std::move(dialog), std::move(typed)});
  return *this;
}

ScriptedUi& ScriptedUi::Cancel(std::string dialog) {
  steps_.push_back({Step::Kind::Cancel, ui::Answer::Cancel, std::move(dialog), {}});
  return *this;
}

ScriptedUi& ScriptedUi::Confirm(std::string dialog) {
  steps_.push_back({Step::Kind::Confirm, ui::Answer::Ok, std::move(dialog), {}});
  return *this;
}

ScriptedUi& ScriptedUi::Dismiss(std::string dialog) {
  steps_.push_back({Step::Kind::Dismiss, ui::Answer::None, std::move(dialog), {}});
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
  Event event{Event::Kind::Message, message, {}, {}, {}, {}};
  events_.push_back(event);
  if (message.buttons == Buttons::Ok) return ui::Answer::Ok;
  Step step;
  if (!TakeStep("message box \"" + message.text + "\"", &step)) {
    return message.buttons == Buttons::YesNo ? ui::Answer::No : ui::Answer::Cancel;
  }
  if (step.kind != Step::Kind::Answer) {
    problems_.push_back("message box \"" + message.text + "\" shown where the script expected " +
                        step.dialog);
    return message.buttons == Buttons::YesNo ? ui::Answer::No : ui::Answer::Cancel;
  }
  return step.answer;
}

EntryResult ScriptedUi::RunEntry(const EntryDialog& dialog) {
  Event event{Event::Kind::Entry, {}, dialog, dialog.name, {}, {}};
  events_.push_back(event);
  Step step;
  if (!TakeStep(dialog.name, &step)) return std::nullopt;
  if (step.dialog != dialog.name ||
      (step.kind != Step::Kind::Enter && step.kind != Step::Kind::Cancel &&
       step.kind != Step::Kind::Dismiss)) {
    problems_.push_back("entry dialog " + dialog.name + " shown where the script expected " +
                        (step.dialog.empty() ? "a message box" : step.dialog));
    return std::nullopt;
  }
  if (step.kind != Step::Kind::Enter) return std::nullopt;
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
  events_.push_back({Event::Kind::Confirm, {}, {}, dialog.name, {}, {}});
  Step step;
  if (!TakeStep(dialog.name, &step)) return ui::Answer::Cancel;
  if (step.dialog != dialog.name ||
      (step.kind != Step::Kind::Confirm && step.kind != Step::Kind::Cancel &&
       step.kind != Step::Kind::Dismiss)) {
    problems_.push_back("confirm dialog " + dialog.name + " shown where the script expected " +
                        (step.dialog.empty() ? "a message box" : step.dialog));
    return ui::Answer::Cancel;
  }
  return step.answer;
}

void ScriptedUi::ShowResult(const ResultDialog& dialog) {
  events_.push_back({Event::Kind::Result, {}, {}, dialog.name, dialog.fields, {}});
}

void ScriptedUi::ShowHelp(const HelpRef& help) {
  events_.push_back({Event::Kind::Help, {}, {}, {}, {}, help});
}

std::vector<std::string> ScriptedUi::MessageTexts() const {
  std::vector<std::string> texts;
  for (const Event& e : events_) {
    if (e.kind == Event::Kind::Message) texts.push_back(e.message.text);
  }
  return texts;
}

std::vector<std::string> ScriptedUi::DialogNames() const {
  std::vector<std::string> names;
  for (const Event& e : events_) {
    if (e.kind == Event::Kind::Entry || e.kind == Event::Kind::Confirm ||
        e.kind == Event::Kind::Result) {
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
