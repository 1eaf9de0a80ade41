// One generic dialog procedure serves every entry, confirm and result dialog of a program:
// the table says which fields to fill and read and what each button does. Nothing but the
// dialog's own buttons closes it: no close box, and Escape (IDCANCEL) only acts when the
// table's CANCEL button happens to be IDCANCEL. Typed fields may hold key material, so what
// they hold is overwritten before the dialog goes, however it ends.
#include "ui/win32/Win32Ui.h"

#include <utility>
#include <vector>

#include "base/Wipe.h"

namespace ui {
namespace {

struct DialogState {
  const EntryDialog* entry = nullptr;
  const ConfirmDialog* confirm = nullptr;
  const ResultDialog* result = nullptr;
  HWND helpOwner = nullptr;
  HelpWindow* help = nullptr;
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

// An edit control keeps its text in a buffer of its own, which it frees without clearing, and
// replacing a selection first copies the selected text aside, where it stays after it is freed.
// So the text is overwritten one character at a time, from its end, in place, before the control
// is emptied. A control that does not scroll its text refuses a replacement that would not fit
// the box (and Wine's then writes outside the control's buffer); such a field, which holds no
// key material here, is overwritten as a whole instead.
void OverwriteField(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return;
  const int length = GetWindowTextLengthA(control);
  const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
  if ((style & ES_AUTOHSCROLL) && !(style & ES_MULTILINE)) {
    for (int i = length; i-- > 0;) {
      SendMessageA(control, EM_SETSEL, i, i + 1);
      SendMessageA(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("0"));
    }
  } else {
    SetWindowTextA(control, std::string(static_cast<std::size_t>(length), '0').c_str());
  }
  SetWindowTextA(control, "");
}

// Returns true when the command ended the dialog.
bool OnCommand(HWND dialog, DialogState* state, int id) {
  if (const EntryDialog* entry = state->entry) {
    if (id == entry->okId) {
      state->texts.clear();
      state->texts.reserve(entry->fields.size());  // no reallocation leaves copies of short texts
      for (const Field& field : entry->fields) {
        std::string text = DialogItemText(dialog, field.id);
        state->texts.push_back(TakeField(text, field.take));
        base::WipeBytes(text.data(), text.size());  // typed texts may be key material
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
      state->help->Show(state->helpOwner, dialog, entry->help);
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
    case WM_DESTROY:
      // Its controls are still there; OK has already read them.
      if (state && state->entry) {
        for (const Field& field : state->entry->fields) OverwriteField(dialog, field.id);
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR RunDialog(HINSTANCE instance, HWND owner, const std::string& name, DialogState* state) {
  return DialogBoxParamA(instance, name.c_str(), owner, GenericDialogProc,
                         reinterpret_cast<LPARAM>(state));
}

}  // namespace

// A modal dialog or box disables its owner and, as it ends, enables it again, even when an
// outer one is still open on the same owner; the owner would then take clicks and commands
// under that one. So the owner is disabled again until the outermost has ended.
template <typename Show>
auto Win32Ui::Modal(Show show) {
  ++modalDepth_;
  auto result = show();
  if (--modalDepth_ > 0 && owner_ && IsWindow(owner_)) EnableWindow(owner_, FALSE);
  return result;
}

std::string DialogItemText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return {};
  int length = GetWindowTextLengthA(control);
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  int got = GetWindowTextA(control, buffer.data(), length + 1);
  std::string text(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
  base::WipeBytes(buffer.data(), buffer.size());
  return text;
}

Answer Win32Ui::ShowMessage(const Message& message) {
  if (OwnerGone()) return Answer::kNone;
  UINT flags = static_cast<UINT>(message.icon) | static_cast<UINT>(message.buttons);
  int answer = Modal(
      [&] { return MessageBoxA(owner_, message.text.c_str(), message.caption.c_str(), flags); });
  return static_cast<Answer>(answer);  // 0 (kNone) when the box did not end with a button
}

EntryResult Win32Ui::RunEntry(const EntryDialog& dialog) {
  if (OwnerGone()) return std::nullopt;
  DialogState state;
  state.entry = &dialog;
  state.helpOwner = owner_;
  state.help = &help_;
  if (Modal([&] { return RunDialog(instance_, owner_, dialog.name, &state); }) != IDOK)
    return std::nullopt;
  return std::move(state.texts);  // moved, not copied: no second copy of the texts is left
}

Answer Win32Ui::RunConfirm(const ConfirmDialog& dialog) {
  if (OwnerGone()) return Answer::kNone;
  DialogState state;
  state.confirm = &dialog;
  state.helpOwner = owner_;
  state.help = &help_;
  // Only its two buttons end it with IDOK or IDCANCEL; a dialog that died with its owner
  // gives 0, a dialog that could not be made -1.
  switch (Modal([&] { return RunDialog(instance_, owner_, dialog.name, &state); })) {
    case IDOK:
      return Answer::kOk;
    case IDCANCEL:
      return Answer::kCancel;
    default:
      return Answer::kNone;
  }
}

void Win32Ui::ShowResult(const ResultDialog& dialog) {
  if (OwnerGone()) return;
  DialogState state;
  state.result = &dialog;
  state.helpOwner = owner_;
  state.help = &help_;
  Modal([&] { return RunDialog(instance_, owner_, dialog.name, &state); });
}

void Win32Ui::ShowHelp(const HelpRef& help) {
  if (OwnerGone() || help.file.empty()) return;
  help_.Show(owner_, owner_, help);
}

std::string ProgramPath() {
  char program[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};  // cut short: no path to trust
  return std::string(program, length);
}

std::string HelpFilePath(const std::string& name) {
  std::string beside = ProgramPath();
  const std::size_t folderEnd = beside.find_last_of("\\/");
  if (folderEnd == std::string::npos) return {};
  beside.replace(folderEnd + 1, std::string::npos, name);
  return beside;
}

}  // namespace ui
