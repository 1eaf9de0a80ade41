// The generic dialog host driven like a person would, through the test-only program.
#include <gtest/gtest.h>

#include "tests/e2e/E2e.h"
#include "tests/e2e/dlghost/dlghost.h"
#include "tools/UiAuto.h"

using namespace uiauto;

namespace {

Process StartHost() { return Process::Start(e2e::Program("dlghost.exe")); }

TEST(DialogHost, OkTakesEachFieldCutToItsLimitAndResultShowsIt) {
  Process p = StartHost();
  HWND entry = WaitWindow(p, "Entry Dialog");
  EXPECT_EQ(Text(entry, IDC_NAME), "");
  EXPECT_EQ(Text(entry, IDC_PORT), "1");  // preset
  Type(entry, IDC_NAME, "ABCDEFG");       // no typing limit: all 7 stay in the field
  EXPECT_EQ(Text(entry, IDC_NAME), "ABCDEFG");
  Clear(entry, IDC_PORT);
  Type(entry, IDC_PORT, "12345");  // the control takes only 3
  EXPECT_EQ(Text(entry, IDC_PORT), "123");
  Click(entry, IDC_OK);

  HWND confirm = WaitWindow(p, "Confirm Dialog");
  Click(confirm, IDC_CONFIRM_OK);

  HWND result = WaitWindow(p, "Result Dialog");
  EXPECT_EQ(Text(result, IDC_SHOW_NAME), "ABCDE");  // OK took the first 5
  EXPECT_EQ(Text(result, IDC_SHOW_PORT), "123");
  EXPECT_TRUE(Style(result, IDC_SHOW_NAME) & ES_READONLY);
  Click(result, IDC_SHOW_OK);

  MessageBoxInfo box = WaitMessageBox(p);
  EXPECT_EQ(box.caption, "Dialog Host Test");
  EXPECT_EQ(box.text, "Again?");
  EXPECT_EQ(box.icon, "question");
  EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
  Answer(box, IDNO);
  EXPECT_EQ(p.WaitExit(), 0x10001u);
}

TEST(DialogHost, ConfirmCancelGoesBackToAnEmptyEntryDialog) {
  Process p = StartHost();
  HWND entry = WaitWindow(p, "Entry Dialog");
  Type(entry, IDC_NAME, "XY");
  Click(entry, IDC_OK);
  Click(WaitWindow(p, "Confirm Dialog"), IDC_CONFIRM_CANCEL);
  entry = WaitWindow(p, "Entry Dialog");
  EXPECT_EQ(Text(entry, IDC_NAME), "");
  EXPECT_EQ(Text(entry, IDC_PORT), "1");
  Click(entry, IDC_CANCEL);
  MessageBoxInfo box = WaitMessageBox(p);
  EXPECT_EQ(box.text, "Cancelled");
  EXPECT_EQ(box.icon, "error");
  EXPECT_EQ(box.buttons, (std::vector<int>{IDOK}));
  Answer(box, IDOK);
  EXPECT_EQ(p.WaitExit(), 3u);
}

TEST(DialogHost, OnlyTheButtonsCloseADialog) {
  Process p = StartHost();
  HWND entry = WaitWindow(p, "Entry Dialog");
  PressKey(entry, VK_ESCAPE);
  PostMessageA(entry, WM_CLOSE, 0, 0);
  PostMessageA(entry, WM_SYSCOMMAND, SC_CLOSE, 0);
  Sleep(300);
  ASSERT_TRUE(IsWindow(entry) && IsWindowVisible(entry));
  EXPECT_FALSE(GetWindowLongPtrA(entry, GWL_STYLE) & WS_SYSMENU);  // no close box
  Click(entry, IDC_CANCEL);
  Answer(WaitMessageBox(p), IDOK);
  EXPECT_EQ(p.WaitExit(), 3u);
}

// Closed under a dialog, the main window takes the dialog with it; the flow then shows nothing
// more (no entry dialog again, no "Cancelled" box), so the program ends without an answer.
TEST(DialogHost, ADialogThatDiesWithItsOwnerEndsTheFlowShowingNothingMore) {
  Process p = StartHost();
  HWND main = WaitWindow(p, "Dialog Host Test");
  HWND entry = WaitWindow(p, "Entry Dialog");
  Type(entry, IDC_NAME, "XY");
  Click(entry, IDC_OK);
  WaitWindow(p, "Confirm Dialog");
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(p.WaitExit(), 3u);
}

TEST(DialogHost, HelpOpensTheHelpFileAndLeavesTheDialogOpenWithItsTexts) {
  Process p = StartHost();
  HWND entry = WaitWindow(p, "Entry Dialog");
  Type(entry, IDC_NAME, "KEEP");
  Click(entry, IDC_HELPBUTTON);
  // There is no dlghost.hlp: Wine's help viewer says so in a box of its own process.
  HWND error = nullptr;
  for (int i = 0; i < 300 && !error; ++i) {
    for (const WindowInfo& w : TopLevelWindows()) {
      if (w.visible && w.title == "ERROR" && w.className == "#32770") error = w.hwnd;
    }
    if (!error) Sleep(50);
  }
  ASSERT_NE(error, nullptr) << "no help viewer box; windows: " << DescribeWindows();
  MessageBoxInfo box = ReadMessageBox(error);
  EXPECT_NE(box.text.find("dlghost.hlp"), std::string::npos) << box.text;
  Answer(box, IDNO);
  ASSERT_TRUE(IsWindowVisible(entry));
  EXPECT_EQ(Text(entry, IDC_NAME), "KEEP");
  Click(entry, IDC_OK);
  Click(WaitWindow(p, "Confirm Dialog"), IDC_CONFIRM_OK);
  HWND result = WaitWindow(p, "Result Dialog");
  EXPECT_EQ(Text(result, IDC_SHOW_NAME), "KEEP");
  Click(result, IDC_SHOW_OK);
  Answer(WaitMessageBox(p), IDNO);
  EXPECT_EQ(p.WaitExit(), 0x10001u);
}

TEST(DialogHost, TwoRoundsAndAScreenshot) {
  Process p = StartHost();
  for (int round = 0; round < 2; ++round) {
    HWND entry = WaitWindow(p, "Entry Dialog");
    Type(entry, IDC_NAME, "R");
    Click(entry, IDC_OK);
    Click(WaitWindow(p, "Confirm Dialog"), IDC_CONFIRM_OK);
    HWND result = WaitWindow(p, "Result Dialog");
    if (round == 1) {
      char dir[MAX_PATH];
      GetTempPathA(MAX_PATH, dir);
      std::string png = std::string(dir) + "dlghost-result.png";
      Screenshot(png, result);
      RECT r;
      GetWindowRect(result, &r);
      FILE* f = fopen(png.c_str(), "rb");
      ASSERT_NE(f, nullptr);
      unsigned char head[24] = {};
      ASSERT_EQ(fread(head, 1, sizeof head, f), sizeof head);
      fclose(f);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(head) + 1, 3), "PNG");
      unsigned width = head[16] << 24 | head[17] << 16 | head[18] << 8 | head[19];
      unsigned height = head[20] << 24 | head[21] << 16 | head[22] << 8 | head[23];
      EXPECT_EQ(width, static_cast<unsigned>(r.right - r.left));
      EXPECT_EQ(height, static_cast<unsigned>(r.bottom - r.top));
      DeleteFileA(png.c_str());
    }
    Click(result, IDC_SHOW_OK);
    Answer(WaitMessageBox(p), round == 0 ? IDYES : IDNO);
  }
  EXPECT_EQ(p.WaitExit(), 0x10002u);
}

TEST(UiAuto, TellsEveryMessageBoxIconApart) {
  Process p = Process::Start(e2e::Program("dlghost.exe") + " icons");
  for (const char* icon : {"none", "error", "question", "warning", "information"}) {
    MessageBoxInfo box = WaitMessageBox(p);
    EXPECT_EQ(box.text, icon);
    EXPECT_EQ(box.icon, icon);
    Answer(box, IDOK);
  }
  EXPECT_EQ(p.WaitExit(), 0u);
}

TEST(UiAuto, TimeOutNamesWhatItWaitedForAndTheWindows) {
  Process p = StartHost();
  WaitWindow(p, "Entry Dialog");
  try {
    WaitWindow(p, "No Such Window", 300);
    FAIL() << "no time-out";
  } catch (const Error& e) {
    std::string what = e.what();
    EXPECT_NE(what.find("No Such Window"), std::string::npos) << what;
    EXPECT_NE(what.find("\"Entry Dialog\""), std::string::npos) << what;
  }
}

}  // namespace
