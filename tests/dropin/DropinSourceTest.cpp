// FIOSETUP from an installation source composed of the drop-in libraries, our import library
// and header and the suite kit: what a technician installs from on a workstation with the
// maker's libraries. (Apart from DropinTest.cpp: the installer's resource header and the PIN
// pad program's name some ids alike.)
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "devconfig/DeviceConfig.h"
#include "fiosetup/FIOSETUP.h"
#include "tests/e2e/Fiosetup.h"
#include "tests/support/TempFolder.h"
#include "tools/UiAuto.h"

using namespace uiauto;

namespace {

// FIOSETUP from an 8343 source composed of the drop-in libraries, our import library and
// header and the suite kit (the fixture dropin-source) installs the 8343: every file of the
// source but its SHA256SUMS arrives as the source holds it, and nothing else.
TEST(DropinSource, FiosetupInstallsAn8343FromIt) {
  const std::string source = DROPIN_SOURCE_DIR;
  fio::PathGuard path("C:\\BIN");
  support::TempFolder work("dropin install");
  const std::string target = work.File("W8300FIO");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, devconfig::kRootKey);
  StartOptions o;
  o.workDir = source;
  Process p = Process::Start("\"" + source + "\\FIOSETUP.EXE\"", o);
  HWND main = WaitWindow(p, fio::kTitle);
  Command(main, IDM_ADD_8343);
  HWND port = WaitDialog(p, "ComPort Selection");
  ListSelect(port, IDC_COMPORT_LIST, 0);  // COM1
  Click(port, IDC_COMPORT_OK);
  WaitGone(port, "the COM port dialog");
  Command(main, IDM_INSTALL);
  Answer(WaitMessageBox(p), IDOK);  // "Complete installation?"
  HWND dirs = WaitDialog(p, "SubDirectory Selection");
  Type(dirs, IDC_SOURCE_DIR, source);  // key by key, as a technician does
  Clear(dirs, IDC_TARGET_DIR);
  Type(dirs, IDC_TARGET_DIR, target);
  Click(dirs, IDC_DIR_OK);
  WaitGone(dirs, "the directory dialog");
  MessageBoxInfo done = WaitMessageBox(p, 30000);
  EXPECT_EQ(done.text, "Installation complete!");
  Answer(done, IDOK);
  PressKey(main, VK_F3);
  EXPECT_EQ(p.WaitExit(), 0u);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, devconfig::kRootKey);

  std::vector<std::string> shipped = fio::FileNames(source);
  shipped.erase(std::remove(shipped.begin(), shipped.end(), "SHA256SUMS"), shipped.end());
  EXPECT_EQ(fio::FileNames(target), shipped);
  for (const std::string& name : shipped) {
    EXPECT_EQ(fio::ReadFile(target + "\\" + name), fio::ReadFile(source + "\\" + name)) << name;
  }
}

}  // namespace
