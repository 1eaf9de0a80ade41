// The Ui port: message boxes, table-driven entry dialogs, confirmations, result dialogs, help.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/KeyMaterial.h"

namespace ui {

// Values are those of the Win32 MB_ICON* / IDOK... constants they stand for.
enum class Icon {
  kNone = 0,
  kError = 0x10,
  kQuestion = 0x20,
  kWarning = 0x30,
  kInformation = 0x40
};
enum class Buttons { kOk = 0, kOkCancel = 1, kYesNo = 4 };
// None: the box or dialog ended without any of its buttons (its owner, the main window, was
// destroyed) or could not be shown; a flow then ends with nothing done.
enum class Answer { kNone = 0, kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

struct Message {
  std::string caption;
  std::string text;
  Icon icon = Icon::kNone;
  Buttons buttons = Buttons::kOk;
};

// One typed field of an entry dialog.
struct Field {
  int id = 0;
  std::size_t take = 0;        // characters taken from the start of the text on OK
  std::size_t inputLimit = 0;  // characters the control accepts while typing; 0 = no limit
  std::string preset;          // text shown when the dialog opens
};

struct HelpRef {
  std::string file;  // empty: no help
  unsigned context = 0;
};

struct EntryDialog {
  std::string name;  // dialog template resource name
  std::vector<Field> fields;
  int okId = 0;
  int cancelId = 0;
  int helpId = 0;  // 0: no HELP button
  HelpRef help;
};

// A dialog with only OK and CANCEL (the once-only warnings).
struct ConfirmDialog {
  std::string name;
  int okId = 0;
  int cancelId = 0;
};

// A dialog of read-only fields filled from texts, closed by its OK button.
struct ResultDialog {
  std::string name;
  std::vector<std::pair<int, std::string>> fields;
  int okId = 0;
};

// The typed texts in field order, or nothing when the dialog was cancelled or ended without its
// buttons: only OK gives texts.
using EntryResult = std::optional<std::vector<std::string>>;

class Ui {
 public:
  virtual ~Ui() = default;
  virtual Answer ShowMessage(const Message& message) = 0;
  virtual EntryResult RunEntry(const EntryDialog& dialog) = 0;
  // Ok or Cancel as pressed; None when the dialog ended otherwise.
  virtual Answer RunConfirm(const ConfirmDialog& dialog) = 0;
  virtual void ShowResult(const ResultDialog& dialog) = 0;
  virtual void ShowHelp(const HelpRef& help) = 0;
};

// What OK takes from a field: its first `take` characters.
std::string TakeField(std::string_view text, std::size_t take);

// Runs an entry dialog whose fields may hold key material: its texts, one per field, in a
// holder that wipes them when it goes (Cancelled() unless OK ended the dialog).
inline base::KeyTexts RunKeyEntry(Ui& ui, const EntryDialog& dialog) {
  return base::KeyTexts(ui.RunEntry(dialog), dialog.fields.size());
}

}  // namespace ui
