// SETMODE: the radio button of the current selection is marked when the form opens, and a
// click on either button changes the program's selection at once, so the choice holds even
// when the warning that follows is cancelled. Only OK ends the form.
#include "wntdld42/win32/Win32ModeForm.h"

#include "wntdld42/WNTDLD42.h"

namespace wntdld42 {
namespace {

INT_PTR CALLBACK SetModeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* selection = reinterpret_cast<Mode*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      selection = reinterpret_cast<Mode*>(lParam);
      CheckRadioButton(dialog, IDC_SETMODE_ENC, IDC_SETMODE_CLR,
                       *selection == Mode::kClear ? IDC_SETMODE_CLR : IDC_SETMODE_ENC);
      return TRUE;
    case WM_COMMAND:
      if (!selection || HIWORD(wParam) != BN_CLICKED) return FALSE;
      switch (LOWORD(wParam)) {
        case IDC_SETMODE_ENC:
          *selection = Mode::kEncrypted;
          break;
        case IDC_SETMODE_CLR:
          *selection = Mode::kClear;
          break;
        case IDC_SETMODE_OK:
          EndDialog(dialog, IDOK);
          break;
        default:
          break;  // Escape (IDCANCEL) does nothing: the form has no CANCEL
      }
      return TRUE;
    case WM_CLOSE:
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool Win32ModeForm::RunSetMode(Mode* selection) {
  if (!IsWindow(owner_)) return false;
  // IDOK comes only from the OK button: a form that dies with its owner gives 0.
  return DialogBoxParamA(instance_, "SETMODE", owner_, SetModeProc,
                         reinterpret_cast<LPARAM>(selection)) == IDOK;
}

}  // namespace wntdld42
