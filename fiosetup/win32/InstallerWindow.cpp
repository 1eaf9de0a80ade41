#include "fiosetup/win32/InstallerWindow.h"

#include "fiosetup/win32/Win32Menu.h"

namespace fiosetup {

void InstallerWindow::Repaint() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

ui::After InstallerWindow::Command(int id) {
  ui::After after = RunCommand(*session, id);
  ApplyAvailability(GetMenu(hwnd_), session->table.availability);
  return after;
}

bool InstallerWindow::Message(HWND window, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_CREATE:
      hwnd_ = window;
      MeasureFont();
      break;
    case WM_SIZE:
      clientHeight_ = HIWORD(lParam);
      break;
    case WM_PAINT:
      Paint();
      break;
    case WM_DESTROY:
      hwnd_ = nullptr;
      break;
    default:
      return false;
  }
  *result = 0;
  return true;
}

// The metrics of the window's default font, measured once.
void InstallerWindow::MeasureFont() {
  HDC dc = GetDC(hwnd_);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  ReleaseDC(hwnd_, dc);
  charWidth_ = metrics.tmAveCharWidth;
  lineHeight_ = metrics.tmHeight + metrics.tmExternalLeading;
}

void InstallerWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  HGDIOBJ font = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  auto lines = PaintLines(table_, status_, clientHeight_, lineHeight_);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    TextOutA(dc, charWidth_, static_cast<int>(k + 1) * lineHeight_, lines[k].c_str(),
             static_cast<int>(lines[k].size()));
  }
  SelectObject(dc, font);
  EndPaint(hwnd_, &ps);
}

}  // namespace fiosetup
