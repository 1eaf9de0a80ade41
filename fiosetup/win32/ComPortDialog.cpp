// The COM port dialog: 256 ports in a list; every change of the selection is the chosen
// port, OK takes it and CANCEL gives 0. Only the two buttons close it: no close box, and
// Escape does nothing.
#include "fiosetup/win32/ComPortDialog.h"

#include "fiosetup/FIOSETUP.h"

namespace fiosetup {
namespace {

void FillList(HWND list) {
  for (std::uint32_t port = 1; port <= kComPortCount; ++port) {
    LRESULT index =
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ComPortItem(port).c_str()));
    if (index >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), port);
  }
  SendMessageA(list, LB_SETCURSEL, 0, 0);
}

INT_PTR CALLBACK ComPortProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* port = reinterpret_cast<std::uint32_t*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      HWND list = GetDlgItem(dialog, IDC_COMPORT_LIST);
      FillList(list);
      SetFocus(list);
      return FALSE;  // the focus was set here
    }
    case WM_COMMAND:
      if (!port) return FALSE;
      switch (LOWORD(wParam)) {
        case IDC_COMPORT_LIST:
          // A double click is a click twice: the selection notice already took the port.
          if (HIWORD(wParam) == LBN_SELCHANGE) {
            HWND list = reinterpret_cast<HWND>(lParam);
            LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
            if (index != LB_ERR) {
              *port = static_cast<std::uint32_t>(
                  SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
            }
          }
          return TRUE;
        case IDC_COMPORT_OK:
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDC_COMPORT_CANCEL:
          *port = 0;
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return TRUE;  // Escape (IDCANCEL) among them: it does nothing here
      }
    case WM_CLOSE:
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

std::uint32_t Win32ComPortDialog::Choose() {
  std::uint32_t port = 1;  // what OK gives when the list was not touched
  // Only OK chooses: a dialog that could not be shown, or ended without its buttons, chose
  // nothing.
  if (DialogBoxParamA(instance_, "ComPort", owner_, ComPortProc, reinterpret_cast<LPARAM>(&port)) !=
      IDOK) {
    return 0;
  }
  return port;
}

}  // namespace fiosetup
