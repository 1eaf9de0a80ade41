// UI automation over plain Win32 calls that work across processes under Wine: window
// enumeration, WM_GETTEXT/WM_SETTEXT, WM_CHAR, BM_CLICK, WM_COMMAND, list box messages.
#include "tools/UiAuto.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/Png.h"

namespace uiauto {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::vector<char> EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& extra) {
  std::vector<std::string> entries;
  if (char* block = GetEnvironmentStringsA()) {
    for (const char* p = block; *p; p += strlen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsA(block);
  }
  for (const auto& [name, value] : extra) {
    std::string key = Lower(name) + "=";
    entries.erase(
        std::remove_if(entries.begin(), entries.end(),
                       [&](const std::string& e) { return Lower(e.substr(0, key.size())) == key; }),
        entries.end());
    entries.push_back(name + "=" + value);
  }
  std::vector<char> out;
  for (const std::string& e : entries) {
    out.insert(out.end(), e.begin(), e.end());
    out.push_back('\0');
  }
  out.push_back('\0');
  return out;
}

// The pixels of a bitmap as RGB rows, top to bottom.
std::vector<std::uint8_t> BitmapRgb(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<std::uint8_t> bgra(pixels * 4);
  GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bgra.data(), &info, DIB_RGB_COLORS);
  std::vector<std::uint8_t> rgb(pixels * 3);
  for (std::size_t i = 0; i < pixels; ++i) {
    rgb[i * 3] = bgra[i * 4 + 2];
    rgb[i * 3 + 1] = bgra[i * 4 + 1];
    rgb[i * 3 + 2] = bgra[i * 4];
  }
  return rgb;
}

// Draws into a fresh bitmap of the screen's format and returns its pixels.
template <typename Paint>
std::vector<std::uint8_t> DrawPixels(int width, int height, Paint paint) {
  if (width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  paint(memory, screen);
  SelectObject(memory, old);
  std::vector<std::uint8_t> rgb = BitmapRgb(memory, bitmap, width, height);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return rgb;
}

// Screen pixels of a rectangle.
std::vector<std::uint8_t> CapturePixels(const RECT& r) {
  return DrawPixels(r.right - r.left, r.bottom - r.top, [&](HDC memory, HDC screen) {
    BitBlt(memory, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
  });
}

// A system icon drawn on the given background colour.
std::vector<std::uint8_t> RenderIcon(LPCSTR which, int width, int height, COLORREF background) {
  return DrawPixels(width, height, [&](HDC memory, HDC) {
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, LoadIconA(nullptr, which), width, height, 0, nullptr, DI_NORMAL);
  });
}

// Icon handles are not shared between processes, so the icon of a message box is told by
// its pixels: it is compared with each system icon drawn on the same background.
std::string IconKind(HWND box) {
  HWND icon = GetDlgItem(box, 0x0440);  // the message box's icon control
  if (!icon || !IsWindowVisible(icon) || SendMessageA(icon, STM_GETICON, 0, 0) == 0) return "none";
  RECT r;
  GetClientRect(icon, &r);
  MapWindowPoints(icon, nullptr, reinterpret_cast<POINT*>(&r), 2);
  int width = r.right - r.left, height = r.bottom - r.top;
  std::vector<std::uint8_t> seen;
  // The box may still be painting, slowly on a loaded machine: up to 5 s.
  for (int attempt = 0; attempt < 100; ++attempt) {
    seen = CapturePixels(r);
    if (!seen.empty()) {
      COLORREF background = RGB(seen[0], seen[1], seen[2]);
      const std::pair<LPCSTR, const char*> kinds[] = {{IDI_HAND, "error"},
                                                      {IDI_QUESTION, "question"},
                                                      {IDI_EXCLAMATION, "warning"},
                                                      {IDI_ASTERISK, "information"}};
      std::string best = "unknown";
      std::size_t bestDiff = seen.size();
      for (const auto& [id, name] : kinds) {
        std::vector<std::uint8_t> drawn = RenderIcon(id, width, height, background);
        std::size_t diff = 0;
        for (std::size_t i = 0; i < seen.size(); ++i) diff += seen[i] != drawn[i];
        if (diff < bestDiff) {
          bestDiff = diff;
          best = name;
        }
      }
      if (bestDiff * 20 < seen.size()) return best;
    }
    Sleep(50);
  }
  return "unknown";
}

}  // namespace

// ---------------------------------------------------------------- processes

Process Process::Start(const std::string& commandLine, const StartOptions& options) {
  Process p;
  p.commandLine_ = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  HANDLE output = INVALID_HANDLE_VALUE;
  if (options.captureOutput) {
    char dir[MAX_PATH], file[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "uia", 0, file);
    p.outputPath_ = file;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    output = CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
  }
  std::vector<char> env = EnvironmentBlock(options.env);
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  BOOL ok = CreateProcessA(options.application.empty() ? nullptr : options.application.c_str(),
                           cmd.data(), nullptr, nullptr, options.captureOutput, 0, env.data(),
                           options.workDir.empty() ? nullptr : options.workDir.c_str(), &startup,
                           &p.info_);
  DWORD error = GetLastError();
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  if (!ok) throw Error("cannot start \"" + commandLine + "\": error " + std::to_string(error));
  return p;
}

Process::Process(Process&& other) noexcept
    : info_(other.info_),
      outputPath_(std::move(other.outputPath_)),
      commandLine_(std::move(other.commandLine_)) {
  other.info_ = {};
}

Process::~Process() {
  if (info_.hProcess) {
    if (Running()) Kill();
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
  if (!outputPath_.empty()) DeleteFileA(outputPath_.c_str());
}

bool Process::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
  TerminateProcess(info_.hProcess, 0xDEAD);
  WaitForSingleObject(info_.hProcess, 5000);
}

DWORD Process::WaitExit(DWORD timeoutMs) {
  if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    throw Error("timed out after " + std::to_string(timeoutMs) + " ms waiting for \"" +
                commandLine_ + "\" to exit; windows: " + DescribeWindows());
  }
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

std::string Process::Output() const {
  std::ifstream file(outputPath_, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// ---------------------------------------------------------------- windows

namespace {

// A named callback, not a lambda: on 32-bit x86 an enumeration callback is __stdcall, which
// a lambda does not convert to.
BOOL CALLBACK AddTopLevelWindow(HWND hwnd, LPARAM param) {
  auto* out = reinterpret_cast<std::vector<WindowInfo>*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  // GetWindowTextA, not WM_GETTEXT: a top-level title is read without a message, so a window
  // whose thread is busy cannot stall the search.
  char title[512] = {};
  GetWindowTextA(hwnd, title, sizeof title);
  out->push_back({hwnd, title, ClassOf(hwnd), pid, IsWindowVisible(hwnd) != FALSE});
  return TRUE;
}

}  // namespace

std::vector<WindowInfo> TopLevelWindows() {
  std::vector<WindowInfo> list;
  EnumWindows(AddTopLevelWindow, reinterpret_cast<LPARAM>(&list));
  return list;
}

std::string DescribeWindows() {
  std::string text = "[";
  bool first = true;
  for (const WindowInfo& w : TopLevelWindows()) {
    if (!w.visible) continue;
    text += (first ? "" : ", ") + std::string("\"") + w.title + "\" (" + w.className + ", pid " +
            std::to_string(w.pid) + ")";
    first = false;
  }
  return text + "]";
}

static HWND FindWindowOf(const Process& process, const std::string& title) {
  for (const WindowInfo& w : TopLevelWindows()) {
    if (w.visible && w.pid == process.Id() && w.title == title) return w.hwnd;
  }
  return nullptr;
}

bool HasWindow(const Process& process, const std::string& title) {
  return FindWindowOf(process, title) != nullptr;
}

// Polls `find` until it yields a window, the program ends, or the time is up.
template <typename Find>
static HWND WaitFor(const Process& process, const std::string& what, DWORD timeoutMs, Find find) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND hwnd = find()) return hwnd;
    if (!process.Running()) {
      throw Error("the program ended while waiting for " + what +
                  "; windows: " + DescribeWindows());
    }
    if (GetTickCount() - start > timeoutMs) {
      throw Error("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what +
                  " of pid " + std::to_string(process.Id()) + "; windows: " + DescribeWindows());
    }
    Sleep(20);
  }
}

HWND WaitWindow(const Process& process, const std::string& title, DWORD timeoutMs) {
  return WaitFor(process, "window \"" + title + "\"", timeoutMs,
                 [&] { return FindWindowOf(process, title); });
}

HWND WaitDialog(const Process& process, const std::string& title, DWORD timeoutMs) {
  return WaitFor(process, "dialog \"" + title + "\"", timeoutMs, [&]() -> HWND {
    for (const WindowInfo& w : TopLevelWindows()) {
      if (w.visible && w.pid == process.Id() && w.title == title && w.className == "#32770") {
        return w.hwnd;
      }
    }
    return nullptr;
  });
}

void WaitGone(HWND window, const std::string& what, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start > timeoutMs) {
      throw Error("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what +
                  " to close; windows: " + DescribeWindows());
    }
    Sleep(20);
  }
}

// ---------------------------------------------------------------- controls

HWND Control(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) {
    throw Error("window \"" + Text(dialog) + "\" has no control " + std::to_string(id));
  }
  return control;
}

std::string Text(HWND window) {
  int length = static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int got = static_cast<int>(
      SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

std::string Text(HWND dialog, int id) { return Text(Control(dialog, id)); }

void SetText(HWND dialog, int id, const std::string& text) {
  SendMessageA(Control(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Type(HWND dialog, int id, const std::string& text) {
  HWND control = Control(dialog, id);
  for (char c : text) SendMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void Clear(HWND dialog, int id) {
  HWND control = Control(dialog, id);
  SendMessageA(control, EM_SETSEL, 0, -1);
  SendMessageA(control, WM_CHAR, VK_BACK, 1);
}

void Click(HWND dialog, int id) {
  // Sent, not posted, so that a click that only closes its dialog has been handled when this
  // returns; a click that opens a modal dialog keeps the button busy, hence the time-out.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(Control(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, 100, &ignored);
}

void Command(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void PressKey(HWND window, int virtualKey) {
  UINT scan = MapVirtualKeyA(static_cast<UINT>(virtualKey), 0);
  PostMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1 | (scan << 16));
  PostMessageA(window, WM_KEYUP, static_cast<WPARAM>(virtualKey),
               1 | (scan << 16) | (1u << 30) | (1u << 31));
}

LONG_PTR Style(HWND dialog, int id) { return GetWindowLongPtrA(Control(dialog, id), GWL_STYLE); }

bool IsChecked(HWND dialog, int id) {
  return SendMessageA(Control(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int ListCount(HWND dialog, int id) {
  return static_cast<int>(SendMessageA(Control(dialog, id), LB_GETCOUNT, 0, 0));
}

std::string ListText(HWND dialog, int id, int index) {
  // The wide form: Wine answers the ANSI LB_GETTEXT of another process with UTF-16 bytes.
  HWND list = Control(dialog, id);
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0)
    throw Error("list " + std::to_string(id) + " has no item " + std::to_string(index));
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.data()));
  wide.resize(static_cast<std::size_t>(length));
  std::string text(wide.size() * 2 + 1, '\0');
  int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(),
                              static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return text;
}

int ListSelection(HWND dialog, int id) {
  return static_cast<int>(SendMessageA(Control(dialog, id), LB_GETCURSEL, 0, 0));
}

void ListSelect(HWND dialog, int id, int index) {
  HWND list = Control(dialog, id);
  SendMessageA(list, LB_SETCURSEL, index, 0);
  // Sent like a click, so a later click cannot overtake the selection change.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(list), SMTO_NORMAL, 100, &ignored);
}

// ---------------------------------------------------------------- message boxes

static bool IsMessageBox(HWND hwnd) {
  if (ClassOf(hwnd) != "#32770" || !GetDlgItem(hwnd, 0xFFFF)) return false;
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    HWND button = GetDlgItem(hwnd, id);
    if (button && IsWindowVisible(button)) return true;
  }
  return false;
}

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.hwnd = box;
  info.caption = Text(box);
  info.text = Text(GetDlgItem(box, 0xFFFF));
  info.icon = IconKind(box);
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    HWND button = GetDlgItem(box, id);
    if (button && IsWindowVisible(button)) info.buttons.push_back(id);
  }
  return info;
}

MessageBoxInfo WaitMessageBox(const Process& process, DWORD timeoutMs) {
  HWND box = WaitFor(process, "a message box", timeoutMs, [&]() -> HWND {
    for (const WindowInfo& w : TopLevelWindows()) {
      if (w.visible && w.pid == process.Id() && IsMessageBox(w.hwnd)) return w.hwnd;
    }
    return nullptr;
  });
  Sleep(50);  // let it finish painting before its icon is looked at
  return ReadMessageBox(box);
}

void Answer(const MessageBoxInfo& box, int buttonId) {
  Click(box.hwnd, buttonId);
  WaitGone(box.hwnd, "message box \"" + box.text + "\"");
}

// ---------------------------------------------------------------- screenshots

void Screenshot(const std::string& pngPath, HWND window) {
  RECT r;
  if (window) {
    // Let the window's thread finish painting what it just showed before reading pixels.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    Sleep(200);
    GetWindowRect(window, &r);
  } else {
    r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  std::vector<std::uint8_t> rgb = CapturePixels(r);
  if (rgb.empty() || !WritePng(pngPath, r.right - r.left, r.bottom - r.top, rgb)) {
    throw Error("cannot write screenshot " + pngPath);
  }
}

}  // namespace uiauto
