// Helpers of the FIOSETUP window tests.
#include "tests/e2e/Fiosetup.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "fiosetup/FIOSETUP.h"

using namespace uiauto;

namespace fio {

support::RegResult Query(const std::string& subkey) {
  return support::Reg("query " + std::string(kRootKey) + (subkey.empty() ? "" : "\\" + subkey) +
                      " /s");
}

void AddDword(const std::string& subkey, const std::string& value, std::uint32_t data) {
  support::RegResult r = support::Reg("add " + std::string(kRootKey) + "\\" + subkey + " /v " +
                                      value + " /t REG_DWORD /d " + std::to_string(data) + " /f");
  if (r.exit != 0) throw Error("reg add failed: " + r.output);
}

std::optional<std::string> UserPath() {
  support::RegResult r = support::Reg("query HKCU\\Environment /v PATH");
  if (r.exit != 0) return std::nullopt;
  for (const char* type : {"REG_SZ    ", "REG_EXPAND_SZ    "}) {
    auto at = r.output.find(std::string("    PATH    ") + type);
    if (at == std::string::npos) continue;
    at += 12 + std::string(type).size();
    auto end = r.output.find_first_of("\r\n", at);
    return r.output.substr(at, end == std::string::npos ? std::string::npos : end - at);
  }
  return std::nullopt;
}

PathGuard::PathGuard(const std::string& path) {
  RegSetKeyValueA(HKEY_CURRENT_USER, "Environment", "PATH", REG_SZ, path.c_str(),
                  static_cast<DWORD>(path.size() + 1));
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string DescribeMenu(menuhook::MenuProbe& probe) {
  static constexpr int kCommands[] = {100, 104, 105, 106, 107, 200, 201, 202, 203, 300, 301, 302,
                                      303, 400, 401, 402, 403, 500, 600, 601, 602, 603, 604};
  const UINT kGrey = MF_GRAYED | MF_DISABLED;
  std::ostringstream out;
  out << "grey";
  for (int id : kCommands) {
    UINT state = probe.State(id);
    if (state == 0xFFFFFFFF) {
      out << " missing " << id;
    } else if (state & kGrey) {
      out << ' ' << id;
    }
  }
  out << " | S " << ((probe.State(IDM_OPTION_S) & MF_CHECKED) ? "checked" : "unchecked") << " | ";
  const std::pair<std::pair<int, int>, char> submenus[] = {
      {{0, 1}, 'U'}, {{1, 1}, 'D'}, {{1, 2}, 'C'}};
  for (const auto& [at, letter] : submenus) {
    UINT state = probe.StateAt(at.first, at.second);
    out << ((state == 0xFFFFFFFF || !(state & MF_POPUP)) ? '?' : (state & kGrey) ? '-' : letter);
  }
  return out.str();
}

bool MessageBoxWithin(const Process& process, DWORD ms) {
  try {
    WaitMessageBox(process, ms);
    return true;
  } catch (const Error&) {
    return false;
  }
}

namespace {

// The pixels of a rectangle of the screen, as 0x00RRGGBB values row by row.
std::vector<std::uint32_t> Pixels(HDC source, int x, int y, int width, int height) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return {};
  }
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  GdiFlush();
  std::vector<std::uint32_t> pixels(static_cast<std::uint32_t*>(bits),
                                    static_cast<std::uint32_t*>(bits) + width * height);
  for (auto& p : pixels) p &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

std::string ScreenDiffers(HWND window, const std::vector<std::string>& lines) {
  RECT client;
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  const int width = client.right, height = client.bottom;

  // The expected picture, drawn as the window must draw it.
  HDC screen = GetDC(nullptr);
  TEXTMETRICA metrics{};
  HGDIOBJ systemFont = SelectObject(screen, GetStockObject(SYSTEM_FONT));
  GetTextMetricsA(screen, &metrics);
  SelectObject(screen, systemFont);
  const int charWidth = metrics.tmAveCharWidth;
  const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  HBRUSH background = GetSysColorBrush(COLOR_WINDOW);
  FillRect(memory, &client, background);
  HGDIOBJ oldFont = SelectObject(memory, GetStockObject(SYSTEM_FIXED_FONT));
  SetBkColor(memory, GetSysColor(COLOR_WINDOW));
  SetTextColor(memory, GetSysColor(COLOR_WINDOWTEXT));
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::string line = lines[k];
    if (line.size() < 79) line.append(79 - line.size(), ' ');
    TextOutA(memory, charWidth, static_cast<int>(k + 1) * lineHeight, line.c_str(),
             static_cast<int>(line.size()));
  }
  SelectObject(memory, oldFont);
  std::vector<std::uint32_t> expected = Pixels(memory, 0, 0, width, height);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);

  std::string report;
  for (int attempt = 0; attempt < 40; ++attempt) {
    std::vector<std::uint32_t> seen = Pixels(screen, origin.x, origin.y, width, height);
    if (width <= 0 || height <= 0 || seen.size() != expected.size() ||
        seen.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
      report = "cannot read the window's client area from the screen";
      Sleep(50);
      continue;
    }
    report.clear();
    const int bands = lineHeight > 0 ? height / lineHeight + 1 : 1;
    for (int band = 0; band < bands; ++band) {
      int differing = 0;
      for (int y = band * lineHeight; y < std::min(height, (band + 1) * lineHeight); ++y) {
        for (int x = 0; x < width; ++x) {
          differing += seen[y * width + x] != expected[y * width + x];
        }
      }
      if (differing == 0) continue;
      std::string what = band == 0                                ? "above line 1"
                         : band <= static_cast<int>(lines.size()) ? "\"" + lines[band - 1] + "\""
                                                                  : "a blank line";
      report += "line " + std::to_string(band) + " (" + what + ") differs in " +
                std::to_string(differing) + " pixels; ";
    }
    if (report.empty()) break;
    Sleep(50);
  }
  ReleaseDC(nullptr, screen);
  return report;
}

std::string DeviceLine(int port, const std::string& suffix) {
  std::string number = std::to_string(port);
  number.resize(3, ' ');
  return std::string(15, ' ') + "COM" + number + suffix;
}

}  // namespace fio
