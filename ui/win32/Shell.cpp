// The shared main window of the windowed programs.
#include "ui/win32/Shell.h"

#include "ui/win32/Win32Ui.h"

namespace ui {

HWND ProgramFrame::Create(const char* title) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadIconA(instance_, name_);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszMenuName = name_;
  windowClass.lpszClassName = name_;
  if (!RegisterClassA(&windowClass)) return nullptr;
  return CreateWindowA(name_, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
}

int ProgramFrame::Run() {
  HACCEL accelerators = LoadAcceleratorsA(instance_, name_);
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!accelerators || !TranslateAcceleratorA(window_, accelerators, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

// The frame rides on CreateWindow's parameter and is kept in the window's user data from
// WM_NCCREATE on; the few messages that come before it get the default handling.
LRESULT CALLBACK ProgramFrame::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* frame =
        static_cast<ProgramFrame*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    frame->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
  }
  auto* frame = reinterpret_cast<ProgramFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!frame) return DefWindowProcA(window, message, wParam, lParam);
  return frame->Handle(message, wParam, lParam);
}

LRESULT ProgramFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (handler_) Apply(commands_.Run([&] { return handler_->Command(LOWORD(wParam)); }));
      return 0;
    case WM_CLOSE:
      if (!handler_) break;
      Apply(commands_.Run([&] { return handler_->CloseRequested(); }));
      return 0;
    case WM_DESTROY: {
      LRESULT ignored = 0;
      if (handler_) handler_->Message(window_, message, wParam, lParam, &ignored);
      PostQuitMessage(0);
      return 0;
    }
    case WM_NCDESTROY: {
      HWND window = window_;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      return DefWindowProcA(window, message, wParam, lParam);
    }
    default:
      break;
  }
  LRESULT result = 0;
  if (handler_ && handler_->Message(window_, message, wParam, lParam, &result)) return result;
  return DefWindowProcA(window_, message, wParam, lParam);
}

void ProgramFrame::Apply(After after) {
  if (!window_ || !IsWindow(window_)) return;  // closed under the command
  if (after == After::kClose) {
    DestroyWindow(window_);
  } else if (after == After::kRepaint) {
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
  }
}

}  // namespace ui
