// WNT43SUP under Wine against the emulated 8343 terminal, driven like a person would: the port
// prompt with and without the configuration key, every menu command, the terminal's refusals,
// the CRC of a downloaded application from both sides, HELP in the program's help window, and F3.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/Version.h"
#include "simdev/Trace.h"
#include "simdev/win32/ComPort.h"
#include "tests/e2e/E2e.h"
#include "tests/e2e/HelpWindow.h"
#include "tests/support/Registry.h"
#include "tests/support/TempFolder.h"
#include "tools/DeviceServer.h"
#include "tools/UiAuto.h"
#include "wnt43sup/HelpContexts.h"
#include "wnt43sup/Texts.h"
#include "wnt43sup/WNT43SUP.h"

using namespace uiauto;

namespace {

constexpr char kRoot[] = "QRT_8300_FIO_DEVICES";
constexpr char kSubkey[] = "QRT_8300_FIO_DEVICES\\QRT8343";
constexpr char kTitle[] = "QRT 8343 Support Program";
constexpr char kCommPort[] = "Enter Communication Port Number";
constexpr char kRsaTitle[] = "Load Cleartext RSA Private Key";
constexpr char kDesTitle[] = "Load Cleartext Double Length DES Key Part";

// Menu commands.
constexpr int kExit = 100, kRsa = 101, kDes = 102, kSerial = 103, kInfo = 104, kStatus = 105,
              kEject = 106, kGenCrc = 107, kQueryCrc = 108, kAbout = 1000, kGeneral = 1100;

// CRC-16/ARC, computed here on its own to check both programs against.
std::uint16_t Crc16Arc(const std::vector<std::uint8_t>& bytes) {
  std::uint16_t crc = 0;
  for (std::uint8_t b : bytes) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

class Wnt43sup : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kSubkey);  // each test starts unconfigured
    server_.emplace(state_);
  }
  void TearDown() override {
    program_.reset();  // ends a program a failed test left running, its help window with it
    server_.reset();
  }
  void Configure(DWORD port) { ASSERT_TRUE(e2e::SetComPort(kSubkey, port)); }
  StartOptions Options(const std::string& workDir) {
    StartOptions o;
    o.workDir = workDir;
    o.env = {{"SIMDEV_STATE_DIR", state_}};
    return o;
  }
  std::string Simdev(const std::string& args) {
    StartOptions o = Options(dir_);
    o.captureOutput = true;
    Process p = Process::Start(e2e::Program("simdev.exe") + " " + args, o);
    EXPECT_EQ(p.WaitExit(), 0u) << "simdev " << args << ": " << p.Output();
    server_->Sync();
    return p.Output();
  }
  // Starts WNT43SUP; help files are found in the bin folder, HEX files in the test's folder.
  Process& Start(const std::string& workDir = e2e::BinDir()) {
    program_ =
        std::make_unique<Process>(Process::Start(e2e::Program("WNT43SUP.exe"), Options(workDir)));
    return *program_;
  }
  // Starts it unconfigured, types the port into the prompt and returns the main window.
  HWND StartOnPort(const std::string& port, const std::string& workDir = e2e::BinDir()) {
    Process& p = Start(workDir);
    HWND prompt = WaitWindow(p, kCommPort);
    Clear(prompt, 1200);
    Type(prompt, 1200, port);
    Click(prompt, 1201);
    WaitGone(prompt, "the port prompt");
    return WaitWindow(p, kTitle);
  }
  // The next message box: its caption and buttons are the program's; answered with OK.
  MessageBoxInfo Box() {
    MessageBoxInfo box = WaitMessageBox(*program_);
    EXPECT_EQ(box.caption, kTitle);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(GetWindow(box.hwnd, GW_OWNER), FindWindowA("WNT43SUP", kTitle)) << box.text;
    Answer(box, IDOK);
    return box;
  }
  void ExpectBox(const std::string& text, const std::string& icon) {
    MessageBoxInfo box = Box();
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, icon) << text;
  }
  // Opens a dialog from the menu and checks that it belongs to the main window.
  HWND Open(HWND main, int command, const std::string& title) {
    Command(main, command);
    HWND dialog = WaitWindow(*program_, title);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), main) << title;
    return dialog;
  }
  void Exit(HWND main) {
    PressKey(main, VK_F3);
    EXPECT_EQ(program_->WaitExit(), 0u);
    program_.reset();
  }
  // The 16 RSA fields, 16 hexadecimal digits each.
  void TypeRsaKey(HWND dialog) {
    for (int id = 210; id <= 225; ++id) Type(dialog, id, "0123456789ABCDEF");
  }

  const support::RegistrySnapshot devices_{HKEY_CLASSES_ROOT, kRoot};
  const support::TempFolder temp_{"wnt43sup-e2e"};
  const std::string dir_ = temp_.Str(), state_ = temp_.File("state");
  std::optional<uiauto::DeviceServer> server_;  // the devices of state_, on COM ports
  std::unique_ptr<Process> program_;
};

TEST_F(Wnt43sup, WithoutTheConfigurationKeyThePortIsAskedFirst) {
  Simdev("attach COM5 8343 dual serial=41-00017");
  Process& p = Start();
  HWND prompt = WaitWindow(p, kCommPort);
  EXPECT_EQ(Text(prompt, 1200), "1");  // preset
  Clear(prompt, 1200);
  Type(prompt, 1200, "5678");  // the field takes three characters
  EXPECT_EQ(Text(prompt, 1200), "567");
  Clear(prompt, 1200);
  Type(prompt, 1200, "5");
  Click(prompt, 1201);
  HWND main = WaitWindow(p, kTitle);
  char cls[32] = {};
  GetClassNameA(main, cls, sizeof cls);
  EXPECT_STREQ(cls, "WNT43SUP");
  EXPECT_EQ(GetWindowLongA(main, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_NE(GetMenu(main), nullptr);

  HWND info = Open(main, kInfo, "8343 Device Information Response");
  EXPECT_EQ(Text(info, 502), "X'00'");
  EXPECT_EQ(Text(info, 503), "No Error");
  EXPECT_EQ(Text(info, 504), "41-00017");
  EXPECT_EQ(Text(info, 505), "MM 03.20");
  EXPECT_EQ(Text(info, 706), "");
  EXPECT_EQ(Text(info, 507), "SM 01.10");
  EXPECT_EQ(Text(info, 508), "SECURITY 01.00");
  Click(info, 501);
  WaitGone(info, "DEVINFO");
  Exit(main);
}

TEST_F(Wnt43sup, WithTheConfigurationKeyNothingIsAskedAndEftOpenFindsThePort) {
  Configure(6);
  Simdev("attach COM6 8343 dual");
  Simdev("set COM6 status 85");
  Process& p = Start();
  HWND main = WaitWindow(p, kTitle);
  Sleep(500);
  EXPECT_FALSE(HasWindow(p, kCommPort));
  HWND status = Open(main, kStatus, "Read Device Status Response");
  EXPECT_EQ(Text(status, 600), "X'00'");
  EXPECT_EQ(Text(status, 602), "X'85'");
  EXPECT_EQ(Text(status, 603), "ON");
  EXPECT_EQ(Text(status, 604), "OFF");  // no card in the slot
  EXPECT_EQ(Text(status, 610), "ON");
  EXPECT_EQ(Text(status, 611), "0000000000000000");
  Click(status, 616);
  WaitGone(status, "RDSTAT");
  Command(main, kExit);  // E&xit, like F3
  EXPECT_EQ(p.WaitExit(), 0u);
}

TEST_F(Wnt43sup, CancelAtThePromptStillLeadsToTheMainWindowAndUsesEftOpen) {
  Simdev("attach COM1 8343 single");  // EftOpen without configuration: port 1
  Process& p = Start();
  Click(WaitWindow(p, kCommPort), 1202);
  HWND main = WaitWindow(p, kTitle);
  Command(main, kEject);
  ExpectBox("Command failed:  Device RC=07 - Card Error", "error");
  Simdev("card COM1 insert 3B6500002063CB6600");
  HWND status = Open(main, kStatus, "Read Device Status Response");
  EXPECT_EQ(Text(status, 604), "ON");
  EXPECT_EQ(Text(status, 611), "3B6500002063CB66");
  EXPECT_EQ(Text(status, 612), "0000000000000000");
  Click(status, 616);
  Command(main, kEject);
  ExpectBox("Eject Card completed successfully.", "none");
  Exit(main);
}

// A typed 256 opens COM256: the port is kept whole, never wrapped onto another terminal's.
TEST_F(Wnt43sup, APortAbove255IsKeptAsTyped) {
  Simdev("attach COM256 8343 dual serial=41-00256");
  Simdev("attach COM1 8343 dual serial=41-00001");
  HWND main = StartOnPort("256");
  HWND info = Open(main, kInfo, "8343 Device Information Response");
  EXPECT_EQ(Text(info, 504), "41-00256");
  Click(info, 501);
  Exit(main);
}

TEST_F(Wnt43sup, NoTerminalOnTheTypedPortIsCannotOpenDevice) {
  HWND main = StartOnPort("9");
  Command(main, kInfo);
  ExpectBox("Read Device Information failed:  Cannot open device.", "error");
  Command(main, kEject);
  ExpectBox("Eject Card failed:  Cannot open device.", "error");
  Exit(main);
}

TEST_F(Wnt43sup, ASilentLineIsAnInternalErrorAndAPortAnotherProgramHoldsCannotOpen) {
  Simdev("attach COM16 8343 dual");
  HWND main = StartOnPort("16");
  Simdev("fault COM16 line silence 4 skip=1");  // the open is answered, the command is not
  Command(main, kInfo);
  ExpectBox(wnt43sup::kInfoInternal, "error");
  std::uint16_t status = 0;
  auto held = simdev::win32::OpenComPort(16, &status);  // as another program would
  ASSERT_TRUE(held);
  Command(main, kInfo);
  ExpectBox(wnt43sup::kInfoCannotOpen, "error");
  held.reset();
  HWND info = Open(main, kInfo, "8343 Device Information Response");
  Click(info, 501);
  WaitGone(info, "DEVINFO");
  Exit(main);
}

// The support program and the download program on one terminal: whichever opens the port first
// holds it to its close, the other is told it cannot open the device, and the terminal keeps
// the one whole image. The answers are held back so that each hold lasts long enough to meet.
TEST_F(Wnt43sup, WithTheDownloadProgramOnOnePortTheSecondCannotOpenAndTheImageStaysWhole) {
  for (unsigned records : {8, 16}) {  // APP8.HEX and APP16.HEX, 256 and 512 bytes at 4000
    std::string hex = e2e::HexRecord(0, 0x0000, std::vector<std::uint8_t>(32, 0x55));
    for (unsigned r = 0; r < records; ++r)
      hex += e2e::HexRecord(0, 0x4000 + r * 32, std::vector<std::uint8_t>(32, std::uint8_t(r)));
    std::ofstream(dir_ + "\\APP" + std::to_string(records) + ".HEX", std::ios::binary)
        << hex << ":00000001FF\r\n";
  }
  const std::string image = "image: 0000-001F 4000-40FF";
  Simdev("attach COM18 8343 dual");
  HWND main = StartOnPort("18");
  auto heldBack = [&] {
    int n = 0;
    for (const auto& r : simdev::trace::Decode(simdev::trace::Read(state_, "WNT43PDD")))
      n += r.kind == simdev::trace::kLineEvent && r.data.at(0) == simdev::trace::kHeldBack;
    return n;
  };
  auto waitHeldBack = [&](int n) {
    for (int i = 0; i < 500 && heldBack() < n; ++i) Sleep(20);
    ASSERT_GE(heldBack(), n);
  };
  StartOptions o = Options(dir_);
  o.captureOutput = true;

  // The download first: its type check takes four exchanges, the download's own open the fifth.
  Simdev("fault COM18 line delay 400 9");
  Process apd = Process::Start(e2e::Program("WNT43APD.exe") + " APP8.HEX 18", o);
  waitHeldBack(6);  // the download began on the port the download program holds
  Command(main, kInfo);
  ExpectBox(wnt43sup::kInfoCannotOpen, "error");
  EXPECT_EQ(apd.WaitExit(30000), 0u) << apd.Output();
  EXPECT_NE(Simdev("show COM18").find(image), std::string::npos);

  // The support program first: a second download cannot open, nothing of it is stored.
  int before = heldBack();
  Simdev("fault COM18 line delay 900 4");
  Command(main, kInfo);
  waitHeldBack(before + 1);  // the support program's open is on the line
  Process second = Process::Start(e2e::Program("WNT43APD.exe") + " APP16.HEX 18", o);
  EXPECT_EQ(second.WaitExit(30000), 1809u) << second.Output();
  HWND info = WaitWindow(*program_, "8343 Device Information Response");
  EXPECT_EQ(Text(info, 502), "X'00'");
  Click(info, 501);
  WaitGone(info, "DEVINFO");
  std::string shown = Simdev("show COM18");
  EXPECT_NE(shown.find(image), std::string::npos) << shown;
  Exit(main);
}

TEST_F(Wnt43sup, KeysAndSerialNumberOnceEachThenTheTerminalRefuses) {
  Simdev("attach COM3 8343 dual");
  HWND main = StartOnPort("3");

  HWND rsa = Open(main, kRsa, "Load Cleartext RSA Private Key");
  TypeRsaKey(rsa);
  Click(rsa, 226);
  HWND warning = WaitWindow(*program_, "Load Cleartext RSA Private Key Warning");
  Click(warning, 227);
  ExpectBox("Load Clear RSA Private Key completed successfully.", "none");
  EXPECT_NE(Simdev("show COM3").find("rsa_key=sha256:"), std::string::npos);

  rsa = Open(main, kRsa, "Load Cleartext RSA Private Key");
  TypeRsaKey(rsa);
  Click(rsa, 226);
  Click(WaitWindow(*program_, "Load Cleartext RSA Private Key Warning"), 227);
  ExpectBox("Command failed:  Device RC=06 - Sequence Error", "error");

  HWND des = Open(main, kDes, "Load Cleartext Double Length DES Key Part");
  Type(des, 310, "2");
  Type(des, 311, "2");
  Type(des, 312, "0123456789ABCDEF");
  Type(des, 313, "FEDCBA9876543210");
  Click(des, 314);
  ExpectBox("Load Clear DES Key Part completed successfully.", "none");
  EXPECT_NE(Simdev("show COM3").find("des_key.2.middle=sha256:"), std::string::npos);

  des = Open(main, kDes, "Load Cleartext Double Length DES Key Part");
  Type(des, 310, "8");
  Click(des, 314);
  ExpectBox("Load Clear DES Key Part failed:  Invalid Key Number.", "error");

  HWND serial = Open(main, kSerial, "Load Device Serial Number");
  Type(serial, 410, "12A45");
  Click(serial, 411);
  ExpectBox("Load Device Serial Number failed:  Invalid Serial Number.", "error");
  serial = WaitWindow(*program_, "Load Device Serial Number");  // again, empty
  EXPECT_EQ(Text(serial, 410), "");
  Type(serial, 410, "00017");
  Click(serial, 411);
  warning = WaitWindow(*program_, "Load Serial Number Warning");
  Click(warning, 413);  // CANCEL: back to the entry dialog, nothing sent
  serial = WaitWindow(*program_, "Load Device Serial Number");
  EXPECT_EQ(Text(serial, 410), "");
  EXPECT_EQ(Simdev("show COM3").find("serial=41-"), std::string::npos);
  Type(serial, 410, "00017");
  Click(serial, 411);
  Click(WaitWindow(*program_, "Load Serial Number Warning"), 412);
  ExpectBox("Load Device Serial Number completed successfully.", "none");
  EXPECT_NE(Simdev("show COM3").find("serial=41-00017"), std::string::npos);

  HWND info = Open(main, kInfo, "8343 Device Information Response");
  EXPECT_EQ(Text(info, 504), "41-00017");
  Click(info, 501);
  Exit(main);
}

// The CRC of the application file, computed by the program, equals the CRC the terminal
// computes over the same range after WNT43APD downloaded that file.
TEST_F(Wnt43sup, GenerateCrcOfTheDownloadedApplicationEqualsQueryMemoryCrc) {
  std::string hex = e2e::HexRecord(0, 0x0000, std::vector<std::uint8_t>(32, 0x00));
  std::vector<std::uint8_t> image;
  for (unsigned address = 0x7000; address < 0x10000; address += 32) {
    std::vector<std::uint8_t> data(32);
    for (unsigned i = 0; i < 32; ++i) data[i] = static_cast<std::uint8_t>((address + i) * 7 >> 3);
    image.insert(image.end(), data.begin(), data.end());
    hex += e2e::HexRecord(0, address, data);
  }
  hex += ":00000001FF\r\n";
  std::ofstream(dir_ + "\\APP.HEX", std::ios::binary) << hex;
  char expected[8];
  std::snprintf(expected, sizeof expected, "%X", Crc16Arc(image));

  Simdev("attach COM4 8343 single");
  StartOptions o = Options(dir_);
  o.captureOutput = true;
  Process apd = Process::Start(e2e::Program("WNT43APD.exe") + " APP.HEX 4", o);
  ASSERT_EQ(apd.WaitExit(30000), 0u) << apd.Output();

  HWND main = StartOnPort("4", dir_);
  HWND gencrc = Open(main, kGenCrc, "Generate a CRC from an Input HEX File");
  Type(gencrc, 700, "APP");
  Click(gencrc, 701);
  HWND result = WaitWindow(*program_, "Generate CRC Information Respose");
  EXPECT_EQ(Text(result, 702), "APP");
  EXPECT_EQ(Text(result, 703), "7000");
  EXPECT_EQ(Text(result, 704), "9000");
  std::string fileCrc = Text(result, 705);
  EXPECT_EQ(std::strtoul(fileCrc.c_str(), nullptr, 16), std::strtoul(expected, nullptr, 16))
      << fileCrc << " against " << expected;
  Click(result, 706);

  HWND query = Open(main, kQueryCrc, "Query the CRC of the Device Memory");
  Type(query, 800, "7000");
  Type(query, 801, "9000");
  Click(query, 802);
  result = WaitWindow(*program_, "Query CRC Information Response");
  EXPECT_EQ(Text(result, 803), "7000");
  EXPECT_EQ(Text(result, 804), "9000");
  std::string memoryCrc = Text(result, 805);
  EXPECT_EQ(memoryCrc.size(), 8u);
  EXPECT_EQ(std::strtoul(memoryCrc.c_str(), nullptr, 16),
            std::strtoul(fileCrc.c_str(), nullptr, 16))
      << "memory " << memoryCrc << ", file " << fileCrc;
  Click(result, 806);

  // A range the terminal does not hold, and the one refused length.
  query = Open(main, kQueryCrc, "Query the CRC of the Device Memory");
  Type(query, 800, "4000");
  Type(query, 801, "0100");
  Click(query, 802);
  ExpectBox("Query Memory CRC Error: invalid input parameter.", "error");
  query = Open(main, kQueryCrc, "Query the CRC of the Device Memory");
  Type(query, 800, "7000");
  Type(query, 801, "0000");
  Click(query, 802);
  ExpectBox("Query Memory CRC Error: invalid memory length.", "error");

  // A missing file, and a name that Windows takes for a device: COM9 opens COM9.HEX, the
  // port, which the fixture maps to a device that never ends.
  for (const char* name : {"MISSING", "COM9"}) {
    gencrc = Open(main, kGenCrc, "Generate a CRC from an Input HEX File");
    Type(gencrc, 700, name);
    Click(gencrc, 701);
    ExpectBox("Generate CRC Program Error:  File can not be opened.", "error");
  }
  Exit(main);
}

// HELP opens the dialog's topic in the program's help window, which stays usable under the
// dialog, and leaves the dialog open with what was typed; Help > General shows its topic in the
// same window, and Help > About. The help window belongs to the main window: it goes with it.
TEST_F(Wnt43sup, HelpLeavesEachDialogOpenWithItsTexts) {
  const help::HelpFile file = e2e::BuiltHelp(wnt43sup::kHelpFile);
  const std::optional<help::ShownTopic> contents = help::ShowContents(file);
  ASSERT_TRUE(contents && !contents->links.empty());
  Process& p = Start();
  HWND prompt = WaitWindow(p, kCommPort);
  Clear(prompt, 1200);
  Type(prompt, 1200, "7");
  Click(prompt, 1203);
  HWND helpWindow = e2e::WaitHelpAt(p, wnt43sup::kHelpFile, wnt43sup::kHelpCommport);
  EXPECT_EQ(Text(helpWindow), file.title);
  EXPECT_TRUE(IsWindowEnabled(helpWindow));
  // Contents, a link of it, then Back twice: to Contents and to the prompt's topic.
  Click(helpWindow, ui::kHelpContentsId);
  e2e::WaitHelpShows(p, contents);
  e2e::OpenHelpLink(helpWindow, 0);
  e2e::WaitHelpShows(p, help::ShowHash(file, contents->links[0].hash));
  Click(helpWindow, ui::kHelpBackId);
  e2e::WaitHelpShows(p, contents);
  Click(helpWindow, ui::kHelpBackId);
  e2e::WaitHelpAt(p, wnt43sup::kHelpFile, wnt43sup::kHelpCommport);
  EXPECT_TRUE(IsWindowVisible(prompt));
  EXPECT_EQ(Text(prompt, 1200), "7");
  Click(prompt, 1202);
  HWND main = WaitWindow(p, kTitle);

  struct Case {
    int command;
    const char* title;
    int field, help, cancel;
    unsigned context;
  };
  const Case cases[] = {
      {kRsa, "Load Cleartext RSA Private Key", 218, 230, 229, wnt43sup::kHelpLdrsapk},
      {kDes, "Load Cleartext Double Length DES Key Part", 312, 316, 315, wnt43sup::kHelpLddlkp},
      {kSerial, "Load Device Serial Number", 410, 415, 414, wnt43sup::kHelpLdsn},
      {kGenCrc, "Generate a CRC from an Input HEX File", 700, 708, 707, wnt43sup::kHelpGencrc},
      {kQueryCrc, "Query the CRC of the Device Memory", 801, 808, 807, wnt43sup::kHelpQrymcrc},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    HWND dialog = Open(main, c.command, c.title);
    Type(dialog, c.field, "12A");
    Click(dialog, c.help);
    e2e::WaitHelpAt(p, wnt43sup::kHelpFile, c.context);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(Text(dialog, c.field), "12A");
    Click(dialog, c.cancel);
    WaitGone(dialog, c.title);
  }
  EXPECT_FALSE(HasWindow(p, "Load Cleartext RSA Private Key"));

  Command(main, kGeneral);
  EXPECT_EQ(e2e::WaitHelpAt(p, wnt43sup::kHelpFile, wnt43sup::kHelpGeneral), helpWindow);

  Command(main, kAbout);
  HWND about = nullptr;
  for (int i = 0; i < 250 && !about; ++i) {
    for (const WindowInfo& w : TopLevelWindows()) {
      if (w.visible && w.pid == p.Id() && w.title == kTitle && w.className == "#32770")
        about = w.hwnd;
    }
    if (!about) Sleep(20);
  }
  ASSERT_NE(about, nullptr) << DescribeWindows();
  EXPECT_EQ(GetWindow(about, GW_OWNER), main);
  bool version = false;
  for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    version = version || Text(c) == SUITE_VERSION_LINE;
  }
  EXPECT_TRUE(version);
  Click(about, 1001);
  WaitGone(about, "ABOUT");
  EXPECT_EQ(GetWindow(helpWindow, GW_OWNER), main);
  Exit(main);
}

// While a command's dialog is open, a command or a close request that another program posts to
// the main window starts nothing, neither then nor after the dialog, and the window stays
// disabled until the dialog ends.
TEST_F(Wnt43sup, NothingStartsWhileACommandsDialogIsOpen) {
  Simdev("attach COM3 8343 dual");
  HWND main = StartOnPort("3");
  HWND des = Open(main, IDM_LDDLKP, kDesTitle);
  auto shown = [&] {
    std::vector<HWND> windows;
    for (const WindowInfo& w : TopLevelWindows())
      if (w.visible && w.pid == program_->Id()) windows.push_back(w.hwnd);
    return windows;
  };
  Command(main, IDM_DEVINFO);
  PostMessageA(main, WM_CLOSE, 0, 0);
  Command(main, IDM_EXIT);
  Sleep(1000);
  EXPECT_EQ(shown().size(), 2u) << DescribeWindows();
  EXPECT_TRUE(IsWindow(main));
  EXPECT_FALSE(IsWindowEnabled(main));
  Click(des, IDC_LDDLKP_CANCEL);
  WaitGone(des, kDesTitle);
  Sleep(1000);
  EXPECT_EQ(shown(), std::vector<HWND>{main}) << DescribeWindows();
  EXPECT_TRUE(IsWindowEnabled(main));
  Exit(main);
}

// Typed key texts leave no copy in the program, the edit controls' own buffers included,
// whichever button ended the dialog. While the dialog is open, the scan finds them.
TEST_F(Wnt43sup, TypedKeyTextsLeaveNoCopyInMemory) {
  Simdev("attach COM3 8343 dual");
  HWND main = StartOnPort("3");
  // Texts of 16 hexadecimal digits that nothing else in the program holds.
  auto typed = [](unsigned seed, int count) {
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
      char text[17];
      std::snprintf(text, sizeof text, "%08X%08X", seed, 0x9E3779B9u * (i + 1));
      texts.push_back(text);
    }
    return texts;
  };
  const std::vector<std::string> rsa =
      typed(0x5EC2E7u, IDC_LDRSAPK_EXPONENT8 - IDC_LDRSAPK_MODULUS1 + 1);
  HWND dialog = Open(main, IDM_LDRSAPK, kRsaTitle);
  for (std::size_t i = 0; i < rsa.size(); ++i)
    Type(dialog, IDC_LDRSAPK_MODULUS1 + static_cast<int>(i), rsa[i]);
  EXPECT_GE(e2e::FoundInMemory(program_->Id(), rsa).size(), rsa.size());
  Click(dialog, IDC_LDRSAPK_OK);
  Click(WaitWindow(*program_, "Load Cleartext RSA Private Key Warning"), IDC_LDRSAPKWN_OK);
  Box();
  EXPECT_EQ(e2e::FoundInMemory(program_->Id(), rsa), std::vector<std::string>{});

  struct Ending {
    const char* how;
    int help, button;  // help 0: not pressed
  };
  const Ending endings[] = {{"OK", 0, IDC_LDDLKP_OK},
                            {"CANCEL", 0, IDC_LDDLKP_CANCEL},
                            {"HELP, then CANCEL", IDC_LDDLKP_HELP, IDC_LDDLKP_CANCEL}};
  unsigned seed = 0xDE5u;
  for (const auto& [how, help, end] : endings) {
    SCOPED_TRACE(how);
    const std::vector<std::string> halves = typed(++seed, 2);
    dialog = Open(main, IDM_LDDLKP, kDesTitle);
    Type(dialog, IDC_LDDLKP_KEYNUMBER, "1");
    Type(dialog, IDC_LDDLKP_PART, "1");
    Type(dialog, IDC_LDDLKP_LEFT, halves[0]);
    Type(dialog, IDC_LDDLKP_RIGHT, halves[1]);
    if (help) {
      Click(dialog, help);
      e2e::WaitHelpAt(*program_, wnt43sup::kHelpFile, wnt43sup::kHelpLddlkp);
    }
    Click(dialog, end);
    if (end == IDC_LDDLKP_OK) Box();
    ASSERT_TRUE(e2e::WaitDestroyed(dialog));
    EXPECT_EQ(e2e::FoundInMemory(program_->Id(), halves), std::vector<std::string>{});
  }
  Exit(main);
}

// Started in a folder without the help file, HELP opens the one beside the program.
TEST_F(Wnt43sup, HelpFindsTheHelpFileBesideTheProgram) {
  HWND main = StartOnPort("1", dir_);
  HWND dialog = Open(main, IDM_GENCRC, "Generate a CRC from an Input HEX File");
  Click(dialog, IDC_GENCRC_HELP);
  e2e::WaitHelpAt(*program_, wnt43sup::kHelpFile, wnt43sup::kHelpGencrc);
  Click(dialog, IDC_GENCRC_CANCEL);
  Exit(main);
}

TEST_F(Wnt43sup, F3EndsTheProgramAtOnceWithExitCode0) {
  HWND main = StartOnPort("1");
  PressKey(main, VK_F3);
  EXPECT_EQ(program_->WaitExit(5000), 0u);
  program_.reset();
}

}  // namespace
