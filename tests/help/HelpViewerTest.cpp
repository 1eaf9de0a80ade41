// Wine's own help viewer opens each shipped help file at each context number the programs
// ask for, through WinHelpA from a program of its own, and shows the topic meant for it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "help/HelpReader.h"
#include "tests/e2e/E2e.h"
#include "tests/e2e/HelpViewer.h"
#include "tests/help/HelpContexts.h"
#include "tools/UiAuto.h"

using namespace uiauto;

namespace {

// Calls the viewer like a program would: bare file name, bin folder as working directory.
DWORD CallHelp(const std::string& file, const std::string& what) {
  StartOptions options;
  options.workDir = e2e::BinDir();
  Process p = Process::Start(e2e::Program("helpcall.exe") + " " + file + " " + what, options);
  return p.WaitExit(30000);
}

// The text the viewer should show for a context number: the topic's paragraphs, one a line,
// as the reader finds them in the built file.
std::string ExpectedText(const std::string& file, std::uint32_t number) {
  std::ifstream in(e2e::BinDir() + "\\" + helptest::BuiltName(file), std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  help::ReadResult r = help::ReadHelpFile(bytes);
  const help::ReadTopic* topic = help::TopicForNumber(r.file, number);
  if (!r.error.empty() || !topic)
    return "(" + file + " has no topic for " + std::to_string(number) + ")";
  std::string text;
  for (const help::ReadParagraph& p : topic->paragraphs)
    text.append(text.empty() ? "" : "\n").append(p.text);
  return text;
}

class HelpViewer : public testing::Test {
 protected:
  void SetUp() override { e2e::CloseHelpViewer(); }
  void TearDown() override { e2e::CloseHelpViewer(); }
};

TEST_F(HelpViewer, OpensEveryFileAtEveryContextNumberAtTheTopicMeantForIt) {
  for (const helptest::ProgramContext& c : helptest::kProgramContexts) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.number));
    EXPECT_EQ(CallHelp(c.file, std::to_string(c.number)), 0u);
    HWND viewer = e2e::WaitHelpTopic(c.title, 10000);
    EXPECT_EQ(e2e::HelpViewerText(viewer), ExpectedText(c.file, c.number));
  }
}

TEST_F(HelpViewer, ContentsOpensTheContentsTopic) {
  for (const char* file : {"fiosetup.hlp", "wnt43sup.hlp", "wntdld42.hlp"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(CallHelp(file, "contents"), 0u);
    HWND viewer = e2e::WaitHelpTopic("Contents", 10000);
    EXPECT_NE(e2e::HelpViewerText(viewer).find("Choose a topic:"), std::string::npos);
  }
}

TEST_F(HelpViewer, AnUnmappedNumberShowsNoTopic) {
  EXPECT_EQ(CallHelp("wnt43sup.hlp", "15"), 0u);  // no viewer open yet
  EXPECT_TRUE(e2e::HelpViewerShowsNoTopic());

  EXPECT_EQ(CallHelp("wnt43sup.hlp", "20"), 0u);  // a topic is shown, then an unmapped number
  e2e::WaitHelpTopic("Load Cleartext RSA Private Key", 10000);
  EXPECT_EQ(CallHelp("wnt43sup.hlp", "140"), 0u);
  EXPECT_TRUE(e2e::HelpViewerShowsNoTopic());
}

TEST_F(HelpViewer, QuitClosesTheViewer) {
  EXPECT_EQ(CallHelp("fiosetup.hlp", "40"), 0u);
  HWND viewer = e2e::WaitHelpTopic("QRT 8300 FIO Devices Installation Program", 10000);
  EXPECT_EQ(CallHelp("fiosetup.hlp", "quit"), 0u);
  WaitGone(viewer, "the help viewer");
}

}  // namespace
