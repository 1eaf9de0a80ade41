// A built program's resources read in-process.
#include "tests/support/Resources.h"

#include <cctype>
#include <cstdint>

#include "tests/e2e/E2e.h"

namespace support {

HMODULE ProgramResources::module_ = nullptr;
std::string ProgramResources::exe_;

void ProgramResources::Load(const std::string& exe) {
  exe_ = exe;
  module_ = LoadLibraryExA((e2e::BinDir() + "\\" + exe).c_str(), nullptr,
                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

void ProgramResources::TearDownTestSuite() {
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
}

void ProgramResources::SetUp() {
  ASSERT_NE(module_, nullptr) << "cannot load " << exe_ << " as data: " << GetLastError();
}

std::optional<std::string> ResourceBytes(HMODULE module, const char* name, LPCSTR type) {
  HRSRC found = FindResourceA(module, name, type);
  if (!found) return std::nullopt;
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
  if (!bytes) return std::nullopt;
  return std::string(bytes, SizeofResource(module, found));
}

namespace {

void DescribeItems(HMENU menu, int depth, std::string& out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = sizeof text;
    out += std::string(2 * depth, ' ');
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) {
      out += "unreadable item\n";
      continue;
    }
    out += '"' + std::string(text) + '"';
    if (info.hSubMenu) {
      out += " popup";
    } else if (info.fType & MFT_SEPARATOR) {
      out += " separator\n";  // its state means nothing, and Wine reports one greyed
      continue;
    } else {
      out += " -> " + std::to_string(info.wID);
    }
    if (info.fState & MFS_GRAYED) out += " grey";
    if (info.fState & MFS_CHECKED) out += " checked";
    if (info.fType & MFT_RIGHTJUSTIFY) out += " right";
    out += '\n';
    if (info.hSubMenu) DescribeItems(info.hSubMenu, depth + 1, out);
  }
}

// "#<n>", an ordinal as text; appended, as GCC 12 takes "#" + std::to_string(n) for an
// overlapping copy.
std::string Ordinal(unsigned n) {
  std::string text = "#";
  text.append(std::to_string(n));
  return text;
}

// Reads a template's little-endian fields in order.
class TemplateReader {
 public:
  TemplateReader(const std::string& bytes) : bytes_(bytes) {}
  std::uint16_t Word() {
    std::uint16_t w =
        at_ + 1 < bytes_.size() ? static_cast<std::uint16_t>(Byte(at_) | Byte(at_ + 1) << 8) : 0;
    at_ += 2;
    return w;
  }
  DWORD Dword() {
    DWORD low = Word();
    return low | static_cast<DWORD>(Word()) << 16;
  }
  int Short() { return static_cast<std::int16_t>(Word()); }
  std::string String() {
    std::string s;
    while (at_ < bytes_.size()) {
      std::uint16_t c = Word();
      if (c == 0) break;
      s += static_cast<char>(c);
    }
    return s;
  }
  // A string, or 0xFFFF and an ordinal ("#<number>").
  std::string StringOrOrdinal() {
    if (at_ + 1 < bytes_.size() && Byte(at_) == 0xFF && Byte(at_ + 1) == 0xFF) {
      Word();
      return Ordinal(Word());
    }
    return String();
  }
  void AlignDword() { at_ = (at_ + 3) & ~std::size_t{3}; }
  void Skip(std::size_t n) { at_ += n; }

 private:
  unsigned Byte(std::size_t i) const { return static_cast<unsigned char>(bytes_[i]); }
  const std::string& bytes_;
  std::size_t at_ = 0;
};

std::string ControlClass(std::string kind) {
  static const char* const kPredefined[] = {"button",  "edit",      "static",
                                            "listbox", "scrollbar", "combobox"};
  for (int i = 0; i < 6; ++i) {
    if (kind == Ordinal(0x80 + i)) return kPredefined[i];
  }
  std::string lower = kind;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* name : kPredefined) {
    if (lower == name) return lower;
  }
  return kind;
}

}  // namespace

std::string DescribeMenu(HMENU menu) {
  std::string out;
  DescribeItems(menu, 0, out);
  return out;
}

std::optional<DialogTemplate> ReadDialog(HMODULE module, const char* name) {
  std::optional<std::string> bytes = ResourceBytes(module, name, RT_DIALOG);
  if (!bytes) return std::nullopt;
  TemplateReader r(*bytes);
  DialogTemplate t;
  t.style = r.Dword();
  r.Dword();  // extended style
  const int items = r.Word();
  t.x = r.Short(), t.y = r.Short(), t.cx = r.Short(), t.cy = r.Short();
  t.menu = r.StringOrOrdinal();
  t.windowClass = r.StringOrOrdinal();
  t.title = r.String();
  if (t.style & DS_SETFONT) {
    t.pointSize = r.Word();
    t.font = r.String();
  }
  for (int i = 0; i < items; ++i) {
    r.AlignDword();
    DialogControl c;
    c.style = r.Dword();
    r.Dword();  // extended style
    c.x = r.Short(), c.y = r.Short(), c.cx = r.Short(), c.cy = r.Short();
    c.id = r.Short();
    c.kind = ControlClass(r.StringOrOrdinal());
    c.text = r.StringOrOrdinal();
    r.Skip(r.Word());  // creation data
    t.controls.push_back(c);
  }
  return t;
}

}  // namespace support
