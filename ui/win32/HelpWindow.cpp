// The programs' own help window over help/HelpView.
#include "ui/win32/HelpWindow.h"

#include <algorithm>
#include <optional>

#include "base/PlainFile.h"
#include "help/HelpView.h"
#include "ui/win32/Win32Ui.h"

namespace ui {
namespace {

// Our help files are some 10 KB; anything near this is no help file of ours.
constexpr std::size_t kMaxHelpFileSize = 1 << 20;
constexpr int kMargin = 6;
constexpr int kButtonWidth = 80;

std::string WindowTitle(HWND window) {
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  return title;
}

// The help file `name` beside the program's .EXE, read; nothing when it is missing, is no
// plain file, is too large or the reader refuses it.
std::optional<help::HelpFile> ReadBesideProgram(const std::string& name) {
  const std::string path = HelpFilePath(name);
  std::string bytes;
  if (path.empty() ||
      base::ReadPlainFile(path, kMaxHelpFileSize, &bytes) != base::ReadResult::kOk) {
    return std::nullopt;
  }
  help::ReadResult read =
      help::ReadHelpFile({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  if (!read.error.empty()) return std::nullopt;
  return std::move(read.file);
}

bool RegisterOnce(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA existing;
  if (GetClassInfoA(instance, kHelpWindowClass, &existing)) return true;
  WNDCLASSA c{};
  c.lpfnWndProc = procedure;
  c.hInstance = instance;
  c.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = kHelpWindowClass;
  return RegisterClassA(&c) != 0;
}

}  // namespace

HelpWindow::~HelpWindow() {
  if (window_) DestroyWindow(window_);
  if (font_) DeleteObject(font_);
}

void HelpWindow::Show(HWND owner, HWND boxOwner, const HelpRef& help) {
  std::optional<help::HelpFile> file = ReadBesideProgram(help.file);
  std::optional<help::ShownTopic> topic;
  if (file) topic = help::ShowNumber(*file, help.context);
  if (!topic) {
    const std::string text =
        file ? help::HelpTopicMissing(help.file) : help::HelpFileUnreadable(help.file);
    MessageBoxA(boxOwner, text.c_str(), WindowTitle(owner).c_str(), MB_OK | MB_ICONSTOP);
    return;
  }
  file_ = std::move(*file);
  backList_.clear();
  if (!window_ && !Create(owner)) return;
  SetWindowTextA(window_, file_.title.c_str());
  // Whether the file has a contents topic is the file's, not the topic's.
  EnableWindow(contents_, help::ShowContents(file_).has_value());
  Open(topic->offset, false);
  ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
  // Over the dialog that asked, which stays open and usable beside it.
  SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool HelpWindow::Create(HWND owner) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterOnce(instance, Procedure)) return false;
  CreateWindowExA(0, kHelpWindowClass, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 520,
                  420, owner, nullptr, instance, this);
  return window_ != nullptr;
}

void HelpWindow::Open(std::uint32_t offset, bool remember) {
  std::optional<help::ShownTopic> topic = help::ShowOffset(file_, offset);
  if (!topic) return;
  if (remember) backList_.push_back(shown_);
  shown_ = topic->offset;
  SetWindowTextA(text_, topic->text.c_str());
  SendMessageA(links_, LB_RESETCONTENT, 0, 0);
  linkHashes_.clear();
  for (const help::ShownLink& link : topic->links) {
    SendMessageA(links_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(link.text.c_str()));
    linkHashes_.push_back(link.hash);
  }
  EnableWindow(back_, !backList_.empty());
}

void HelpWindow::Layout() {
  RECT client;
  GetClientRect(window_, &client);
  TEXTMETRICA metrics{};
  HDC dc = GetDC(window_);
  HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window_, dc);
  const int lineHeight = static_cast<int>(metrics.tmHeight);
  const int buttonHeight = lineHeight + 10;
  const int top = kMargin + buttonHeight + kMargin;
  const int width = std::max(0, static_cast<int>(client.right) - 2 * kMargin);
  const int below = std::max(0, static_cast<int>(client.bottom) - top - kMargin);
  const int listHeight = std::min(below / 2, std::max(below / 4, 4 * lineHeight));
  MoveWindow(contents_, kMargin, kMargin, kButtonWidth, buttonHeight, TRUE);
  MoveWindow(back_, 2 * kMargin + kButtonWidth, kMargin, kButtonWidth, buttonHeight, TRUE);
  MoveWindow(text_, kMargin, top, width, std::max(0, below - listHeight - kMargin), TRUE);
  MoveWindow(links_, kMargin, top + below - listHeight, width, listHeight, TRUE);
}

LRESULT CALLBACK HelpWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<HelpWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<HelpWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->window_ = self->text_ = self->links_ = self->contents_ = self->back_ = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

// Keys a window that is no dialog does not get from the dialog manager: Escape closes, Enter
// in the links opens one, Tab moves between the controls.
LRESULT CALLBACK HelpWindow::ChildProcedure(HWND child, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(child, GWLP_USERDATA));
  if (message == WM_GETDLGCODE) return CallWindowProcA(original, child, message, wParam, lParam);
  if (message == WM_KEYDOWN || message == WM_CHAR) {
    HWND parent = GetParent(child);
    const bool down = message == WM_KEYDOWN;
    if (wParam == VK_ESCAPE) {
      if (down) PostMessageA(parent, WM_CLOSE, 0, 0);
      return 0;
    }
    if (wParam == VK_TAB) {
      if (down) SetFocus(GetNextDlgTabItem(parent, child, GetKeyState(VK_SHIFT) < 0));
      return 0;
    }
    if (wParam == VK_RETURN && GetDlgCtrlID(child) == kHelpLinksId) {
      if (down)
        PostMessageA(parent, WM_COMMAND, MAKEWPARAM(kHelpLinksId, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(child));
      return 0;
    }
  }
  return CallWindowProcA(original, child, message, wParam, lParam);
}

LRESULT HelpWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      NONCLIENTMETRICSA metrics{};
      metrics.cbSize = sizeof metrics;
      if (!font_ && SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font_ = CreateFontIndirectA(&metrics.lfMessageFont);
      }
      HINSTANCE instance = GetModuleHandleA(nullptr);
      auto make = [&](const char* kind, const char* text, DWORD style, int id) {
        HWND child =
            CreateWindowExA(0, kind, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 0, 0,
                            window_, reinterpret_cast<HMENU>(id), instance, nullptr);
        if (!child) return child;
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        SetWindowLongPtrA(child, GWLP_USERDATA, GetWindowLongPtrA(child, GWLP_WNDPROC));
        SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChildProcedure));
        return child;
      };
      contents_ = make("BUTTON", "Contents", BS_PUSHBUTTON, kHelpContentsId);
      back_ = make("BUTTON", "Back", BS_PUSHBUTTON, kHelpBackId);
      text_ = make("EDIT", "", WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                   kHelpTextId);
      links_ = make("LISTBOX", "", WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                    kHelpLinksId);
      if (!contents_ || !back_ || !text_ || !links_) return -1;
      SendMessageA(text_, EM_SETLIMITTEXT, 0, 0);  // as long as a topic is
      return 0;
    }
    case WM_SIZE:
      Layout();
      return 0;
    case WM_SETFOCUS:
      SetFocus(text_);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessageA(window_, WM_CLOSE, 0, 0);
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam), code = HIWORD(wParam);
      if (id == kHelpContentsId && code == BN_CLICKED) {
        Open(file_.contentsOffset, true);  // nothing when the file has no contents topic
      } else if (id == kHelpBackId && code == BN_CLICKED && !backList_.empty()) {
        const std::uint32_t previous = backList_.back();
        backList_.pop_back();
        Open(previous, false);
      } else if (id == kHelpLinksId && code == LBN_DBLCLK) {
        const LRESULT chosen = SendMessageA(links_, LB_GETCURSEL, 0, 0);
        if (chosen >= 0 && static_cast<std::size_t>(chosen) < linkHashes_.size()) {
          if (const help::ReadTopic* target = help::TopicForHash(file_, linkHashes_[chosen]))
            Open(target->offset, true);
        }
      }
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(window_);
      return 0;
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

}  // namespace ui
