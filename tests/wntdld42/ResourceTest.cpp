// WNTDLD42's resources read from the built program: the menu with every text and command,
// the F3 key, the icon, and every form's template (title, font, controls with their ids,
// texts and the styles that matter: capitals, read-only, default button, radio buttons).
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/Version.h"
#include "tests/support/Resources.h"

namespace {

class Resources : public support::ProgramResources {
 protected:
  static void SetUpTestSuite() { Load("WNTDLD42.exe"); }
};

// Every item is enabled and unchecked; the loader turns the backspace that starts "\b&Help"
// into the right-justified type.
TEST_F(Resources, MenuHasEveryTextAndCommandWithHelpAtTheRight) {
  HMENU bar = LoadMenuA(module_, "WNTDLD42");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(support::DescribeMenu(bar),
            "\"&Options\" popup\n"
            "  \"&Load DES Key\" popup\n"
            "    \"&Load 8 Byte Master Key (non-encrypted)\" -> 200\n"
            "    \"&Load 8 Byte Master Key (encrypted)\" -> 201\n"
            "    \"&Load 16 Byte Master Key (non-encrypted)\" -> 202\n"
            "    \"&Load 16 Byte Master Key (encrypted)\" -> 203\n"
            "    \"&Enter 8 Byte Master Key (single entry)\" -> 205\n"
            "    \"&Enter 8 Byte Master Key (dual entry)\" -> 206\n"
            "    \"&Enter 16 Byte Master Key (single entry)\" -> 207\n"
            "    \"&Enter 16 Byte Master Key (dual entry)\" -> 208\n"
            "    \"&Load 8 Byte Key (encrypted)\" -> 204\n"
            "  \"&Load Initial Chaining Vector\" -> 101\n"
            "  \"&Load PIN Verification Parameters\" -> 102\n"
            "  \"&Set Mode\" -> 103\n"
            "  \"&Read Serial Number\" -> 104\n"
            "  \"&Read Hardware Version\" -> 105\n"
            "  \"\" separator\n"
            "  \"E&xit\" -> 100\n"
            "\"&Help\" popup right\n"
            "  \"&General\" -> 1102\n"
            "  \"&About\" -> 1100\n");
  DestroyMenu(bar);
}

// The menu resource itself holds the text with its backspace, as the system reads it.
TEST_F(Resources, TheHelpMenuTextBeginsWithABackspace) {
  std::optional<std::string> menu = support::ResourceBytes(module_, "WNTDLD42", RT_MENU);
  ASSERT_TRUE(menu);
  const char wanted[] = {'\b', 0, '&', 0, 'H', 0, 'e', 0, 'l', 0, 'p', 0, 0, 0};
  EXPECT_NE(menu->find(std::string(wanted, sizeof wanted)), std::string::npos);
}

TEST_F(Resources, F3IsExitAndTheIconIsThere) {
  HACCEL keys = LoadAcceleratorsA(module_, "WNTDLD42");
  ASSERT_NE(keys, nullptr);
  ACCEL table[4] = {};
  ASSERT_EQ(CopyAcceleratorTableA(keys, table, 4), 1);
  EXPECT_TRUE(table[0].fVirt & FVIRTKEY);
  EXPECT_FALSE(table[0].fVirt & (FSHIFT | FCONTROL | FALT));
  EXPECT_EQ(table[0].key, VK_F3);
  EXPECT_EQ(table[0].cmd, 100);
  EXPECT_NE(FindResourceA(module_, "WNTDLD42", RT_GROUP_ICON), nullptr);
}

// ---------------------------------------------------------------- dialog templates

// A control as a form must have it: style holds the bits that must be set.
struct Control {
  std::string kind;  // "static", "edit", "button"
  int id;
  std::string text;
  DWORD style;
};

constexpr DWORD kUpper = ES_UPPERCASE, kShown = ES_READONLY;

struct Form {
  const char* name;
  const char* title;
  std::vector<Control> controls;
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
    std::optional<support::DialogTemplate> read = support::ReadDialog(module_, form.name);
    ASSERT_TRUE(read);
    const support::DialogTemplate& t = *read;
    EXPECT_EQ(t.title, form.title);
    EXPECT_EQ(t.font, "Helv");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_TRUE(t.style & WS_CAPTION);
    EXPECT_FALSE(t.style & WS_SYSMENU);  // no close box: only the buttons end a form
    ASSERT_EQ(t.controls.size(), form.controls.size());
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
      const Control& want = form.controls[i];
      const support::DialogControl& got = t.controls[i];
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
  std::optional<support::DialogTemplate> read = support::ReadDialog(module_, "ABOUT");
  ASSERT_TRUE(read);
  const support::DialogTemplate& t = *read;
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
