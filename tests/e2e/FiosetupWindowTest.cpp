// FIOSETUP's window under Wine, driven like a person would: the menu state read inside the
// running program through the menu hook, the device lines compared with the screen, the
// COM port and directory dialogs (directories typed key by key), Install from a source folder
// of stand-in files, SaveToDisk, Update, Exit and the close box, the help window and About. The
// registry is read back with reg.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "fiosetup/FIOSETUP.h"
#include "fiosetup/HelpContexts.h"
#include "tests/e2e/E2e.h"
#include "tests/e2e/Fiosetup.h"
#include "tests/e2e/HelpWindow.h"
#include "tests/support/ConfigWords.h"
#include "tests/support/TempFolder.h"
#include "tools/UiAuto.h"
#include "tools/menuhook/MenuHook.h"

using namespace uiauto;
using namespace fio;
using support::ConfigWords;
using support::Dword;
using support::RegResult;
using support::TempFolder;
using Names = std::vector<std::string>;

namespace {

const Names k8341 = {"WNT41MAG.DLL", "WNT41MAG.LIB", "WNT41MAG.H"};
const Names kCommon = {"WNT4XPDD.DLL", "W4XTRACE.EXE", "FIOSETUP.EXE", "README.DOC",
                       "FIOSETUP.HLP"};
const Names k8343 = {"WNT43EFT.DLL", "WNT43EFT.LIB", "WNT43EFT.H", "WNT43PDD.DLL",
                     "W43TRACE.EXE", "FIOSETUP.EXE", "README.DOC", "FIOSETUP.HLP"};

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

// The state after the start-up read of an empty registry.
constexpr char kEmpty[] =
    "grey 104 105 107 300 301 302 303 400 401 402 403 500 | S unchecked | ---";

class Window : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CLASSES_ROOT, "QRT_8300_FIO_DEVICES"); }
  void TearDown() override {
    probe_.reset();
    program_.reset();
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "QRT_8300_FIO_DEVICES");
  }

  // Started in the bin folder, or another program file in its own folder.
  void Start(const std::string& exe = "") {
    StartOptions options;
    options.workDir = exe.empty() ? e2e::BinDir() : exe.substr(0, exe.find_last_of('\\'));
    std::string line = exe.empty() ? e2e::Program("FIOSETUP.exe") : "\"" + exe + "\"";
    program_ = std::make_unique<Process>(Process::Start(line, options));
    main_ = WaitWindow(*program_, kTitle);
    probe_ = std::make_unique<menuhook::MenuProbe>(main_);
  }
  Process& P() { return *program_; }

  // The menu as the program has it now. The question waits behind the commands posted
  // before it, so this also waits until they have run.
  std::string Menu() { return DescribeMenu(*probe_); }

  // Opens the COM port dialog by a command; `item` -1 leaves the list untouched.
  HWND PortDialog(int command) {
    Command(main_, command);
    return WaitDialog(P(), "ComPort Selection");
  }
  void ChoosePort(int command, int item) {
    HWND dialog = PortDialog(command);
    if (item >= 0) ListSelect(dialog, IDC_COMPORT_LIST, item);
    Click(dialog, IDC_COMPORT_OK);
    WaitGone(dialog, "the COM port dialog");
  }
  MessageBoxInfo Box(DWORD timeoutMs = kDefaultTimeout) { return WaitMessageBox(P(), timeoutMs); }

  void ExpectScreen(const std::vector<std::string>& lines) {
    Menu();  // the commands before have run
    EXPECT_EQ(ScreenDiffers(main_, lines), "");
  }

  // Install: answers "Complete installation?" with OK and fills the directory dialog, giving
  // what FillSubDir gives.
  int StartInstall(const std::string& source, const std::string& target) {
    Command(main_, IDM_INSTALL);
    MessageBoxInfo ask = Box();
    EXPECT_EQ(ask.caption, kTitle);
    EXPECT_EQ(ask.text, "Complete installation?");
    EXPECT_EQ(ask.icon, "question");
    EXPECT_EQ(ask.buttons, (std::vector<int>{IDOK, IDCANCEL}));
    Answer(ask, IDOK);
    return FillSubDir(source, target);
  }
  // Types both directories key by key, as a technician does, and gives the first character
  // the target field shows then: past 0 when the target is wider than the field, which has
  // scrolled to its end.
  int FillSubDir(const std::string& source, const std::string& target) {
    HWND dialog = WaitDialog(P(), "SubDirectory Selection");
    EXPECT_EQ(Text(dialog, IDC_SOURCE_DIR), "");
    EXPECT_EQ(Text(dialog, IDC_TARGET_DIR), "C:\\W8300FIO");
    Type(dialog, IDC_SOURCE_DIR, source);
    Clear(dialog, IDC_TARGET_DIR);
    Type(dialog, IDC_TARGET_DIR, target);
    const int shownFrom = static_cast<int>(
        SendMessageA(Control(dialog, IDC_TARGET_DIR), EM_GETFIRSTVISIBLELINE, 0, 0));
    Click(dialog, IDC_DIR_OK);
    WaitGone(dialog, "the directory dialog");
    return shownFrom;
  }
  void ExpectBox(const std::string& text, const std::string& icon, DWORD timeoutMs = 30000) {
    MessageBoxInfo box = Box(timeoutMs);
    EXPECT_EQ(box.caption, kTitle);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, icon) << text;
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK}) << text;
    Answer(box, IDOK);
  }
  // Ends the program by Exit; `ask` says whether it must ask first (answered Yes).
  void Exit(bool ask) {
    PressKey(main_, VK_F3);
    if (ask) {
      MessageBoxInfo box = Box();
      EXPECT_EQ(box.text, "Throw away configuration changes?");
      Answer(box, IDYES);
    }
    probe_.reset();
    EXPECT_EQ(P().WaitExit(), 0u);
  }

  std::unique_ptr<Process> program_;
  std::unique_ptr<menuhook::MenuProbe> probe_;
  HWND main_ = nullptr;
};

TEST_F(Window, StartsEmptyWithTheClassMenuAndTitle) {
  Start();
  char name[64] = {};
  GetClassNameA(main_, name, sizeof name);
  EXPECT_STREQ(name, "FIOSETUP");
  EXPECT_EQ((GetWindowLongPtrA(main_, GWL_STYLE) & WS_OVERLAPPEDWINDOW), WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(Menu(), kEmpty);
  ExpectScreen({kHeading, "", ""});
  Exit(false);
}

TEST_F(Window, StartsFromTheRegistry) {
  AddDword("QRT8341", "ComPort", 2);
  AddDword("QRT8341", "Mode", 1);
  AddDword("QRT8341", "OptionS", 1);
  AddDword("QRT8342M", "ComPort", 12);
  Start();
  EXPECT_EQ(Menu(), "grey 104 106 200 201 203 302 303 402 403 | S checked | UDC");
  ExpectScreen(
      {kHeading, "", DeviceLine(2, " : 8341    "), DeviceLine(12, " : 8342 MSR (/S)"), "", ""});
  // A change of a registered device enables Update > Configuration and greys SaveToDisk
  // and Update > DeviceSupport until it is written.
  ChoosePort(IDM_CHANGE_8341, 4);
  EXPECT_EQ(Menu(), "grey 104 105 107 200 201 203 302 303 402 403 | S checked | UDC");
  Command(main_, IDM_OPTION_S);
  EXPECT_EQ(Menu(), "grey 105 107 200 201 203 302 303 402 403 | S unchecked | UDC");
  ChoosePort(IDM_CHANGE_8342MSR, 0);
  ExpectScreen(
      {kHeading, "", DeviceLine(5, " : 8341    "), DeviceLine(1, " : 8342 MSR     "), "", ""});
  Exit(true);
}

TEST_F(Window, EveryEditAppliedToTheMenuAndTheWindow) {
  Start();
  ChoosePort(IDM_ADD_8341, -1);
  EXPECT_EQ(Menu(), "grey 105 107 200 301 302 303 401 402 403 500 | S unchecked | -DC");
  ChoosePort(IDM_ADD_8342MSR, 2);
  EXPECT_EQ(Menu(), "grey 105 107 200 201 203 302 303 402 403 | S unchecked | -DC");
  ExpectScreen(
      {kHeading, "", DeviceLine(1, " : 8341    "), DeviceLine(3, " : 8342 MSR     "), "", ""});
  Command(main_, IDM_OPTION_S);
  EXPECT_EQ(Menu(), "grey 105 107 200 201 203 302 303 402 403 | S checked | -DC");
  ExpectScreen(
      {kHeading, "", DeviceLine(1, " : 8341    "), DeviceLine(3, " : 8342 MSR (/S)"), "", ""});
  ChoosePort(IDM_ADD_8342PIN, 255);
  EXPECT_EQ(Menu(), "grey 105 107 200 201 202 203 303 403 | S checked | -DC");
  ChoosePort(IDM_CHANGE_8342PIN, 6);
  EXPECT_EQ(Menu(), "grey 105 107 200 201 202 203 303 403 | S checked | -DC");
  ExpectScreen({kHeading, "", DeviceLine(1, " : 8341    "), DeviceLine(3, " : 8342 MSR (/S)"),
                DeviceLine(7, " : 8342 PIN"), "", ""});
  Command(main_, IDM_DELETE_8342MSR);
  EXPECT_EQ(Menu(), "grey 105 107 200 202 203 301 303 401 403 500 | S checked | -DC");
  // The PIN pad's line moved up onto the longer MSR line: nothing of " (/S)" stays.
  ExpectScreen({kHeading, "", DeviceLine(1, " : 8341    "), DeviceLine(7, " : 8342 PIN"), "", ""});
  Command(main_, IDM_DELETE_8342PIN);
  EXPECT_EQ(Menu(), "grey 105 107 200 301 302 303 401 402 403 500 | S checked | -DC");
  // The lines moved up: the shorter list leaves nothing of the longer one behind.
  ExpectScreen({kHeading, "", DeviceLine(1, " : 8341    "), "", "", "", ""});
  ChoosePort(IDM_ADD_8343, 3);
  EXPECT_EQ(Menu(), "grey 105 107 200 201 202 203 301 302 401 402 500 | S checked | -DC");
  ChoosePort(IDM_CHANGE_8343, 9);
  ExpectScreen({kHeading, "", DeviceLine(1, " : 8341    "), DeviceLine(10, " : 8343    "), "", ""});
  Command(main_, IDM_DELETE_8343);
  EXPECT_EQ(Menu(), "grey 105 107 200 301 302 303 401 402 403 500 | S checked | -DC");
  Command(main_, IDM_DELETE_8341);
  EXPECT_EQ(Menu(), "grey 105 107 300 301 302 303 400 401 402 403 500 | S checked | ---");
  ExpectScreen({kHeading, "", "", ""});
  // A command of a greyed submenu, posted all the same, does nothing.
  Command(main_, IDM_DELETE_8341);
  EXPECT_EQ(Menu(), "grey 105 107 300 301 302 303 400 401 402 403 500 | S checked | ---");
  Exit(true);
}

TEST_F(Window, ComPortDialogOkCancelDoubleClickEscapeEnter) {
  Start();
  HWND dialog = PortDialog(IDM_ADD_8341);
  ASSERT_EQ(ListCount(dialog, IDC_COMPORT_LIST), 256);
  EXPECT_EQ(ListText(dialog, IDC_COMPORT_LIST, 0), "COM1  ");
  EXPECT_EQ(ListText(dialog, IDC_COMPORT_LIST, 9), "COM10 ");
  EXPECT_EQ(ListText(dialog, IDC_COMPORT_LIST, 99), "COM100");
  EXPECT_EQ(ListText(dialog, IDC_COMPORT_LIST, 255), "COM256");
  EXPECT_EQ(ListSelection(dialog, IDC_COMPORT_LIST), 0);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui));
  EXPECT_EQ(gui.hwndFocus, Control(dialog, IDC_COMPORT_LIST));
  EXPECT_FALSE(GetWindowLongPtrA(dialog, GWL_STYLE) & WS_SYSMENU);  // no close box

  // A double click only selects; Escape and a close request do nothing.
  HWND list = Control(dialog, IDC_COMPORT_LIST);
  ListSelect(dialog, IDC_COMPORT_LIST, 4);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_COMPORT_LIST, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
  PressKey(list, VK_ESCAPE);
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  Sleep(300);
  ASSERT_TRUE(IsWindowVisible(dialog));
  // Enter presses the default button, OK.
  PressKey(list, VK_RETURN);
  WaitGone(dialog, "the COM port dialog");
  ExpectScreen({kHeading, "", DeviceLine(5, " : 8341    "), "", ""});

  // CANCEL after choosing changes nothing at all.
  const std::string before = Menu();
  dialog = PortDialog(IDM_ADD_8342PIN);
  ListSelect(dialog, IDC_COMPORT_LIST, 7);
  Click(dialog, IDC_COMPORT_CANCEL);
  WaitGone(dialog, "the COM port dialog");
  EXPECT_EQ(Menu(), before);
  ExpectScreen({kHeading, "", DeviceLine(5, " : 8341    "), "", ""});
  dialog = PortDialog(IDM_CHANGE_8341);
  Click(dialog, IDC_COMPORT_CANCEL);
  WaitGone(dialog, "the COM port dialog");
  ExpectScreen({kHeading, "", DeviceLine(5, " : 8341    "), "", ""});
  Exit(true);
}

// The 8343 alone: no asynchronous question; then SaveToDisk twice, Update > DeviceSupport,
// and Update > Configuration after a change.
TEST_F(Window, Install8343ThenSaveAndUpdate) {
  PathGuard path("C:\\BIN");
  TempFolder work("fiosetup window install");
  const std::string source = work.File("source");
  const std::string target = work.File("new target folder");
  CreateDirectoryA(source.c_str(), nullptr);
  for (const std::string& name : k8343) WriteFile(source + "\\" + name, "stand-in " + name);

  Start();
  ChoosePort(IDM_ADD_8343, 2);
  EXPECT_EQ(Menu(), "grey 105 107 201 202 203 300 301 302 400 401 402 500 | S unchecked | -DC");
  // The target, typed with one trailing backslash (which is removed), is wider than its field.
  EXPECT_GT(StartInstall(source, target + "\\"), 0) << target;
  ExpectBox("Installation complete!", "information");
  EXPECT_EQ(Menu(), "grey 104 106 201 202 203 300 301 302 400 401 402 500 | S unchecked | UDC");

  EXPECT_EQ(FileNames(target), Sorted(k8343));
  for (const std::string& name : k8343) {
    EXPECT_EQ(ReadFile(target + "\\" + name), "stand-in " + name) << name;
  }
  RegResult q = Query("QRT8343");
  ASSERT_EQ(q.exit, 0u) << q.output;
  EXPECT_EQ(Dword(q, "ComPort"), 3u);
  for (const char* other : {"QRT8341", "QRT8342M", "QRT8342P"}) EXPECT_EQ(Query(other).exit, 1u);
  EXPECT_EQ(UserPath(), "C:\\BIN;" + target + ";");

  // SaveToDisk into a folder that it creates; the second save keeps the first in the backup.
  const std::string saveDir = work.File("saved");
  Command(main_, IDM_SAVETODISK);
  HWND save = WaitDialog(P(), "SubDirectory Selection");
  EXPECT_EQ(Text(save, IDC_SAVE_DIR), "C:\\W8300FIO");
  Clear(save, IDC_SAVE_DIR);
  Type(save, IDC_SAVE_DIR, saveDir + "\\");
  Click(save, IDC_DIR_OK);
  ExpectBox("Configuration saved to FIOSETUP.CFG!", "information");
  EXPECT_EQ(ReadFile(saveDir + "\\FIOSETUP.CFG"), ConfigWords(0, 0, 0, 3));
  EXPECT_EQ(ReadFile(saveDir + "\\FIOSETUP.BAK"), std::nullopt);

  ChoosePort(IDM_CHANGE_8343, 6);
  EXPECT_EQ(Menu(), "grey 104 105 107 201 202 203 300 301 302 400 401 402 500 | S unchecked | UDC");
  Command(main_, IDM_UPDATE_CONFIGURATION);
  MessageBoxInfo ask = Box();
  EXPECT_EQ(ask.text, "Update configuration?");
  EXPECT_EQ(ask.icon, "question");
  EXPECT_EQ(ask.buttons, (std::vector<int>{IDOK, IDCANCEL}));
  Answer(ask, IDOK);
  ExpectBox("Update configuration complete!", "information");
  EXPECT_EQ(Dword(Query("QRT8343"), "ComPort"), 7u);
  EXPECT_EQ(Menu(), "grey 104 106 201 202 203 300 301 302 400 401 402 500 | S unchecked | UDC");

  Command(main_, IDM_SAVETODISK);
  save = WaitDialog(P(), "SubDirectory Selection");
  Clear(save, IDC_SAVE_DIR);
  Type(save, IDC_SAVE_DIR, saveDir);
  Click(save, IDC_DIR_OK);
  ExpectBox("Configuration saved to FIOSETUP.CFG!", "information");
  auto saved = ReadFile(saveDir + "\\FIOSETUP.CFG");
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->size(), 16u);
  EXPECT_EQ(*saved, ConfigWords(0, 0, 0, 7));
  EXPECT_EQ(ReadFile(saveDir + "\\FIOSETUP.BAK"), ConfigWords(0, 0, 0, 3));

  // A cancelled save-directory dialog is reported as a failed save.
  Command(main_, IDM_SAVETODISK);
  save = WaitDialog(P(), "SubDirectory Selection");
  Click(save, IDC_DIR_CANCEL);
  ExpectBox("Save Configuration failed!.", "information");

  // Update > DeviceSupport copies the registered 8343's files again, after asking.
  for (const std::string& name : k8343) WriteFile(source + "\\" + name, "newer " + name);
  Command(main_, IDM_UPDATE_DEVICESUPPORT);
  ask = Box();
  EXPECT_EQ(ask.text, "Update device support?");
  EXPECT_EQ(ask.icon, "question");
  Answer(ask, IDOK);
  FillSubDir(source, target);
  ask = Box();
  EXPECT_EQ(ask.text, "Asynchronous(polling) API support required?");
  EXPECT_EQ(ask.buttons, (std::vector<int>{IDYES, IDNO}));
  Answer(ask, IDNO);
  ExpectBox("Update device support complete!", "information");
  EXPECT_EQ(ReadFile(target + "\\WNT43EFT.DLL"), "newer WNT43EFT.DLL");
  Exit(false);
}

// A source composed from the two kits as a technician unpacks them: the FIOSETUP.EXE it holds
// installs the 8343 from the folder it stands in, and every file arrives as the source holds it.
TEST_F(Window, AComposedSourceInstallsFromItsOwnFolder) {
  PathGuard path("C:\\BIN");
  TempFolder work("fiosetup release install");
  const std::string release = RELEASE_SOURCE;
  const std::string target = work.File("target");
  Start(release + "\\FIOSETUP.EXE");
  ChoosePort(IDM_ADD_8343, 0);
  StartInstall(release, target);
  ExpectBox("Installation complete!", "information");
  EXPECT_EQ(FileNames(target), Sorted(k8343));
  for (const std::string& name : k8343) {
    std::optional<std::string> shipped = ReadFile(release + "\\" + name);
    ASSERT_TRUE(shipped) << name;
    EXPECT_EQ(ReadFile(target + "\\" + name), shipped) << name;
  }
  EXPECT_EQ(Dword(Query("QRT8343"), "ComPort"), 1u);
  EXPECT_EQ(UserPath(), "C:\\BIN;" + target + ";");
  Exit(false);
}

// A source on read-only media (a CD, a mounted image), installed by an account that is not the
// system's own: root ignores the read-only attribute, so this runs only where the fixture
// runs it as an ordinary user (SUITE_WINE_ACCOUNT). Install of an 8341 with an 8343 copies
// FIOSETUP.EXE, README.DOC and FIOSETUP.HLP twice, and Update > DeviceSupport copies over
// every installed file: each copy succeeds, and what is installed is not read-only.
TEST_F(Window, InstallsAndUpdatesFromReadOnlyMedia) {
  if (GetEnvironmentVariableA("SUITE_WINE_ACCOUNT", nullptr, 0) == 0) {
    GTEST_SKIP() << "runs as an ordinary user only (SUITE_WINE_ACCOUNT)";
  }
  PathGuard path("C:\\BIN");
  TempFolder work("fiosetup read-only media");
  const std::string media = work.File("media"), target = work.File("target");
  const std::string release = RELEASE_SOURCE;
  ASSERT_TRUE(CreateDirectoryA(media.c_str(), nullptr));
  for (const std::string& name : FileNames(release)) {
    const std::string copy = media + "\\" + name;
    ASSERT_TRUE(CopyFileA((release + "\\" + name).c_str(), copy.c_str(), FALSE)) << name;
    ASSERT_TRUE(SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY)) << name;
  }
  Start(media + "\\FIOSETUP.EXE");
  ChoosePort(IDM_ADD_8341, 0);
  ChoosePort(IDM_ADD_8343, 1);
  StartInstall(media, target);
  Answer(Box(), IDYES);  // the asynchronous libraries as well
  ExpectBox("Installation complete!", "information");
  Command(main_, IDM_UPDATE_DEVICESUPPORT);
  Answer(Box(), IDOK);  // "Update device support?"
  FillSubDir(media, target);
  Answer(Box(), IDYES);
  ExpectBox("Update device support complete!", "information");
  Exit(false);
  const Names installed = FileNames(target);
  EXPECT_GT(installed.size(), k8341.size() + k8343.size());
  for (const std::string& name : installed) {
    const DWORD attributes = GetFileAttributesA((target + "\\" + name).c_str());
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY) << name;
    EXPECT_EQ(ReadFile(target + "\\" + name), ReadFile(media + "\\" + name)) << name;
  }
}

// The technician runs the FIOSETUP.EXE that Install put into the target folder and installs
// into that folder again: the running image cannot be overwritten, so an identical one counts
// as copied and another one is moved aside to FIOSETUP.OLD. The target is typed in capitals:
// the running file is recognised by identity, not by its spelling.
TEST_F(Window, InstallsIntoTheFolderOfTheRunningInstaller) {
  PathGuard path("C:\\BIN");
  const std::string release = RELEASE_SOURCE;
  const std::optional<std::string> shipped = ReadFile(release + "\\FIOSETUP.EXE");
  ASSERT_TRUE(shipped);
  for (const std::string& running : {*shipped, *shipped + "an older build"}) {
    SCOPED_TRACE(running.size());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "QRT_8300_FIO_DEVICES");
    TempFolder work("fiosetup own folder");
    const std::string target = work.File("target");
    CreateDirectoryA(target.c_str(), nullptr);
    WriteFile(target + "\\FIOSETUP.EXE", running);
    Start(target + "\\FIOSETUP.EXE");
    ChoosePort(IDM_ADD_8343, 0);
    std::string typed = target;
    CharUpperA(typed.data());
    StartInstall(release, typed);
    ExpectBox("Installation complete!", "information");
    Exit(false);
    EXPECT_EQ(ReadFile(target + "\\FIOSETUP.EXE"), shipped);
    EXPECT_EQ(ReadFile(target + "\\FIOSETUP.OLD"),
              running == *shipped ? std::nullopt : std::optional<std::string>(running));
    EXPECT_EQ(ReadFile(target + "\\WNT43EFT.DLL"), ReadFile(release + "\\WNT43EFT.DLL"));
  }
}

// The 8341: a missing family file stops the installation with nothing undone; with the file
// in place the same installation goes through.
TEST_F(Window, Install8341FailsOnAMissingFileThenSucceeds) {
  PathGuard path("C:\\BIN;");
  TempFolder work("fiosetup window copy");
  const std::string source = work.File("source");
  const std::string target = work.File("target");
  CreateDirectoryA(source.c_str(), nullptr);
  for (const Names* group : {&k8341, &kCommon}) {
    for (const std::string& name : *group) {
      if (name != "FIOSETUP.HLP") WriteFile(source + "\\" + name, "stand-in " + name);
    }
  }
  Start();
  ChoosePort(IDM_ADD_8341, 1);
  const std::string added = Menu();
  StartInstall(source, target);
  MessageBoxInfo ask = Box();
  EXPECT_EQ(ask.text, "Asynchronous(polling) API support required?");
  EXPECT_EQ(ask.icon, "question");
  Answer(ask, IDNO);
  ExpectBox("Copy Files failed!", "error");
  EXPECT_EQ(FileNames(target), Sorted({"WNT41MAG.DLL", "WNT41MAG.LIB", "WNT41MAG.H", "WNT4XPDD.DLL",
                                       "W4XTRACE.EXE", "FIOSETUP.EXE", "README.DOC"}));
  EXPECT_EQ(Query().exit, 1u);  // no registry key was written
  EXPECT_EQ(UserPath(), "C:\\BIN;");
  EXPECT_EQ(Menu(), added);

  WriteFile(source + "\\FIOSETUP.HLP", "stand-in help");
  StartInstall(source, target);
  Answer(Box(), IDNO);
  ExpectBox("Installation complete!", "information");
  EXPECT_EQ(FileNames(target),
            Sorted({"WNT41MAG.DLL", "WNT41MAG.LIB", "WNT41MAG.H", "WNT4XPDD.DLL", "W4XTRACE.EXE",
                    "FIOSETUP.EXE", "README.DOC", "FIOSETUP.HLP"}));
  RegResult q = Query("QRT8341");
  EXPECT_EQ(Dword(q, "ComPort"), 2u);
  EXPECT_EQ(Dword(q, "Mode"), 1u);
  EXPECT_EQ(UserPath(), "C:\\BIN;" + target + ";");
  Exit(false);
}

TEST_F(Window, CancelledDirectoryDialogShowsNoMessage) {
  Start();
  ChoosePort(IDM_ADD_8341, -1);
  const std::string added = Menu();
  Command(main_, IDM_INSTALL);
  Answer(Box(), IDOK);
  HWND dialog = WaitDialog(P(), "SubDirectory Selection");
  EXPECT_FALSE(GetWindowLongPtrA(dialog, GWL_STYLE) & WS_SYSMENU);
  // Escape does nothing; CANCEL ends the installation without a word.
  PressKey(Control(dialog, IDC_SOURCE_DIR), VK_ESCAPE);
  Sleep(300);
  ASSERT_TRUE(IsWindowVisible(dialog));
  Click(dialog, IDC_DIR_CANCEL);
  WaitGone(dialog, "the directory dialog");
  EXPECT_FALSE(MessageBoxWithin(P(), 1500));
  EXPECT_EQ(Menu(), added);
  EXPECT_EQ(Query().exit, 1u);

  // Cancelling "Complete installation?" does nothing either.
  Command(main_, IDM_INSTALL);
  Answer(Box(), IDCANCEL);
  EXPECT_FALSE(MessageBoxWithin(P(), 500));
  EXPECT_EQ(Menu(), added);
  Exit(true);  // the edit is still unsaved
}

TEST_F(Window, UpdateConfigurationAfterADelete) {
  AddDword("QRT8341", "ComPort", 2);
  AddDword("QRT8341", "Mode", 2);
  AddDword("QRT8343", "ComPort", 4);
  Start();
  EXPECT_EQ(Menu(), "grey 104 106 200 201 202 203 301 302 401 402 | S unchecked | UDC");

  // Update > DeviceSupport with a cancelled directory dialog says nothing.
  Command(main_, IDM_UPDATE_DEVICESUPPORT);
  Answer(Box(), IDOK);
  HWND dialog = WaitDialog(P(), "SubDirectory Selection");
  Click(dialog, IDC_DIR_CANCEL);
  WaitGone(dialog, "the directory dialog");
  EXPECT_FALSE(MessageBoxWithin(P(), 1000));

  Command(main_, IDM_DELETE_8343);
  EXPECT_EQ(Menu(), "grey 104 105 107 200 301 302 303 401 402 403 | S unchecked | UDC");
  ExpectScreen({kHeading, "", DeviceLine(2, " : 8341    "), "", ""});
  Command(main_, IDM_UPDATE_CONFIGURATION);
  Answer(Box(), IDOK);
  ExpectBox("Update configuration complete!", "information");
  EXPECT_EQ(Query("QRT8343").exit, 1u);
  RegResult q = Query("QRT8341");
  EXPECT_EQ(Dword(q, "ComPort"), 2u);
  EXPECT_EQ(Dword(q, "Mode"), 1u);
  EXPECT_EQ(Menu(), "grey 104 106 200 301 302 303 401 402 403 | S unchecked | UDC");

  // Cancelling "Update configuration?" still greys it; the registry stays as it was.
  Command(main_, IDM_DELETE_8341);
  EXPECT_EQ(Menu(), "grey 104 105 107 300 301 302 303 400 401 402 403 | S unchecked | U--");
  Command(main_, IDM_UPDATE_CONFIGURATION);
  Answer(Box(), IDCANCEL);
  EXPECT_EQ(Menu(), "grey 104 105 106 107 300 301 302 303 400 401 402 403 | S unchecked | U--");
  EXPECT_EQ(Query("QRT8341").exit, 0u);
  Exit(true);
}

TEST_F(Window, ExitAndCloseBoxAskOnlyWithUnsavedEdits) {
  // Without edits the close box closes at once.
  Start();
  PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
  probe_.reset();
  EXPECT_EQ(P().WaitExit(), 0u);

  Start();
  ChoosePort(IDM_ADD_8342PIN, -1);
  for (int attempt = 0; attempt < 3; ++attempt) {
    // F3, the close box, and a plain close request: each asks; No keeps the window.
    if (attempt == 0) PressKey(main_, VK_F3);
    if (attempt == 1) PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (attempt == 2) PostMessageA(main_, WM_CLOSE, 0, 0);
    MessageBoxInfo box = Box();
    EXPECT_EQ(box.caption, kTitle);
    EXPECT_EQ(box.text, "Throw away configuration changes?");
    EXPECT_EQ(box.icon, "question");
    EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
    Answer(box, IDNO);
    ASSERT_TRUE(IsWindow(main_));
    EXPECT_EQ(Menu(), "grey 105 107 202 203 300 301 303 400 401 403 500 | S unchecked | -DC");
  }
  PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
  Answer(Box(), IDYES);
  probe_.reset();
  EXPECT_EQ(P().WaitExit(), 0u);
}

TEST_F(Window, HelpAndAbout) {
  Start();
  // Each Help command shows the topic of its own context of fiosetup.hlp in the help window.
  const std::pair<int, unsigned> topics[] = {{IDM_HELP_FILE, fiosetup::kHelpContextFile},
                                             {IDM_HELP_DEVICE, fiosetup::kHelpContextDevice},
                                             {IDM_HELP_OPTION, fiosetup::kHelpContextOption},
                                             {IDM_HELP_GENERAL, fiosetup::kHelpContextGeneral}};
  HWND helpWindow = nullptr;
  for (const auto& [command, context] : topics) {
    Command(main_, command);
    helpWindow = e2e::WaitHelpAt(P(), fiosetup::kHelpFile, context);
    EXPECT_EQ(Menu(), kEmpty);
  }

  Command(main_, IDM_ABOUT);
  HWND about = WaitDialog(P(), kTitle);
  EXPECT_FALSE(GetWindowLongPtrA(about, GWL_STYLE) & WS_SYSMENU);
  PressKey(about, VK_ESCAPE);
  PostMessageA(about, WM_CLOSE, 0, 0);
  Sleep(300);
  ASSERT_TRUE(IsWindowVisible(about));
  Click(about, IDC_ABOUT_OK);
  WaitGone(about, "the About dialog");
  EXPECT_EQ(GetWindow(helpWindow, GW_OWNER), main_);  // it goes with the main window
  Exit(false);

  // A copy of the program without its help file beside it, then with a damaged one: Help
  // gives one stop box naming the file, and no help window.
  TempFolder alone("fiosetup without help");
  ASSERT_TRUE(CopyFileA((e2e::BinDir() + "\\FIOSETUP.exe").c_str(),
                        alone.File("FIOSETUP.EXE").c_str(), FALSE));
  Start(alone.File("FIOSETUP.EXE"));
  for (bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "damaged" : "missing");
    if (damaged) WriteFile(alone.File(helptest::BuiltName(fiosetup::kHelpFile)), "not a help file");
    Command(main_, IDM_HELP_FILE);
    ExpectBox(help::HelpFileUnreadable(fiosetup::kHelpFile), "error");
    Menu();  // the command has ended
    EXPECT_EQ(e2e::FindHelpWindow(P().Id()), nullptr);
  }
  Exit(false);
}

}  // namespace
