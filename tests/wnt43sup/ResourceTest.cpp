// The resources of the built WNT43SUP.exe, read in-process: the menu with its texts, ids and
// states, the accelerator table, the icon, and every dialog template with its title, style and
// controls (ids, classes, texts, read-only fields) in order.
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
  static void SetUpTestSuite() { Load("WNT43SUP.exe"); }
};

// No item is ever greyed or checked; Help sits at the right end of the menu bar.
TEST_F(Resources, MenuTextsIdsAndPlaces) {
  HMENU menu = LoadMenuA(module_, "WNT43SUP");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(support::DescribeMenu(menu),
            "\"&Options\" popup\n"
            "  \"&Load Cleartext RSA Private Key\" -> 101\n"
            "  \"&Load Cleartext Double Length DES Key Part\" -> 102\n"
            "  \"&Load Device Serial Number                \" -> 103\n"  // 16 blanks
            "  \"&Read Device Information\" -> 104\n"
            "  \"&Read Device Status\" -> 105\n"
            "  \"&Eject Card\" -> 106\n"
            "  \"&Generate a CRC from an Input HEX File\" -> 107\n"
            "  \"&Query the CRC of the Device Memory\" -> 108\n"
            "  \"\" separator\n"
            "  \"E&xit\" -> 100\n"
            "\"&Help\" popup right\n"
            "  \"&General\" -> 1100\n"
            "  \"&About\" -> 1000\n");
  DestroyMenu(menu);
}

TEST_F(Resources, F3IsExitAndTheIconIsThere) {
  HACCEL table = LoadAcceleratorsA(module_, "WNT43SUP");
  ASSERT_NE(table, nullptr);
  ACCEL entries[8];
  int count = CopyAcceleratorTableA(table, entries, 8);
  ASSERT_EQ(count, 1);
  EXPECT_TRUE(entries[0].fVirt & FVIRTKEY);
  EXPECT_FALSE(entries[0].fVirt & (FSHIFT | FCONTROL | FALT));
  EXPECT_EQ(entries[0].key, VK_F3);
  EXPECT_EQ(entries[0].cmd, 100);
  EXPECT_NE(FindResourceA(module_, "WNT43SUP", MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */), nullptr);
}

// ---- Dialog templates -----------------------------------------------------------------------

enum Kind { kStatic, kEntry, kShow, kButton };

struct Control {
  int id;  // -1 for the labels
  Kind kind;
  std::string text;
};

struct Template {
  const char* name;
  const char* title;
  std::vector<Control> controls;
};

std::vector<Control> RsaControls() {
  std::vector<Control> c = {{-1, kStatic, "Type the requested values. Then select OK."},
                            {-1, kStatic, "Modulus (64 Bytes):"}};
  for (int id = 210; id <= 217; ++id) c.push_back({id, kEntry, ""});
  c.push_back({-1, kStatic, "Exponent (64 Bytes):"});
  for (int id = 218; id <= 225; ++id) c.push_back({id, kEntry, ""});
  c.insert(c.end(), {{226, kButton, "OK"}, {229, kButton, "CANCEL"}, {230, kButton, "HELP"}});
  return c;
}

std::vector<Template> Templates() {
  return {
      {"COMMPORT",
       "Enter Communication Port Number",
       {{-1, kStatic, "Enter the 8343 Comm Port Number:"},
        {1200, kEntry, ""},
        {1201, kButton, "OK"},
        {1202, kButton, "CANCEL"},
        {1203, kButton, "HELP"}}},
      {"LDRSAPK", "Load Cleartext RSA Private Key", RsaControls()},
      {"LDRSAPKWN",
       "Load Cleartext RSA Private Key Warning",
       {{-1, kStatic, "The microcode in the 8343 device permits the"},
        {-1, kStatic, "Cleartext RSA private key to be set only once."},
        {-1, kStatic, "Select an action to continue."},
        {227, kButton, "OK"},
        {228, kButton, "CANCEL"}}},
      {"LDDLKP",
       "Load Cleartext Double Length DES Key Part",
       {{-1, kStatic, "Type the requested values. Then select OK."},
        {-1, kStatic, "Key Number (0 TO 7):"},
        {310, kEntry, ""},
        {-1, kStatic, "Part Indicator:   1. First"},
        {-1, kStatic, "2. Middle"},
        {-1, kStatic, "3. Last"},
        {311, kEntry, ""},
        {-1, kStatic, "Key Part:"},
        {312, kEntry, ""},
        {313, kEntry, ""},
        {314, kButton, "OK"},
        {315, kButton, "CANCEL"},
        {316, kButton, "HELP"}}},
      {"LDSN",
       "Load Device Serial Number",
       {{-1, kStatic, "Type the last 5 digits of your 8343 device's serial number."},
        {-1, kStatic, "Then select OK."},
        {-1, kStatic, "Device Serial Number:  41- "},
        {410, kEntry, ""},
        {411, kButton, "OK"},
        {414, kButton, "CANCEL"},
        {415, kButton, "HELP"}}},
      {"LDSNWN",
       "Load Serial Number Warning",
       {{-1, kStatic, "The microcode in the 8343 device permits the"},
        {-1, kStatic, "device serial number to be set only once."},
        {-1, kStatic, "Select an action to continue."},
        {412, kButton, "OK"},
        {413, kButton, "CANCEL"}}},
      {"DEVINFO",
       "8343 Device Information Response",
       {{-1, kStatic, "Device Return Code:"},
        {502, kShow, ""},
        {503, kShow, ""},
        {-1, kStatic, "Device Serial Number:"},
        {504, kShow, ""},
        {-1, kStatic, "Main Processor Microcode Version:"},
        {505, kShow, ""},
        {-1, kStatic, "Main Processor Application:"},
        {706, kShow, ""},
        {-1, kStatic, "Security Processor Microcode Version:"},
        {507, kShow, ""},
        {-1, kStatic, "Security Processor Application:"},
        {508, kShow, ""},
        {501, kButton, "OK"}}},
      {"RDSTAT",
       "Read Device Status Response",
       {{-1, kStatic, "Device Return Code:"},
        {600, kShow, ""},
        {601, kShow, ""},
        {-1, kStatic, "Device Status Byte 1:"},
        {602, kShow, ""},
        {-1, kStatic, "Bit 7 (Motor Timeout Occurred):"},
        {603, kShow, ""},
        {-1, kStatic, "Bit 6 (Smart Card Present):"},
        {604, kShow, ""},
        {-1, kStatic, "Bit 5 (T3 Data Present):"},
        {605, kShow, ""},
        {-1, kStatic, "Bit 4 (T2 Data Present):"},
        {606, kShow, ""},
        {-1, kStatic, "Bit 3 (T1 Data Present):"},
        {607, kShow, ""},
        {-1, kStatic, "Bit 2 (Card Lock Sensor Status):"},
        {608, kShow, ""},
        {-1, kStatic, "Bit 1 (Middle Sensor Status):"},
        {609, kShow, ""},
        {-1, kStatic, "Bit 0 (Front Sensor Status):"},
        {610, kShow, ""},
        {-1, kStatic, "Smart Card Respose to Reset Data Command:"},
        {611, kShow, ""},
        {612, kShow, ""},
        {613, kShow, ""},
        {614, kShow, ""},
        {615, kShow, ""},
        {616, kButton, "OK"}}},
      {"GENCRC",
       "Generate a CRC from an Input HEX File",
       {{-1, kStatic, "Type the HEX file name; then select OK to continue processing."},
        {-1, kStatic, "HEX File Name:"},
        {700, kEntry, ""},
        {707, kButton, "CANCEL"},
        {701, kButton, "OK"},
        {708, kButton, "HELP"}}},
      {"GENCRCO",
       "Generate CRC Information Respose",
       {{-1, kStatic, "HEX File analyzed:"},
        {702, kShow, ""},
        {-1, kStatic, "Beginning Address in hexadecimal:"},
        {703, kShow, ""},
        {-1, kStatic, "Hex File Length Evcaluated in hexadecimal:"},
        {704, kShow, ""},
        {-1, kStatic, "CRC Value in hexadecimal:"},
        {705, kShow, ""},
        {706, kButton, "OK"}}},
      {"QRYMCRC",
       "Query the CRC of the Device Memory",
       {{-1, kStatic, "Type the requested values. Then select OK."},
        {-1, kStatic, "Beginning Memory Address in hexadecimal:"},
        {800, kEntry, ""},
        {-1, kStatic, "Evaluation Length in hexadecimal:"},
        {801, kEntry, ""},
        {807, kButton, "CANCEL"},
        {802, kButton, "OK"},
        {808, kButton, "HELP"}}},
      {"QRYMCRCO",
       "Query CRC Information Response",
       {{-1, kStatic, "Beginning Memory Address in hexadecimal:"},
        {803, kShow, ""},
        {-1, kStatic, "Hex File Length Evcaluated in hexadecimal:"},
        {804, kShow, ""},
        {-1, kStatic, "CRC Value in hexadecimal:"},
        {805, kShow, ""},
        {806, kButton, "OK"}}},
  };
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The dialog of a template, created hidden from a copy of the template bytes.
HWND CreateHidden(HMODULE module, const char* name, std::vector<char>* bytes) {
  std::optional<std::string> found = support::ResourceBytes(module, name, RT_DIALOG);
  if (!found) return nullptr;
  bytes->assign(found->begin(), found->end());
  DWORD style;
  memcpy(&style, bytes->data(), sizeof style);  // a DLGTEMPLATE starts with its style
  style &= ~static_cast<DWORD>(WS_VISIBLE);
  memcpy(bytes->data(), &style, sizeof style);
  return CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                    reinterpret_cast<LPCDLGTEMPLATEA>(bytes->data()), nullptr,
                                    QuietDialogProc, 0);
}

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  std::string s = name;
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string TextOf(HWND hwnd) {
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

const char* KindName(Kind kind) {
  switch (kind) {
    case kStatic:
      return "label";
    case kEntry:
      return "typed field";
    case kShow:
      return "read-only field";
    default:
      return "button";
  }
}

std::string Describe(HWND control) {
  std::string cls = ClassOf(control);
  LONG style = GetWindowLongA(control, GWL_STYLE);
  Kind kind = cls == "static"                          ? kStatic
              : cls == "button"                        ? kButton
              : cls == "edit" && (style & ES_READONLY) ? kShow
              : cls == "edit"                          ? kEntry
                                                       : kStatic;
  if (cls != "static" && cls != "button" && cls != "edit") return "unexpected class " + cls;
  return std::to_string(static_cast<short>(GetDlgCtrlID(control))) + " " + KindName(kind) + " \"" +
         TextOf(control) + "\"";
}

TEST_F(Resources, EveryDialogTemplateWithItsTitleAndControls) {
  for (const Template& t : Templates()) {
    SCOPED_TRACE(t.name);
    std::vector<char> bytes;
    HWND dialog = CreateHidden(module_, t.name, &bytes);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog), t.title);
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_SYSMENU) << "no close box";
    EXPECT_TRUE(style & DS_MODALFRAME);
    std::vector<std::string> seen, expected;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      seen.push_back(Describe(c));
    }
    for (const Control& c : t.controls) {
      expected.push_back(std::to_string(c.id) + " " + KindName(c.kind) + " \"" + c.text + "\"");
    }
    EXPECT_EQ(seen, expected);
    DestroyWindow(dialog);
  }
}

TEST_F(Resources, AboutShowsTheVersionAndCloses) {
  std::vector<char> bytes;
  HWND dialog = CreateHidden(module_, "ABOUT", &bytes);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(dialog), "QRT 8343 Support Program");
  EXPECT_FALSE(GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU);
  bool version = false;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (TextOf(c) == SUITE_VERSION_LINE) version = true;
  }
  EXPECT_TRUE(version);
  HWND ok = GetDlgItem(dialog, 1001);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ClassOf(ok), "button");
  EXPECT_EQ(TextOf(ok), "OK");
  DestroyWindow(dialog);
}

}  // namespace
