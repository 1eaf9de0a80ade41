// FIOSETUP.exe's resources read from the built program (loaded as a data file): the menu
// with every text, id and initial state, the accelerator table, the icon and the four
// dialog templates with their positions, sizes, styles and texts; and the availability of
// the core applied to that menu by the program's own function.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

#include "fiosetup/DeviceTable.h"
#include "fiosetup/FIOSETUP.h"
#include "fiosetup/win32/Win32Menu.h"
#include "tests/support/Resources.h"

namespace {

class Resources : public support::ProgramResources {
 protected:
  static void SetUpTestSuite() { Load("FIOSETUP.exe"); }
};

TEST_F(Resources, MenuTextsIdsAndInitialStates) {
  HMENU menu = LoadMenuA(module_, "FIOSETUP");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(support::DescribeMenu(menu),
            "\"&File\" popup\n"
            "  \"&Install\" -> 104 grey\n"
            "  \"&Update\" popup\n"
            "    \"&Configuration\" -> 106\n"
            "    \"&DeviceSupport\" -> 107\n"
            "  \"&SaveToDisk\" -> 105 grey\n"
            "  \"E&xit\" -> 100\n"
            "\"&Device\" popup\n"
            "  \"&Add\" popup\n"
            "    \"834&1\" -> 200\n"
            "    \"8342&MSR\" -> 201\n"
            "    \"8342&PIN\" -> 202\n"
            "    \"834&3\" -> 203\n"
            "  \"&Delete\" popup\n"
            "    \"834&1\" -> 300 grey\n"
            "    \"8342&MSR\" -> 301 grey\n"
            "    \"8342&PIN\" -> 302 grey\n"
            "    \"834&3\" -> 303 grey\n"
            "  \"&Change\" popup\n"
            "    \"834&1\" -> 400 grey\n"
            "    \"8342&MSR\" -> 401 grey\n"
            "    \"8342&PIN\" -> 402 grey\n"
            "    \"834&3\" -> 403 grey\n"
            "\"&Options\" popup\n"
            "  \"834&2\" popup\n"
            "    \"&S\" -> 500 grey\n"
            "\"&Help\" popup right\n"
            "  \"&General\" -> 604\n"
            "  \"&File\" -> 601\n"
            "  \"&Device\" -> 602\n"
            "  \"&Option\" -> 603\n"
            "  \"&About\" -> 600\n");

  // The states the menu starts with are those of the core before the start-up read.
  const fiosetup::Availability initial;
  for (int id : fiosetup::Availability::kCommands) {
    bool greyed = GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED;
    EXPECT_EQ(!greyed, initial.Enabled(id)) << id;
  }
  DestroyMenu(menu);
}

// The program's ApplyAvailability on its own menu, read back item by item.
std::string Applied(HMENU menu, const fiosetup::Availability& availability) {
  fiosetup::ApplyAvailability(menu, availability);
  std::ostringstream out;
  out << "grey";
  for (int id : fiosetup::Availability::kCommands) {
    if (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) out << ' ' << id;
  }
  out << " | S "
      << ((GetMenuState(menu, IDM_OPTION_S, MF_BYCOMMAND) & MF_CHECKED) ? "checked" : "unchecked")
      << " | ";
  out << ((GetMenuState(GetSubMenu(menu, 0), 1, MF_BYPOSITION) & MF_GRAYED) ? '-' : 'U');
  out << ((GetMenuState(GetSubMenu(menu, 1), 1, MF_BYPOSITION) & MF_GRAYED) ? '-' : 'D');
  out << ((GetMenuState(GetSubMenu(menu, 1), 2, MF_BYPOSITION) & MF_GRAYED) ? '-' : 'C');
  return out.str();
}

TEST_F(Resources, AvailabilityAppliedToTheMenuBothWays) {
  HMENU menu = LoadMenuA(module_, "FIOSETUP");
  ASSERT_NE(menu, nullptr);
  fiosetup::DeviceTable table;
  table.availability.SetSubmenu(fiosetup::Submenu::kFileUpdate, false);
  table.availability.SetSubmenu(fiosetup::Submenu::kDeviceDelete, false);
  table.availability.SetSubmenu(fiosetup::Submenu::kDeviceChange, false);
  table.availability.Grey(IDM_UPDATE_DEVICESUPPORT);
  EXPECT_EQ(Applied(menu, table.availability),
            "grey 104 105 107 300 301 302 303 400 401 402 403 500 | S unchecked | ---");
  fiosetup::AddDevice(table, devconfig::DeviceKind::k8342Msr, 2);
  fiosetup::ToggleOptionS(table);
  EXPECT_EQ(Applied(menu, table.availability),
            "grey 105 107 201 203 300 302 303 400 402 403 | S checked | -DC");
  // And back: every greyed item is enabled again, the check mark goes.
  fiosetup::Availability all;
  for (int id : fiosetup::Availability::kCommands) all.Enable(id);
  EXPECT_EQ(Applied(menu, all), "grey | S unchecked | UDC");
  DestroyMenu(menu);
}

TEST_F(Resources, F3WithoutModifiersIsExit) {
  HACCEL table = LoadAcceleratorsA(module_, "FIOSETUP");
  ASSERT_NE(table, nullptr);
  ACCEL entries[8];
  int count = CopyAcceleratorTableA(table, entries, 8);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(entries[0].key, VK_F3);
  EXPECT_EQ(entries[0].cmd, IDM_EXIT);
  EXPECT_TRUE(entries[0].fVirt & FVIRTKEY);
  EXPECT_EQ(entries[0].fVirt & (FSHIFT | FCONTROL | FALT), 0);
  DestroyAcceleratorTable(table);
}

TEST_F(Resources, IconNamedFiosetupWithA32By32Image) {
  std::optional<std::string> group = support::ResourceBytes(module_, "FIOSETUP", RT_GROUP_ICON);
  ASSERT_TRUE(group);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(group->data());
  int count = bytes[4] | bytes[5] << 8;
  bool has32 = false;
  for (int i = 0; i < count; ++i) has32 |= bytes[6 + 14 * i] == 32 && bytes[7 + 14 * i] == 32;
  EXPECT_TRUE(has32);
}

// A dialog template as text: the dialog's line, then one per control.
std::string Dialog(HMODULE module, const char* name) {
  std::optional<support::DialogTemplate> t = support::ReadDialog(module, name);
  if (!t) return std::string("no dialog ") + name;
  std::ostringstream out;
  out << t->x << ',' << t->y << ',' << t->cx << ',' << t->cy << " \"" << t->title << '"';
  if (t->style & DS_MODALFRAME) out << " modal";
  if ((t->style & WS_CAPTION) == WS_CAPTION) out << " caption";
  if (t->style & WS_SYSMENU) out << " closebox";
  if (!t->menu.empty() || !t->windowClass.empty()) out << " menu/class!";
  out << '\n';
  for (const support::DialogControl& c : t->controls) {
    const DWORD s = c.style;
    out << "  " << c.id << ' ' << c.x << ',' << c.y << ',' << c.cx << ',' << c.cy << ' ';
    if (c.kind == "button") {
      out << ((s & 0xF) == BS_DEFPUSHBUTTON ? "default button" : "button");
    } else if (c.kind == "edit") {
      out << "edit";
      if (s & ES_AUTOHSCROLL) out << " hscroll";
      if (s & ES_READONLY) out << " readonly";
    } else if (c.kind == "static") {
      out << ((s & 0xF) == SS_CENTER ? "centred text" : (s & 0xF) == SS_LEFT ? "text" : "static?");
    } else if (c.kind == "listbox") {
      out << "list";
      if (s & LBS_SORT) out << " sorted";
      if (s & LBS_NOTIFY) out << " notify";
      if (s & WS_VSCROLL) out << " vscroll";
    } else {
      out << c.kind;
    }
    if (!c.text.empty()) out << " \"" << c.text << '"';
    if (!(s & WS_VISIBLE)) out << " hidden";
    out << '\n';
  }
  return out.str();
}

TEST_F(Resources, Dialogs) {
  EXPECT_EQ(Dialog(module_, "ComPort"),
            "50,90,200,100 \"ComPort Selection\" modal caption\n"
            "  -1 30,4,200,10 text \"Select the desired COM port from the list below\"\n"
            "  700 30,24,70,58 list notify vscroll\n"
            "  701 120,32,50,14 default button \"OK\"\n"
            "  702 120,56,50,14 button \"CANCEL\"\n");
  EXPECT_EQ(Dialog(module_, "SubDir"),
            "50,90,200,120 \"SubDirectory Selection\" modal caption\n"
            "  -1 0,14,200,10 centred text \"Enter the source subDirectory for installation or "
            "update\"\n"
            "  800 30,34,130,14 edit hscroll\n"
            "  -1 0,54,200,10 centred text \"Enter the target subDirectory for installation or "
            "update\"\n"
            "  801 30,74,130,14 edit hscroll\n"
            "  803 40,100,50,14 default button \"OK\"\n"
            "  804 110,100,50,14 button \"CANCEL\"\n");
  EXPECT_EQ(Dialog(module_, "SaveSubDir"),
            "50,90,200,80 \"SubDirectory Selection\" modal caption\n"
            "  -1 0,14,200,10 centred text \"Enter the save configuration subdirectory\"\n"
            "  802 30,34,130,14 edit hscroll\n"
            "  803 40,60,50,14 default button \"OK\"\n"
            "  804 110,60,50,14 button \"CANCEL\"\n");
  EXPECT_EQ(Dialog(module_, "About"),
            "50,90,200,80 \"QRT 8300 FIO Devices Installation Program\" modal caption\n"
            "  -1 0,10,200,10 centred text \"Version 1.00\"\n"
            "  -1 0,20,200,10 centred text \"Installs the support files of the QRT 8300 FIO "
            "devices\"\n"
            "  -1 0,30,200,10 centred text \"and records their COM ports in the registry.\"\n"
            "  -1 0,40,200,10 centred text \"Configuration file: FIOSETUP.CFG\"\n"
            "  900 75,60,50,14 default button \"OK\"\n");
}

}  // namespace
