// The generic dialog host driven like a person would, through the test-only program.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "base/Hex.h"
#include "tests/e2e/E2e.h"
#include "tests/e2e/dlghost/ProgramDialogs.h"
#include "tests/e2e/dlghost/dlghost.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/TypedTexts.h"
#include "tools/UiAuto.h"

using namespace uiauto;

namespace {

Process StartHost() { return Process::Start(e2e::Program("dlghost.exe")); }

// The next dialog the process shows: a visible dialog of its own other than `previous`, which
// has ended (OK hides it at once, before the next one opens).
HWND NextDialog(const Process& p, HWND previous) {
  for (int i = 0; i < 1500; ++i) {
    for (const WindowInfo& w : TopLevelWindows()) {
      if (w.pid == p.Id() && w.visible && w.className == "#32770" && w.hwnd != previous)
        return w.hwnd;
    }
    Sleep(10);
  }
  throw Error("no dialog after " + std::to_string(reinterpret_cast<std::uintptr_t>(previous)) +
              "; windows: " + DescribeWindows());
}

// Whether every character of `held` is one of `typed`, in the typed order.
bool IsSubsequence(const std::string& held, const std::string& typed) {
  std::size_t at = 0;
  for (char c : typed) at += at < held.size() && held[at] == c;
  return at == held.size();
}

std::string HexOrDash(const std::string& text) {
  if (text.empty()) return "-";
  return base::BytesToHex({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

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
  // There is no dlghost.hlp: the program says so in a stop box of its own, and the dialog
  // stays with what was typed.
  MessageBoxInfo box = WaitMessageBox(p);
  EXPECT_NE(box.text.find("dlghost.hlp"), std::string::npos) << box.text;
  Answer(box, IDOK);
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
      const support::TempFolder dir("dlghost");
      const std::string png = dir.File("result.png");
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
    }
    Click(result, IDC_SHOW_OK);
    Answer(WaitMessageBox(p), round == 0 ? IDYES : IDNO);
  }
  EXPECT_EQ(p.WaitExit(), 0x10002u);
}

// Each program's own entry dialogs over their own templates, loaded from the built programs:
// every text of the table typed into every field, one round each, the other fields left as
// they open. The control keeps only what was typed (in the field's capitals), within its
// typing limit, and OK hands over the first characters the field takes and nothing else.
// A valid text of as many characters as the field gives (its take, or its typing limit when
// smaller) is held whole: a control that does not scroll stops taking typed keys at its width.
TEST(ProgramDialogs, BadTextsInEveryFieldGiveWhatTheControlHeldCutToTheTake) {
  const std::vector<dlghost::ProgramDialog> all = dlghost::ProgramDialogs();
  std::size_t cases = 0;
  for (std::size_t d = 0; d < all.size(); ++d) {
    const ui::EntryDialog& dialog = all[d].dialog;
    SCOPED_TRACE(std::string(all[d].exe) + " " + dialog.name);
    StartOptions options;
    options.captureOutput = true;
    Process p =
        Process::Start(e2e::Program("dlghost.exe") + " dialog " + std::to_string(d), options);
    std::vector<std::string> expected;  // the host's line for each round
    HWND shown = nullptr;
    // Gives what the field typed into held.
    auto round = [&](const ui::Field* typedInto, const std::string& text) {
      shown = NextDialog(p, shown);
      std::string held;
      if (typedInto) {
        Clear(shown, typedInto->id);
        Type(shown, typedInto->id, text);
        held = Text(shown, typedInto->id);
        std::string asTyped = text;
        if (Style(shown, typedInto->id) & ES_UPPERCASE) {
          CharUpperBuffA(asTyped.data(), static_cast<DWORD>(asTyped.size()));
        }
        EXPECT_TRUE(IsSubsequence(held, asTyped))
            << "field " << typedInto->id << " holds " << HexOrDash(held) << " after "
            << HexOrDash(text);
        if (typedInto->inputLimit > 0) {
          EXPECT_LE(held.size(), typedInto->inputLimit);
        }
      }
      std::string line = "ok";
      for (const ui::Field& field : dialog.fields) {
        line +=
            ' ' + HexOrDash(ui::TakeField(&field == typedInto ? held : field.preset, field.take));
      }
      expected.push_back(line);
      Click(shown, dialog.okId);
      ++cases;
      return held;
    };
    for (const ui::Field& field : dialog.fields) {
      for (const uitest::TypedText& t : uitest::TypedTexts(field)) {
        SCOPED_TRACE(std::to_string(field.id) + " " + t.name);
        round(&field, t.text);
      }
      // Digits are valid in every field; past the tenth they are hexadecimal letters, and only
      // fields of keys, file names and directories are that long.
      const std::size_t longest =
          field.inputLimit > 0 ? std::min(field.take, field.inputLimit) : field.take;
      const std::string valid = uitest::Digits(longest);
      EXPECT_EQ(round(&field, valid), valid) << "field " << field.id << " cut a valid text";
    }
    if (dialog.fields.empty()) round(nullptr, "");  // OK alone gives no texts
    Click(NextDialog(p, shown), dialog.cancelId);
    EXPECT_EQ(p.WaitExit(), 0x10000u + expected.size());  // no crash: every round came back
    expected.push_back("cancelled");
    std::istringstream output(p.Output());
    std::vector<std::string> lines;
    for (std::string line; std::getline(output, line);) lines.push_back(line);
    EXPECT_EQ(lines, expected);
  }
  std::printf("%zu (dialog, field, text) rounds\n", cases);
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
