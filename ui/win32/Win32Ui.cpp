// One generic dialog procedure serves every entry, confirm and result dialog of a program:
// the table says which fields to fill and read and what each button does. Nothing but the
// dialog's own buttons closes it: no close box, and Escape (IDCANCEL) only acts when the
// table's CANCEL button happens to be IDCANCEL.
#include "ui/win32/Win32Ui.h"

#include "ui/Wipe.h"

#include <utility>
#include <vector>

namespace ui {
namespace {

struct DialogState {
  const EntryDialog* entry = nullptr;
  const ConfirmDialog* confirm = nullptr;
  const ResultDialog* result = nullptr;
  HWND helpOwner = nullptr;
  std::vector<std::string> texts;
};

void InitDialog(HWND dialog, DialogState* state) {
  if (state->entry) {
    for (const Field& field : state->entry->fields) {
      if (field.inputLimit > 0) {
        SendDlgItemMessageA(dialog, field.id, EM_LIMITTEXT, field.inputLimit, 0);
      }
      SetDlgItemTextA(dialog, field.id, field.preset.c_str());
    }
  }
  if (state->result) {
    for (const auto& [id, text] : state->result->fields) SetDlgItemTextA(dialog, id, text.c_str());
  }
}

// Returns true when the command ended the dialog.
bool OnCommand(HWND dialog, DialogState* state, int id) {
  if (const EntryDialog* entry = state->entry) {
    if (id == entry->okId) {
      state->texts.clear();
      for (const Field& field : entry->fields) {
        std::string text = DialogItemText(dialog, field.id);
        state->texts.push_back(TakeField(text, field.take));
        WipeBytes(text.data(), text.size());  // typed texts may be key material
      }
      EndDialog(dialog, IDOK);
      return true;
    }
    if (id == entry->cancelId) {
      EndDialog(dialog, IDCANCEL);
      return true;
    }
    if (entry->helpId != 0 && id == entry->helpId && !entry->help.file.empty()) {
      // Help belongs to the main window; the dialog stays open with what was typed.
      WinHelpA(state->helpOwner, entry->help.file.c_str(), HELP_CONTEXT, entry->help.context);
    }
    return false;
  }
  if (const ConfirmDialog* confirm = state->confirm) {
    if (id == confirm->okId || id == confirm->cancelId) {
      EndDialog(dialog, id == confirm->okId ? IDOK : IDCANCEL);
      return true;
    }
    return false;
  }
  if (state->result && id == state->result->okId) {
    EndDialog(dialog, IDOK);
    return true;
  }
  return false;
}

INT_PTR CALLBACK GenericDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      state = reinterpret_cast<DialogState*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      InitDialog(dialog, state);
      return TRUE;
    case WM_COMMAND:
      if (state && HIWORD(wParam) == BN_CLICKED) {
        OnCommand(dialog, state, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      return TRUE;  // only the buttons close a dialog
    default:
      return FALSE;
  }
}

INT_PTR RunDialog(HINSTANCE instance, HWND owner, const std::string& name, DialogState* state) {
  return DialogBoxParamA(instance, name.c_str(), owner, GenericDialogProc,
                         reinterpret_cast<LPARAM>(state));
}

}  // namespace

std::string DialogItemText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return {};
  int length = GetWindowTextLengthA(control);
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  int got = GetWindowTextA(control, buffer.data(), length + 1);
  std::string text(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
  WipeBytes(buffer.data(), buffer.size());
  return text;
}

Answer Win32Ui::ShowMessage(const Message& message) {
  if (OwnerGone()) return Answer::None;
  UINT flags = static_cast<UINT>(message.icon) | static_cast<UINT>(message.buttons);
  int answer = MessageBoxA(owner_, message.text.c_str(), message.caption.c_str(), flags);
  return static_cast<Answer>(answer);  // 0 (None) when the box did not end with a button
}

EntryResult Win32Ui::RunEntry(const EntryDialog& dialog) {
  if (OwnerGone()) return std::nullopt;
  DialogState state;
  state.entry = &dialog;
  state.helpOwner = owner_;
  if (RunDialog(instance_, owner_, dialog.name, &state) != IDOK) return std::nullopt;
  return std::move(state.texts);  // moved, not copied: no second copy of the texts is left
}

Answer Win32Ui::RunConfirm(const ConfirmDialog& dialog) {
  if (OwnerGone()) return Answer::None;
  DialogState state;
  state.confirm = &dialog;
  state.helpOwner = owner_;
  // Only its two buttons end it with IDOK or IDCANCEL; a dialog that died with its owner
  // gives 0, a dialog that could not be made -1.
  switch (RunDialog(instance_, owner_, dialog.name, &state)) {
    case IDOK:
      return Answer::Ok;
    case IDCANCEL:
      return Answer::Cancel;
    default:
      return Answer::None;
  }
}

void Win32Ui::ShowResult(const ResultDialog& dialog) {
  if (OwnerGone()) return;
  DialogState state;
  state.result = &dialog;
  state.helpOwner = owner_;
  RunDialog(instance_, owner_, dialog.name, &state);
}

void Win32Ui::ShowHelp(const HelpRef& help) {
  if (OwnerGone() || help.file.empty()) return;
  WinHelpA(owner_, help.file.c_str(), HELP_CONTEXT, help.context);
}

}  // namespace ui
