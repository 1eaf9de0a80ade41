// WNTDLD42's resources read from the built program: the menu with every text and command,
// the F3 key, the icon, and every form's template (title, font, controls with their ids,
// texts and the styles that matter: capitals, read-only, default button, radio buttons).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/Version.h"
#include "tests/e2e/E2e.h"

namespace {

class Resources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module = LoadLibraryExA((e2e::BinDir() + "\\WNTDLD42.exe").c_str(), nullptr,
                            LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }
  static void TearDownTestSuite() {
    if (module) FreeLibrary(module);
  }
  void SetUp() override { ASSERT_NE(module, nullptr) << "WNTDLD42.exe: " << GetLastError(); }
  static HMODULE module;
};
HMODULE Resources::module = nullptr;

std::string ItemText(HMENU menu, UINT position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

struct Item {
  const char* text;
  int id;  // -1: popup, 0: separator
};

void ExpectMenu(HMENU menu, const std::vector<Item>& items, const std::string& where) {
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(items.size())) << where;
  for (UINT i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(where + " item " + std::to_string(i));
    UINT state = GetMenuState(menu, i, MF_BYPOSITION);
    if (items[i].id == 0) {
      EXPECT_TRUE(state & MF_SEPARATOR);
      continue;
    }
    EXPECT_FALSE(state & (MF_GRAYED | MF_DISABLED | MF_CHECKED));  // always enabled, never checked
    EXPECT_EQ(ItemText(menu, i), items[i].text);
    if (items[i].id == -1) {
      EXPECT_NE(GetSubMenu(menu, static_cast<int>(i)), nullptr);
    } else {
      EXPECT_EQ(static_cast<int>(GetMenuItemID(menu, static_cast<int>(i))), items[i].id);
    }
  }
}

TEST_F(Resources, MenuHasEveryTextAndCommandWithHelpAtTheRight) {
  HMENU bar = LoadMenuA(module, "WNTDLD42");
  ASSERT_NE(bar, nullptr);
  // The loader turns the backspace that starts "\b&Help" into the right-justified type.
  ExpectMenu(bar, {{"&Options", -1}, {"&Help", -1}}, "bar");
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoA(bar, 1, TRUE, &info));
  EXPECT_TRUE(info.fType & MFT_RIGHTJUSTIFY);
  HMENU options = GetSubMenu(bar, 0);
  ExpectMenu(options,
             {{"&Load DES Key", -1},
              {"&Load Initial Chaining Vector", 101},
              {"&Load PIN Verification Parameters", 102},
              {"&Set Mode", 103},
              {"&Read Serial Number", 104},
              {"&Read Hardware Version", 105},
              {"", 0},
              {"E&xit", 100}},
             "Options");
  ExpectMenu(GetSubMenu(options, 0),
             {{"&Load 8 Byte Master Key (non-encrypted)", 200},
              {"&Load 8 Byte Master Key (encrypted)", 201},
              {"&Load 16 Byte Master Key (non-encrypted)", 202},
              {"&Load 16 Byte Master Key (encrypted)", 203},
              {"&Enter 8 Byte Master Key (single entry)", 205},
              {"&Enter 8 Byte Master Key (dual entry)", 206},
              {"&Enter 16 Byte Master Key (single entry)", 207},
              {"&Enter 16 Byte Master Key (dual entry)", 208},
              {"&Load 8 Byte Key (encrypted)", 204}},
             "Load DES Key");
  ExpectMenu(GetSubMenu(bar, 1), {{"&General", 1102}, {"&About", 1100}}, "Help");
  DestroyMenu(bar);
}

// The menu resource itself holds the text with its backspace, as the system reads it.
TEST_F(Resources, TheHelpMenuTextBeginsWithABackspace) {
  HRSRC found = FindResourceA(module, "WNTDLD42", RT_MENU);
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
  DWORD size = SizeofResource(module, found);
  const char wanted[] = {'\b', 0, '&', 0, 'H', 0, 'e', 0, 'l', 0, 'p', 0, 0, 0};
  std::string all(bytes, size);
  EXPECT_NE(all.find(std::string(wanted, sizeof wanted)), std::string::npos);
}

TEST_F(Resources, F3IsExitAndTheIconIsThere) {
  HACCEL keys = LoadAcceleratorsA(module, "WNTDLD42");
  ASSERT_NE(keys, nullptr);
  ACCEL table[4] = {};
  ASSERT_EQ(CopyAcceleratorTableA(keys, table, 4), 1);
  EXPECT_TRUE(table[0].fVirt & FVIRTKEY);
  EXPECT_FALSE(table[0].fVirt & (FSHIFT | FCONTROL | FALT));
  EXPECT_EQ(table[0].key, VK_F3);
  EXPECT_EQ(table[0].cmd, 100);
  EXPECT_NE(FindResourceA(module, "WNTDLD42", RT_GROUP_ICON), nullptr);
}

// ---------------------------------------------------------------- dialog templates

struct Control {
  std::string kind;  // "static", "edit", "button"
  int id;
  std::string text;
  DWORD style;
};

struct Template {
  DWORD style = 0;
  std::string title;
  int pointSize = 0;  // 0: no font of its own
  std::string font;
  std::vector<Control> controls;
};

std::string Narrow(const WORD*& p) {
  std::string text;
  while (*p) text += static_cast<char>(*p++);
  ++p;
  return text;
}

// A name or ordinal field: an ordinal comes back as "#<number>".
std::string NameOrOrdinal(const WORD*& p) {
  if (*p == 0xFFFF) {
    std::string ordinal = "#" + std::to_string(p[1]);
    p += 2;
    return ordinal;
  }
  return Narrow(p);
}

bool ReadTemplate(HMODULE module, const char* name, Template* t) {
  HRSRC found = FindResourceA(module, name, RT_DIALOG);
  if (!found) return false;
  const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  if (!base) return false;
  const auto* head = reinterpret_cast<const DLGTEMPLATE*>(base);
  t->style = head->style;
  const WORD* p = reinterpret_cast<const WORD*>(head + 1);
  NameOrOrdinal(p);  // menu
  NameOrOrdinal(p);  // class
  t->title = Narrow(p);
  if (t->style & DS_SETFONT) {
    t->pointSize = *p++;
    t->font = Narrow(p);
  }
  for (WORD i = 0; i < head->cdit; ++i) {
    auto at = reinterpret_cast<std::uintptr_t>(p);
    p = reinterpret_cast<const WORD*>((at + 3) & ~std::uintptr_t{3});
    const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
    p = reinterpret_cast<const WORD*>(item + 1);
    std::string kind = NameOrOrdinal(p);
    if (kind == "#128") kind = "button";
    if (kind == "#129") kind = "edit";
    if (kind == "#130") kind = "static";
    std::string text = NameOrOrdinal(p);
    WORD extra = *p++;
    p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
    t->controls.push_back({kind, static_cast<short>(item->id), text, item->style});
  }
  return true;
}

constexpr DWORD kUpper = ES_UPPERCASE, kShown = ES_READONLY;

struct Form {
  const char* name;
  const char* title;
  std::vector<Control> controls;  // style: the bits that must be set
};

Control Label(const char* text) { return {"static", -1, text, 0}; }
Control Edit(int id, DWORD style = 0) { return {"edit", id, "", style}; }
Control Ok(int id) { return {"button", id, "OK", BS_DEFPUSHBUTTON}; }
Control Button(int id, const char* text) { return {"button", id, text, 0}; }

const Form kForms[] = {
    {"COMMPORT",
     "Enter Communication Port Number",
     {Label("Enter the 8342 Comm Port Number:"), Edit(1200), Ok(1201), Button(1202, "CANCEL"),
      Button(1203, "HELP")}},
    {"LD8MKN",
     "Load 8 Byte Non-Encrypted Master Key",
     {Label("Enter 8 Byte Master Key in hexadecimal:"), Edit(800, kUpper), Ok(801),
      Button(802, "CANCEL"), Button(803, "HELP")}},
    {"LD8MKE",
     "Load 8 Byte Encrypted Master Key",
     {Label("Enter 8 Byte Master Key in hexadecimal:"), Edit(806, kUpper), Ok(807),
      Button(808, "CANCEL"), Button(809, "HELP")}},
    {"LD16MKN",
     "Load 16 Byte Non-Encrypted Master Key",
     {Label("Enter 16 Byte Master Key in hexadecimal:"), Edit(804, kUpper), Ok(805),
      Button(806, "CANCEL"), Button(807, "HELP")}},
    {"LD16MKE",
     "Load 16 Byte Encrypted Master Key",
     {Label("Enter 16 Byte Master Key in hexadecimal:"), Edit(800, kUpper), Ok(801),
      Button(802, "CANCEL"), Button(803, "HELP")}},
    {"RETLSNB",
     "Load Master Key Response",
     {Label("Load Master Key Response:"), Edit(804, kShown), Ok(805)}},
    {"ED8MKS",
     "Enter 8 Byte Single-Entry Master Key",
     {Label("Enter 8 Byte Master Key in 3-3-2 format at the 8342 Pin Pad."), Ok(900),
      Button(901, "CANCEL"), Button(902, "HELP")}},
    {"ED8MKD",
     "Enter 8 Byte Dual-Entry Master Key",
     {Label("Enter 8 Byte Master Key in 3-3-2 format at the 8342 Pin Pad."), Ok(905),
      Button(906, "CANCEL"), Button(907, "HELP")}},
    {"ED16MKS",
     "Enter 16 Byte Single-Entry Master Key",
     {Label("Enter 16 Byte Master Key in 3-3-2 format at the 8342 Pin Pad."), Ok(908),
      Button(909, "CANCEL"), Button(910, "HELP")}},
    {"ED16MKD",
     "Enter 16 Byte Dual-Entry Master Key",
     {Label("Enter 16 Byte Master Key in 3-3-2 format at the 8342 Pin Pad."), Ok(911),
      Button(912, "CANCEL"), Button(913, "HELP")}},
    {"RETESNB",
     "Enter Master Key Response",
     {Label("Enter Master Key Response:"), Edit(903, kShown), Ok(904)}},
    {"LDENCK",
     "Load 8 Byte Encryption Key",
     {Label("Enter 8 Byte Encryption Key in hexadecimal:"), Edit(1000, kUpper),
      Label("Enter encryption key ID in hexadecimal:"), Edit(1001),
      Label("Enter variant descriptor to be used in hexadecimal:"), Edit(1002), Ok(1003),
      Button(1004, "CANCEL"), Button(1005, "HELP")}},
    {"RETKSNB",
     "Load Encryption Key Response",
     {Label("Load Encryption Key Response:"), Edit(1006, kShown), Ok(1007)}},
    {"LDICV",
     "Load Initial Chaining Value",
     {Label("Enter 8 Byte ICV in hexadecimal:"), Edit(700, kUpper),
      Label("Enter variant descriptor to be used in hexadecimal:"), Edit(701), Ok(702),
      Button(703, "CANCEL"), Button(704, "HELP")}},
    {"LDVERP",
     "Load PIN Verification Parameters",
     {Label("Enter Length of PIN to be checked in hexadecimal:"), Edit(300),
      Label("Enter 16 Byte Decimalization Table in hexadecimal:"), Edit(301, kUpper), Ok(302),
      Button(303, "CANCEL"), Button(304, "HELP")}},
    {"SETMODE",
     "8342 Set Mode",
     {{"button", 600, "Set Encrypted Mode", BS_AUTORADIOBUTTON},
      {"button", 601, "Set NonEncrypted Mode", BS_AUTORADIOBUTTON},
      Ok(602)}},
    {"SETMDW",
     "8342 Set Encrypted Mode Warning",
     {Label("Setting encrypted mode will destroy all encryption keys."),
      Label("Select an action to continue."), Ok(603), Button(604, "CANCEL")}},
    {"DEVSN",
     "8342 Serial Number Response",
     {Label("8342 Serial Number:"), Edit(500, kShown), Ok(501)}},
    {"DEVHV",
     "8342 Hardware Version Response",
     {Label("8342 Hardware Version:"), Edit(400, kShown), Ok(402)}},
};

TEST_F(Resources, EveryFormHasItsTitleHelvAndItsControls) {
  for (const Form& form : kForms) {
    SCOPED_TRACE(form.name);
    Template t;
    ASSERT_TRUE(ReadTemplate(module, form.name, &t));
    EXPECT_EQ(t.title, form.title);
    EXPECT_EQ(t.font, "Helv");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_TRUE(t.style & WS_CAPTION);
    EXPECT_FALSE(t.style & WS_SYSMENU);  // no close box: only the buttons end a form
    ASSERT_EQ(t.controls.size(), form.controls.size());
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
      const Control& want = form.controls[i];
      const Control& got = t.controls[i];
      SCOPED_TRACE("control " + std::to_string(i) + " (" + std::to_string(want.id) + ")");
      EXPECT_EQ(got.kind, want.kind);
      EXPECT_EQ(got.id, want.id);
      EXPECT_EQ(got.text, want.text);
      if (want.kind == "button") {
        EXPECT_EQ(got.style & 0x0F, want.style & 0x0F);  // push, default push or radio
      } else if (want.kind == "edit") {
        EXPECT_EQ(got.style & (ES_UPPERCASE | ES_READONLY), want.style);
      }
    }
  }
}

TEST_F(Resources, TheAboutBoxKeepsTheSystemFont) {
  Template t;
  ASSERT_TRUE(ReadTemplate(module, "ABOUT", &t));
  EXPECT_EQ(t.title, "QRT 8342 Download Program");
  EXPECT_FALSE(t.style & DS_SETFONT);
  EXPECT_FALSE(t.style & WS_SYSMENU);
  ASSERT_EQ(t.controls.size(), 5u);
  EXPECT_EQ(t.controls[0].text, SUITE_VERSION_LINE);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(t.controls[i].kind, "static");
    EXPECT_EQ(t.controls[i].style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER)) << i;
    EXPECT_FALSE(t.controls[i].text.empty()) << i;
  }
  EXPECT_EQ(t.controls[4].id, 1101);
  EXPECT_EQ(t.controls[4].text, "OK");
}

}  // namespace
