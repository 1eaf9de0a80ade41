// WNTDLD42 under Wine against the emulated PIN pad of the stand-in WNT42PIN.dll, set up with
// the simdev command: start-up with and without a recorded device, the port prompt, an open
// failure, every menu command with its form, response or message, the help window, and F3. What
// reached the pad is read back from the WNT4XPDD trace and the pad's state file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/Version.h"
#include "simdev/State.h"
#include "simdev/Trace.h"
#include "simdev/win32/ComPort.h"
#include "tests/e2e/E2e.h"
#include "tests/e2e/HelpWindow.h"
#include "tests/support/TempFolder.h"
#include "tools/DeviceServer.h"
#include "tools/UiAuto.h"
#include "wntdld42/HelpContexts.h"

using namespace uiauto;

namespace {

constexpr char kTitle[] = "QRT 8342 Download Program";
constexpr char kDevices[] = "QRT_8300_FIO_DEVICES";

// Trace data: byte 0 is the function, in the order of WNT42PIN.H.
enum Function : std::uint8_t {
  kPinOpen = 1,
  kPinOpenParms,
  kPinLoadMasterKey,
  kPinEnterMasterKey,
  kPinLoadKey,
  kPinLoadICV,
  kPinLoadVerifParms,
  kPinSetModeEnc,
  kPinSetModeClr,
  kPinReadSN,
  kPinExecDevDiag,
  kPinClose,
};

void DeleteSubkey(const char* name) {
  std::string path = std::string(kDevices) + "\\" + name;
  RegDeleteKeyA(HKEY_CLASSES_ROOT, path.c_str());
}

void RecordDevice(const char* subkey, DWORD port) {
  std::string path = std::string(kDevices) + "\\" + subkey;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "ComPort", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&port), sizeof port);
  RegCloseKey(key);
}

// "XX XX ... " of the first 8 bytes of a digest "sha256:...": the check value the pad answers.
std::string CheckValueText(const std::string& digest) {
  std::string text;
  for (std::size_t i = 0; i < 16 && 7 + i < digest.size(); i += 2)
    text += digest.substr(7 + i, 2) + " ";
  return text;
}

class Wntdld42 : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteSubkey("QRT8342P");
    DeleteSubkey("QRT8342M");
    server_.emplace(state_);
  }
  void TearDown() override {
    server_.reset();
    DeleteSubkey("QRT8342P");
    DeleteSubkey("QRT8342M");
  }
  StartOptions Options(bool capture) {
    StartOptions o;
    o.workDir = e2e::BinDir();
    o.env = {{"SIMDEV_STATE_DIR", state_}};
    o.captureOutput = capture;
    return o;
  }
  void Simdev(const std::string& args) {
    Process p = Process::Start(e2e::Program("simdev.exe") + " " + args, Options(true));
    EXPECT_EQ(p.WaitExit(), 0u) << "simdev " << args << ": " << p.Output();
    server_->Sync();
  }
  Process Start() { return Process::Start(e2e::Program("WNTDLD42.exe"), Options(false)); }
  std::vector<simdev::trace::Record> Trace() {
    return simdev::trace::Decode(simdev::trace::Read(state_, "WNT4XPDD"));
  }
  std::vector<int> Functions() {
    std::vector<int> functions;
    for (const auto& r : Trace()) functions.push_back(r.data.empty() ? 0 : r.data[0]);
    return functions;
  }
  int Count(int function) {
    std::vector<int> all = Functions();
    return static_cast<int>(std::count(all.begin(), all.end(), function));
  }
  simdev::KeyValues Pad(int port = 2) {
    simdev::KeyValues s;
    simdev::LoadKeyValues(state_ + "\\COM" + std::to_string(port) + "-8342", &s);
    return s;
  }
  // The main window, once the program has opened the pad (its first trace record).
  HWND MainWindow(const Process& p) {
    HWND main = WaitWindow(p, kTitle);
    char name[64] = {};
    GetClassNameA(main, name, sizeof name);
    EXPECT_STREQ(name, "WNTDLD42");
    for (int i = 0; i < 500 && Trace().empty(); ++i) Sleep(20);
    return main;
  }
  // Clicks a button that ends its dialog and waits until the dialog is gone.
  void Close(HWND dialog, int button) {
    Click(dialog, button);
    WaitGone(dialog, Text(dialog));
  }
  // The one message box the program shows now: caption, text and icon checked, OK pressed.
  void ExpectMessage(const Process& p, const std::string& text, const std::string& icon) {
    MessageBoxInfo box = WaitMessageBox(p);
    EXPECT_EQ(box.caption, kTitle);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, icon) << text;
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    Answer(box, IDOK);
  }
  // Types into a form's fields, presses OK and returns the text of the response form.
  std::string Response(const Process& p, HWND main, int command, const std::string& form,
                       const std::vector<std::pair<int, std::string>>& typed, int ok,
                       const std::string& response, int field, int responseOk) {
    Command(main, command);
    HWND entry = WaitWindow(p, form);
    for (const auto& [id, text] : typed) Type(entry, id, text);
    Close(entry, ok);
    HWND shown = WaitWindow(p, response);
    std::string text = Text(shown, field);
    EXPECT_TRUE(Style(shown, field) & ES_READONLY);
    Close(shown, responseOk);
    return text;
  }

  const support::TempFolder temp_{"wntdld42-e2e"};
  const std::string state_ = temp_.File("state");
  std::optional<uiauto::DeviceServer> server_;  // the devices of state_, on COM ports
};

TEST_F(Wntdld42, RecordedAsMsrAloneOpensTheConfiguredPortWithoutAPromptAndF3ClosesOnce) {
  RecordDevice("QRT8342M", 4);
  Simdev("attach COM4 8342");
  Process p = Start();
  HWND main = MainWindow(p);
  EXPECT_FALSE(HasWindow(p, "Enter Communication Port Number"));
  LONG_PTR style = GetWindowLongPtrA(main, GWL_STYLE);
  EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_NE(GetMenu(main), nullptr);
  PressKey(main, VK_F3);
  EXPECT_EQ(p.WaitExit(), 0u);
  std::vector<simdev::trace::Record> t = Trace();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].data, std::vector<std::uint8_t>{kPinOpen});
  EXPECT_EQ(t[0].port, 4);
  EXPECT_EQ(t[0].status, 0);
  EXPECT_EQ(t[1].data, std::vector<std::uint8_t>{kPinClose});
  EXPECT_EQ(t[1].port, 4);
}

TEST_F(Wntdld42, BothPersonalitiesRecordedThePinPadsPortIsOpened) {
  RecordDevice("QRT8342P", 6);
  RecordDevice("QRT8342M", 4);
  Simdev("attach COM6 8342");
  Process p = Start();
  HWND main = MainWindow(p);
  Command(main, 100);
  EXPECT_EQ(p.WaitExit(), 0u);
  std::vector<simdev::trace::Record> t = Trace();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].port, 6);
  EXPECT_EQ(t[0].status, 0);
}

TEST_F(Wntdld42, NotRecordedPromptsAndCancelEndsWithoutADeviceCall) {
  Simdev("attach COM1 8342");
  Process p = Start();
  HWND prompt = WaitWindow(p, "Enter Communication Port Number");
  POINT pointer{};
  GetCursorPos(&pointer);
  EXPECT_EQ(pointer.x, 130);
  EXPECT_EQ(pointer.y, 18);
  EXPECT_EQ(Text(prompt, 1200), "1");
  Click(prompt, 1203);  // the help window the prompt opened belongs to the main window
  HWND helpWindow = e2e::WaitHelpAt(p, wntdld42::kHelpFile, wntdld42::kHelpCommport);
  EXPECT_EQ(GetWindow(helpWindow, GW_OWNER), WaitWindow(p, kTitle));
  Close(prompt, 1202);
  EXPECT_EQ(p.WaitExit(), 0u);
  EXPECT_TRUE(Trace().empty());
}

TEST_F(Wntdld42, PromptTakesThreeCharactersHasHelpAndOpensTheTypedPort) {
  Simdev("attach COM5 8342");
  Process p = Start();
  HWND prompt = WaitWindow(p, "Enter Communication Port Number");
  Clear(prompt, 1200);
  Type(prompt, 1200, "5xyz");
  EXPECT_EQ(Text(prompt, 1200), "5xy");
  // HELP: the prompt's topic; from Contents, Enter on a link opens it, Back returns, Escape
  // closes the window.
  const help::HelpFile file = e2e::BuiltHelp(wntdld42::kHelpFile);
  const std::optional<help::ShownTopic> contents = help::ShowContents(file);
  ASSERT_TRUE(contents && !contents->links.empty());
  Click(prompt, 1203);
  HWND helpWindow = e2e::WaitHelpAt(p, wntdld42::kHelpFile, wntdld42::kHelpCommport);
  EXPECT_EQ(Text(helpWindow), file.title);
  Click(helpWindow, ui::kHelpContentsId);
  e2e::WaitHelpShows(p, contents);
  const int last = static_cast<int>(contents->links.size()) - 1;
  ListSelect(helpWindow, ui::kHelpLinksId, last);
  PressKey(Control(helpWindow, ui::kHelpLinksId), VK_RETURN);
  e2e::WaitHelpShows(p, help::ShowHash(file, contents->links[last].hash));
  Click(helpWindow, ui::kHelpBackId);
  e2e::WaitHelpShows(p, contents);
  PressKey(Control(helpWindow, ui::kHelpLinksId), VK_ESCAPE);
  WaitGone(helpWindow, "the help window");
  EXPECT_TRUE(IsWindowVisible(prompt));
  EXPECT_EQ(Text(prompt, 1200), "5xy");
  Close(prompt, 1201);
  HWND main = MainWindow(p);
  Command(main, 100);  // E&xit
  EXPECT_EQ(p.WaitExit(), 0u);
  std::vector<simdev::trace::Record> t = Trace();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].data, (std::vector<std::uint8_t>{kPinOpenParms, 5, 0}));
  EXPECT_EQ(t[0].status, 0);
  EXPECT_EQ(t[1].data, std::vector<std::uint8_t>{kPinClose});
}

TEST_F(Wntdld42, APortAnotherProgramHoldsShowsRc5) {
  Simdev("attach COM45 8342");
  std::uint16_t status = 0;
  auto held = simdev::win32::OpenComPort(45, &status);  // as another program would
  ASSERT_TRUE(held);
  Process p = Start();
  HWND prompt = WaitWindow(p, "Enter Communication Port Number");
  Clear(prompt, 1200);
  Type(prompt, 1200, "45");
  Close(prompt, 1201);
  ExpectMessage(p, "Open 8342 device error: rc      5", "error");
  EXPECT_EQ(p.WaitExit(), 0u);
}

// Two key loaders started together on one pad: the pad is held from the open to the close, so
// exactly one of them opens it and the other gets rc 5; the pad keeps what the first loaded.
TEST_F(Wntdld42, TwoStartedTogetherOnOnePadTheSecondGetsRc5AndThePadKeepsTheFirstsKey) {
  Simdev("attach COM47 8342");
  Process a = Start(), b = Start();
  HWND prompts[] = {WaitWindow(a, "Enter Communication Port Number"),
                    WaitWindow(b, "Enter Communication Port Number")};
  for (HWND prompt : prompts) {
    Clear(prompt, 1200);
    Type(prompt, 1200, "47");
  }
  for (HWND prompt : prompts) Click(prompt, 1201);  // both opens race from here
  Process* loser = nullptr;
  for (int i = 0; i < 750 && !loser; ++i, Sleep(20)) {
    for (const WindowInfo& w : TopLevelWindows()) {
      if (w.visible && w.className == "#32770" && w.title == kTitle)
        loser = w.pid == a.Id() ? &a : w.pid == b.Id() ? &b : loser;
    }
  }
  ASSERT_NE(loser, nullptr) << DescribeWindows();
  Process& winner = loser == &a ? b : a;
  ExpectMessage(*loser, "Open 8342 device error: rc      5", "error");
  EXPECT_EQ(loser->WaitExit(), 0u);

  HWND main = MainWindow(winner);
  std::string shown =
      Response(winner, main, 200, "Load 8 Byte Non-Encrypted Master Key",
               {{800, "0123456789ABCDEF"}}, 801, "Load Master Key Response", 804, 805);
  EXPECT_EQ(shown, CheckValueText(Pad(47)["master_key.8"]));
  Command(main, 100);
  EXPECT_EQ(winner.WaitExit(), 0u);
  // The loser's open never reached the pad: open, load and close are the winner's alone.
  EXPECT_EQ(Functions(), (std::vector<int>{kPinOpenParms, kPinLoadMasterKey, kPinClose}));
  EXPECT_EQ(Pad(47)["master_key.8.source"], "loaded");
}

TEST_F(Wntdld42, AnOpenFailureShowsTheLibrarysCodeAndEndsWithoutClose) {
  Simdev("attach COM44 8342");  // 300 must not wrap onto COM44
  Process p = Start();
  HWND prompt = WaitWindow(p, "Enter Communication Port Number");
  Clear(prompt, 1200);
  Type(prompt, 1200, "300");
  Close(prompt, 1201);
  ExpectMessage(p, "Open 8342 device error: rc      2", "error");
  EXPECT_EQ(p.WaitExit(), 0u);
  // The library found no port 0 to open, so no device and no driver saw the call.
  EXPECT_TRUE(Trace().empty());
}

TEST_F(Wntdld42, MasterKeysLoadedAndEnteredShowThePadsResponses) {
  RecordDevice("QRT8342P", 2);
  Simdev("attach COM2 8342");
  Process p = Start();
  HWND main = MainWindow(p);

  // Capitals and the 16-digit limit while typing; the response is the key's check value.
  Command(main, 200);
  HWND form = WaitWindow(p, "Load 8 Byte Non-Encrypted Master Key");
  Type(form, 800, "0123456789abcdef0");
  EXPECT_EQ(Text(form, 800), "0123456789ABCDEF");
  Close(form, 801);
  HWND response = WaitWindow(p, "Load Master Key Response");
  EXPECT_EQ(Text(response, 804), CheckValueText(Pad()["master_key.8"]));
  EXPECT_EQ(Text(response, 804).size(), 24u);
  Close(response, 805);

  // HELP leaves the form open with what was typed.
  Command(main, 201);
  form = WaitWindow(p, "Load 8 Byte Encrypted Master Key");
  Type(form, 806, "fedcba98");
  Click(form, 809);
  e2e::WaitHelpAt(p, wntdld42::kHelpFile, wntdld42::kHelpLd8mke);
  EXPECT_EQ(Text(form, 806), "FEDCBA98");
  Type(form, 806, "76543210");
  Close(form, 807);
  response = WaitWindow(p, "Load Master Key Response");
  EXPECT_EQ(Text(response, 804), CheckValueText(Pad()["master_key.8"]));
  Close(response, 805);
  EXPECT_EQ(Pad()["master_key.8.source"], "loaded-encrypted");

  std::string key32 = "00112233445566778899AABBCCDDEEFF";
  std::string shown = Response(p, main, 202, "Load 16 Byte Non-Encrypted Master Key",
                               {{804, key32 + "0"}}, 805, "Load Master Key Response", 804, 805);
  EXPECT_EQ(shown, CheckValueText(Pad()["master_key.16"]));

  // CANCEL sends nothing.
  std::size_t before = Trace().size();
  const std::string cancelled = "13579BDF02468ACE13579BDF02468ACE";
  Command(main, 203);
  form = WaitWindow(p, "Load 16 Byte Encrypted Master Key");
  Type(form, 800, cancelled);
  Close(form, 802);
  ASSERT_TRUE(e2e::WaitDestroyed(form));
  // No key typed so far, however its form ended, is left in the program's memory.
  EXPECT_EQ(e2e::FoundInMemory(p.Id(), {"FEDCBA98", "76543210", key32, cancelled}),
            std::vector<std::string>{});
  // A key cut short is refused, nothing sent.
  Command(main, 203);
  form = WaitWindow(p, "Load 16 Byte Encrypted Master Key");
  Type(form, 800, "0011");
  Close(form, 801);
  ExpectMessage(p, "Load master key error: the key must be 32 hexadecimal digits.", "error");
  EXPECT_EQ(Trace().size(), before);

  const std::tuple<int, const char*, int, const char*> entries[] = {
      {205, "Enter 8 Byte Single-Entry Master Key", 900, "entered-single"},
      {206, "Enter 8 Byte Dual-Entry Master Key", 905, "entered-dual"},
      {207, "Enter 16 Byte Single-Entry Master Key", 908, "entered-single"},
      {208, "Enter 16 Byte Dual-Entry Master Key", 911, "entered-dual"},
  };
  for (const auto& [command, title, ok, source] : entries) {
    SCOPED_TRACE(title);
    shown = Response(p, main, command, title, {}, ok, "Enter Master Key Response", 903, 904);
    const char* slot = command < 207 ? "master_key.8" : "master_key.16";
    EXPECT_EQ(shown, CheckValueText(Pad()[slot]));
    EXPECT_EQ(Pad()[std::string(slot) + ".source"], source);
  }
  PressKey(main, VK_F3);
  EXPECT_EQ(p.WaitExit(), 0u);
  EXPECT_EQ(Count(kPinLoadMasterKey), 3);
  EXPECT_EQ(Count(kPinEnterMasterKey), 4);
  EXPECT_EQ(Count(kPinClose), 1);
  std::vector<simdev::trace::Record> t = Trace();
  EXPECT_EQ(t[1].data[1], 0x10);  // key types as sent
  EXPECT_EQ(t[2].data[1], 0x11);
  EXPECT_EQ(t[3].data[1], 0x00);
  EXPECT_EQ(t[4].data[1], 0x10);
  EXPECT_EQ(t[5].data[1], 0x11);
  EXPECT_EQ(t[6].data[1], 0x00);
  EXPECT_EQ(t[7].data[1], 0x01);
}

TEST_F(Wntdld42, EncryptionKeyIcvAndVerificationParametersWithTheirMessages) {
  RecordDevice("QRT8342P", 2);
  Simdev("attach COM2 8342");
  Process p = Start();
  HWND main = MainWindow(p);

  std::string shown = Response(p, main, 204, "Load 8 Byte Encryption Key",
                               {{1000, "0123456789abcdef"}, {1001, "07"}, {1002, "0a"}}, 1003,
                               "Load Encryption Key Response", 1006, 1007);
  EXPECT_EQ(shown, CheckValueText(Pad()["working_key.07"]));
  EXPECT_EQ(Pad()["working_key.07.variant"], "0A");

  Command(main, 204);  // a one-digit key ID would go as 70: refused
  HWND form = WaitWindow(p, "Load 8 Byte Encryption Key");
  Type(form, 1000, "0123456789ABCDEF");
  Type(form, 1001, "7");
  Type(form, 1002, "00");
  Close(form, 1003);
  ExpectMessage(p, "Load encryption key error: the key ID must be 2 hexadecimal digits.", "error");

  Command(main, 101);
  form = WaitWindow(p, "Load Initial Chaining Value");
  Type(form, 700, "a1b2c3d4e5f60718");
  EXPECT_EQ(Text(form, 700), "A1B2C3D4E5F60718");
  Type(form, 701, "01");
  Close(form, 702);
  ExpectMessage(p, "Load icv completed successfully.", "none");
  EXPECT_EQ(Pad()["icv.variant"], "01");

  Simdev("fault COM2 PinLoadICV 65535");
  Command(main, 101);
  form = WaitWindow(p, "Load Initial Chaining Value");
  Type(form, 700, "A1B2C3D4E5F60718");
  Type(form, 701, "01");
  Close(form, 702);
  ExpectMessage(p, "Load icv error: rc 65535", "error");

  Command(main, 102);
  form = WaitWindow(p, "Load PIN Verification Parameters");
  Close(form, 302);  // an empty PIN length
  ExpectMessage(p, "Parameters may not contain blanks", "error");
  Command(main, 102);
  form = WaitWindow(p, "Load PIN Verification Parameters");
  Type(form, 300, "a5");
  EXPECT_EQ(Text(form, 300), "a");  // one character, as typed
  Type(form, 301, "0123456789012345abcdefABCDEF0000");
  Close(form, 302);
  ExpectMessage(p, "Load verification parameters completed successfully.", "none");
  EXPECT_EQ(Pad()["pin_length"], "A");

  PressKey(main, VK_F3);
  EXPECT_EQ(p.WaitExit(), 0u);
  EXPECT_EQ(Count(kPinLoadKey), 1);
  EXPECT_EQ(Count(kPinLoadICV), 2);
  EXPECT_EQ(Count(kPinLoadVerifParms), 1);
  EXPECT_EQ(Count(kPinClose), 1);
  for (const auto& r : Trace()) {
    if (r.data[0] == kPinLoadVerifParms) {
      EXPECT_EQ(r.data[1], 0x0A);
    }
    if (r.data[0] == kPinLoadKey) {
      EXPECT_EQ(r.data[1], 0x07);
      EXPECT_EQ(r.data[3], 0x0A);
    }
  }
}

TEST_F(Wntdld42, SetModeIdentificationHelpAboutAndF3) {
  RecordDevice("QRT8342P", 2);
  Simdev("attach COM2 8342 serial=0001020304050607 version=ABCDEFGHIJKLMNOPQRST");
  Simdev("set COM2 mode clear");
  Process p = Start();
  HWND main = MainWindow(p);

  Command(main, 103);
  HWND form = WaitWindow(p, "8342 Set Mode");
  EXPECT_TRUE(IsChecked(form, 600));  // the program's selection, not the pad's mode
  EXPECT_FALSE(IsChecked(form, 601));
  Click(form, 601);
  Close(form, 602);
  ExpectMessage(p, "Set Clear Mode completed successfully.", "none");

  Command(main, 103);
  form = WaitWindow(p, "8342 Set Mode");
  EXPECT_TRUE(IsChecked(form, 601));
  Click(form, 600);
  Close(form, 602);
  Close(WaitWindow(p, "8342 Set Encrypted Mode Warning"), 604);  // CANCEL: nothing sent
  EXPECT_EQ(Count(kPinSetModeEnc), 0);

  Command(main, 103);
  form = WaitWindow(p, "8342 Set Mode");
  EXPECT_TRUE(IsChecked(form, 600));  // the choice outlived the cancelled warning
  Close(form, 602);
  Close(WaitWindow(p, "8342 Set Encrypted Mode Warning"), 603);
  ExpectMessage(p, "Set Encrypted Mode completed successfully.", "none");
  EXPECT_EQ(Pad()["mode"], "encrypted");

  // Two commands at once: the second, arriving while the first runs, is dropped.
  Command(main, 104);
  Command(main, 105);
  HWND shown = WaitWindow(p, "8342 Serial Number Response");
  EXPECT_EQ(Text(shown, 500), "00 01 02 03 04 05 06 07 ");
  Close(shown, 501);
  Sleep(500);
  EXPECT_FALSE(HasWindow(p, "8342 Hardware Version Response"));
  Command(main, 105);
  shown = WaitWindow(p, "8342 Hardware Version Response");
  EXPECT_EQ(Text(shown, 400), "ABCDEFGHIJKLMN");
  Close(shown, 402);
  Simdev("fault COM2 call 65535");
  Command(main, 104);
  ExpectMessage(p, "Read serial number error: rc 65535", "error");

  Command(main, 1102);
  HWND helpWindow = e2e::WaitHelpAt(p, wntdld42::kHelpFile, wntdld42::kHelpGeneral);  // left open

  Command(main, 1100);
  HWND about = nullptr;
  for (int i = 0; i < 500 && !about; ++i) {
    for (const WindowInfo& w : TopLevelWindows())
      if (w.visible && w.pid == p.Id() && w.className == "#32770" && w.title == kTitle)
        about = w.hwnd;
    if (!about) Sleep(20);
  }
  ASSERT_NE(about, nullptr) << DescribeWindows();
  EXPECT_EQ(Text(about, 1101), "OK");
  bool version = false;
  for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    version = version || Text(c) == SUITE_VERSION_LINE;
  EXPECT_TRUE(version);
  Close(about, 1101);

  // A close request while Set Mode is open is dropped: the form stays, and what it then sends
  // is what its buttons say (back to encrypted mode, and the warning cancelled: nothing).
  Command(main, 103);
  form = WaitWindow(p, "8342 Set Mode");
  Click(form, 601);
  PostMessageA(main, WM_CLOSE, 0, 0);
  Sleep(500);
  EXPECT_TRUE(IsWindowVisible(form));
  Click(form, 600);
  Close(form, 602);
  Close(WaitWindow(p, "8342 Set Encrypted Mode Warning"), 604);
  EXPECT_EQ(GetWindow(helpWindow, GW_OWNER), main);  // it goes with the main window
  PressKey(main, VK_F3);
  EXPECT_EQ(p.WaitExit(), 0u);
  EXPECT_EQ(Pad()["mode"], "encrypted");
  EXPECT_EQ(Functions(), (std::vector<int>{kPinOpen, kPinSetModeClr, kPinSetModeEnc, kPinReadSN,
                                           kPinExecDevDiag, kPinReadSN, kPinClose}));
  EXPECT_EQ(Trace()[5].status, 65535);
}

}  // namespace
